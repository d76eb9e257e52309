// The window as drawn: every control where the layout puts it, in the tab order.
#include <QTest>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QMenuBar>
#include <QScopeGuard>
#include <QWindow>
#include <QtGui/private/qwindow_p.h>
#include <QtMath>

#include "app/window_style.h"
#include "harness.h"

namespace {
struct Expected {
    const char* name;
    int index;
    const char* type; // Qt class
    const char* caption;
    int left, top, width, height; // pixels
};

// In tab order, as the layout draws them (pixels at 96 dpi).
constexpr Expected expectedControls[] = {
    {"CommandCompute", -1, "QPushButton", "=", 8, 200, 137, 25},
    {"NumberButton", 0, "QPushButton", "0", 8, 160, 41, 25},
    {"NumberButton", 1, "QPushButton", "1", 8, 128, 41, 25},
    {"NumberButton", 2, "QPushButton", "2", 56, 128, 41, 25},
    {"NumberButton", 3, "QPushButton", "3", 104, 128, 41, 25},
    {"NumberButton", 4, "QPushButton", "4", 8, 96, 41, 25},
    {"NumberButton", 5, "QPushButton", "5", 56, 96, 41, 25},
    {"NumberButton", 6, "QPushButton", "6", 104, 96, 41, 25},
    {"NumberButton", 7, "QPushButton", "7", 8, 64, 41, 25},
    {"NumberButton", 8, "QPushButton", "8", 56, 64, 41, 25},
    {"NumberButton", 9, "QPushButton", "9", 104, 64, 41, 25},
    {"ButtonDot", -1, "QPushButton", ".", 56, 160, 41, 25},
    {"ButtonE", -1, "QPushButton", "e", 104, 160, 41, 25},
    {"ButtonBS", -1, "QPushButton", "C", 176, 64, 33, 17},
    {"ClearButton", -1, "QPushButton", "AC", 216, 64, 33, 17},
    {"ButtonPlus", -1, "QPushButton", "+", 176, 88, 33, 17},
    {"ButtonDiv", -1, "QPushButton", "/", 216, 88, 33, 17},
    {"ButtonMult", -1, "QPushButton", "*", 176, 112, 33, 17},
    {"ButtonMinus", -1, "QPushButton", "-", 216, 112, 33, 17},
    {"ButtonLPar", -1, "QPushButton", "(", 176, 136, 33, 17},
    {"ButtonRPar", -1, "QPushButton", ")", 216, 136, 33, 17},
    {"ButtonUnary", 0, "QPushButton", "sin", 176, 160, 33, 17},
    {"ButtonUnary", 10, "QPushButton", "asin", 216, 160, 33, 17},
    {"ButtonUnary", 1, "QPushButton", "cos", 176, 184, 33, 17},
    {"ButtonUnary", 11, "QPushButton", "acos", 216, 184, 33, 17},
    {"ButtonUnary", 2, "QPushButton", "tan", 176, 208, 33, 17},
    {"ButtonUnary", 12, "QPushButton", "atan", 216, 208, 33, 17},
    {"OptionDegRad", 0, "QRadioButton", "Deg", 312, 8, 41, 17},
    {"OptionDegRad", 1, "QRadioButton", "Rad", 264, 8, 41, 17},
    {"ButtonUnary", 9, "QPushButton", "x^2", 272, 64, 33, 17},
    {"ButtonUnary", 8, "QPushButton", "sqrt", 312, 64, 33, 17},
    {"ButtonXtoY", -1, "QPushButton", "x^y", 272, 88, 33, 17},
    {"ButtonRoot", -1, "QPushButton", "root", 312, 88, 33, 17},
    {"ButtonUnary", 6, "QPushButton", "exp", 272, 112, 33, 17},
    {"ButtonUnary", 4, "QPushButton", "ln", 312, 112, 33, 17},
    {"ButtonUnary", 7, "QPushButton", "10^x", 272, 136, 33, 17},
    {"ButtonUnary", 5, "QPushButton", "log", 312, 136, 33, 17},
    {"ExpressionCombo", -1, "QComboBox", "", 0, 32, 241, 21},
    {"Status", -1, "QLineEdit", "", 0, 0, 241, 25},
    {"OptionDegRad", 2, "QRadioButton", "Grad", 264, 32, 57, 17},
};

QWidget* find(const Form1& form, const Expected& e) {
    for (auto* widget : form.findChildren<QWidget*>(e.name)) {
        const QVariant index = widget->property("index");
        if (e.index < 0 ? !index.isValid() : index.toInt() == e.index) {
            return widget;
        }
    }
    return nullptr;
}

QString caption(QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return button->text();
    }
    return {};
}

