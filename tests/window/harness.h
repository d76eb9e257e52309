// Builds a window around a real or scripted evaluator and a recording desktop, and finds
// its controls the way a user sees them: by name and index.
#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QTest>

#include <memory>
#include <utility>
#include <vector>

#include "app/form1.h"
#include "evaluator/vexa.h"
#include "fake_vexa.h"

// Records what the window asks of the desktop; starts nothing, but announces and shows text
// windows as the real desktop does, since both stay inside the process.
struct RecordingDesktop final : Desktop {
    int beeps = 0;
    std::vector<std::pair<QString, QStringList>> started;
    bool viewerStarts = true; // what starting a program answers
    QStringList announced;
    QStringList textFiles;
    void beep() override { ++beeps; }
    bool startDetached(const QString& program, const QStringList& arguments) override {
        started.emplace_back(program, arguments);
        return viewerStarts;
    }
    void announce(QWidget* window, const QString& text) override {
        announced << text;
        Desktop::announce(window, text);
    }
    void showTextFile(QWidget* owner, const QString& path) override {
        textFiles << path;
        Desktop::showTextFile(owner, path);
    }
};

class Window {
public:
    // A window around our own evaluator.
    Window() : Window(vexa::makeVexa(), nullptr) {}
    // A window around a scripted evaluator, prepared by setup before the window loads.
    template <typename Setup> static Window withFake(Setup&& setup) {
        auto fake = std::make_unique<FakeVexa>();
        FakeVexa* raw = fake.get();
        setup(*raw);
        return Window(std::move(fake), raw);
    }
    Window(Window&&) = default;

    FakeVexa& fake() const { return *fake_; }
    RecordingDesktop& desktop() const { return *desktop_; }
    Form1& form() const { return *form_; }

    QComboBox* combo() const { return form_->findChild<QComboBox*>("ExpressionCombo"); }
    QLineEdit* status() const { return form_->findChild<QLineEdit*>("Status"); }
    QPushButton* key(const char* name, int index = -1) const {
        for (auto* button : form_->findChildren<QPushButton*>(name)) {
            if (index < 0 || button->property("index").toInt() == index) {
                return button;
            }
        }
        return nullptr;
    }
    QRadioButton* option(int index) const {
        for (auto* button : form_->findChildren<QRadioButton*>("OptionDegRad")) {
            if (button->property("index").toInt() == index) {
                return button;
            }
        }
        return nullptr;
    }

    // Shows the window and makes it active, as the window system would for a user.
    bool showActive() const {
        form_->show();
        form_->activateWindow();
        return QTest::qWaitForWindowActive(form_.get());
    }

    QString text() const { return combo()->currentText(); }
    void setText(const QString& text) const { combo()->setEditText(text); }
    QStringList history() const {
        QStringList entries;
        for (int i = 0; i < combo()->count(); ++i) {
            entries << combo()->itemText(i);
        }
        return entries;
    }
    void click(QAbstractButton* button) const {
        QVERIFY(button != nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void compute() const { click(key("CommandCompute")); }
    // Types text into the box and computes it with "=".
    void compute(const QString& text) const {
        setText(text);
        compute();
    }

private:
    Window(std::unique_ptr<vexa::Vexa> evaluator, FakeVexa* fake)
        : fake_(fake), desktop_(new RecordingDesktop) {
        form_ = std::make_unique<Form1>(std::move(evaluator), std::unique_ptr<Desktop>(desktop_));
    }
    FakeVexa* fake_ = nullptr;
    RecordingDesktop* desktop_ = nullptr;
    std::unique_ptr<Form1> form_;
};
