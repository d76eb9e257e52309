#include "app/form1.h"

#include <QStringList>

void Form1::mnuHelp_Click() {
    // The help file is found relative to the working directory, not to the program's folder.
    // A viewer that starts is never waited for, and a missing file is its business. Where no
    // viewer can start at all, the help shows in a window of our own.
#ifdef Q_OS_WIN
    const QString viewer = QStringLiteral("notepad");
    const QString help = QStringLiteral("..\\..\\Tarnicle.txt");
#else
    const QString viewer = QStringLiteral("xdg-open");
    const QString help = QStringLiteral("../../Tarnicle.txt");
#endif
    if (!desktop_->startDetached(viewer, {help})) {
        desktop_->showTextFile(this, help);
    }
}