// The pixels a button's caption covers as the button draws itself: where it differs from the
// button drawn without its caption.
QSize captionExtent(QAbstractButton* button) {
    const QString caption = button->text();
    const QImage with = button->grab().toImage();
    button->setText(QString());
    const QImage without = button->grab().toImage();
    button->setText(caption);
    QRect covered;
    for (int y = 0; y < with.height(); ++y) {
        for (int x = 0; x < with.width(); ++x) {
            if (with.pixel(x, y) != without.pixel(x, y)) {
                covered |= QRect(x, y, 1, 1);
            }
        }
    }
    return covered.size();
}

// How many rows and columns of a button's caption its size cuts off: what it covers more with
// room to spare (in whole pixels at the scales tried, so that the caption stays on the grid).
int captionCut(QAbstractButton* button) {
    const QSize size = button->size();
    const QSize drawn = captionExtent(button);
    button->resize(size + QSize(40, 20));
    const QSize roomy = captionExtent(button);
    button->resize(size);
    return roomy.width() - drawn.width() + roomy.height() - drawn.height();
}

// The caption cut of every button beyond what the client area hides of the button anyway (the
// layout puts the right end of "Deg" there), by caption.
QMap<QString, int> captionCuts(const Window& w) {
    QMap<QString, int> cuts;
    for (auto* button : w.combo()->parentWidget()->findChildren<QAbstractButton*>()) {
        const int hidden =
            std::max(0, button->geometry().right() + 1 - button->parentWidget()->width());
        cuts[button->text()] =
            std::max(0, captionCut(button) - qCeil(hidden * button->devicePixelRatioF()));
    }
    return cuts;
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT
private slots:
    // As the program does; it keeps the captions of the options inside their room.
    void initTestCase() { WindowStyle::install(); }
    void startsWithoutImagePlugins(); // first: before anything else could load one
    void controlsStandWhereDrawn_data();
    void controlsStandWhereDrawn();
    void everyControlIsListed();
    void tabOrderFollowsTheTable();
    void focusStartsOnEquals();
    void controlsDoNotOverlap();
    void windowIsFixedAndPlain();
    void captionsFitAnyFont_data();
    void captionsFitAnyFont();
    void spokenNames_data();
    void spokenNames();
    void helpItem_data();
    void helpItem();
    void placementIsLeftToTheWindowSystem_data();
    void placementIsLeftToTheWindowSystem();
};

// Reading an image file maps every image-format plugin (and QtSvg), several MiB that the
// least Qt window does without; the window's icon is compiled in for that reason.
void TestLayout::startsWithoutImagePlugins() {
    Window w;
    QVERIFY(w.showActive());
    QVERIFY(!w.form().windowIcon().isNull());
    QFile maps("/proc/self/maps");
    QVERIFY(maps.open(QIODevice::ReadOnly | QIODevice::Text));
    QStringList images;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        if (line.contains("imageformats") || line.contains("Svg")) {
            images << QString::fromUtf8(line);
        }
    }
    QVERIFY2(images.isEmpty(), qPrintable(images.join('\n')));
}

