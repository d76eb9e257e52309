// A long random session of clicks, keystrokes, typing, pastes and picks from the history,
// checked after every action against a small model of what the window must show: the text the
// keys make, the history, the message line and the beeps. Each run prints its seed when it
// fails; TARNICLE_MODEL_SEED replays one seed in every run.
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QSet>
#include <QStyledItemDelegate>
#include <QTest>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>

#include "evaluator/number_text.h"
#include "harness.h"

namespace {

using Outcome = FakeVexa::Outcome;

// The box holds this many 16-bit units, and the history this many entries.
constexpr int BoxLimit = 32767;
constexpr int HistoryLimit = 32767;

const QString NotFinite = QStringLiteral("The result is not a finite number");

// What the window must show, kept the simple way: a list for the history (newest first) with
// a set beside it for the duplicate test.
struct Model {
    QString text = QStringLiteral("sin(pi/4)");
    QString status;
    QStringList history;
    QSet<QString> entries;
    int current = -1;    // the box's current history entry: the one Up and Down step from
    bool edited = false; // the text was set since the box last reported its editing finished
    int beeps = 0;
    int helpStarts = 0;
    int option = 1; // "Rad" after a start in radians
    std::int32_t unit = vexa::Radians;

    // Whatever is put into the box is cut at its limit; that may split a surrogate pair.
    void setText(const QString& value) {
        text = value.left(BoxLimit);
        edited = true;
    }
    // The user's editing counts only where it changes the text.
    void edit(const QString& value) {
        const QString cut = value.left(BoxLimit);
        edited = edited || cut != text;
        text = cut;
    }

    // The computation of expr, whose evaluator answers with outcome.
    void compute(const QString& expr, const Outcome& outcome) {
        if (expr.isEmpty()) {
            return;
        }
        status.clear();
        const bool fails = outcome.type != Outcome::Type::Value;
        // Compiling: a failure without a number goes on to evaluating.
        if (fails && outcome.atCompile && !failed(outcome)) {
            return;
        }
        // Evaluating: a failure without a number goes on without a result.
        std::optional<double> result;
        if (fails && !outcome.atCompile) {
            if (!failed(outcome)) {
                return;
            }
        } else if (!std::isfinite(outcome.value)) {
            ++beeps; // the window's own failure, with a number
            status = NotFinite;
            return;
        } else {
            result = outcome.value;
        }
        if (!entries.contains(expr)) {
            if (history.size() >= HistoryLimit) {
                entries.remove(history.takeLast());
            }
            history.prepend(expr);
            entries.insert(expr);
            current = -1;  // Down goes to the newest entry
            edited = true; // the insertion clears the text, which is then put back
        }
        if (result) {
            setText(QString::fromStdString(vexa::formatResult(*result)));
        }
    }

    // Enter in the box: an entry equal to the text becomes the current one (the text stays).
    void editingFinished() {
        if (!text.isEmpty() && (current < 0 || history[current] != text)) {
            const auto index = history.indexOf(text);
            if (index >= 0) {
                current = static_cast<int>(index);
            }
        }
        edited = false;
    }
    // The focus leaving the box finishes the editing only if the text was set since the last
    // time.
    void focusLeavesBox() {
        if (edited) {
            editingFinished();
        }
    }

    // Up (-1) or Down (+1) in the box: the neighbouring entry, if there is one, replaces the text.
    void recall(int step) {
        const int next = current + step;
        if (next >= 0 && next < history.size()) {
            current = next;
            setText(history[current]);
        }
    }

    // Beeps and shows the failure; true when the computation goes on with the next step.
    bool failed(const Outcome& outcome) {
        ++beeps;
        switch (outcome.type) {
        case Outcome::Type::EvaluatorError:
            status = QString::fromStdU16String(outcome.error.Description);
            if (outcome.error.Kind == 0) {
                status += " at pos. " + QString::number(outcome.error.Position);
            }
            return false;
        case Outcome::Type::NumberedFailure:
            status = QString::fromStdU16String(outcome.error.Description);
            return false;
        case Outcome::Type::UnnumberedFailure:
            status = QStringLiteral("Unknown error");
            return true;
        case Outcome::Type::Value:
            break;
        }
        return true;
    }
};

// What our own evaluator makes of a text, as an outcome the model understands.
class Oracle {
public:
    Oracle() : slot_(&vexa_->Expressions().Add(u"Ex1", u"", u"")) {}

