// Computing: "=", the function keys, the history and the angle unit.
#include "app/form1.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStringListModel>
#include <QStringView>

#include <cmath>
#include <new>
#include <optional>
#include <stdexcept>

#include "evaluator/number_text.h"
#include "evaluator/vexa.h"

namespace {

// The list's indices are 16-bit, so this is as many entries as it can hold.
constexpr int HistoryLimit = 32767;

// Failures that are not the evaluator's carry these numbers.
constexpr qint32 OutOfMemory = 7;
constexpr qint32 Overflow = 6;
constexpr qint32 OutOfRange = 9;

struct FailureInfo {
    qint32 number = 0; // 0: the failure carries no number
    QString description;
};

// Reads the failure being handled; must be called inside a catch block.
FailureInfo currentFailure() {
    try {
        throw;
    } catch (const vexa::Failure& failure) {
        return {failure.Number(), QString::fromStdU16String(failure.Description())};
    } catch (const std::bad_alloc&) {
        return {OutOfMemory, QStringLiteral("Out of memory")};
    } catch (const std::out_of_range&) {
        return {OutOfRange, QStringLiteral("Subscript out of range")};
    } catch (...) {
        return {};
    }
}

std::u16string_view view(const QString& text) {
    return {QStringView(text).utf16(), static_cast<std::size_t>(text.size())};
}

} // namespace

void Form1::CommandCompute_Click() {
    const QString text = ExpressionCombo->currentText();
    EvaluateExpression(text);
}

void Form1::EvaluateExpression(const QString& expr) {
    if (expr.isEmpty()) {
        return;
    }
    evaluateSteps(expr);
    announceOutcome();
}

void Form1::evaluateSteps(const QString& expr) {
    std::optional<double> result;
    for (int step = 2; step <= 7; ++step) {
        try {
            switch (step) {
            case 2:
                Status->setText(QString());
                break;
            case 3:
                Vexa1->Expressions().Item(0).setText(view(expr));
                break;
            case 4:
                Vexa1->Expressions().Item(0).Compile();
                break;
            case 5: {
                const double value = Vexa1->Expressions().Item(0).Evaluate();
                if (!std::isfinite(value)) {
                    throw vexa::Failure(Overflow, u"The result is not a finite number");
                }
                result = value;
                break;
            }
            case 6:
                AddToHistory(expr);
                break;
            case 7:
                // After a resumed failure of step 5 there is no result: the box keeps its text.
                if (result) {
                    ExpressionCombo->setEditText(
                        QString::fromStdU16String(vexa::formatResultU16(*result)));
                }
                break;
            }
        } catch (...) {
            desktop_->beep(); // first, whatever reading the failure may do
            const FailureInfo failure = currentFailure();
            if (Vexa1->LastError().Number != 0) {
                Status->setText(QString::fromStdU16String(Vexa1->LastError().Description));
                if (Vexa1->LastError().Kind == 0) {
                    Status->setText(Status->text() + " at pos. " +
                                    QString::number(Vexa1->LastError().Position));
                }
                return;
            }
            if (failure.number != 0) {
                Status->setText(failure.description);
                return;
            }
            Status->setText("Unknown error");
            // ...and resume with the next step.
        }
    }
}

// A screen reader hears the outcome: the message after a failure, the result after a success.
// It reads the focused box's text by itself whenever the box is given one, the same text
// included, so that one is not said twice.
void Form1::announceOutcome() {
    const QString message = Status->text();
    if (!message.isEmpty()) {
        desktop_->announce(this, message);
    } else if (!ExpressionCombo->hasFocus()) {
        desktop_->announce(this, ExpressionCombo->currentText());
    }
}

void Form1::AddToHistory(const QString& S) {
    // Changing the list can make the combo box select an entry and copy it into the text
    // (the first entry, or a neighbour of a removed current entry): the text must not change.
    const QString text = ExpressionCombo->currentText();
    if (history_ == nullptr) {
        // A plain list of texts, so that the duplicate check of a full history is a tight loop
        // over strings rather than a model query per entry. Made with the first entry: until
        // then the box's own list serves, and start-up loads no code for this one. The box
        // keeps its entries and its current entry.
        QStringList entries;
        for (int i = 0; i < ExpressionCombo->count(); ++i) {
            entries << ExpressionCombo->itemText(i);
        }
        const int current = ExpressionCombo->currentIndex();
        history_ = new QStringListModel(entries, ExpressionCombo);
        ExpressionCombo->setModel(history_);
        ExpressionCombo->setCurrentIndex(current);
    }
    // Whole texts, compared exactly (case and blanks included).
    if (!history_->stringList().contains(S, Qt::CaseSensitive)) {
        const int count = ExpressionCombo->count();
        if (count >= HistoryLimit) {
            ExpressionCombo->removeItem(count - 1);
        }
        ExpressionCombo->insertItem(0, S);
        // Each insertion moves the current entry down to an older one; with none, Down and the
        // opened list start at the newest entry. Clearing it clears the text as well.
        ExpressionCombo->setCurrentIndex(-1);
    }
    if (ExpressionCombo->currentText() != text) {
        ExpressionCombo->setEditText(text);
    }
}

void Form1::ButtonUnary_Click(qint16 Index) {
    const QString name = FunctionNames.at(static_cast<std::size_t>(Index));
    ApplyFunction(name);
}

void Form1::ApplyFunction(const QString& F) {
    const QString text = ExpressionCombo->currentText();
    if (text.isEmpty()) {
        return;
    }
    EvaluateExpression(F + "(" + text + ")");
}

void Form1::OptionDegRad_Click(qint16 Index) {
    const std::int32_t unit = Index == 0 ? vexa::Degrees : Index == 1 ? vexa::Radians : vexa::Grads;
    Vexa1->setAngleUnit(unit);
}
