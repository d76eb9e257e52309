// "=" and the function keys: results, messages, beeps and the history.
#include <QFile>
#include <QTest>

#include <QAccessible>

#include "evaluator/errors.h"
#include "harness.h"

using Outcome = FakeVexa::Outcome;

class TestCompute : public QObject {
    Q_OBJECT
private slots:
    void realEvaluator_data();
    void realEvaluator();
    void failureBranches_data();
    void failureBranches();
    void statusShowsMessageFromItsStart_data();
    void statusShowsMessageFromItsStart();
    void outcomeIsAnnounced_data();
    void outcomeIsAnnounced();
    void unknownErrorResumes_data();
    void unknownErrorResumes();
    void historyKeepsFirstPlaceAndExactText();
    void emptyTextDoesNothing();
    void successClearsOldMessage();
    void fullHistoryDropsOldest();
    void historyInsertKeepsBoxText();
    void functionKeysWrapWholeText_data();
    void functionKeysWrapWholeText();
    void functionKeyOnEmptyTextDoesNothing();
    void functionKeyFailureKeepsUnwrappedText();
    void longTextsComputeOrFailCleanly();
    void fullBoxOfEveryShape_data();
    void fullBoxOfEveryShape();
    void functionKeyAroundAFullBox();
    void batchExamples_data();
    void batchExamples();
};

void TestCompute::realEvaluator_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("failed");
    QTest::newRow("sum") << "1+1"
                         << " 2" << false;
    QTest::newRow("negative has no blank") << "2-5"
                                           << "-3" << false;
    QTest::newRow("result text again") << " 2"
                                       << " 2" << false;
    QTest::newRow("decimal") << "0.1+0.2"
                             << " 0.3" << false;
    QTest::newRow("fraction") << "459.001"
                              << " 459.001" << false;
    QTest::newRow("start-up text") << "sin(pi/4)"
                                   << " 0.707106781186548" << false;
    QTest::newRow("power key text") << "pow (12,3)"
                                    << " 1728" << false;
    QTest::newRow("small exponent form") << "1/100000"
                                         << " 1e-05" << false;
    QTest::newRow("pasted times") << QString::fromUtf8(u8"3 \u00D7 4") << " 12" << false;
    QTest::newRow("pasted root and square")
        << QString::fromUtf8(u8"\u221A2\u00B2") << " 2" << false;
    QTest::newRow("pasted line") << "1 + 1\n"
                                 << " 2" << false;
    QTest::newRow("exact angle") << "cos(2*pi/3)"
                                 << "-0.5" << false;
    QTest::newRow("syntax error keeps text") << "1+"
                                             << "1+" << true;
    QTest::newRow("division by zero keeps text") << "1/0"
                                                 << "1/0" << true;
}

void TestCompute::realEvaluator() {
    QFETCH(QString, input);
    QFETCH(QString, box);
    QFETCH(bool, failed);
    Window w;
    w.compute(input);
    QCOMPARE(w.text(), box);
    QCOMPARE(w.desktop().beeps, failed ? 1 : 0);
    QCOMPARE(w.history(), failed ? QStringList{} : QStringList{input});
    if (failed) {
        // Both errors are tied to a place: the message ends with its position.
        QVERIFY2(w.status()->text().contains(QRegularExpression(" at pos\\. \\d+$")),
                 qPrintable(w.status()->text()));
        QVERIFY(!w.status()->text().startsWith(" at pos."));
    } else {
        QCOMPARE(w.status()->text(), QString());
    }
}

void TestCompute::failureBranches_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("atCompile");
    QTest::addColumn<QString>("message");
    const int evaluator = int(Outcome::Type::EvaluatorError);
    QTest::newRow("compile error with place") << evaluator << 0 << true << "Bad thing at pos. 4";
    QTest::newRow("evaluate error with place") << evaluator << 0 << false << "Bad thing at pos. 4";
    QTest::newRow("whole-text error") << evaluator << 1 << true << "Bad thing";
    QTest::newRow("other kind") << evaluator << 7 << false << "Bad thing";
    QTest::newRow("not the evaluator's")
        << int(Outcome::Type::NumberedFailure) << 0 << false << "Bad thing";
}

