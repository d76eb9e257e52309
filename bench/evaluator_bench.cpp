// Our evaluator against muparser (in doubles) and Qalculate's library (which also computes
// beyond doubles) on the same texts, in two modes: compiling and evaluating a fresh text, which
// is what "=" does, and evaluating a text compiled before, against muparser with its optimizer
// on (it folds constants, so evaluating returns a stored value). Every text must compute to the
// same double in ours and muparser (except the texts a double evaluation gets wrong) and to
// within Qalculate's 16 digits there, before anything is timed. The tables at the end hold the
// median times, the ratios and the geometric means of the ratios, and say whether the goals
// are met.
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
enum class Engine { Ours, Peer, Qalculate };

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

void qalculateCompileEvaluate(benchmark::State& state, const std::string& text) {
    bench::Qalculate qalculate;
    for (auto _ : state) {
        qalculate.calculate(text);
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

// Every text must compute: to the same double in ours and muparser where a double evaluation
// is right, and within Qalculate's 16 digits where it computes a value.
bool valuesAgree(const std::vector<bench::CorpusText>& texts) {
    bool agree = true;
    const auto optimizing = bench::makePeer(true);
    const auto plain = bench::makePeer(false);
    bench::Qalculate qalculate;
    for (const bench::CorpusText& entry : texts) {
        try {
            Ours ours;
            const double value = ours.compute(entry.text);
            if (!entry.qalculateText.empty()) {
                const double theirs = qalculate.value(entry.qalculateText);
                if (!(std::fabs(theirs - value) <= 1e-15 * std::fabs(value) + 1e-300)) {
                    std::printf("'%s': ours %.17g, Qalculate %.17g\n", entry.label.c_str(), value,
                                theirs);
                    agree = false;
                }
            }
            if (entry.peerText.empty() || entry.beyondDoubles) {
                continue;
            }
            for (mu::Parser* peer : {optimizing.get(), plain.get()}) {
                peer->SetExpr(entry.peerText);
                const double theirs = peer->Eval();
                // sin(pi/4): the double nearest sqrt(2)/2, muparser's one below it.
                if (!(std::fabs(theirs - value) <= entry.tolerance * std::fabs(value))) {
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
    const char* names[] = {"/ours/", "/muparser/", "/qalculate/"};
    return std::string(modeName(mode)) + names[static_cast<int>(engine)] + text.label;
}

std::string ratio(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1fx", value);
    return text;
}

struct Summary {
    double geometricMean = 0;          // of the ratios to muparser, compile+evaluate
    double slowest = HUGE_VAL;         // the smallest of those ratios
    double slowestEvaluate = HUGE_VAL; // the smallest ratio, evaluate only
    double longest = 0;                // the longest time of ours, compile+evaluate, ns
};

// A Markdown table: per text, each mode's median CPU times and how many times faster ours is.
// CPU time, because a shared machine's other work would otherwise count against whichever
// engine it happened to interrupt.
Summary printTable(const std::vector<bench::CorpusText>& texts,
                   const bench::MedianCollector& medians) {
    std::printf("\n| text | chars | compile+evaluate: ours ns | muparser ns | ratio | Qalculate ns "
                "| ratio | evaluate only: ours ns | muparser (optimizer on) ns | ratio |\n"
                "| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: |\n");
    Summary summary;
    double logSums[2] = {0, 0};
    int counts[2] = {0, 0};
    const auto cpu = [&](Mode mode, Engine engine,
                         const bench::CorpusText& text) -> std::optional<double> {
        const auto times = medians.find(benchmarkName(mode, engine, text));
        return times ? std::optional(times->cpuNs) : std::nullopt;
    };
    const auto ratioOf = [](std::optional<double> ours, std::optional<double> theirs) {
        return ours && theirs && *ours > 0 ? std::optional(*theirs / *ours) : std::nullopt;
    };
    const auto shownRatio = [](std::optional<double> value) {
        return value ? ratio(*value) : std::string("-");
    };
    for (const bench::CorpusText& text : texts) {
        const bool longText = text.text.size() > 60;
        std::printf("| %s%s%s | %zu ", longText ? "" : "`", text.label.c_str(), longText ? "" : "`",
                    text.text.size());
        const auto ours = cpu(Mode::CompileEvaluate, Engine::Ours, text);
        const auto peer = cpu(Mode::CompileEvaluate, Engine::Peer, text);
        const auto qalculate = cpu(Mode::CompileEvaluate, Engine::Qalculate, text);
        summary.longest = std::max(summary.longest, ours.value_or(0));
        if (const auto versusPeer = ratioOf(ours, peer)) {
            logSums[0] += std::log(*versusPeer);
            ++counts[0];
            summary.slowest = std::min(summary.slowest, *versusPeer);
        }
        std::printf("| %s | %s | %s | %s | %s ", bench::formatTime(ours).c_str(),
                    bench::formatTime(peer).c_str(), shownRatio(ratioOf(ours, peer)).c_str(),
                    bench::formatTime(qalculate).c_str(),
                    shownRatio(ratioOf(ours, qalculate)).c_str());
        const auto oursAgain = cpu(Mode::EvaluateOnly, Engine::Ours, text);
        const auto peerAgain = cpu(Mode::EvaluateOnly, Engine::Peer, text);
        if (const auto again = ratioOf(oursAgain, peerAgain)) {
            logSums[1] += std::log(*again);
            ++counts[1];
            summary.slowestEvaluate = std::min(summary.slowestEvaluate, *again);
        }
        std::printf("| %s | %s | %s |\n", bench::formatTime(oursAgain).c_str(),
                    bench::formatTime(peerAgain).c_str(),
                    shownRatio(ratioOf(oursAgain, peerAgain)).c_str());
    }
    summary.geometricMean = counts[0] > 0 ? std::exp(logSums[0] / counts[0]) : 0;
    std::printf("| geometric mean of the ratios | | | | %s | | | | | %s |\n\n",
                ratio(summary.geometricMean).c_str(),
                ratio(counts[1] > 0 ? std::exp(logSums[1] / counts[1]) : 0).c_str());
    return summary;
}

const char* verdict(bool met) {
    return met ? "met" : "NOT met";
}

// The goals: on the table of everyday texts, "=" at least 30x muparser on the geometric mean
// and at least 5x on every row, and a compiled text evaluated again at least as fast as
// muparser with its optimizer; each text a double evaluation gets wrong under 50 us.
void printGoals(const Summary& everyday, const Summary& exact) {
    std::printf("compile+evaluate: ours %s as fast as muparser on the geometric mean (goal: at "
                "least 30x): %s\n\n",
                ratio(everyday.geometricMean).c_str(), verdict(everyday.geometricMean >= 30));
    std::printf("compile+evaluate: ours at least %s as fast as muparser on every row (goal: at "
                "least 5x): %s\n\n",
                ratio(everyday.slowest).c_str(), verdict(everyday.slowest >= 5));
    std::printf("evaluate only: ours at least %s as fast as muparser with its optimizer on every "
                "row (goal: at least 1x on every row): %s\n\n",
                ratio(std::min(everyday.slowestEvaluate, exact.slowestEvaluate)).c_str(),
                verdict(std::min(everyday.slowestEvaluate, exact.slowestEvaluate) >= 1));
    std::printf("the texts a double evaluation gets wrong: the slowest takes %s us (goal: each "
                "under 50 us): %s\n",
                bench::formatTime(exact.longest / 1000).c_str(), verdict(exact.longest < 50'000));
}
} // namespace

int main(int argc, char** argv) {
    const std::vector<bench::CorpusText> everyday = bench::corpus();
    const std::vector<bench::CorpusText> exact = bench::exactCorpus();
    const std::vector<bench::CorpusText> functions = bench::functionsCorpus();
    std::vector<bench::CorpusText> texts = everyday;
    texts.insert(texts.end(), exact.begin(), exact.end());
    texts.insert(texts.end(), functions.begin(), functions.end());
    if (!valuesAgree(texts)) {
        std::printf("The engines disagree; nothing was timed.\n");
        return 1;
    }

    for (const bench::CorpusText& text : texts) {
        const std::u16string& ours = text.text;
        const std::string& peer = text.peerText;
        const std::string& qalculate = text.qalculateText;
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
        if (!qalculate.empty()) {
            add(Mode::CompileEvaluate, Engine::Qalculate, [&qalculate](benchmark::State& state) {
                qalculateCompileEvaluate(state, qalculate);
            });
        }
    }

    bench::MedianCollector medians;
    if (!bench::runAll(argc, argv, 0.05, medians)) {
        return 2;
    }
    const Summary everydaySummary = printTable(everyday, medians);
    const Summary exactSummary = printTable(exact, medians);
    const Summary functionsSummary = printTable(functions, medians);
    printGoals(everydaySummary, exactSummary);
    std::printf("\nthe functions people type and implied products: ours at least %s as fast as "
                "muparser on every row (goal: at least 5x): %s\n",
                ratio(functionsSummary.slowest).c_str(), verdict(functionsSummary.slowest >= 5));
    return 0;
}
