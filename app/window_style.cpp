#include "app/window_style.h"

#include <QApplication>

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

void WindowStyle::install() {
    QApplication::setStyle(new WindowStyle(QApplication::style()));
}
