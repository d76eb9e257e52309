// Our evaluator against muparser on the same corpus, in two modes: compiling and evaluating a
// fresh text, which is what "=" does, and evaluating a text compiled before, against muparser
// with its optimizer on (it folds constants, so evaluating returns a stored value). Both engines
// must give the same value for every text before anything is timed. The table at the end holds
// the median time of each, their ratio and the geometric mean of the ratios.
#include "bench/corpus.h"
#include "bench/medians.h"
#include "bench/peer.h"
#include "evaluator/vexa.h"

#include <benchmark/benchmark.h>
#include <muParser.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

enum class Mode { CompileEvaluate, EvaluateOnly };
enum class Engine { Ours, Peer };

// One evaluator with its one slot, as the window holds them.
struct Ours {
    std::unique_ptr<vexa::Vexa> vexa = vexa::makeVexa();
    vexa::Expression& slot = vexa->Expressions().Add(u"Ex1", u"", u"");

    double compute(const std::u16string& text) {
        slot.setText(text);
        slot.Compile();
        return slot.Evaluate();
    }
};

void oursCompileEvaluate(benchmark::State& state, const std::u16string& text) {
    Ours ours;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ours.compute(text));
    }
}

void oursEvaluateOnly(benchmark::State& state, const std::u16string& text) {
    Ours ours;
    ours.compute(text);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ours.slot.Evaluate());
    }
}

// The peer compiles on the first Eval after SetExpr and runs its bytecode on later ones.
void peerCompileEvaluate(benchmark::State& state, const std::string& text) {
    const auto peer = bench::makePeer(true);
    for (auto _ : state) {
        peer->SetExpr(text);
        benchmark::DoNotOptimize(peer->Eval());
    }
}

// With its optimizer, which folds the text into a value when it is compiled, as ours does.
void peerEvaluateOnly(benchmark::State& state, const std::string& text) {
    const auto peer = bench::makePeer(true);
    peer->SetExpr(text);
    peer->Eval();
    for (auto _ : state) {
        benchmark::DoNotOptimize(peer->Eval());
    }
}

// Every text must compute, and to the same double in both engines and both peer set-ups; where
// ours reads an angle written with pi exactly (sin(pi/4) is the double nearest sqrt(2)/2, the
// peer's is one unit in the last place below), within a few units in the last place.
bool valuesAgree(const std::vector<bench::CorpusText>& texts) {
    bool agree = true;
    const auto optimizing = bench::makePeer(true);
    const auto plain = bench::makePeer(false);
    for (const bench::CorpusText& entry : texts) {
        try {
            Ours ours;
            const double value = ours.compute(entry.text);
            if (entry.peerText.empty()) {
                continue;
            }
            for (mu::Parser* peer : {optimizing.get(), plain.get()}) {
                peer->SetExpr(entry.peerText);
                const double theirs = peer->Eval();
                const double tolerance = entry.exactAngles ? 1e-15 * std::fabs(value) : 0;
                if (!(std::fabs(theirs - value) <= tolerance)) {
                    std::printf("'%s': ours %.17g, muparser %.17g\n", entry.label.c_str(), value,
                                theirs);
                    agree = false;
                }
            }
        } catch (const vexa::Failure&) {
            std::printf("'%s': our evaluator fails\n", entry.label.c_str());
            agree = false;
        } catch (const mu::Parser::exception_type& error) {
            std::printf("'%s': muparser fails: %s\n", entry.label.c_str(), error.GetMsg().c_str());
            agree = false;
        }
    }
    return agree;
}

const char* modeName(Mode mode) {
    return mode == Mode::CompileEvaluate ? "compile+evaluate" : "evaluate";
}

std::string benchmarkName(Mode mode, Engine engine, const bench::CorpusText& text) {
    return std::string(modeName(mode)) + (engine == Engine::Ours ? "/ours/" : "/muparser/") +
           text.label;
}

std::string ratio(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1fx", value);
    return text;
}

