// The window's menu bar: items that act as soon as they are chosen, with no drop-down menus.
// It looks and answers like the toolkit's own menu bar (the style draws it as one; a click,
// Alt and the arrow keys, Enter and Esc work as there; a screen reader finds a menu bar with
// menu items), without the machinery for drop-down menus, an overflow button and a desktop-wide
// menu bar, which costs about half a MiB of code at start-up and which a bar without menus
// never runs. Items have no mnemonics.
#pragma once

#include <QPointer>
#include <QWidget>

class QAction;
class QStyleOptionMenuItem;

class MenuBar final : public QWidget {
    Q_OBJECT

public:
    explicit MenuBar(QWidget* parent);

    // The highlighted item (under the mouse, or chosen with the keyboard), if any.
    QAction* activeAction() const { return current_; }
    QRect actionGeometry(const QAction* action) const;
    QAction* actionAt(QPoint point) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    int heightForWidth(int width) const override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void actionEvent(QActionEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Metrics;
    Metrics metrics() const;
    // The place of each visible item, in the order of actions(); null for a hidden one.
    QList<QRect> itemRects() const;
    void initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const;
    // The whole bar's size for items that take contents, as the style frames it.
    QSize barSize(QSize contents) const;
    // Highlights action (none for nullptr), sunken while pressed; tells a screen reader unless
    // told not to.
    void setCurrent(QAction* action, bool pressed, bool tell = true);
    void tellScreenReader();
    void setKeyboardMode(bool on);
    // The next item the keys can reach from from (the first one for nullptr) in direction step
    // (+1 or -1), wrapping round.
    QAction* nextAction(const QAction* from, int step) const;
    void stopWatchingAlt();

    QPointer<QAction> current_;
    bool pressed_ = false;   // the item is held down: drawn sunken
    bool mouseDown_ = false; // the left button went down on the bar
    bool keyboard_ = false;  // Alt gave the bar the focus to choose an item with keys
    bool altPressed_ = false;
    QPointer<QWidget> focusBefore_; // where the focus returns when the keys are done
};