    Outcome outcome(const QString& text, std::int32_t unit) {
        vexa_->setAngleUnit(unit);
        slot_->setText(text.toStdU16String());
        bool compiling = true;
        try {
            slot_->Compile();
            compiling = false;
            return FakeVexa::value(slot_->Evaluate());
        } catch (const vexa::Failure&) {
            const vexa::ErrorInfo& error = vexa_->LastError();
            return FakeVexa::evaluatorError(error.Number, error.Description, error.Position,
                                            error.Kind, compiling);
        }
    }

private:
    std::unique_ptr<vexa::Vexa> vexa_ = vexa::makeVexa();
    vexa::Expression* slot_;
};

enum class Action {
    Digit,
    Operator,
    Power,
    Backspace,
    ClearAll,
    Root,
    FunctionKey,
    Compute,
    EnterInBox,
    Option,
    Help,
    TypeAscii,
    TypeExpression,
    TypeUnicode,
    Paste,
    BackspaceInBox,
    PickHistory,
    RecallInBox,
    MoveCaret,
};

// How often each action comes, out of the sum of all weights.
constexpr std::pair<Action, int> actionWeights[] = {
    {Action::Digit, 12},          {Action::Operator, 12},   {Action::Power, 2},
    {Action::Backspace, 5},       {Action::ClearAll, 4},    {Action::Root, 1},
    {Action::FunctionKey, 6},     {Action::Compute, 9},     {Action::EnterInBox, 4},
    {Action::Option, 3},          {Action::Help, 1},        {Action::TypeAscii, 6},
    {Action::TypeExpression, 10}, {Action::TypeUnicode, 5}, {Action::Paste, 1},
    {Action::BackspaceInBox, 3},  {Action::PickHistory, 5}, {Action::RecallInBox, 4},
    {Action::MoveCaret, 3},
};

struct OperatorKey {
    const char* name;
    const char* text;
};
constexpr OperatorKey operatorKeys[] = {
    {"ButtonPlus", "+"}, {"ButtonMinus", "-"}, {"ButtonMult", "*"}, {"ButtonDiv", "/"},
    {"ButtonLPar", "("}, {"ButtonRPar", ")"},  {"ButtonDot", "."},  {"ButtonE", "e"},
};

// Function keys by index, with the name each hands to the evaluator; there is no key 3.
const QStringList functionNames{"sin",   "cos",  "tan",    "cot",  "log",  "log10", "exp",
                                "pow10", "sqrt", "square", "asin", "acos", "atan"};

class Session {
public:
    Session(Window& window, std::uint64_t seed, bool fake)
        : w_(window), random_(seed), fake_(fake) {}

    Model& model() { return model_; }
    // The outcome the fake evaluator answers with next (fake runs only).
    Outcome& nextOutcome() { return next_; }

    // Runs one random action; false with a message when the window and the model part ways.
    bool step(int index, QString& message) {
        const Action action = pickAction();
        const std::size_t evaluatorCalls = fake_ ? w_.fake().texts.size() : 0;
        expectedText_.reset();
        // A click on a key or an option takes the focus out of the box.
        if (clicksAButton(action) && box()->hasFocus()) {
            model_.focusLeavesBox();
        }
        QString done = perform(action);
        recent_.append(QString::number(index) + ": " + done);
        if (recent_.size() > 6) {
            recent_.removeFirst();
        }
        message = compare(evaluatorCalls, index % 256 == 0);
        return message.isEmpty();
    }

    QString recentActions() const { return recent_.join("\n  "); }
    // After the last action: everything, the whole history included.
    bool compareAll(QString& message) {
        expectedText_.reset();
        message = compare(fake_ ? w_.fake().texts.size() : 0, true);
        return message.isEmpty();
    }

    // Fills the history to n entries the way a long session would have, without computing.
    void preloadHistory(int n) {
        QStringList entries;
        for (int i = 0; i < n; ++i) {
            entries << QStringLiteral("%1+0").arg(n - i);
        }
        w_.combo()->addItems(entries);
        model_.history = entries;
        model_.entries = QSet<QString>(entries.begin(), entries.end());
        // Adding to an empty list makes the first entry the current one and copies it into the
        // box.
        model_.current = 0;
        w_.setText(model_.text);
        model_.edited = true;
    }

private:
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    Action pickAction() {
        int total = 0;
        for (const auto& [action, weight] : actionWeights) {
            total += weight;
        }
        int pick = below(total);
        for (const auto& [action, weight] : actionWeights) {
            if (pick < weight) {
                return action;
            }
            pick -= weight;
        }
        return Action::Digit;
    }

