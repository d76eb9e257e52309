// The window's compute path and start-up, measured in-process on the offscreen platform and
// driven only through the window's real controls: "=" from the click until the result has been
// painted, and Form1 from construction (which runs Form_Load) until its first paint.
#include "app/desktop.h"
#include "app/form1.h"
#include "bench/corpus.h"
#include "bench/medians.h"
#include "evaluator/vexa.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QLineEdit>
#include <QMessageLogContext>
#include <QPushButton>
#include <QStringList>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int HistoryCapacity = 32767;

// Counts the paint events a widget receives.
class PaintCounter final : public QObject {
public:
    explicit PaintCounter(QWidget* widget) : QObject(widget) { widget->installEventFilter(this); }
    int paints() const { return paints_; }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints_;
        }
        return false;
    }

private:
    int paints_ = 0;
};

// Runs the event loop until the counter has seen a paint after `before`; false after a second
// without one, which would mean nothing on the screen changed.
bool paintedSince(const PaintCounter& counter, int before) {
    QElapsedTimer timer;
    timer.start();
    while (counter.paints() == before) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (timer.elapsed() > 1000) {
            return false;
        }
    }
    return true;
}

std::unique_ptr<Form1> makeWindow() {
    return std::make_unique<Form1>(vexa::makeVexa(), std::make_unique<Desktop>());
}

// A shown window and the controls "=" involves.
struct ShownWindow {
    std::unique_ptr<Form1> form = makeWindow();
    QComboBox* box = form->findChild<QComboBox*>("ExpressionCombo");
    QPushButton* equals = form->findChild<QPushButton*>("CommandCompute");
    PaintCounter* boxPaints = new PaintCounter(box->lineEdit());

    ShownWindow() {
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get())) {
            std::fprintf(stderr, "the window was never exposed\n");
        }
        QCoreApplication::processEvents();
    }

    // Types text into the box (untimed), then times the click on "=" until the box shows the
    // result. texts gives the text of each iteration.
    template <typename Texts> void compute(benchmark::State& state, Texts&& texts) {
        for (auto _ : state) {
            state.PauseTiming();
            box->setEditText(texts());
            QCoreApplication::processEvents(); // paint the typed text before the clock runs
            const int before = boxPaints->paints();
            state.ResumeTiming();
            QTest::mouseClick(equals, Qt::LeftButton);
            if (!paintedSince(*boxPaints, before)) {
                state.SkipWithError("the result was never painted");
                break;
            }
        }
    }

    // Fills the history to capacity with distinct texts, newest first, as many "=" would.
    void fillHistory() {
        QStringList entries;
        entries.reserve(HistoryCapacity);
        for (int i = HistoryCapacity; i >= 1; --i) {
            entries << QString::number(i) + "*1";
        }
        box->addItems(entries);
    }
};

void computeShortText(benchmark::State& state) {
    ShownWindow window;
    window.compute(state, [] { return QStringLiteral("sin(pi/4)"); });
}

void computeLongText(benchmark::State& state) {
    const QString text = QString::fromStdString(bench::sumOfLength(HistoryCapacity));
    ShownWindow window;
    window.compute(state, [&] { return text; });
}

// The text is the oldest entry, so the duplicate scan reads every entry and the list stays.
void computeOldestOfFullHistory(benchmark::State& state) {
    ShownWindow window;
    window.fillHistory();
    window.compute(state, [] { return QStringLiteral("1*1"); });
}

// A new text each time: the scan reads every entry, the oldest is dropped and the text added.
void computeNewTextIntoFullHistory(benchmark::State& state) {
    ShownWindow window;
    window.fillHistory();
    int next = 0;
    window.compute(state, [&] { return "2+" + QString::number(++next); });
}

void startUp(benchmark::State& state) {
    for (auto _ : state) {
        std::unique_ptr<Form1> form = makeWindow();
        const PaintCounter* paints = new PaintCounter(form.get());
        form->show();
        if (!paintedSince(*paints, 0)) {
            state.SkipWithError("the window was never painted");
            break;
        }
        state.PauseTiming();
        form.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

// The offscreen platform warns on every shown dialog that it cannot pass size hints on, and a
// session without a runtime folder is noted too; those lines would bury the results.
void printMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (!message.contains(u"propagateSizeHints") && !message.contains(u"XDG_RUNTIME_DIR")) {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
}

struct Row {
    const char* name;
    void (*run)(benchmark::State&);
    const char* what;
};

const Row rows[] = {
    {"start-up", startUp, "start-up: construct, load, show, first paint"},
    {"compute/short", computeShortText, "\"=\" on `sin(pi/4)`, click to result painted"},
    {"compute/long", computeLongText, "\"=\" on a 32,767-character sum"},
    {"compute/full-history-oldest", computeOldestOfFullHistory,
     "\"=\" on the oldest of 32,767 history entries"},
    {"compute/full-history-new", computeNewTextIntoFullHistory,
     "\"=\" on a new text, 32,767 history entries"},
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qInstallMessageHandler(printMessage);
    QApplication application(argc, argv);
    for (const Row& row : rows) {
        benchmark::RegisterBenchmark(row.name, row.run)
            ->Unit(benchmark::kMicrosecond)
            ->UseRealTime();
    }
    bench::MedianCollector medians;
    if (!bench::runAll(argc, argv, 0.2, medians)) {
        return 2;
    }

    std::printf("\n| window, in-process (offscreen) | median real time us |\n| --- | ---: |\n");
    for (const Row& row : rows) {
        const auto times = medians.find(row.name);
        std::printf(
            "| %s | %s |\n", row.what,
            bench::formatTime(times ? std::optional(times->realNs / 1000) : std::nullopt).c_str());
    }
    return 0;
}