void TestLayout::controlsStandWhereDrawn_data() {
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(std::size(expectedControls)); ++i) {
        const Expected& e = expectedControls[i];
        QTest::addRow("%s %d", e.name, e.index) << i;
    }
}

void TestLayout::controlsStandWhereDrawn() {
    QFETCH(int, row);
    const Expected& e = expectedControls[row];
    Window w;
    QWidget* widget = find(w.form(), e);
    QVERIFY(widget != nullptr);
    QCOMPARE(widget->metaObject()->className(), e.type);
    QCOMPARE(caption(widget), QString(e.caption));
    QCOMPARE(widget->geometry(), QRect(e.left, e.top, e.width, e.height));
    QVERIFY(!widget->accessibleName().isEmpty());
    QCOMPARE(widget->toolTip(), QString());
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        QVERIFY(button->icon().isNull());
        QVERIFY(button->shortcut().isEmpty()); // no mnemonics
    }
    QVERIFY(widget->isVisibleTo(&w.form()) && widget->isEnabled());
}

void TestLayout::everyControlIsListed() {
    Window w;
    const QWidget* client = w.combo()->parentWidget();
    int controls = 0;
    for (auto* child : client->children()) {
        // Hidden helpers for screen readers are no controls.
        if (auto* widget = qobject_cast<QWidget*>(child); widget && !widget->isHidden()) {
            ++controls;
        }
    }
    QCOMPARE(controls, int(std::size(expectedControls)));
    QCOMPARE(w.form().findChildren<QPushButton*>("ButtonUnary").size(), 12);
    QVERIFY(w.key("ButtonUnary", 3) == nullptr);
    // The evaluator has no place in the window.
    QVERIFY(w.form().findChild<QWidget*>("Vexa1") == nullptr);
}

void TestLayout::tabOrderFollowsTheTable() {
    Window w;
    const QWidget* client = w.combo()->parentWidget();
    // The combo box's line edit stands in the chain for the combo box itself.
    auto control = [&](QWidget* widget) -> QWidget* {
        return w.combo()->isAncestorOf(widget) ? w.combo() : widget;
    };
    QWidget* current = find(w.form(), expectedControls[0]);
    for (std::size_t i = 1; i < std::size(expectedControls); ++i) {
        QWidget* next = current;
        do {
            next = next->nextInFocusChain();
        } while (control(next) == control(current) || control(next)->parentWidget() != client ||
                 next->isHidden());
        QCOMPARE(control(next), find(w.form(), expectedControls[i]));
        current = next;
    }
}

void TestLayout::focusStartsOnEquals() {
    Window w;
    QVERIFY(w.showActive());
    QCOMPARE(QApplication::focusWidget(), w.key("CommandCompute"));
    QVERIFY(w.key("CommandCompute")->isDefault());
    // Tab walks on from "=" to the digits in their order.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w.key("NumberButton", 0));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w.key("NumberButton", 1));
}

void TestLayout::controlsDoNotOverlap() {
    Window w;
    std::vector<QRect> rects;
    for (const Expected& e : expectedControls) {
        rects.push_back(find(w.form(), e)->geometry());
    }
    const QRect clientArea(0, 0, 351, 226);
    for (std::size_t i = 0; i < rects.size(); ++i) {
        for (std::size_t j = i + 1; j < rects.size(); ++j) {
            QVERIFY2(!rects[i].intersects(rects[j]),
                     qPrintable(QString("%1 and %2").arg(i).arg(j)));
        }
        // Only "Deg" reaches past the right edge, by two pixels.
        const bool deg = expectedControls[i].index == 0 &&
                         QByteArray(expectedControls[i].name) == "OptionDegRad";
        QCOMPARE(clientArea.contains(rects[i]), !deg);
        if (deg) {
            QCOMPARE(rects[i].right() + 1 - clientArea.width(), 2);
        }
    }
}

