#include "app/window_style.h"

#include <QApplication>

#include <QIcon>
#include <QStyleOptionButton>
#include <algorithm>

WindowStyle::WindowStyle(QStyle* base) : QProxyStyle(base) {}

int WindowStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                             const QWidget* widget) const {
    const int value = QProxyStyle::pixelMetric(metric, option, widget);
    // The layout gives "Rad" and "Deg" a pixel less than their captions need after the usual
    // gap behind the mark; drawn at a higher resolution, their last letter lost its stem.
    if (metric == PM_RadioButtonLabelSpacing) {
        return std::max(0, value - 2);
    }
    return value;
}

void WindowStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const {
    // Likewise "10^x" needs a pixel more than a small key leaves inside its frame.
    if (const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
        button != nullptr && element == CE_PushButtonLabel) {
        QStyleOptionButton wider(*button);
        wider.rect.adjust(-1, 0, 1, 0);
        QProxyStyle::drawControl(element, &wider, painter, widget);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

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