void TestCompute::failureBranches() {
    QFETCH(int, type);
    QFETCH(int, kind);
    QFETCH(bool, atCompile);
    QFETCH(QString, message);
    auto w = Window::withFake([&](FakeVexa& f) {
        f.script = [&](const std::u16string&) {
            Outcome outcome{Outcome::Type(type), 0, {42, u"Bad thing", 4, kind}, atCompile};
            return outcome;
        };
    });
    w.compute("1+2");
    QCOMPARE(w.status()->text(), message);
    QCOMPARE(w.text(), QString("1+2"));
    QCOMPARE(w.history(), QStringList{});
    QCOMPARE(w.desktop().beeps, 1);
}

void TestCompute::statusShowsMessageFromItsStart_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("message");
    // Longer than the line is wide: its end alone would read as if it were about something else.
    const QString description = "Arcsine or arccosine of a value outside -1 to 1";
    const int evaluator = int(Outcome::Type::EvaluatorError);
    QTest::newRow("with a position") << evaluator << 0 << description + " at pos. 1";
    QTest::newRow("whole-text error") << evaluator << 1 << description;
    QTest::newRow("not the evaluator's") << int(Outcome::Type::NumberedFailure) << 0 << description;
    QTest::newRow("unknown error") << int(Outcome::Type::UnnumberedFailure) << 0 << "Unknown error";
}

void TestCompute::statusShowsMessageFromItsStart() {
    QFETCH(int, type);
    QFETCH(int, kind);
    QFETCH(QString, message);
    bool fail = true;
    auto w = Window::withFake([&](FakeVexa& f) {
        f.script = [&](const std::u16string&) {
            const std::u16string description = u"Arcsine or arccosine of a value outside -1 to 1";
            return fail ? Outcome{Outcome::Type(type), 0, {42, description, 1, kind}, true}
                        : FakeVexa::value(2);
        };
    });
    QVERIFY(w.showActive());
    w.compute("asin(2)");
    QLineEdit* status = w.status();
    QCOMPARE(status->text(), message);
    QCOMPARE(status->cursorPosition(), 0);
    QCOMPARE(status->toolTip(), message);
    status->repaint(); // the line scrolls its text as it paints
    const QRect caret = status->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    QVERIFY2(qAbs(caret.left()) < status->width() / 8, qPrintable(QString::number(caret.left())));
    // A success empties the line and its tip.
    fail = false;
    w.compute("1+1");
    QCOMPARE(status->text(), QString());
    QCOMPARE(status->toolTip(), QString());
}

void TestCompute::outcomeIsAnnounced_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<bool>("inBox"); // Enter in the box rather than a click on "="
    QTest::addColumn<QString>("heard");
    QTest::newRow("result, from the key") << "1+1" << false << " 2";
    QTest::newRow("message, from the key") << "1+" << false << "Bad thing at pos. 3";
    // A screen reader reads the box's text by itself each time the box is given one, even
    // the text it already had.
    QTest::newRow("result, in the box") << "1+1" << true << "";
    QTest::newRow("message, in the box") << "1+" << true << "Bad thing at pos. 3";
    QTest::newRow("unchanged text, in the box") << " 2" << true << "";
}

void TestCompute::outcomeIsAnnounced() {
    QFETCH(QString, start);
    QFETCH(bool, inBox);
    QFETCH(QString, heard);
    auto w = Window::withFake([](FakeVexa& f) {
        f.script = [](const std::u16string& text) {
            return text.back() == u'+' ? FakeVexa::evaluatorError(3, u"Bad thing", 3, 0, true)
                                       : FakeVexa::value(2);
        };
    });
    QVERIFY(w.showActive());
    w.setText(start);
    if (inBox) {
        w.combo()->setFocus();
        QTest::keyClick(w.combo()->lineEdit(), Qt::Key_Return);
    } else {
        w.compute();
    }
    QCOMPARE(w.desktop().announced, heard.isEmpty() ? QStringList{} : QStringList{heard});
    if (!heard.isEmpty()) {
        // A hidden notice that Qt tells the screen reader about.
        auto* notice = w.form().findChild<QWidget*>("announcement");
        QVERIFY(notice != nullptr);
        QVERIFY(notice->isHidden());
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(notice);
        QVERIFY(spoken != nullptr);
        QCOMPARE(spoken->role(), QAccessible::Notification);
        QCOMPARE(spoken->text(QAccessible::Name), heard);
    }
}

