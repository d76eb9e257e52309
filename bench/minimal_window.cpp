// The yardstick for start-up: the least a Qt 6 Widgets program does to show a window of the
// calculator's size with one line of text. The first text a program shows loads the font
// database and the accessibility bridge, which any calculator needs before its window can show;
// with --blank the window shows no text at all, to see what that costs. Built as
// minimal_window_arb, it also links the libraries the evaluator computes with and shows pi
// computed once in Arb's balls: what those libraries cost a window by themselves.
#include <QApplication>
#include <QLabel>
#include <QStringList>
#include <QWidget>

#ifdef TARNICLE_MINIMAL_ARB
#include "evaluator/multiprecision.h"
#endif

namespace {

QString firstText() {
#ifdef TARNICLE_MINIMAL_ARB
    vexa::Ball pi;
    arb_const_pi(pi.get(), 64);
    return QString::number(arf_get_d(arb_midref(pi.get()), ARF_RND_NEAR));
#else
    return QStringLiteral("0");
#endif
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle("Minimal");
    window.resize(351, 250);
    if (!QApplication::arguments().contains("--blank")) {
        auto* text = new QLabel(firstText(), &window);
        text->move(12, 12);
    }
    window.show();
    return QApplication::exec();
}
