// The toolkit's own style with two changes for the calculator's window.
#pragma once

#include <QProxyStyle>

class WindowStyle : public QProxyStyle {
public:
    // Wraps base, whose ownership passes to the new style.
    explicit WindowStyle(QStyle* base);

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;

    // Makes the application's style a WindowStyle around the style it has; once, before the
    // first window is built.
    static void install();
};
