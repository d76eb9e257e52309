#include "app/menu_bar.h"

#include <QAccessible>
#include <QAction>
#include <QActionEvent>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QStyleOptionMenuItem>

#include <algorithm>

struct MenuBar::Metrics {
    int frame;   // the panel's frame width
    int hMargin; // before the first item
    int vMargin; // above and below the items
    int spacing; // before each item
};

MenuBar::MenuBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Minimum);
    setBackgroundRole(QPalette::Button);
    setMouseTracking(style()->styleHint(QStyle::SH_MenuBar_MouseTracking, nullptr, this));
    if (parent != nullptr) {
        parent->window()->installEventFilter(this); // for Alt
    }
}

MenuBar::Metrics MenuBar::metrics() const {
    const QStyle* s = style();
    return {s->pixelMetric(QStyle::PM_MenuBarPanelWidth, nullptr, this),
            s->pixelMetric(QStyle::PM_MenuBarHMargin, nullptr, this),
            s->pixelMetric(QStyle::PM_MenuBarVMargin, nullptr, this),
            s->pixelMetric(QStyle::PM_MenuBarItemSpacing, nullptr, this)};
}

QList<QRect> MenuBar::itemRects() const {
    const QList<QAction*> items = actions();
    QList<QRect> rects(items.size());
    const Metrics m = metrics();
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    int height = 0;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QAction* action = items[i];
        if (!action->isVisible() || action->isSeparator()) {
            continue;
        }
        QSize size;
        if (!action->icon().isNull()) {
            size = QSize(iconSize, iconSize);
        } else if (!action->text().isEmpty()) {
            size = fontMetrics().size(Qt::TextShowMnemonic, action->text());
        }
        QStyleOptionMenuItem option;
        initStyleOption(&option, action);
        size = style()->sizeFromContents(QStyle::CT_MenuBarItem, &option, size, this);
        if (!size.isEmpty()) {
            rects[i] = QRect(QPoint(0, 0), size);
            height = std::max(height, size.height());
        }
    }
    int x = m.frame + m.hMargin + m.spacing;
    for (QRect& rect : rects) {
        if (rect.isNull()) {
            continue;
        }
        rect = QStyle::visualRect(layoutDirection(), this->rect(),
                                  QRect(x, m.frame + m.vMargin, rect.width(), height));
        x += rect.width() + m.spacing;
    }
    return rects;
}

QRect MenuBar::actionGeometry(const QAction* action) const {
    const qsizetype index = actions().indexOf(action);
    return index < 0 ? QRect() : itemRects().at(index);
}

QAction* MenuBar::actionAt(QPoint point) const {
    const QList<QRect> rects = itemRects();
    for (qsizetype i = 0; i < rects.size(); ++i) {
        if (rects[i].contains(point)) {
            return actions().at(i);
        }
    }
    return nullptr;
}

void MenuBar::initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const {
    option->palette = palette();
    option->state = QStyle::State_None;
    if (isEnabled() && action->isEnabled()) {
        option->state |= QStyle::State_Enabled;
    } else {
        option->palette.setCurrentColorGroup(QPalette::Disabled);
    }
    option->fontMetrics = fontMetrics();
    if (current_ == action) {
        option->state |= QStyle::State_Selected;
        if (pressed_) {
            option->state |= QStyle::State_Sunken;
        }
    }
    if (hasFocus() || current_ != nullptr) {
        option->state |= QStyle::State_HasFocus;
    }
    option->menuRect = rect();
    option->menuItemType = QStyleOptionMenuItem::Normal;
    option->checkType = QStyleOptionMenuItem::NotCheckable;
    option->text = action->text();
    option->icon = action->icon();
}

QSize MenuBar::barSize(QSize contents) const {
    QStyleOptionMenuItem option;
    option.rect = rect();
    option.menuRect = rect();
    option.palette = palette();
    return style()->sizeFromContents(QStyle::CT_MenuBar, &option, contents, this);
}

QSize MenuBar::sizeHint() const {
    ensurePolished();
    const Metrics m = metrics();
    QSize size(0, 0);
    for (const QRect& rect : itemRects()) {
        if (!rect.isNull()) {
            size = size.expandedTo(QSize(rect.x() + rect.width(), rect.y() + rect.height()));
        }
    }
    size += QSize(m.frame + m.hMargin, m.frame + m.vMargin);
    return barSize(size);
}

QSize MenuBar::minimumSizeHint() const {
    ensurePolished();
    const Metrics m = metrics();
    QSize size(0, 0);
    for (const QRect& rect : itemRects()) {
        if (!rect.isNull()) {
            size = rect.size();
            break;
        }
    }
    size += QSize(2 * m.frame + m.hMargin, 2 * m.frame + m.vMargin);
    return barSize(size);
}