void TestCompute::unknownErrorResumes_data() {
    QTest::addColumn<bool>("atCompile");
    QTest::addColumn<QString>("box");
    // A failed Compile resumes with Evaluate, which yields a value; a failed Evaluate leaves
    // no result, so the box keeps its text instead of showing a made-up number.
    QTest::newRow("compile") << true << " 5";
    QTest::newRow("evaluate") << false << "2+3";
}

void TestCompute::unknownErrorResumes() {
    QFETCH(bool, atCompile);
    QFETCH(QString, box);
    auto w = Window::withFake([&](FakeVexa& f) {
        f.script = [&](const std::u16string&) {
            Outcome outcome = FakeVexa::unnumbered(atCompile);
            outcome.value = 5;
            return outcome;
        };
    });
    w.compute("2+3");
    QCOMPARE(w.status()->text(), QString("Unknown error"));
    QCOMPARE(w.desktop().beeps, 1);
    QCOMPARE(w.history(), QStringList{"2+3"});
    QCOMPARE(w.text(), box);
}

void TestCompute::historyKeepsFirstPlaceAndExactText() {
    Window w;
    for (const char* text : {"1+1", "1+1", "3*3", "1+1", "sin(1)", "SIN(1)", "1 +1"}) {
        w.compute(text);
    }
    QCOMPARE(w.history(), (QStringList{"1 +1", "SIN(1)", "sin(1)", "3*3", "1+1"}));
    // A result computed again becomes an entry of its own, blank included.
    w.compute(" 2");
    QCOMPARE(w.history().first(), QString(" 2"));
}

void TestCompute::emptyTextDoesNothing() {
    auto w = Window::withFake([](FakeVexa& f) {
        f.script = [](const std::u16string&) {
            return FakeVexa::evaluatorError(3, u"Oops", 2, 0, true);
        };
    });
    w.compute("1+");
    const QString message = w.status()->text();
    w.compute("");
    QCOMPARE(w.status()->text(), message);
    QCOMPARE(w.desktop().beeps, 1);
    QCOMPARE(w.fake().texts.size(), std::size_t(1));
}

void TestCompute::successClearsOldMessage() {
    Window w;
    w.compute("1+");
    QVERIFY(!w.status()->text().isEmpty());
    w.compute("2*3");
    QCOMPARE(w.status()->text(), QString());
    QCOMPARE(w.text(), QString(" 6"));
}

void TestCompute::fullHistoryDropsOldest() {
    Window w;
    QStringList entries;
    for (int i = 0; i < 32767; ++i) {
        entries << QString::number(32767 - i);
    }
    w.combo()->addItems(entries); // newest ("32767") on top, oldest ("1") at the bottom
    w.compute("2+2");
    QCOMPARE(w.combo()->count(), 32767);
    QCOMPARE(w.combo()->itemText(0), QString("2+2"));
    QCOMPARE(w.combo()->itemText(1), QString("32767"));
    QCOMPARE(w.combo()->itemText(32766), QString("2"));
    QCOMPARE(w.text(), QString(" 4"));
    // A text already in a full list keeps its place and nothing is dropped.
    w.compute("5");
    QCOMPARE(w.combo()->itemText(0), QString("2+2"));
    QCOMPARE(w.combo()->itemText(32766), QString("2"));
    w.compute("40000");
    QCOMPARE(w.combo()->itemText(0), QString("40000"));
    QCOMPARE(w.combo()->itemText(32766), QString("3"));
}

void TestCompute::historyInsertKeepsBoxText() {
    // The first entry of an empty list, and the removal of a picked oldest entry, make the
    // combo box copy an entry into its text; the user's text must survive both.
    auto w = Window::withFake([](FakeVexa& f) {
        f.script = [](const std::u16string&) {
            return FakeVexa::unnumbered(false);
        };
    });
    w.setText("7");
    w.click(w.key("ButtonUnary", 8));
    QCOMPARE(w.history(), QStringList{"sqrt(7)"});
    QCOMPARE(w.text(), QString("7"));
}

void TestCompute::functionKeysWrapWholeText_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("sent");
    const QStringList names{"sin",   "cos",  "tan",    "cot",  "log",  "log10", "exp",
                            "pow10", "sqrt", "square", "asin", "acos", "atan"};
    for (int i = 0; i < names.size(); ++i) {
        if (i != 3) {
            QTest::addRow("key %d", i) << i << names[i] + "( 1+1)";
        }
    }
}