    QLineEdit* box() const { return w_.combo()->lineEdit(); }

    static bool clicksAButton(Action action) {
        switch (action) {
        case Action::Digit:
        case Action::Operator:
        case Action::Power:
        case Action::Backspace:
        case Action::ClearAll:
        case Action::Root:
        case Action::FunctionKey:
        case Action::Compute:
        case Action::Option:
            return true;
        default:
            return false;
        }
    }

    // The evaluator's answer to the text the window is about to compute: the fake draws one
    // at random, our own evaluator is asked through a second instance.
    Outcome expect(const QString& expr) {
        if (!fake_) {
            return oracle_.outcome(expr, model_.unit);
        }
        next_ = randomOutcome();
        expectedText_ = expr;
        return next_;
    }

    void computeInModel(const QString& expr) {
        if (expr.isEmpty()) {
            return;
        }
        model_.compute(expr, expect(expr));
    }

    QString perform(Action action) {
        switch (action) {
        case Action::Digit: {
            const int digit = below(10);
            w_.click(w_.key("NumberButton", digit));
            model_.setText(model_.text + QString::number(digit));
            return "digit " + QString::number(digit);
        }
        case Action::Operator: {
            const OperatorKey& key = operatorKeys[below(std::size(operatorKeys))];
            w_.click(w_.key(key.name));
            model_.setText(model_.text + key.text);
            return QString("key ") + key.text;
        }
        case Action::Power:
            w_.click(w_.key("ButtonXtoY"));
            model_.setText("pow (" + model_.text + ",");
            return "x^y";
        case Action::Backspace:
            w_.click(w_.key("ButtonBS"));
            model_.setText(withoutLastCharacter(model_.text));
            return "C";
        case Action::ClearAll:
            w_.click(w_.key("ClearButton"));
            model_.setText({});
            model_.status.clear();
            return "AC";
        case Action::Root:
            w_.click(w_.key("ButtonRoot"));
            return "root";
        case Action::FunctionKey: {
            int index = below(12);
            index += index >= 3 ? 1 : 0;
            const QString text = model_.text;
            if (!text.isEmpty()) {
                computeInModel(functionNames[index] + "(" + text + ")");
            }
            w_.click(w_.key("ButtonUnary", index));
            return "function " + functionNames[index];
        }
        case Action::Compute:
            computeInModel(model_.text);
            w_.compute();
            return "=";
        case Action::EnterInBox:
            model_.editingFinished(); // before the dialog's default button computes
            computeInModel(model_.text);
            box()->setFocus();
            QTest::keyClick(box(), below(2) == 0 ? Qt::Key_Return : Qt::Key_Enter);
            return "Enter in the box";
        case Action::Option: {
            const int option = below(3);
            w_.click(w_.option(option));
            model_.option = option;
            model_.unit = option == 0 ? vexa::Degrees : option == 1 ? vexa::Radians : vexa::Grads;
            return "option " + QString::number(option);
        }
        case Action::Help:
            w_.form().findChild<QAction*>("mnuHelp")->trigger();
            ++model_.helpStarts;
            return "?";
        case Action::TypeAscii: {
            QString typed;
            for (int n = 1 + below(12); n > 0; --n) {
                typed += QChar(0x20 + below(0x5f));
            }
            type(typed);
            return "typed '" + typed + "'";
        }
        case Action::TypeExpression: {
            if (below(3) == 0) {
                if (box()->hasFocus()) {
                    model_.focusLeavesBox();
                }
                w_.click(w_.key("ClearButton"));
                model_.setText({});
                model_.status.clear();
            }
            const QString typed = expression(3);
            type(typed);
            return "typed '" + typed + "'";
        }
        case Action::TypeUnicode: {
            const QString typed = unicode(1 + below(6));
            box()->setFocus();
            QTest::keyClick(box(), Qt::Key_End);
            QInputMethodEvent event;
            event.setCommitString(typed);
            QApplication::sendEvent(box(), &event);
            model_.edit(model_.text + typed);
            return "input method " + codes(typed);
        }
        case Action::Paste: {
            // Long pastes: up to past the box's limit, of digits, sums or anything at all.
            const int length = below(4) == 0 ? BoxLimit + below(8000) : 1 + below(2000);
            QString pasted;
            const int shape = below(3);
            while (pasted.size() < length) {
                pasted += shape == 0 ? QString("1+") : shape == 1 ? unicode(4) : expression(2);
            }
            pasted.truncate(length);
            QApplication::clipboard()->setText(pasted);
            box()->setFocus();
            QTest::keyClick(box(), Qt::Key_End);
            QTest::keyClick(box(), Qt::Key_V, Qt::ControlModifier);
            model_.edit(model_.text + pasted);
            return "pasted " + QString::number(pasted.size()) + " units, shape " +
                   QString::number(shape);
        }
        case Action::BackspaceInBox:
            box()->setFocus();
            QTest::keyClick(box(), Qt::Key_End);
            QTest::keyClick(box(), Qt::Key_Backspace);
            model_.edit(withoutLastCharacter(model_.text));
            return "Backspace in the box";
        case Action::PickHistory: {
            if (model_.history.isEmpty()) {
                return "no history to pick from";
            }
            const int row = below(static_cast<int>(model_.history.size()));
            pick(row);
            model_.setText(model_.history[row]);
            model_.current = row;
            return "picked entry " + QString::number(row);
        }
        case Action::RecallInBox: {
            const bool down = below(2) == 0;
            box()->setFocus();
            QTest::keyClick(box(), down ? Qt::Key_Down : Qt::Key_Up);
            model_.recall(down ? 1 : -1);
            return down ? "Down in the box" : "Up in the box";
        }
        case Action::MoveCaret: {
            // The keys work on the end of the text whatever the caret and the selection.
            const int length = static_cast<int>(box()->text().size());
            box()->setSelection(below(length + 1), below(length + 1) - length / 2);
            return "caret and selection moved";
        }
        }
        return {};
    }

