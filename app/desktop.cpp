#include "app/desktop.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStringList>

#include "app/accessibility.h"

void Desktop::beep() {
    QApplication::beep();
}

bool Desktop::startDetached(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

void Desktop::announce(QWidget* window, const QString& text) {
    accessibility::announce(window, text);
}

void Desktop::showTextFile(QWidget* owner, const QString& path) {
    QFile file(path);
    const bool read = file.open(QIODevice::ReadOnly | QIODevice::Text);
    const QString text = read ? QString::fromUtf8(file.readAll())
                              : QString("%1 could not be read: %2")
                                    .arg(QFileInfo(path).absoluteFilePath(), file.errorString());
    auto* window = new QPlainTextEdit(owner);
    window->setWindowFlag(Qt::Window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setObjectName("helpText");
    window->setWindowTitle(QFileInfo(path).fileName());
    window->setReadOnly(true);
    // A caret that the arrows move, so that a screen reader reads the help line by line;
    // read-only alone leaves the arrows only scrolling, and nothing is heard past the first line.
    window->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    // The help lines its columns up with blanks.
    window->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    window->setLineWrapMode(QPlainTextEdit::NoWrap);
    window->setPlainText(text);
    const QFontMetrics metrics(window->font());
    window->resize(metrics.horizontalAdvance(QString(84, 'x')), metrics.lineSpacing() * 32);
    window->show();
    window->activateWindow();
}