void TestCompute::functionKeysWrapWholeText() {
    QFETCH(int, index);
    QFETCH(QString, sent);
    auto w = Window::withFake([](FakeVexa& f) {
        f.script = [](const std::u16string&) {
            return FakeVexa::value(-0.5);
        };
    });
    w.setText(" 1+1");
    w.click(w.key("ButtonUnary", index));
    QCOMPARE(w.fake().texts.size(), std::size_t(1));
    QCOMPARE(QString::fromStdU16String(w.fake().texts.back()), sent);
    QCOMPARE(w.history(), QStringList{sent});
    QCOMPARE(w.text(), QString("-0.5"));
}

void TestCompute::functionKeyOnEmptyTextDoesNothing() {
    Window w;
    w.click(w.key("ClearButton"));
    for (auto* key : w.form().findChildren<QPushButton*>("ButtonUnary")) {
        w.click(key);
    }
    QCOMPARE(w.history(), QStringList{});
    QCOMPARE(w.desktop().beeps, 0);
    QCOMPARE(w.text(), QString());
}

void TestCompute::functionKeyFailureKeepsUnwrappedText() {
    Window w;
    w.setText("(");
    w.click(w.key("ButtonUnary", 0));
    QCOMPARE(w.text(), QString("("));
    QCOMPARE(w.desktop().beeps, 1);
    QVERIFY(w.status()->text().endsWith(" at pos. 6")); // the ")" of "sin(()" lacks an operand
    QCOMPARE(w.history(), QStringList{});
}

void TestCompute::longTextsComputeOrFailCleanly() {
    Window w;
    QString sum = "1";
    while (sum.size() + 2 <= 32767) {
        sum += "+1";
    }
    w.compute(sum);
    QCOMPARE(w.text(), QString(" 16384"));
    QString deep(32767, '(');
    w.compute(deep);
    QCOMPARE(w.text(), deep);
    QCOMPARE(w.desktop().beeps, 1);
    QVERIFY(w.status()->text().contains(" at pos. "));
    w.compute(QString(32767, QChar(0x00e9)));
    QCOMPARE(w.desktop().beeps, 2);
    QVERIFY(w.status()->text().endsWith(" at pos. 1"));
}

namespace {
// A text of exactly the box's length: head, then piece as often as it fits, then blanks.
QString fullBox(const QString& head, const QString& piece) {
    constexpr int boxLength = 32767;
    QString text = head;
    while (text.size() + piece.size() <= boxLength) {
        text += piece;
    }
    return text.leftJustified(boxLength, ' ');
}

QString message(vexa::ErrorCode code, int position) {
    const QString description =
        QString::fromStdU16String(std::u16string(vexa::errorEntry(code).description));
    return position == 0 ? description : description + " at pos. " + QString::number(position);
}
} // namespace

void TestCompute::fullBoxOfEveryShape_data() {
    using vexa::ErrorCode;
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown"); // the result, or empty when it fails
    QTest::addColumn<QString>("status");
    const QString deepGroup = QString(256, '(') + "1" + QString(256, ')');
    QTest::newRow("long product") << fullBox("1", "*1") << " 1"
                                  << "";
    QTest::newRow("run of signs") << QString(32766, '-') + "1"
                                  << " 1"
                                  << "";
    QTest::newRow("signs and blanks") << fullBox("", "- -").replace(32766, 1, "7") << " 7"
                                      << "";
    QTest::newRow("deep groups in a row") << fullBox(deepGroup, "+" + deepGroup) << " 63"
                                          << "";
    QTest::newRow("tiny number") << fullBox("0.", "0").replace(32766, 1, "1") << " 0"
                                 << "";
    QTest::newRow("huge number") << fullBox("", "9") << "" << message(ErrorCode::NumberTooLarge, 1);
    QTest::newRow("only signs") << fullBox("", "-") << ""
                                << message(ErrorCode::UnexpectedEnd, 32768);
    QTest::newRow("power chain") << fullBox("2", "^2") << ""
                                 << message(ErrorCode::NestedTooDeeply, 514);
    QTest::newRow("open calls") << fullBox("", "sqrt(") << ""
                                << message(ErrorCode::NestedTooDeeply, 1285);
    QTest::newRow("lone surrogates") << QString(32767, QChar(0xd800)) << ""
                                     << "Unexpected character U+D800 at pos. 1";
    QTest::newRow("control characters") << QString(32767, QChar(0x0001)) << ""
                                        << "Unexpected character U+0001 at pos. 1";
    QTest::newRow("pasted signs") << fullBox("1", QString::fromUtf8(u8"\u00D71\u22121")) << "-8190"
                                  << "";
    QTest::newRow("pasted roots") << QString(32766, QChar(0x221A)) + "4"
                                  << " 1"
                                  << "";
    QTest::newRow("blanks") << fullBox("", "\t") << "" << message(ErrorCode::NothingToCompute, 0);
    // The value is 1e616 and some: too large at the last operation, which produced it.
    QTest::newRow("overflow") << fullBox("1e308*1e308", "+1") << ""
                              << message(ErrorCode::ResultTooLarge, 32766);
}