    static QString withoutLastCharacter(QString text) {
        const bool pair = text.size() >= 2 && text.back().isLowSurrogate() &&
                          text.at(text.size() - 2).isHighSurrogate();
        text.chop(pair ? 2 : 1);
        return text;
    }

    // Types at the end of the box, key by key, as a user with the caret at the end would.
    void type(const QString& typed) {
        box()->setFocus();
        QTest::keyClick(box(), Qt::Key_End);
        QTest::keyClicks(box(), typed);
        model_.edit(model_.text + typed);
    }

    // Picks a history entry from the drop-down list with the keyboard.
    void pick(int row) {
        QComboBox* combo = w_.combo();
        combo->showPopup();
        QAbstractItemView* view = combo->view();
        view->setCurrentIndex(combo->model()->index(row, combo->modelColumn()));
        QTest::keyClick(view, Qt::Key_Return);
    }

    // Small expressions that mostly compile: numbers, operators, calls, constants, and now and
    // then a fault.
    QString expression(int depth) {
        static const char* const atoms[] = {"0",      "1",  "2",   "7",   "30",
                                            "45",     "90", "0.5", ".25", "1e3",
                                            "2.5E-3", "pi", "e",   "100", "1e308"};
        static const char* const calls[] = {"sin", "cos", "tan", "cot",   "sqrt", "ln",
                                            "log", "exp", "abs", "log10", "asin", "square"};
        static const char* const operators[] = {"+", "-", "*", "/", "^"};
        if (depth == 0 || below(3) == 0) {
            return atoms[below(std::size(atoms))];
        }
        switch (below(6)) {
        case 0:
            return QString(calls[below(std::size(calls))]) + "(" + expression(depth - 1) + ")";
        case 1:
            return "(" + expression(depth - 1) + ")";
        case 2:
            return "pow (" + expression(depth - 1) + "," + expression(depth - 1) + ")";
        case 3:
            return "-" + expression(depth - 1);
        default:
            return expression(depth - 1) + operators[below(std::size(operators))] +
                   expression(depth - 1);
        }
    }

    // Characters a keyboard or an input method can bring: accented letters, look-alikes of
    // digits and signs, characters outside the basic plane (a surrogate pair), control
    // characters and, rarely, a lone half of a pair.
    QString unicode(int count) {
        static const char16_t singles[] = {0x00e9, 0x00a0, 0x00b2, 0x2212, 0xff11, 0x0661,
                                           0x4e00, 0x03c0, 0x0001, 0x0009, 0x000a, 0x007f,
                                           0xfeff, 0xfffd, 0xd800, 0xdc00};
        QString text;
        for (int i = 0; i < count; ++i) {
            const int pick = below(5);
            if (pick == 0) {
                text += QChar(0xd83d);
                text += QChar(static_cast<char16_t>(0xde00 + below(0x40)));
            } else if (pick == 1) {
                text += QChar(static_cast<char16_t>(0x21 + below(0x5e)));
            } else {
                text += QChar(singles[below(std::size(singles))]);
            }
        }
        return text;
    }

