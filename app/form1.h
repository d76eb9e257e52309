// The calculator's one window: its controls, the evaluator it owns and every handler.
// The handlers are defined in the folder of their subsystem (entry/, eval/, help/).
#pragma once

#include <QDialog>
#include <QString>

#include <array>
#include <memory>
#include <span>
#include <variant>
#include <vector>

#include "app/desktop.h"

namespace vexa {
class Vexa;
}

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QMenuBar;
class QAction;
class QPushButton;
class QStringListModel;
class QRadioButton;
class QWidget;

// A QDialog with the Qt::Window flag, because only a dialog gives "=" the default-button
// behaviour of Enter while a focused key still answers Enter itself.
class Form1 : public QDialog {
public:
    // The window owns the evaluator and the desktop seam; it runs Form_Load before returning.
    explicit Form1(std::unique_ptr<vexa::Vexa> evaluator, std::unique_ptr<Desktop> desktop,
                   QWidget* parent = nullptr);
    ~Form1() override;

    // Computes expr through the evaluator; shows the result in the box or the error in Status.
    void EvaluateExpression(const QString& expr);

    // One row of the window's control table; positions and sizes are in twips.
    enum class ControlKind { PushButton, DefaultButton, OptionButton, ComboBox, TextBox };
    using PlainHandler = void (Form1::*)();
    using IndexedHandler = void (Form1::*)(qint16);
    struct ControlRow {
        const char* name;
        int index; // -1 for a control that is not in an array
        ControlKind kind;
        const char* caption;
        int left, top, width, height;
        const char* spokenName;
        std::variant<std::monostate, PlainHandler, IndexedHandler> handler;
    };
    static constexpr int TwipsPerPixel = 15;
    // Wide enough for "Deg" (to 5295) and as far again as the keys stand from the left edge.
    static constexpr int ClientWidthTwips = 5415;
    static constexpr int ClientHeightTwips = 3390;

    // How much larger than drawn the window is: the least that shows every caption and both
    // boxes whole in the running style and font, and never less than 1.
    double layoutScale() const { return scale_; }

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void AddToHistory(const QString& S);
    void Form_Load();
    void mnuHelp_Click();
    void NumberButton_Click(qint16 Index);
    void ButtonBS_Click();
    void ButtonPlus_Click();
    void ButtonMinus_Click();
    void ButtonMult_Click();
    void ButtonDiv_Click();
    void ButtonE_Click();
    void ClearButton_Click();
    void ButtonLPar_Click();
    void ButtonRPar_Click();
    void ButtonDot_Click();
    void ButtonUnary_Click(qint16 Index);
    void CommandCompute_Click();
    void ApplyFunction(const QString& F);
    void ButtonXtoY_Click();
    void OptionDegRad_Click(qint16 Index);

    // The controls in tab order, one row each (app/layout.cpp).
    static std::span<const ControlRow> controlTable();
    // Makes, names, connects and orders the controls; returns them in the table's order.
    std::vector<QWidget*> createControls();
    static double scaleFor(std::span<QWidget* const> controls);
    // The one conversion from twips to pixels: 15 twips a pixel, times the layout's scale.
    static int pixels(int twips, double scale);
    void placeControls(std::span<QWidget* const> controls);
    void connectOptions();
    // Gives Status the window's background, as a message line rather than an input field.
    void matchStatusToWindow();
    void appendToExpression(QLatin1StringView tail);
    // Steps 2 to 7 of EvaluateExpression with their failure section (eval/).
    void evaluateSteps(const QString& expr);
    void announceOutcome();
    // Runs one handler as the event loop would: a failure it does not handle ends here.
    template <typename F> void deliver(F&& handler) noexcept;

    std::unique_ptr<vexa::Vexa> Vexa1;
    std::unique_ptr<Desktop> desktop_;
    std::array<QString, 13> FunctionNames;

    QMenuBar* menuBar_ = nullptr;
    QAction* mnuHelp = nullptr;
    QWidget* client_ = nullptr;
    double scale_ = 1;
    QComboBox* ExpressionCombo = nullptr;
    QStringListModel* history_ = nullptr; // the box's list, newest first; made by AddToHistory
    QLineEdit* Status = nullptr;
    QPushButton* CommandCompute = nullptr;
    std::array<QRadioButton*, 3> OptionDegRad{};
    QButtonGroup* optionGroup_ = nullptr;
    // The option whose toggle already ran the handler during the current press-and-click.
    int toggledOption_ = -1;
};

template <typename F> void Form1::deliver(F&& handler) noexcept {
    try {
        handler();
    } catch (...) {
        // Dropped on purpose: the window stays usable and nothing is logged.
    }
}
