// Keeps a window of fixed size at its size where a Wayland compositor maximizes it or fills the
// screen with it. Qt 6.4's own title bar there offers to maximize any window, whatever its size
// limits, and a compositor may do it by itself.
#pragma once

#include <QObject>
#include <QSize>

class QWidget;

class FixedSize final : public QObject {
public:
    // Watches window, whose layout fixes its size, for as long as it exists; off Wayland it
    // does nothing.
    static void keep(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit FixedSize(QWidget* window);
    // The window's handle has taken (or been asked for) state.
    void stateRequested(Qt::WindowStates state);
    void enteredLargeState();
    void leaveLargeState();
    void letGo();
    void fix();

    QWidget* window_;
    QSize size_;                    // the window's own size, while it is let go
    bool fixed_ = true;             // the layout fixes the window's size
    bool paintedAtItsSize_ = false; // since it last left a large state
    bool normalAfterFrame_ = false; // asks for the normal state once a frame is painted
};