    static QString codes(const QString& text) {
        QStringList units;
        for (const QChar c : text) {
            units << QString::number(c.unicode(), 16);
        }
        return units.join(' ');
    }

    Outcome randomOutcome() {
        static const std::u16string descriptions[] = {u"Bad thing", u"Caf\u00e9 closed", u""};
        const auto description = descriptions[below(std::size(descriptions))];
        const int pick = below(20);
        if (pick < 10) {
            static const double values[] = {0.0,     -0.0,
                                            1.0 / 3, -2.5e-7,
                                            1e15,    123456789012345,
                                            1e-5,    1e100,
                                            -1e-320, 1.7976931348623157e308,
                                            459.001};
            return FakeVexa::value(values[below(std::size(values))]);
        }
        if (pick == 10) {
            return FakeVexa::value(below(2) == 0 ? std::numeric_limits<double>::infinity()
                                                 : std::numeric_limits<double>::quiet_NaN());
        }
        if (pick < 15) {
            const std::int32_t kinds[] = {0, 0, 1, 7};
            return FakeVexa::evaluatorError(1 + below(60), description, below(40), kinds[below(4)],
                                            below(2) == 0);
        }
        if (pick < 17) {
            return FakeVexa::numbered(1 + below(60), description);
        }
        Outcome outcome = FakeVexa::unnumbered(below(2) == 0);
        outcome.value = below(4) == 0 ? std::numeric_limits<double>::infinity() : 2.5;
        return outcome;
    }

    // Everything the model predicts, against the window. The whole history only now and then:
    // a full list is 32,767 entries.
    QString compare(std::size_t evaluatorCallsBefore, bool wholeHistory) {
        if (w_.text() != model_.text) {
            return "box text '" + shorten(w_.text()) + "', expected '" + shorten(model_.text) + "'";
        }
        if (w_.status()->text() != model_.status) {
            return "status '" + w_.status()->text() + "', expected '" + model_.status + "'";
        }
        if (w_.desktop().beeps != model_.beeps) {
            return QStringLiteral("%1 beeps, expected %2")
                .arg(w_.desktop().beeps)
                .arg(model_.beeps);
        }
        if (static_cast<int>(w_.desktop().started.size()) != model_.helpStarts) {
            return QStringLiteral("help started %1 times").arg(w_.desktop().started.size());
        }
        for (int i = 0; i < 3; ++i) {
            if (w_.option(i)->isChecked() != (i == model_.option)) {
                return QStringLiteral("option %1 checked wrongly").arg(i);
            }
        }
        const QComboBox* combo = w_.combo();
        if (combo->currentIndex() != model_.current) {
            return QStringLiteral("current history entry %1, expected %2")
                .arg(combo->currentIndex())
                .arg(model_.current);
        }
        const int count = static_cast<int>(model_.history.size());
        if (combo->count() != count) {
            return QStringLiteral("%1 history entries, expected %2").arg(combo->count()).arg(count);
        }
        for (int i = 0; i < count; ++i) {
            // The top entries and the bottom one each time, every entry now and then.
            if (wholeHistory || i < 3 || i == count - 1) {
                if (combo->itemText(i) != model_.history[i]) {
                    return QStringLiteral("history entry %1 is '%2', expected '%3'")
                        .arg(i)
                        .arg(shorten(combo->itemText(i)), shorten(model_.history[i]));
                }
            } else if (i == 3) {
                i = count - 2;
            }
        }
        if (fake_) {
            const FakeVexa& fake = w_.fake();
            if (fake.unit != model_.unit) {
                return QStringLiteral("angle unit %1, expected %2").arg(fake.unit).arg(model_.unit);
            }
            const std::size_t calls = fake.texts.size() - evaluatorCallsBefore;
            if (calls != (expectedText_ ? 1u : 0u)) {
                return QStringLiteral("the evaluator was handed %1 texts").arg(calls);
            }
            if (expectedText_ && fake.texts.back() != expectedText_->toStdU16String()) {
                return "the evaluator was handed '" +
                       shorten(QString::fromStdU16String(fake.texts.back())) + "', expected '" +
                       shorten(*expectedText_) + "'";
            }
        }
        return {};
    }

