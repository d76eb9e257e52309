#include "app/form1.h"

#include <QStringList>

void Form1::mnuHelp_Click() {
    // The help file is found relative to the working directory, not to the program's folder.
    // A viewer that cannot be started, or a missing file, is the desktop's business: the
    // calculator reports nothing and carries on.
#ifdef Q_OS_WIN
    desktop_->startDetached(QStringLiteral("notepad"), {QStringLiteral("..\\..\\Tarnicle.txt")});
#else
    desktop_->startDetached(QStringLiteral("xdg-open"), {QStringLiteral("../../Tarnicle.txt")});
#endif
}
