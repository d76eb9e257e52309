// The entry keys, the keyboard and the help command.
#include <QTest>

#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QTemporaryDir>

#include "harness.h"

namespace {
// Clicks the keys named in a sequence: "7" a digit, "+" etc. by caption lookup in a map.
QPushButton* keyFor(const Window& w, const QString& label) {
    static const std::pair<const char*, const char*> named[] = {
        {"+", "ButtonPlus"}, {"-", "ButtonMinus"},  {"*", "ButtonMult"},   {"/", "ButtonDiv"},
        {"(", "ButtonLPar"}, {")", "ButtonRPar"},   {".", "ButtonDot"},    {"e", "ButtonE"},
        {"C", "ButtonBS"},   {"AC", "ClearButton"}, {"x^y", "ButtonXtoY"}, {"root", "ButtonRoot"}};
    if (label.size() == 1 && label[0].isDigit()) {
        return w.key("NumberButton", label.toInt());
    }
    for (const auto& [caption, name] : named) {
        if (label == caption) {
            return w.key(name);
        }
    }
    return nullptr;
}
} // namespace

class TestKeys : public QObject {
    Q_OBJECT
private slots:
    void entryKeys_data();
    void entryKeys();
    void keysIgnoreCaretAndSelection();
    void powerKeyFocusesTheBox();
    void clearAllKeepsHistory();
    void rootDoesNothing();
    void enterComputesFromAnythingButAKey_data();
    void enterComputesFromAnythingButAKey();
    void enterOnAKeyClicksThatKey();
    void escapeDoesNothing();
    void statusCannotBeTyped();
    void pickingHistoryComputesNothing();
    void historyRecallStartsAtTheNewest_data();
    void historyRecallStartsAtTheNewest();
    void helpStartsAViewerPerClick();
    void helpWithoutAViewer_data();
    void helpWithoutAViewer();
    void tabEntersTheUnitInForce_data();
    void tabEntersTheUnitInForce();
};

void TestKeys::entryKeys_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("result");
    QTest::newRow("every digit") << ""
                                 << QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}
                                 << "0123456789";
    QTest::newRow("operators and punctuation")
        << "" << QStringList{"+", "-", "*", "/", "(", ")", ".", "e"} << "+-*/().e";
    QTest::newRow("no syntax check") << "" << QStringList{")", "(", ".", "."} << ")(..";
    QTest::newRow("power") << "12" << QStringList{"x^y", "3", ")"} << "pow (12,3)";
    QTest::newRow("power on empty") << "" << QStringList{"x^y"} << "pow (,";
    QTest::newRow("after a result") << " 5" << QStringList{"+", "2"} << " 5+2";
    QTest::newRow("backspace") << "sin(" << QStringList{"C"} << "sin";
    QTest::newRow("backspace on empty") << "" << QStringList{"C", "C"} << "";
    QTest::newRow("backspace removes a whole pair")
        << QString("1") + QChar(0xd83d) + QChar(0xde00) << QStringList{"C"} << "1";
    QTest::newRow("clear all") << "1+2" << QStringList{"AC", "4"} << "4";
}

void TestKeys::entryKeys() {
    QFETCH(QString, start);
    QFETCH(QStringList, keys);
    QFETCH(QString, result);
    Window w;
    w.setText(start);
    for (const QString& label : keys) {
        w.click(keyFor(w, label));
    }
    QCOMPARE(w.text(), result);
    QCOMPARE(w.desktop().beeps, 0);
    QCOMPARE(w.history(), QStringList{});
}

void TestKeys::keysIgnoreCaretAndSelection() {
    Window w;
    w.setText("12345");
    w.combo()->lineEdit()->setSelection(1, 2);
    w.click(w.key("NumberButton", 9));
    QCOMPARE(w.text(), QString("123459"));
    w.combo()->lineEdit()->setCursorPosition(0);
    w.click(w.key("ButtonBS"));
    QCOMPARE(w.text(), QString("12345"));
}

void TestKeys::powerKeyFocusesTheBox() {
    Window w;
    QVERIFY(w.showActive());
    w.click(w.key("ButtonXtoY"));
    QVERIFY(w.combo()->hasFocus());
    w.click(w.key("NumberButton", 2)); // the other keys take the focus themselves
    QVERIFY(!w.combo()->hasFocus());
}

void TestKeys::clearAllKeepsHistory() {
    Window w;
    w.compute("1+1");
    w.compute("1+");
    QVERIFY(!w.status()->text().isEmpty());
    w.click(w.key("ClearButton"));
    QCOMPARE(w.text(), QString());
    QCOMPARE(w.status()->text(), QString());
    QCOMPARE(w.status()->toolTip(), QString());
    QCOMPARE(w.history(), QStringList{"1+1"});
}

void TestKeys::rootDoesNothing() {
    Window w;
    w.compute("1+");
    const QString message = w.status()->text();
    w.setText("2");
    w.click(w.key("ButtonRoot"));
    QCOMPARE(w.text(), QString("2"));
    QCOMPARE(w.status()->text(), message);
    QCOMPARE(w.desktop().beeps, 1);
}