void TestLayout::windowIsFixedAndPlain() {
    Window w;
    w.form().show();
    const QWidget* client = w.combo()->parentWidget();
    QCOMPARE(client->size(), QSize(351, 226));
    auto* bar = w.form().findChild<QMenuBar*>();
    QVERIFY(bar != nullptr);
    QCOMPARE(bar->actions().size(), 1);
    QCOMPARE(bar->actions().first()->text(), QString("?"));
    QCOMPARE(bar->actions().first()->objectName(), QString("mnuHelp"));
    QVERIFY(bar->actions().first()->menu() == nullptr);
    QVERIFY(!bar->isNativeMenuBar()); // in the window, not on a desktop-wide bar
    QCOMPARE(client->y(), bar->height());
    // Fixed size: the window cannot be made larger or smaller.
    QCOMPARE(w.form().minimumSize(), w.form().maximumSize());
    QCOMPARE(w.form().size(), QSize(351, 226 + bar->height()));
    // The message line reads as part of the window, not as an input field.
    QCOMPARE(w.status()->palette().color(QPalette::Base),
             w.status()->palette().color(QPalette::Button));
    QVERIFY(w.status()->isReadOnly());
    QVERIFY(!w.combo()->accessibleName().isEmpty() && !w.status()->accessibleName().isEmpty());
}

void TestLayout::captionsFitAnyFont_data() {
    QTest::addColumn<QFont>("font");
    QTest::addColumn<QSize>("client");
    // The toolkit's default font, here and on the desktop, is 9 points; the layout was drawn
    // for it and keeps its size with a smaller one.
    for (int points : {8, 9, 10, 11, 12, 13, 14, 15, 16}) {
        const int pixels = std::max(12, QFontInfo(QFont("DejaVu Sans", points)).pixelSize());
        QTest::addRow("%d pt", points)
            << QFont("DejaVu Sans", points)
            << QSize(qRound(351.0 * pixels / 12), qRound(226.0 * pixels / 12));
    }
    QFont pixels("DejaVu Sans");
    pixels.setPixelSize(20);
    QTest::newRow("20 px") << pixels << QSize(585, 377);
}

// A larger desktop font scales the whole layout, so that no caption is cut; CTest runs this at
// the desktop scales 1.5 and 2 as well. (The window's style moves the options' captions nearer
// their marks and lets a key's caption reach a pixel further: without that, the drawn layout
// cut "Rad", "Deg" and "10^x" by a column or two at the default font.)
void TestLayout::captionsFitAnyFont() {
    QFETCH(QFont, font);
    QFETCH(QSize, client);
    const QFont before = QApplication::font();
    QApplication::setFont(font);
    auto restore = qScopeGuard([&] { QApplication::setFont(before); });
    Window w;
    QCOMPARE(w.combo()->parentWidget()->size(), client);
    const QMap<QString, int> cuts = captionCuts(w);
    QCOMPARE(cuts.size(), 38); // every key and option
    for (auto [caption, cut] : cuts.asKeyValueRange()) {
        QVERIFY2(cut == 0, qPrintable(QString("%1: %2 px cut").arg(caption).arg(cut)));
    }
    // The layout scales as a whole: "=" still spans the number pad.
    QCOMPARE(w.key("CommandCompute")->x(), w.key("NumberButton", 1)->x());
    QCOMPARE(w.key("CommandCompute")->geometry().right(),
             w.key("NumberButton", 3)->geometry().right());
}

void TestLayout::spokenNames_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("role");
    // On Linux a screen reader names a combo box by its text unless a label names it.
    QTest::newRow("expression box") << "ExpressionCombo"
                                    << "Expression" << int(QAccessible::StaticText);
    // Qt names a menu item by its caption.
    QTest::newRow("help item") << "mnuHelp"
                               << "Help" << int(QAccessible::MenuItem);
}

