// The window as drawn: every control where the layout puts it, in the tab order.
#include <QTest>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMenuBar>
#include <QScopeGuard>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
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
    int left, top, width, height; // twips
};

// In tab order, as the layout draws them.
constexpr Expected expectedControls[] = {
    {"CommandCompute", -1, "QPushButton", "=", 120, 3000, 2055, 375},
    {"NumberButton", 0, "QPushButton", "0", 120, 2400, 615, 375},
    {"NumberButton", 1, "QPushButton", "1", 120, 1920, 615, 375},
    {"NumberButton", 2, "QPushButton", "2", 840, 1920, 615, 375},
    {"NumberButton", 3, "QPushButton", "3", 1560, 1920, 615, 375},
    {"NumberButton", 4, "QPushButton", "4", 120, 1440, 615, 375},
    {"NumberButton", 5, "QPushButton", "5", 840, 1440, 615, 375},
    {"NumberButton", 6, "QPushButton", "6", 1560, 1440, 615, 375},
    {"NumberButton", 7, "QPushButton", "7", 120, 960, 615, 375},
    {"NumberButton", 8, "QPushButton", "8", 840, 960, 615, 375},
    {"NumberButton", 9, "QPushButton", "9", 1560, 960, 615, 375},
    {"ButtonDot", -1, "QPushButton", ".", 840, 2400, 615, 375},
    {"ButtonE", -1, "QPushButton", "e", 1560, 2400, 615, 375},
    {"ButtonBS", -1, "QPushButton", "C", 2640, 960, 495, 255},
    {"ClearButton", -1, "QPushButton", "AC", 3240, 960, 495, 255},
    {"ButtonPlus", -1, "QPushButton", "+", 2640, 1320, 495, 255},
    {"ButtonDiv", -1, "QPushButton", "/", 3240, 1320, 495, 255},
    {"ButtonMult", -1, "QPushButton", "*", 2640, 1680, 495, 255},
    {"ButtonMinus", -1, "QPushButton", "-", 3240, 1680, 495, 255},
    {"ButtonLPar", -1, "QPushButton", "(", 2640, 2040, 495, 255},
    {"ButtonRPar", -1, "QPushButton", ")", 3240, 2040, 495, 255},
    {"ButtonUnary", 0, "QPushButton", "sin", 2640, 2400, 495, 255},
    {"ButtonUnary", 10, "QPushButton", "asin", 3240, 2400, 495, 255},
    {"ButtonUnary", 1, "QPushButton", "cos", 2640, 2760, 495, 255},
    {"ButtonUnary", 11, "QPushButton", "acos", 3240, 2760, 495, 255},
    {"ButtonUnary", 2, "QPushButton", "tan", 2640, 3120, 495, 255},
    {"ButtonUnary", 12, "QPushButton", "atan", 3240, 3120, 495, 255},
    {"OptionDegRad", 0, "QRadioButton", "Deg", 4680, 120, 615, 255},
    {"OptionDegRad", 1, "QRadioButton", "Rad", 3960, 120, 615, 255},
    {"ButtonUnary", 9, "QPushButton", "x^2", 4080, 960, 495, 255},
    {"ButtonUnary", 8, "QPushButton", "sqrt", 4680, 960, 495, 255},
    {"ButtonXtoY", -1, "QPushButton", "x^y", 4080, 1320, 495, 255},
    {"ButtonRoot", -1, "QPushButton", "root", 4680, 1320, 495, 255},
    {"ButtonUnary", 6, "QPushButton", "exp", 4080, 1680, 495, 255},
    {"ButtonUnary", 4, "QPushButton", "ln", 4680, 1680, 495, 255},
    {"ButtonUnary", 7, "QPushButton", "10^x", 4080, 2040, 495, 255},
    {"ButtonUnary", 5, "QPushButton", "log", 4680, 2040, 495, 255},
    {"ExpressionCombo", -1, "QComboBox", "", 0, 480, 3615, 315},
    {"Status", -1, "QLineEdit", "", 0, 0, 3615, 375},
    {"OptionDegRad", 2, "QRadioButton", "Grad", 3960, 480, 855, 255},
};

// The client area: "Deg" ends at 5295, and as far again as the keys stand from the left edge.
constexpr int ClientWidth = 5415, ClientHeight = 3390;

