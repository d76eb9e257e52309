// What the window asks of the desktop beyond its own controls. Tests replace it to count
// beeps and to see which program the help command would start, without starting it.
#pragma once

#include <QString>
#include <QStringList>

class Desktop {
public:
    virtual ~Desktop() = default;
    virtual void beep();
    // Starts a program detached from ours, by argument list (no shell); false if it could not.
    virtual bool startDetached(const QString& program, const QStringList& arguments);
};