int MenuBar::heightForWidth(int) const {
    const Metrics m = metrics();
    int height = 0;
    for (const QRect& rect : itemRects()) {
        height = std::max(height, rect.height());
    }
    if (height > 0) {
        height += style()->styleHint(QStyle::SH_MainWindow_SpaceBelowMenuBar, nullptr, this);
    }
    height += 2 * (m.frame + m.vMargin);
    QStyleOptionMenuItem option;
    option.initFrom(this);
    option.menuRect = rect();
    option.state = QStyle::State_None;
    return style()->sizeFromContents(QStyle::CT_MenuBar, &option, QSize(0, height), this).height();
}

void MenuBar::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    QRegion emptyArea(rect());
    const QList<QAction*> items = actions();
    const QList<QRect> rects = itemRects();
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (rects[i].isEmpty() || !event->rect().intersects(rects[i])) {
            continue;
        }
        emptyArea -= rects[i];
        QStyleOptionMenuItem option;
        initStyleOption(&option, items[i]);
        option.rect = rects[i];
        painter.setClipRect(rects[i]);
        style()->drawControl(QStyle::CE_MenuBarItem, &option, &painter, this);
    }
    if (const int frame = metrics().frame; frame > 0) {
        QRegion border;
        border += QRect(0, 0, frame, height());
        border += QRect(width() - frame, 0, frame, height());
        border += QRect(0, 0, width(), frame);
        border += QRect(0, height() - frame, width(), frame);
        painter.setClipRegion(border);
        emptyArea -= border;
        QStyleOptionFrame panel;
        panel.rect = rect();
        panel.palette = palette();
        panel.state = QStyle::State_None;
        panel.lineWidth = frame;
        panel.midLineWidth = 0;
        style()->drawPrimitive(QStyle::PE_PanelMenuBar, &panel, &painter, this);
    }
    painter.setClipRegion(emptyArea);
    QStyleOptionMenuItem empty;
    empty.palette = palette();
    empty.state = QStyle::State_None;
    empty.menuItemType = QStyleOptionMenuItem::EmptyArea;
    empty.checkType = QStyleOptionMenuItem::NotCheckable;
    empty.rect = rect();
    empty.menuRect = rect();
    style()->drawControl(QStyle::CE_MenuBarEmptyArea, &empty, &painter, this);
}

void MenuBar::setCurrent(QAction* action, bool pressed, bool tell) {
    if (current_ == action && pressed_ == pressed) {
        return;
    }
    if (current_ != nullptr) {
        update(actionGeometry(current_));
    }
    pressed_ = pressed;
    current_ = action;
    if (action != nullptr && action->isEnabled()) {
        action->activate(QAction::Hover);
        update(actionGeometry(action));
        if (tell) {
            tellScreenReader();
        }
    }
}

void MenuBar::tellScreenReader() {
    // A screen reader follows the highlighted item as it follows the focus.
    if (current_ != nullptr && QAccessible::isActive()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(static_cast<int>(actions().indexOf(current_)));
        QAccessible::updateAccessibility(&focus);
    }
}

QAction* MenuBar::nextAction(const QAction* from, int step) const {
    const QList<QAction*> items = actions();
    const QList<QRect> rects = itemRects();
    // The keys stop on disabled items where the style lets them; the first item Alt reaches
    // may be disabled.
    const bool disabledToo =
        from == nullptr ||
        style()->styleHint(QStyle::SH_Menu_AllowActiveAndDisabled, nullptr, this) != 0;
    const auto count = items.size();
    const qsizetype start = from == nullptr ? (step > 0 ? count - 1 : 0) : items.indexOf(from);
    for (qsizetype n = 1; n <= count; ++n) {
        const qsizetype i = ((start + step * n) % count + count) % count;
        if (!rects[i].isNull() && (disabledToo || items[i]->isEnabled())) {
            return items[i];
        }
    }
    return nullptr;
}

void MenuBar::setKeyboardMode(bool on) {
    keyboard_ = on;
    if (on) {
        QWidget* focus = QApplication::focusWidget();
        if (focus != nullptr && focus != this) {
            focusBefore_ = focus;
        }
        if (current_ == nullptr) {
            setCurrent(nextAction(nullptr, 1), false, false);
        }
        setFocus(Qt::MenuBarFocusReason);
        // Qt has just told a screen reader that the bar took the focus: the item has it.
        tellScreenReader();
    } else {
        if (!pressed_) {
            setCurrent(nullptr, false);
        }
        if (focusBefore_ != nullptr && QApplication::focusWidget() == this) {
            focusBefore_->setFocus(Qt::MenuBarFocusReason);
        }
        focusBefore_ = nullptr;
    }
    update();
}

void MenuBar::stopWatchingAlt() {
    altPressed_ = false;
    qApp->removeEventFilter(this);
}

