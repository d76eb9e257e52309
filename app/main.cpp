#include <QApplication>

#include "app/form1.h"
#include "evaluator/vexa.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tarnicle");
    QApplication::setApplicationVersion(TARNICLE_VERSION);

    Form1 window(vexa::makeVexa(), std::make_unique<Desktop>());
    window.show();
    return QApplication::exec();
}