// Twips to pixels at the window's one scale, each edge on its own.
int pixels(int twips, double scale) {
    return qRound(twips * scale / 15);
}
QRect pixels(int left, int top, int width, int height, double scale) {
    return QRect(QPoint(pixels(left, scale), pixels(top, scale)),
                 QPoint(pixels(left + width, scale) - 1, pixels(top + height, scale) - 1));
}
QRect pixels(const Expected& e, double scale) {
    return pixels(e.left, e.top, e.width, e.height, scale);
}

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
// room to spare (whole pixels at the desktop scales tried, 1.25 to 2, so that the caption stays
// on the pixel grid).
int captionCut(QAbstractButton* button) {
    const QSize size = button->size();
    const QSize drawn = captionExtent(button);
    button->resize(size + QSize(40, 24));
    const QSize roomy = captionExtent(button);
    button->resize(size);
    return roomy.width() - drawn.width() + roomy.height() - drawn.height();
}

// Whether the room the style gives a button's caption, and an option's mark, holds them inside
// the button.
bool captionFits(QAbstractButton* button, const QFontMetrics& metrics) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QStyle* style = button->style();
    auto* key = qobject_cast<QPushButton*>(button);
    if (key != nullptr && key->autoDefault()) {
        option.features |= QStyleOptionButton::AutoDefaultButton;
    }
    const QRect room = style->subElementRect(key != nullptr ? QStyle::SE_PushButtonContents
                                                            : QStyle::SE_RadioButtonContents,
                                             &option, button);
    const bool markInside =
        key != nullptr || button->rect().contains(style->subElementRect(
                              QStyle::SE_RadioButtonIndicator, &option, button));
    return markInside && button->rect().contains(room) &&
           room.width() >= metrics.horizontalAdvance(button->text()) &&
           room.height() >= metrics.height();
}

// Whether an empty box draws its frame (its edge unlike its inside, across the middle) and,
// given an arrow's place, something there: a style that lacks room draws a flat field.
bool boxDrawnWhole(QWidget* box, const QRect& arrow) {
    const QImage drawn = box->grab().toImage();
    const qreal ratio = box->devicePixelRatioF();
    const int middle = drawn.height() / 2;
    const QRgb inside = drawn.pixel(drawn.width() / 2, middle);
    bool edge = false;
    for (int x = 0; x < qCeil(3 * ratio); ++x) {
        edge = edge || drawn.pixel(x, middle) != inside;
    }
    bool marked = arrow.isNull();
    const QRect arrowDrawn(arrow.topLeft() * ratio, arrow.size() * ratio);
    for (int y = arrowDrawn.top(); !marked && y <= arrowDrawn.bottom(); ++y) {
        for (int x = arrowDrawn.left(); !marked && x <= arrowDrawn.right(); ++x) {
            marked = drawn.valid(x, y) && drawn.pixel(x, y) != inside;
        }
    }
    return edge && marked;
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT
private slots:
    // As the program does: the style without the menu bar's overflow icon.
    void initTestCase() { WindowStyle::install(); }
    void startsWithoutImagePlugins(); // first: before anything else could load one
    void controlsStandWhereDrawn_data();
    void controlsStandWhereDrawn();
    void everyControlIsListed();
    void tabOrderFollowsTheTable();
    void focusStartsOnEquals();
    void controlsDoNotOverlap();
    void windowIsFixedAndPlain();
    void wholeInEveryStyle_data();
    void wholeInEveryStyle();
    void spokenNames_data();
    void spokenNames();
    void helpItem_data();
    void helpItem();
    void placementIsLeftToTheWindowSystem_data();
    void placementIsLeftToTheWindowSystem();
    void keepsItsSizeWhenEnlarged_data();
    void keepsItsSizeWhenEnlarged();
    void statusLooksLikeTheWindow_data();
    void statusLooksLikeTheWindow(); // last: it leaves the palette set
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
    QCOMPARE(widget->geometry(), pixels(e, w.form().layoutScale()));
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
    const QRect clientArea = w.combo()->parentWidget()->rect();
    for (std::size_t i = 0; i < rects.size(); ++i) {
        for (std::size_t j = i + 1; j < rects.size(); ++j) {
            QVERIFY2(!rects[i].intersects(rects[j]),
                     qPrintable(QString("%1 and %2").arg(i).arg(j)));
        }
        QVERIFY2(clientArea.contains(rects[i]), expectedControls[i].caption);
    }
    // The rightmost control, "Deg", keeps the keys' margin from the right edge.
    const int rightMargin = clientArea.right() - w.option(0)->geometry().right();
    QVERIFY(qAbs(rightMargin - w.key("NumberButton", 7)->x()) <= 1);
}

