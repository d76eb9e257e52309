// What both benchmark programs share: default flags and the medians behind their tables.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace bench {

// Medians of repetitions run in random order resist the noise of a shared machine. Flags given
// on the command line come after these and win.
class Arguments {
public:
    Arguments(int argc, char** argv, double minTimeSeconds);
    int* count() { return &count_; }
    char** values() { return pointers_.data(); }

private:
    std::vector<std::string> strings_;
    std::vector<char*> pointers_;
    int count_;
};

// Keeps, by benchmark name, the median times of the repetitions (or the times of the only run),
// and shows progress on the error stream, since the tables are printed only at the end.
class MedianCollector final : public benchmark::BenchmarkReporter {
public:
    struct Times {
        double realNs;
        double cpuNs;
    };

    bool ReportContext(const Context& context) override;
    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

    std::optional<Times> find(const std::string& name) const;

private:
    std::map<std::string, Times> times_;
};

// Runs every registered benchmark with the default flags above and collects the medians;
// false when the command line holds a flag the library does not know.
bool runAll(int argc, char** argv, double minTimeSeconds, MedianCollector& medians);

// A time for a table: '41.2' below 100, '2410' above, '-' when there is none.
std::string formatTime(std::optional<double> value);

} // namespace bench
