// What the window asks of the desktop beyond its own controls. Tests replace it to count
// beeps and to see which program the help command would start, without starting it.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

class Desktop {
public:
    virtual ~Desktop() = default;
    virtual void beep();
    // Starts a program detached from ours, by argument list (no shell); false if it could not.
    virtual bool startDetached(const QString& program, const QStringList& arguments);
    // Has a screen reader speak text now, on behalf of window.
    virtual void announce(QWidget* window, const QString& text);
    // Shows a text file in a plain read-only window of our own, owned by owner; where the file
    // cannot be read, the window says so.
    virtual void showTextFile(QWidget* owner, const QString& path);
};