bool MenuBar::eventFilter(QObject* watched, QEvent* event) {
    // Alt pressed and released on its own, anywhere in the window, takes the keyboard to the
    // bar or back, when the style navigates menu bars so.
    if (!watched->isWidgetType() ||
        !style()->styleHint(QStyle::SH_MenuBar_AltKeyNavigation, nullptr, this)) {
        return false;
    }
    if (!altPressed_) {
        if (isVisible() && event->type() == QEvent::ShortcutOverride) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_Alt || key->key() == Qt::Key_Meta) &&
                (key->modifiers() & ~Qt::KeypadModifier) == Qt::AltModifier) {
                altPressed_ = true;
                qApp->installEventFilter(this);
            }
        }
        return false;
    }
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Alt || key->key() == Qt::Key_Meta) {
            if (event->type() == QEvent::KeyPress) {
                break; // the press itself; only its release counts
            }
            setKeyboardMode(!keyboard_);
        }
        stopWatchingAlt();
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::ActivationChange:
    case QEvent::Shortcut:
        stopWatchingAlt();
        break;
    default:
        break;
    }
    return false;
}

bool MenuBar::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        // Tab moves between the items while the bar has the keyboard, not on to the next control.
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
        break;
    }
    case QEvent::ShortcutOverride:
        // Esc leaves the bar rather than reaching the window.
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && current_ != nullptr) {
            event->accept();
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void MenuBar::keyPressEvent(QKeyEvent* event) {
    int key = event->key();
    if (isRightToLeft() && (key == Qt::Key_Left || key == Qt::Key_Right)) {
        key = key == Qt::Key_Left ? Qt::Key_Right : Qt::Key_Left;
    }
    if (key == Qt::Key_Tab) {
        key = Qt::Key_Right;
    } else if (key == Qt::Key_Backtab) {
        key = Qt::Key_Left;
    }
    bool consumed = false;
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Enter:
    case Qt::Key_Return:
    case Qt::Key_Space:
        if (current_ != nullptr &&
            style()->styleHint(QStyle::SH_MenuBar_AltKeyNavigation, nullptr, this)) {
            if (key != Qt::Key_Up && key != Qt::Key_Down) {
                if (current_->isEnabled()) {
                    current_->activate(QAction::Trigger);
                }
                setCurrent(current_, false);
                setKeyboardMode(false);
            }
            consumed = true;
        }
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (current_ != nullptr) {
            if (QAction* next = nextAction(current_, key == Qt::Key_Left ? -1 : 1)) {
                setCurrent(next, pressed_);
                consumed = true;
            }
        }
        break;
    case Qt::Key_Escape:
        setCurrent(nullptr, false);
        setKeyboardMode(false);
        consumed = true;
        break;
    default:
        break;
    }
    event->setAccepted(consumed);
}

void MenuBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    mouseDown_ = true;
    QAction* action = actionAt(event->position().toPoint());
    if (action == nullptr || !action->isEnabled()) {
        setCurrent(nullptr, false);
        return;
    }
    setCurrent(action, true);
}

void MenuBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !mouseDown_) {
        return;
    }
    mouseDown_ = false;
    QAction* action = actionAt(event->position().toPoint());
    // Highlighted until the mouse leaves; chosen only where the button went up.
    setCurrent(action, false);
    if (action != nullptr && action->isEnabled()) {
        action->activate(QAction::Trigger);
    }
}

void MenuBar::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        mouseDown_ = false;
        // A touch sends a move before its press: highlighting on it would flicker.
        if (event->source() != Qt::MouseEventNotSynthesized) {
            return;
        }
    }
    const bool held = pressed_ || mouseDown_;
    QAction* action = actionAt(event->position().toPoint());
    if (action != nullptr || !held) {
        setCurrent(action, held);
    }
}

void MenuBar::leaveEvent(QEvent*) {
    setCurrent(nullptr, false);
}

void MenuBar::focusInEvent(QFocusEvent*) {
    if (keyboard_ && current_ == nullptr) {
        setCurrent(nextAction(nullptr, 1), false);
    }
}

void MenuBar::focusOutEvent(QFocusEvent*) {
    if (!pressed_) {
        setCurrent(nullptr, false);
        setKeyboardMode(false);
    }
}

void MenuBar::actionEvent(QActionEvent*) {
    // Any change to the items ends the highlight: the highlighted one may be gone or hidden.
    current_ = nullptr;
    updateGeometry();
    update();
}

void MenuBar::changeEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::StyleChange:
        setMouseTracking(style()->styleHint(QStyle::SH_MenuBar_MouseTracking, nullptr, this));
        updateGeometry();
        break;
    case QEvent::FontChange:
    case QEvent::ApplicationFontChange:
        updateGeometry();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}
