#include "app/window_style.h"

#include <QApplication>
#include <QIcon>

WindowStyle::WindowStyle(QStyle* base) : QProxyStyle(base) {}

QIcon WindowStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                const QWidget* widget) const {
    // Every menu bar builds an overflow button with this icon, which the toolkit reads from a
    // PNG file: that loads every image-format plugin at start-up. The window's one "?" item
    // never overflows, so the button never shows.
    if (icon == SP_ToolBarHorizontalExtensionButton || icon == SP_ToolBarVerticalExtensionButton) {
        return {};
    }
    return QProxyStyle::standardIcon(icon, option, widget);
}

void WindowStyle::install() {
    QApplication::setStyle(new WindowStyle(QApplication::style()));
}
