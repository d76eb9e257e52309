// The yardstick for start-up: the least a Qt 6 Widgets program does to show a window of the
// calculator's size with one line of text. The first text a program shows loads the font
// database and the accessibility bridge, which any calculator needs before its window can show;
// with --blank the window shows no text at all, to see what that costs.
#include <QApplication>
#include <QLabel>
#include <QStringList>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle("Minimal");
    window.resize(351, 250);
    if (!QApplication::arguments().contains("--blank")) {
        auto* text = new QLabel("0", &window);
        text->move(12, 12);
    }
    window.show();
    return QApplication::exec();
}