// Texts as long as the box, typed or pasted: each computes or fails with its message and a
// beep, the box keeps a failed text whole, and the window goes on working.
void TestCompute::fullBoxOfEveryShape() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QFETCH(QString, status);
    QCOMPARE(text.size(), 32767);
    Window w;
    w.setText(text);
    QCOMPARE(w.text(), text);
    w.compute();
    const bool failed = shown.isEmpty();
    QCOMPARE(w.desktop().beeps, failed ? 1 : 0);
    QCOMPARE(w.text(), failed ? text : shown);
    QCOMPARE(w.history(), failed ? QStringList{} : QStringList{text});
    QCOMPARE(w.status()->text(), status);
    w.compute("6*7");
    QCOMPARE(w.text(), QString(" 42"));
}

// A function key wraps the whole box, so the evaluator and the history get a text longer
// than the box can show.
void TestCompute::functionKeyAroundAFullBox() {
    Window w;
    const QString sum = fullBox("1", "+1");
    w.setText(sum);
    w.click(w.key("ButtonUnary", 8));
    QCOMPARE(w.text(), QString(" 128"));
    QCOMPARE(w.history(), QStringList{"sqrt(" + sum + ")"});
    QCOMPARE(w.desktop().beeps, 0);
}

namespace {
QStringList linesOf(const QString& name) {
    QFile file(QStringLiteral(TARNICLE_BATCH_DIR "/") + name);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll()).split('\n');
}
} // namespace

// The texts vexa-batch is checked with, typed into the box in their angle unit: the box shows
// the result vexa-batch prints, or Status its message with the position where it has one.
void TestCompute::batchExamples_data() {
    QTest::addColumn<int>("unit");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected"); // vexa-batch's fields
    const QStringList inputs = linesOf("batch_input.txt");
    const QStringList outputs = linesOf("batch_expected.txt");
    QVERIFY(inputs.size() > 50);
    for (qsizetype i = 0; i < inputs.size() && i < outputs.size(); ++i) {
        const qsizetype tab = inputs[i].indexOf('\t');
        bool isUnit = false;
        const int unit = inputs[i].left(tab).toInt(&isUnit);
        QString text = inputs[i].mid(tab + 1);
        if (text.endsWith('\r')) {
            text.chop(1); // vexa-batch reads a line ending in CR LF as one without it
        }
        // The window sends no empty text, and only angle units its options offer. Bytes that
        // are no UTF-8 reach vexa-batch as they are but the box as U+FFFD.
        if (tab < 0 || !isUnit || unit < 0 || unit > 2 || text.isEmpty() ||
            text.contains(QChar::ReplacementCharacter)) {
            continue;
        }
        QTest::addRow("line %d", static_cast<int>(i + 1)) << unit << text << outputs[i].split('\t');
    }
}

void TestCompute::batchExamples() {
    QFETCH(int, unit);
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    Window w;
    // The options are Deg, Rad, Grad; the units 1 (degrees), 0 (radians), 2 (grads).
    w.click(w.option(unit == 1 ? 0 : unit == 0 ? 1 : 2));
    w.compute(text);
    if (expected.value(0) == "ok") {
        QCOMPARE(w.text(), expected.value(1));
        QCOMPARE(w.status()->text(), QString());
    } else {
        const bool placed = expected.value(2) == "0";
        QCOMPARE(w.status()->text(),
                 expected.value(4) + (placed ? " at pos. " + expected.value(3) : QString()));
        QCOMPARE(w.text(), text);
    }
}

QTEST_MAIN(TestCompute)
#include "tst_compute.moc"
