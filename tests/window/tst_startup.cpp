// The window's first state, with our evaluator and with scripted ones.
#include <QIcon>
#include <QImage>
#include <QTest>

#include "harness.h"

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void normalStart();
    void initialUnit_data();
    void initialUnit();
    void startupErrorAlwaysShowsPosition_data();
    void startupErrorAlwaysShowsPosition();
    void failedAddSkipsTheRest();
    void optionClicksWriteTheUnit();
    void angleUnitReachesTheEvaluator();
};

void TestStartup::normalStart() {
    Window w;
    QCOMPARE(w.form().windowTitle(), QString("Tarnicle"));
    // The icon is the images in app/icons, compiled in.
    auto pixels = [](const QImage& image) {
        QList<QRgb> all;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                all << image.pixel(x, y);
            }
        }
        return all;
    };
    const QIcon icon = w.form().windowIcon();
    for (const auto& [size, file] : {std::pair{16, "tarnicle-16.png"}, {32, "tarnicle-32.png"}}) {
        const QImage image(QT_TESTCASE_SOURCEDIR "/../../app/icons/" + QString(file));
        QVERIFY(!image.isNull());
        QCOMPARE(pixels(icon.pixmap(size).toImage()), pixels(image));
    }
    QCOMPARE(w.text(), QString("sin(pi/4)"));
    QCOMPARE(w.history(), QStringList{});
    QCOMPARE(w.status()->text(), QString());
    QVERIFY(w.option(1)->isChecked());
    QVERIFY(!w.option(0)->isChecked() && !w.option(2)->isChecked());
    QCOMPARE(w.desktop().beeps, 0);
    w.compute();
    QCOMPARE(w.text(), QString(" 0.707106781186548"));
    QCOMPARE(w.history(), QStringList{"sin(pi/4)"});
}

void TestStartup::initialUnit_data() {
    QTest::addColumn<int>("unit");
    QTest::addColumn<int>("checked");
    QTest::addColumn<int>("written");
    QTest::newRow("degrees") << 1 << 0 << 1;
    QTest::newRow("radians") << 0 << 1 << 0;
    QTest::newRow("grads become radians") << 2 << 1 << 0;
    QTest::newRow("anything else") << -7 << 1 << 0;
}

void TestStartup::initialUnit() {
    QFETCH(int, unit);
    QFETCH(int, checked);
    QFETCH(int, written);
    auto w = Window::withFake([&](FakeVexa& f) { f.unit = unit; });
    QCOMPARE(w.fake().added, std::vector<std::u16string>{u"Ex1"});
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(w.option(i)->isChecked(), i == checked);
    }
    QCOMPARE(w.fake().unitWrites, std::vector<std::int32_t>{written});
    QCOMPARE(w.text(), QString("sin(pi/4)"));
}

void TestStartup::startupErrorAlwaysShowsPosition_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("kind 0") << 0;
    QTest::newRow("kind 1") << 1;
}

void TestStartup::startupErrorAlwaysShowsPosition() {
    QFETCH(int, kind);
    auto w = Window::withFake([&](FakeVexa& f) { f.lastError = {9, u"Not ready", 12, kind}; });
    QCOMPARE(w.status()->text(), QString("Not ready at pos. 12"));
    QCOMPARE(w.status()->cursorPosition(), 0);
    QCOMPARE(w.status()->toolTip(), w.status()->text());
    QCOMPARE(w.desktop().beeps, 0);
    QCOMPARE(w.text(), QString("sin(pi/4)")); // nothing failed: the start-up ran through
}

void TestStartup::failedAddSkipsTheRest() {
    auto w = Window::withFake([](FakeVexa& f) {
        f.lastError = {5, u"No slot", 0, 1};
        f.failAdd = true;
    });
    QCOMPARE(w.status()->text(), QString("No slot at pos. 0"));
    QCOMPARE(w.text(), QString());
    QVERIFY(w.fake().unitWrites.empty());
    for (int i = 0; i < 3; ++i) {
        QVERIFY(!w.option(i)->isChecked());
    }
    // The window stays usable: keys still edit the text.
    w.click(w.key("NumberButton", 4));
    QCOMPARE(w.text(), QString("4"));
}

void TestStartup::optionClicksWriteTheUnit() {
    auto w = Window::withFake([](FakeVexa&) {});
    auto& writes = w.fake().unitWrites;
    writes.clear();
    w.click(w.option(2));
    w.click(w.option(0));
    w.click(w.option(0)); // already selected: the handler runs all the same, once
    w.click(w.option(1));
    QCOMPARE(writes, (std::vector<std::int32_t>{2, 1, 1, 0}));
    // The keyboard selects too: Space on the focused option.
    w.option(2)->setFocus();
    QTest::keyClick(w.option(2), Qt::Key_Space);
    QCOMPARE(writes.back(), 2);
    QCOMPARE(writes.size(), std::size_t(5));
    QCOMPARE(w.text(), QString("sin(pi/4)")); // nothing else changes
}

void TestStartup::angleUnitReachesTheEvaluator() {
    Window w;
    struct Row {
        int option;
        const char* text;
        const char* result;
    };
    for (const Row& row : {Row{2, "sin(100)", " 1"}, Row{0, "cos(60)", " 0.5"},
                           Row{0, "asin(1)", " 90"}, Row{1, "cos(pi)", "-1"}}) {
        w.click(w.option(row.option));
        w.compute(row.text);
        QCOMPARE(w.text(), QString(row.result));
    }
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