void TestKeys::enterComputesFromAnythingButAKey_data() {
    QTest::addColumn<QString>("target");
    QTest::newRow("box") << "ExpressionCombo";
    QTest::newRow("status") << "Status";
    QTest::newRow("option") << "OptionDegRad";
}

void TestKeys::enterComputesFromAnythingButAKey() {
    QFETCH(QString, target);
    Window w;
    QVERIFY(w.showActive());
    w.setText("6*7");
    QWidget* widget = target == "OptionDegRad" ? w.option(1) : w.form().findChild<QWidget*>(target);
    widget->setFocus();
    QWidget* focused = QApplication::focusWidget();
    QVERIFY(focused == widget || focused->parentWidget() == widget);
    QTest::keyClick(focused, Qt::Key_Return);
    QCOMPARE(w.text(), QString(" 42"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter); // the keypad's Enter too
    QCOMPARE(w.history(), (QStringList{" 42", "6*7"}));
}

void TestKeys::enterOnAKeyClicksThatKey() {
    Window w;
    QVERIFY(w.showActive());
    w.setText("1+1");
    w.key("NumberButton", 7)->setFocus();
    QTest::keyClick(w.key("NumberButton", 7), Qt::Key_Return);
    QCOMPARE(w.text(), QString("1+17"));
    QCOMPARE(w.history(), QStringList{});
}

void TestKeys::escapeDoesNothing() {
    Window w;
    QVERIFY(w.showActive());
    for (QWidget* target : {static_cast<QWidget*>(w.combo()->lineEdit()),
                            static_cast<QWidget*>(w.key("CommandCompute"))}) {
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Escape);
        QVERIFY(w.form().isVisible());
        QCOMPARE(w.text(), QString("sin(pi/4)"));
    }
}

void TestKeys::statusCannotBeTyped() {
    Window w;
    w.compute("1+");
    const QString message = w.status()->text();
    w.status()->setFocus();
    QTest::keyClicks(w.status(), "abc");
    QTest::keyClick(w.status(), Qt::Key_Backspace);
    QCOMPARE(w.status()->text(), message);
}

void TestKeys::pickingHistoryComputesNothing() {
    auto w = Window::withFake([](FakeVexa& f) {
        f.script = [](const std::u16string&) {
            return FakeVexa::value(3);
        };
    });
    w.compute("1+2");
    w.compute("4-1");
    const std::size_t computed = w.fake().texts.size();
    w.form().show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form()));
    w.combo()->showPopup();
    QAbstractItemView* list = w.combo()->view();
    QVERIFY(QTest::qWaitForWindowExposed(list->window()));
    const QRect entry = list->visualRect(list->model()->index(1, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entry.center());
    QCOMPARE(w.text(), QString("1+2"));
    QCOMPARE(w.fake().texts.size(), computed);
    QCOMPARE(w.history(), (QStringList{"4-1", "1+2"}));
}

void TestKeys::historyRecallStartsAtTheNewest_data() {
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("text");
    QTest::newRow("Down") << QStringList{"Down"} << "3+3";
    QTest::newRow("Down twice") << QStringList{"Down", "Down"} << "2+2";
    QTest::newRow("Up") << QStringList{"Up"} << " 6";
    QTest::newRow("Down, then Up") << QStringList{"Down", "Up"} << "3+3";
    QTest::newRow("opened list") << QStringList{"Alt+Down", "Return"} << "3+3";
    QTest::newRow("opened list, Down") << QStringList{"Alt+Down", "Down", "Return"} << "2+2";
    QTest::newRow("opened list, closed") << QStringList{"Alt+Down", "Escape"} << " 6";
}

// Each computation inserts at the top; the box's current entry must not drift down with it.
void TestKeys::historyRecallStartsAtTheNewest() {
    QFETCH(QStringList, keys);
    QFETCH(QString, text);
    Window w;
    QVERIFY(w.showActive());
    for (const char* expression : {"1+1", "2+2", "3+3"}) {
        w.compute(expression);
    }
    QCOMPARE(w.combo()->currentIndex(), -1);
    QCOMPARE(w.text(), QString(" 6"));
    w.combo()->setFocus();
    for (const QString& name : keys) {
        const QKeyCombination key = QKeySequence(name)[0];
        QAbstractItemView* list = w.combo()->view();
        QTest::keyClick(list->isVisible() ? list : QApplication::focusWidget(), key.key(),
                        key.keyboardModifiers());
        if (name == "Alt+Down") {
            // The list opens with the newest entry in sight.
            QVERIFY(QTest::qWaitForWindowExposed(list->window()));
            QVERIFY(
                list->viewport()->rect().contains(list->visualRect(list->model()->index(0, 0))));
        }
    }
    QCOMPARE(w.text(), text);
    QCOMPARE(w.history(), (QStringList{"3+3", "2+2", "1+1"}));
}

