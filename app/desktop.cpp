#include "app/desktop.h"

#include <QApplication>
#include <QProcess>
#include <QStringList>

void Desktop::beep() {
    QApplication::beep();
}

bool Desktop::startDetached(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}
