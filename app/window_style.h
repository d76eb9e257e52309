// The toolkit's own style with one change for the calculator's window.
#pragma once

#include <QProxyStyle>

class WindowStyle : public QProxyStyle {
public:
    // Wraps base, whose ownership passes to the new style.
    explicit WindowStyle(QStyle* base);

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;

    // Makes the application's style a WindowStyle around the style it has; once, before the
    // first window is built.
    static void install();
};
