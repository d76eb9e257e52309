#include "app/accessibility.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleWidget>
#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

// The hidden widget that carries announcements.
class Notice final : public QWidget {
public:
    using QWidget::QWidget;
};

// Makes the label of nameByLabel once accessibility is active; lives as long as the widget.
class LabelOnDemand final : public QObject, public QAccessible::ActivationObserver {
public:
    LabelOnDemand(QWidget* widget, const QString& name)
        : QObject(widget), widget_(widget), name_(name) {
        QAccessible::installActivationObserver(this);
        accessibilityActiveChanged(QAccessible::isActive());
    }
    ~LabelOnDemand() override { QAccessible::removeActivationObserver(this); }
    LabelOnDemand(const LabelOnDemand&) = delete;
    LabelOnDemand& operator=(const LabelOnDemand&) = delete;

    void accessibilityActiveChanged(bool active) override {
        if (active && !labelled_) {
            auto* label = new QLabel(name_, widget_->parentWidget());
            label->setBuddy(widget_);
            label->hide();
            labelled_ = true;
        }
    }

private:
    QWidget* widget_;
    QString name_;
    bool labelled_ = false;
};

// A menu bar item spoken by a name of its own. Qt's own item takes the name from the caption,
// and it cannot be told otherwise.
class NamedMenuItem final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    NamedMenuItem(QMenuBar* bar, QAction* action) : bar_(bar), action_(action) {}

    bool isValid() const override { return bar_ && action_; }
    QObject* object() const override { return action_; }
    QWindow* window() const override { return bar_ ? bar_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(bar_);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && action_ ? action_->property("accessibleName").toString()
                                                 : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid()) {
            return {};
        }
        const QRect place = bar_->actionGeometry(action_);
        return {bar_->mapToGlobal(place.topLeft()), place.size()};
    }
    QAccessible::Role role() const override { return QAccessible::MenuItem; }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.focusable = true;
        state.invisible = !bar_->isVisible() || !action_->isVisible();
        state.disabled = !action_->isEnabled();
        state.focused = bar_->activeAction() == action_;
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction() && action_) {
            action_->trigger();
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<QMenuBar> bar_;
    QPointer<QAction> action_;
};

QAccessibleInterface* interfaceFor(const QString& className, QObject* object) {
    if (className == QLatin1String("QAction")) {
        auto* action = qobject_cast<QAction*>(object);
        if (action == nullptr || !action->property("accessibleName").isValid()) {
            return nullptr;
        }
        for (QObject* shownIn : action->associatedObjects()) {
            if (auto* bar = qobject_cast<QMenuBar*>(shownIn)) {
                return new NamedMenuItem(bar, action);
            }
        }
        return nullptr;
    }
    if (className == QLatin1String("QWidget")) {
        if (auto* notice = dynamic_cast<Notice*>(object)) {
            return new QAccessibleWidget(notice, QAccessible::Notification);
        }
    }
    return nullptr;
}

} // namespace

namespace accessibility {

void install() {
    // Qt keeps a list of factories for the process; this one goes on it once.
    static const bool installed = [] {
        QAccessible::installFactory(interfaceFor);
        return true;
    }();
    (void)installed;
}

void nameByLabel(QWidget* widget, const QString& name) {
    new LabelOnDemand(widget, name);
}

void announce(QWidget* window, const QString& text) {
    // Notice has no meta-object of its own, so findChild would take any widget for one.
    const QObjectList& children = window->children();
    const auto found = std::find_if(children.begin(), children.end(), [](QObject* child) {
        return dynamic_cast<Notice*>(child) != nullptr;
    });
    auto* notice = found == children.end() ? nullptr : static_cast<Notice*>(*found);
    if (notice == nullptr) {
        notice = new Notice(window);
        notice->setObjectName("announcement");
        notice->hide();
    }
    notice->setAccessibleName(text);
    QAccessibleEvent shown(notice, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

} // namespace accessibility