    static QString shorten(const QString& text) {
        return text.size() <= 80
                   ? text
                   : text.left(60) + QStringLiteral("... (%1 units)").arg(text.size());
    }

    Window& w_;
    std::mt19937_64 random_;
    bool fake_;
    Model model_;
    Oracle oracle_;
    Outcome next_;
    std::optional<QString> expectedText_;
    QStringList recent_;
};

// The offscreen platform says on every drop-down that it cannot grab the keyboard or raise
// a window; thousands of those would bury the messages that matter.
QtMessageHandler defaultHandler = nullptr;
void quietPopups(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support"))) {
        return;
    }
    defaultHandler(type, context, message);
}

std::uint64_t seedOr(std::uint64_t fallback) {
    bool ok = false;
    const qulonglong replay = qEnvironmentVariable("TARNICLE_MODEL_SEED").toULongLong(&ok);
    return ok ? replay : fallback;
}

} // namespace

class TestModel : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { defaultHandler = qInstallMessageHandler(quietPopups); }
    void cleanupTestCase() { qInstallMessageHandler(defaultHandler); }
    void randomSession_data();
    void randomSession();
    void longHistoryOpensAtOnce();
};

void TestModel::randomSession_data() {
    QTest::addColumn<bool>("fake");
    QTest::addColumn<int>("actions");
    QTest::addColumn<int>("preloaded");
    QTest::addColumn<quint64>("seed");
    QTest::newRow("our evaluator") << false << 10000 << 0 << quint64(1);
    QTest::newRow("scripted evaluator failing at random") << true << 10000 << 0 << quint64(2);
    QTest::newRow("full history") << true << 1500 << HistoryLimit - 20 << quint64(3);
}

void TestModel::randomSession() {
    QFETCH(bool, fake);
    QFETCH(int, actions);
    QFETCH(int, preloaded);
    QFETCH(quint64, seed);
    seed = seedOr(seed);

    Session* session = nullptr;
    auto w = fake ? Window::withFake([&](FakeVexa& f) {
        f.script = [&session](const std::u16string&) {
            return session->nextOutcome();
        };
    })
                  : Window();
    Session run(w, seed, fake);
    session = &run;
    QVERIFY(w.showActive());
    if (preloaded > 0) {
        run.preloadHistory(preloaded);
    }

    QString message;
    for (int i = 0; i < actions; ++i) {
        QVERIFY2(run.step(i, message),
                 qPrintable(QStringLiteral("seed %1 (replay with TARNICLE_MODEL_SEED=%1), after "
                                           "action %2: %3\n  last actions:\n  %4")
                                .arg(seed)
                                .arg(i)
                                .arg(message, run.recentActions())));
    }
    QVERIFY2(run.compareAll(message),
             qPrintable(QStringLiteral("seed %1: %2").arg(seed).arg(message)));
    qInfo("seed %llu: %d actions, %lld history entries, %d beeps", seed, actions,
          static_cast<long long>(run.model().history.size()), run.model().beeps);
}

namespace {
// Counts how often the drop-down asks for an entry's size.
class CountingDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        ++calls;
        return QStyledItemDelegate::sizeHint(option, index);
    }
    mutable int calls = 0;
};
} // namespace

// Opening the drop-down once measured every entry: a thousand long texts froze the window for
// seconds each time. Now the list asks for the size of a few entries, however many there are.
void TestModel::longHistoryOpensAtOnce() {
    Window w;
    w.form().show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form()));
    QString sum = "1";
    while (sum.size() + 2 <= BoxLimit) {
        sum += "+1";
    }
    for (int i = 0; i < 1000; ++i) {
        w.combo()->insertItem(0, sum + QString::number(i));
    }
    auto* delegate = new CountingDelegate(w.combo());
    w.combo()->view()->setItemDelegate(delegate);
    w.compute("2+2"); // a new entry: the list must be laid out again
    w.combo()->showPopup();
    w.combo()->hidePopup();
    QVERIFY2(delegate->calls < 100,
             qPrintable(QStringLiteral("%1 size queries").arg(delegate->calls)));
}

QTEST_MAIN(TestModel)
#include "tst_model.moc"