void TestLayout::windowIsFixedAndPlain() {
    Window w;
    w.form().show();
    const QWidget* client = w.combo()->parentWidget();
    const double scale = w.form().layoutScale();
    const QSize clientSize = pixels(0, 0, ClientWidth, ClientHeight, scale).size();
    QCOMPARE(client->size(), clientSize);
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
    QCOMPARE(w.form().size(), clientSize + QSize(0, bar->height()));
    QVERIFY(w.status()->isReadOnly());
    QVERIFY(!w.combo()->accessibleName().isEmpty() && !w.status()->accessibleName().isEmpty());
}

void TestLayout::wholeInEveryStyle_data() {
    QTest::addColumn<QString>("style");
    QTest::addColumn<QFont>("font");
    QTest::addColumn<bool>("asDrawn"); // the style and font have room: the window keeps its size
    // Fusion is the toolkit's default, also under the GTK platform theme and qt6ct; Windows has
    // wider frames and marks the keys Enter may click; Adwaita (adwaita-qt6) is what GNOME users
    // install, with the largest frames and marks. The desktop's font is 9 points by default.
    for (const char* style : {"Fusion", "Windows", "Adwaita", "Adwaita-Dark"}) {
        const bool roomy = QByteArray(style) == "Fusion" || QByteArray(style) == "Windows";
        QTest::addRow("%s, 7 pt", style) << style << QFont("DejaVu Sans", 7) << roomy;
        for (int points : {8, 9, 11, 13, 16}) {
            QTest::addRow("%s, %d pt", style, points)
                << style << QFont("DejaVu Sans", points) << false;
        }
        QTest::addRow("%s, serif 12 pt", style) << style << QFont("DejaVu Serif", 12) << false;
        QFont large("DejaVu Sans");
        large.setPixelSize(20);
        QTest::addRow("%s, 20 px", style) << style << large << false;
    }
}

// Whatever the style and the font, every caption and both boxes show whole and every control
// stays inside the client area, the whole layout grown by one scale; CTest runs this at the
// desktop scales 1.5 and 2 as well.
void TestLayout::wholeInEveryStyle() {
    QFETCH(QString, style);
    QFETCH(QFont, font);
    QFETCH(bool, asDrawn);
    if (!QStyleFactory::keys().contains(style, Qt::CaseInsensitive)) {
        QSKIP("style not installed (Adwaita comes with adwaita-qt6)");
    }
    const QFont before = QApplication::font();
    QApplication::setStyle(new WindowStyle(QStyleFactory::create(style)));
    QApplication::setFont(font);
    auto restore = qScopeGuard([&] {
        QApplication::setStyle(new WindowStyle(QStyleFactory::create("Fusion")));
        QApplication::setFont(before);
    });
    Window w;
    const double scale = w.form().layoutScale();
    if (asDrawn) {
        QCOMPARE(scale, 1.0);
    }
    const QWidget* client = w.combo()->parentWidget();
    QCOMPARE(client->size(), pixels(0, 0, ClientWidth, ClientHeight, scale).size());
    const QFontMetrics metrics(font);
    for (const Expected& e : expectedControls) {
        QWidget* widget = find(w.form(), e);
        QCOMPARE(widget->geometry(), pixels(e, scale));
        QVERIFY2(client->rect().contains(widget->geometry()), e.name);
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            // Where the style puts the caption holds it, and the caption comes out whole.
            QVERIFY2(captionFits(button, metrics), e.caption);
            QVERIFY2(captionCut(button) == 0, e.caption);
        }
    }
    // The boxes keep their frames (and the expression box its arrow) and room for a line.
    QVERIFY(boxDrawnWhole(w.status(), QRect()));
    w.setText("");
    QStyleOptionComboBox option;
    option.initFrom(w.combo());
    option.editable = true;
    const QRect arrow = w.combo()->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                           QStyle::SC_ComboBoxArrow, w.combo());
    QVERIFY(boxDrawnWhole(w.combo(), arrow));
    QVERIFY(w.combo()->lineEdit()->height() >= metrics.height() + 2);
    QStyleOptionFrame frame;
    frame.initFrom(w.status());
    QVERIFY(w.status()
                ->style()
                ->subElementRect(QStyle::SE_LineEditContents, &frame, w.status())
                .height() >= metrics.height() + 2);
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