// A Markdown table: per text, each mode's median CPU times and how many times faster ours is.
// CPU time, because a shared machine's other work would otherwise count against whichever
// engine it happened to interrupt.
void printTable(const std::vector<bench::CorpusText>& texts,
                const bench::MedianCollector& medians) {
    std::printf("\n| text | chars | compile+evaluate: ours ns | muparser ns | ratio "
                "| evaluate only: ours ns | muparser (optimizer on) ns | ratio |\n"
                "| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: |\n");
    double logSums[2] = {0, 0};
    int counts[2] = {0, 0};
    double slowest[2] = {HUGE_VAL, HUGE_VAL}; // the smallest ratio of each mode
    for (const bench::CorpusText& text : texts) {
        const bool longText = text.text.size() > 60;
        std::printf("| %s%s%s | %zu ", longText ? "" : "`", text.label.c_str(), longText ? "" : "`",
                    text.text.size());
        for (const Mode mode : {Mode::CompileEvaluate, Mode::EvaluateOnly}) {
            const auto cpu = [&](Engine engine) -> std::optional<double> {
                const auto times = medians.find(benchmarkName(mode, engine, text));
                return times ? std::optional(times->cpuNs) : std::nullopt;
            };
            const auto ours = cpu(Engine::Ours);
            const auto peer = cpu(Engine::Peer);
            std::string times = "-";
            if (ours && peer && *ours > 0) {
                times = ratio(*peer / *ours);
                logSums[static_cast<int>(mode)] += std::log(*peer / *ours);
                ++counts[static_cast<int>(mode)];
                slowest[static_cast<int>(mode)] =
                    std::min(slowest[static_cast<int>(mode)], *peer / *ours);
            }
            std::printf("| %s | %s | %s ", bench::formatTime(ours).c_str(),
                        bench::formatTime(peer).c_str(), times.c_str());
        }
        std::printf("|\n");
    }
    std::optional<double> means[2];
    for (int mode = 0; mode < 2; ++mode) {
        if (counts[mode] > 0) {
            means[mode] = std::exp(logSums[mode] / counts[mode]);
        }
    }
    const auto shown = [](std::optional<double> mean) {
        return mean ? ratio(*mean) : "-";
    };
    std::printf("| geometric mean of the ratios | | | | %s | | | %s |\n\n", shown(means[0]).c_str(),
                shown(means[1]).c_str());
    const auto verdict = [](std::optional<double> mean, double goal) {
        return !mean ? "not measured" : *mean >= goal ? "met" : "NOT met";
    };
    std::printf("compile+evaluate: ours %s as fast as muparser on the geometric mean (goal: at "
                "least 45x): %s\n\n",
                shown(means[0]).c_str(), verdict(means[0], 45));
    const std::optional<double> slowestEvaluate =
        counts[1] > 0 ? std::optional(slowest[1]) : std::nullopt;
    std::printf("evaluate only: ours at least %s as fast as muparser with its optimizer on every "
                "row (goal: at least 1x on every row): %s\n",
                shown(slowestEvaluate).c_str(), verdict(slowestEvaluate, 1));
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<bench::CorpusText> texts = bench::corpus();
    if (!valuesAgree(texts)) {
        std::printf("The engines disagree; nothing was timed.\n");
        return 1;
    }

    for (const bench::CorpusText& text : texts) {
        const std::u16string& ours = text.text;
        const std::string& peer = text.peerText;
        const auto add = [&](Mode mode, Engine engine, auto run) {
            benchmark::RegisterBenchmark(benchmarkName(mode, engine, text).c_str(), run)
                ->Unit(benchmark::kNanosecond);
        };
        add(Mode::CompileEvaluate, Engine::Ours,
            [&ours](benchmark::State& state) { oursCompileEvaluate(state, ours); });
        add(Mode::EvaluateOnly, Engine::Ours,
            [&ours](benchmark::State& state) { oursEvaluateOnly(state, ours); });
        if (!peer.empty()) {
            add(Mode::CompileEvaluate, Engine::Peer,
                [&peer](benchmark::State& state) { peerCompileEvaluate(state, peer); });
            add(Mode::EvaluateOnly, Engine::Peer,
                [&peer](benchmark::State& state) { peerEvaluateOnly(state, peer); });
        }
    }

    bench::MedianCollector medians;
    if (!bench::runAll(argc, argv, 0.05, medians)) {
        return 2;
    }
    printTable(texts, medians);
    return 0;
}
