#include <QApplication>

#include "app/form1.h"
#include "app/window_style.h"
#include "evaluator/vexa.h"

int main(int argc, char* argv[]) {
    // Qt asks once, at start-up, whether a screen reader runs, and joins the accessibility bus
    // only then: a screen reader started later would never reach the calculator. Join it
    // whenever there is one (a value already set is left as it is).
    if (!qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON")) {
        qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    }
    // The "?" menu is part of the fixed-size window. Offering it to a desktop-wide menu bar
    // would take it out of the window, and asking the desktop whether it has one costs a bus
    // round trip before the window can show.
    QApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tarnicle");
    QApplication::setApplicationVersion(TARNICLE_VERSION);
    // Lets a Wayland desktop match the window to its desktop entry and show the entry's icon.
    QApplication::setDesktopFileName(TARNICLE_APP_ID);
    WindowStyle::install();

    Form1 window(vexa::makeVexa(), std::make_unique<Desktop>());
    window.show();
    return QApplication::exec();
}