// What a screen reader calls the two controls whose captions do not say what they are.
void TestLayout::spokenNames() {
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(int, role);
    Window w;
    QVERIFY(w.showActive());
    QAccessible::setActive(true); // as when a screen reader connects
    QAccessibleInterface* spoken = nullptr;
    if (control == "ExpressionCombo") {
        const auto labels =
            QAccessible::queryAccessibleInterface(w.combo())->relations(QAccessible::Label);
        QCOMPARE(labels.size(), 1);
        spoken = labels.first().first;
    } else {
        auto* bar = QAccessible::queryAccessibleInterface(w.form().findChild<QMenuBar*>());
        QCOMPARE(bar->role(), QAccessible::MenuBar);
        QCOMPARE(bar->childCount(), 1);
        spoken = bar->child(0);
        QCOMPARE(bar->indexOfChild(spoken), 0);
        QCOMPARE(spoken->object(), w.form().findChild<QAction*>(control));
        // It still does what the item does.
        spoken->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(w.desktop().started.size(), std::size_t(1));
        QVERIFY(!spoken->state().invisible);
        QVERIFY(spoken->rect().isValid());
    }
    QVERIFY(spoken != nullptr);
    QCOMPARE(spoken->role(), QAccessible::Role(role));
    QCOMPARE(spoken->text(QAccessible::Name), name);
}

void TestLayout::helpItem_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("started"); // help viewers
    QTest::newRow("click") << QStringList{"click"} << 1;
    QTest::newRow("Alt, Enter") << QStringList{"Alt", "Return"} << 1;
    QTest::newRow("Alt, Esc") << QStringList{"Alt", "Escape"} << 0;
    QTest::newRow("Alt twice") << QStringList{"Alt", "Alt"} << 0;
}

// The "?" item of the toolkit's menu bar, by mouse and by keyboard: Alt reaches it, and
// whatever follows, the focus goes back to where it was.
void TestLayout::helpItem() {
    QFETCH(QStringList, steps);
    QFETCH(int, started);
    Window w;
    QVERIFY(w.showActive());
    auto* bar = w.form().findChild<QMenuBar*>();
    auto* help = w.form().findChild<QAction*>("mnuHelp");
    QVERIFY(bar != nullptr && help != nullptr);
    QWidget* before = QApplication::focusWidget();
    for (const QString& step : steps) {
        QWidget* focus = QApplication::focusWidget();
        if (step == "click") {
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(help).center());
        } else if (step == "Alt") {
            const bool reaching = bar->activeAction() == nullptr;
            QTest::keyPress(focus, Qt::Key_Alt, Qt::AltModifier);
            QTest::keyRelease(focus, Qt::Key_Alt);
            QCOMPARE(bar->activeAction(), reaching ? help : nullptr);
        } else {
            QTest::keyClick(focus, step == "Return" ? Qt::Key_Return : Qt::Key_Escape);
        }
    }
    QCOMPARE(w.desktop().started.size(), std::size_t(started));
    QCOMPARE(QApplication::focusWidget(), before);
    QCOMPARE(w.text(), QString("sin(pi/4)"));
}

void TestLayout::placementIsLeftToTheWindowSystem_data() {
    QTest::addColumn<bool>("shown");
    QTest::newRow("created, not yet shown") << false;
    QTest::newRow("shown") << true;
}

// A window with an explicit position asks the window manager for it as if the user had chosen
// it (on X11 "user specified location" in WM_NORMAL_HINTS); without one, the window manager
// places the window as it places any new one.
void TestLayout::placementIsLeftToTheWindowSystem() {
    QFETCH(bool, shown);
    Window w;
    w.form().winId(); // the native window, as showing creates it
    QWindow* window = w.form().windowHandle();
    QVERIFY(window != nullptr);
    const QPoint created = window->position();
    if (shown) {
        QVERIFY(w.showActive());
        QCOMPARE(window->position(), created); // not centred either
    }
    QVERIFY(qt_window_private(window)->positionAutomatic);
    QVERIFY(!w.form().testAttribute(Qt::WA_Moved));
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
