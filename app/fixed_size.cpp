#include "app/fixed_size.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QResizeEvent>
#include <QWidget>
#include <QWindow>

namespace {
// States in which a window takes the size the window system gives it.
constexpr Qt::WindowStates Large = Qt::WindowMaximized | Qt::WindowFullScreen;
} // namespace

FixedSize::FixedSize(QWidget* window) : QObject(window), window_(window) {
    window->installEventFilter(this);
}

void FixedSize::keep(QWidget* window) {
    // Elsewhere the window manager respects the fixed size, or is free to draw the window at any
    // size it likes.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        new FixedSize(window);
    }
}

bool FixedSize::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
    case QEvent::Show:
        connect(window_->windowHandle(), &QWindow::windowStateChanged, this,
                &FixedSize::stateRequested, Qt::UniqueConnection);
        break;
    case QEvent::WindowStateChange:
        if (window_->windowState() & Large) {
            enteredLargeState();
        }
        break;
    case QEvent::Resize:
        // Back in its normal state at its own size, as the compositor answered.
        if (!fixed_ && !(window_->windowState() & Large) &&
            static_cast<QResizeEvent*>(event)->size() == size_) {
            fix();
        }
        break;
    case QEvent::Paint:
        if (fixed_ && !(window_->windowState() & Large)) {
            paintedAtItsSize_ = true;
        }
        if (normalAfterFrame_) {
            normalAfterFrame_ = false;
            // Once this frame is out: a compositor takes the request for the normal state to
            // mean nothing while the window has shown no frame in the large one.
            QMetaObject::invokeMethod(
                this, [this] { window_->setWindowState(window_->windowState() & ~Large); },
                Qt::QueuedConnection);
        }
        break;
    default:
        break;
    }
    return false;
}

void FixedSize::stateRequested(Qt::WindowStates state) {
    // Qt's title bar asks for a large state here before the compositor answers: the window lets
    // go of its size, so as to take the one the compositor gives with that state. Only once the
    // events being delivered now are through: where the state came from the compositor instead,
    // the window is in it by then, and changing its size limits would show a frame.
    if (state & Large) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!(window_->windowState() & Large) && window_->updatesEnabled()) {
                    letGo();
                }
            },
            Qt::QueuedConnection);
    } else if (!fixed_ && window_->size() == size_) {
        fix(); // the compositor did not grant it
    }
}

void FixedSize::enteredLargeState() {
    // The toolkit has told the compositor that the window takes the state, and any frame of
    // another size than the state's breaks the protocol, which ends the program. Nothing is
    // painted until the window knows its new size, from events still being delivered now.
    if (!window_->updatesEnabled()) {
        return; // already waiting
    }
    window_->setUpdatesEnabled(false);
    QMetaObject::invokeMethod(this, &FixedSize::leaveLargeState, Qt::QueuedConnection);
}

void FixedSize::leaveLargeState() {
    const bool tookTheSize = !fixed_ && window_->size() != size_;
    if (!paintedAtItsSize_) {
        // Put back into the large state before it was shown at its own size again: the
        // compositor insists, and has its way.
        window_->setUpdatesEnabled(true);
        return;
    }
    paintedAtItsSize_ = false;
    if (tookTheSize) {
        // Shown at the state's size for a frame, the window asks for its normal state: the
        // compositor gives it back its size and its place.
        normalAfterFrame_ = true;
        window_->setUpdatesEnabled(true);
        return;
    }
    // The state came from the compositor, and the toolkit kept the window at its size. Hidden
    // and shown again, the window starts afresh in its normal state, where the compositor
    // places new windows; its controls keep all they hold. Hidden and shown as a plain window:
    // a dialog, when shown, also gives its focused control the focus as if tabbed into, which
    // would select all of the expression.
    window_->QWidget::setVisible(false);
    window_->setWindowState(window_->windowState() & ~Large);
    fix();
    window_->QWidget::setVisible(true);
    window_->setUpdatesEnabled(true);
}

void FixedSize::letGo() {
    if (!fixed_) {
        return;
    }
    size_ = window_->size();
    fixed_ = false;
    window_->layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
    window_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

void FixedSize::fix() {
    fixed_ = true;
    window_->layout()->setSizeConstraint(QLayout::SetFixedSize);
}