void TestKeys::helpStartsAViewerPerClick() {
    Window w;
    auto* help = w.form().findChild<QAction*>("mnuHelp");
    QVERIFY(help != nullptr);
    help->trigger();
    help->trigger();
#ifdef Q_OS_WIN
    const auto expected = std::make_pair(QString("notepad"), QStringList{"..\\..\\Tarnicle.txt"});
#else
    const auto expected = std::make_pair(QString("xdg-open"), QStringList{"../../Tarnicle.txt"});
#endif
    QCOMPARE(w.desktop().started.size(), std::size_t(2));
    QVERIFY(w.desktop().started[0] == expected && w.desktop().started[1] == expected);
    QCOMPARE(w.text(), QString("sin(pi/4)"));
}

void TestKeys::helpWithoutAViewer_data() {
    QTest::addColumn<bool>("viewerStarts");
    QTest::addColumn<bool>("fileThere");
    QTest::addColumn<QString>("shown"); // the start of the window's text; none without a window
    QTest::newRow("a viewer starts") << true << true << "";
    QTest::newRow("no viewer") << false << true << "TARNICLE TEST HELP";
    QTest::newRow("no viewer, no file") << false << false << "where it was looked for";
}

// Where no viewer can start, "?" shows the help file in a read-only window of our own.
void TestKeys::helpWithoutAViewer() {
    QFETCH(bool, viewerStarts);
    QFETCH(bool, fileThere);
    QFETCH(QString, shown);
    // The help file is found two folders up from the working directory.
    QTemporaryDir root;
    QVERIFY(root.isValid() && QDir(root.path()).mkpath("start/here"));
    const QString help = "TARNICLE TEST HELP\n\n  Columns  stay   lined up.\n";
    if (fileThere) {
        QFile file(root.filePath("Tarnicle.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Text));
        file.write(help.toUtf8());
    }
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(root.filePath("start/here")));
    auto back = qScopeGuard([&] { QDir::setCurrent(before); });
    if (!fileThere) {
        shown = QDir::cleanPath(QDir::current().absoluteFilePath("../../Tarnicle.txt"));
    }
    Window w;
    QVERIFY(w.showActive());
    w.desktop().viewerStarts = viewerStarts;
    w.form().findChild<QAction*>("mnuHelp")->trigger();
    QCOMPARE(w.desktop().started.size(), std::size_t(1));
    auto* window = w.form().findChild<QPlainTextEdit*>("helpText");
    QCOMPARE(window != nullptr, !shown.isEmpty());
    if (window != nullptr) {
        QVERIFY(window->isWindow() && window->isVisible() && window->isReadOnly());
        QVERIFY(window->toPlainText().startsWith(shown));
        if (fileThere) {
            QCOMPARE(window->toPlainText(), help);
            // The arrows move a caret from line to line, which a screen reader follows.
            QTest::keyClick(window, Qt::Key_Down);
            QTest::keyClick(window, Qt::Key_Down);
            QCOMPARE(window->textCursor().blockNumber(), 2);
        }
    }
    // Nothing else changes: no message, no beep.
    QCOMPARE(w.status()->text(), QString());
    QCOMPARE(w.desktop().beeps, 0);
    QCOMPARE(w.text(), QString("sin(pi/4)"));
}

void TestKeys::tabEntersTheUnitInForce_data() {
    QTest::addColumn<int>("selected"); // the option clicked first; -1 for the one start-up selects
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("index"); // of the control Tab starts from
    QTest::addColumn<bool>("backwards");
    QTest::addColumn<int>("landsOn");
    QTest::newRow("as started") << -1 << "ButtonUnary" << 12 << false << 1;
    QTest::newRow("as started, backwards") << -1 << "ButtonUnary" << 9 << true << 1;
    QTest::newRow("Deg") << 0 << "ButtonUnary" << 12 << false << 0;
    QTest::newRow("Grad") << 2 << "Status" << -1 << false << 2;
    QTest::newRow("Grad, backwards from =") << 2 << "CommandCompute" << -1 << true << 2;
}

// The options are one tab stop, and Tab enters them on the unit in force.
void TestKeys::tabEntersTheUnitInForce() {
    QFETCH(int, selected);
    QFETCH(QString, from);
    QFETCH(int, index);
    QFETCH(bool, backwards);
    QFETCH(int, landsOn);
    Window w;
    QVERIFY(w.showActive());
    if (selected >= 0) {
        w.click(w.option(selected));
    }
    QWidget* start =
        index >= 0 ? w.key(qPrintable(from), index) : w.form().findChild<QWidget*>(from);
    start->setFocus();
    QTest::keyClick(start, backwards ? Qt::Key_Backtab : Qt::Key_Tab,
                    backwards ? Qt::ShiftModifier : Qt::NoModifier);
    QCOMPARE(QApplication::focusWidget(), w.option(landsOn));
    QVERIFY(w.option(landsOn)->isChecked());
}

QTEST_MAIN(TestKeys)
#include "tst_keys.moc"