void TestLayout::keepsItsSizeWhenEnlarged_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("forewarned"); // asked by Qt's title bar, not by the compositor
    QTest::newRow("maximize button") << int(Qt::WindowMaximized) << true;
    QTest::newRow("maximized by the compositor") << int(Qt::WindowMaximized) << false;
    QTest::newRow("full screen by the compositor") << int(Qt::WindowFullScreen) << false;
}

// Qt's title bar on Wayland offers to maximize the window, and a compositor may maximize it or
// fill the screen with it by itself: the window keeps its size and all it holds. Only on
// Wayland (CTest runs it on weston where weston is installed), where a frame of the wrong size
// in that state breaks the protocol, which ends the program.
void TestLayout::keepsItsSizeWhenEnlarged() {
    QFETCH(int, state);
    QFETCH(bool, forewarned);
    if (!QGuiApplication::platformName().startsWith("wayland")) {
        QSKIP("needs a Wayland compositor");
    }
    Window w;
    w.form().show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form()));
    w.compute("1+1");
    w.setText("2*3");
    w.combo()->lineEdit()->setFocus();
    w.combo()->lineEdit()->setCursorPosition(1);
    QTest::qWait(200); // painted at its size
    const QSize size = w.form().size();
    // The request the title bar's button makes; unannounced, the compositor's own.
    QWindow* handle = w.form().windowHandle();
    handle->blockSignals(!forewarned);
    handle->setWindowStates(Qt::WindowStates(state));
    handle->blockSignals(false);
    QTRY_VERIFY(w.form().windowState() == Qt::WindowNoState && w.form().size() == size &&
                w.form().updatesEnabled() && handle->isExposed());
    QTest::qWait(200); // the compositor's last word
    QCOMPARE(w.form().windowState(), Qt::WindowNoState);
    QCOMPARE(w.form().size(), size);
    QCOMPARE(w.form().maximumSize(), size); // fixed again
    QCOMPARE(w.text(), QString("2*3"));
    QCOMPARE(w.history(), QStringList{"1+1"});
    // Typing goes on where it was, replacing nothing.
    QCOMPARE(w.combo()->lineEdit()->cursorPosition(), 1);
    QVERIFY(!w.combo()->lineEdit()->hasSelectedText());
}

void TestLayout::statusLooksLikeTheWindow_data() {
    QTest::addColumn<QString>("change"); // made while the window is shown
    QTest::newRow("as started") << "";
    QTest::newRow("dark style") << "Adwaita-Dark";
    QTest::newRow("dark palette") << "palette"; // last: it stays set
}

// The message line has the window's background, not an input field's, also after a dark theme
// is chosen while the program runs; its other colours follow the window's.
void TestLayout::statusLooksLikeTheWindow() {
    QFETCH(QString, change);
    if (change == "Adwaita-Dark" && !QStyleFactory::keys().contains(change)) {
        QSKIP("style not installed (it comes with adwaita-qt6)");
    }
    Window w;
    QVERIFY(w.showActive());
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x30, 0x30, 0x30));
    dark.setColor(QPalette::Button, QColor(0x40, 0x40, 0x40));
    dark.setColor(QPalette::Base, Qt::black);
    dark.setColor(QPalette::Text, Qt::white);
    if (change == "palette") {
        QApplication::setPalette(dark);
    } else if (!change.isEmpty()) {
        QApplication::setStyle(new WindowStyle(QStyleFactory::create(change)));
    }
    auto restore = qScopeGuard([&] {
        if (change != "palette") {
            QApplication::setStyle(new WindowStyle(QStyleFactory::create("Fusion")));
        }
    });
    const QPalette& window = w.form().palette();
    if (!change.isEmpty()) {
        QTRY_VERIFY(window.color(QPalette::Button).lightness() < 128); // the change has arrived
    }
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        QCOMPARE(w.status()->palette().color(group, QPalette::Base),
                 window.color(group, QPalette::Button));
        QCOMPARE(w.status()->palette().color(group, QPalette::Text),
                 window.color(group, QPalette::Text));
    }
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
