#include "bench/medians.h"

#include <cstdio>
#include <iostream>

namespace bench {

Arguments::Arguments(int argc, char** argv, double minTimeSeconds)
    : strings_{"--benchmark_repetitions=5", "--benchmark_enable_random_interleaving=true",
               "--benchmark_min_time=" + std::to_string(minTimeSeconds)} {
    pointers_.push_back(argv[0]);
    for (std::string& flag : strings_) {
        pointers_.push_back(flag.data());
    }
    pointers_.insert(pointers_.end(), argv + 1, argv + argc);
    count_ = static_cast<int>(pointers_.size());
    pointers_.push_back(nullptr); // argv ends with a null pointer
}

bool MedianCollector::ReportContext(const Context& context) {
    PrintBasicContext(&GetErrorStream(), context);
    return true;
}

void MedianCollector::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
        if ((median || single) && !run.error_occurred) {
            const double toNs = 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            times_[run.run_name.function_name] = {run.GetAdjustedRealTime() * toNs,
                                                  run.GetAdjustedCPUTime() * toNs};
        }
        if (run.error_occurred) {
            GetErrorStream() << '\n' << run.benchmark_name() << ": " << run.error_message << '\n';
        }
    }
    GetErrorStream() << '.' << std::flush;
}

void MedianCollector::Finalize() {
    GetErrorStream() << '\n';
}

std::optional<MedianCollector::Times> MedianCollector::find(const std::string& name) const {
    const auto found = times_.find(name);
    return found == times_.end() ? std::nullopt : std::optional(found->second);
}

std::string formatTime(std::optional<double> value) {
    if (!value) {
        return "-";
    }
    char text[32];
    std::snprintf(text, sizeof text, *value < 100 ? "%.1f" : "%.0f", *value);
    return text;
}

bool runAll(int argc, char** argv, double minTimeSeconds, MedianCollector& medians) {
    Arguments arguments(argc, argv, minTimeSeconds);
    benchmark::Initialize(arguments.count(), arguments.values());
    if (benchmark::ReportUnrecognizedArguments(*arguments.count(), arguments.values())) {
        return false;
    }
    benchmark::RunSpecifiedBenchmarks(&medians);
    benchmark::Shutdown();
    return true;
}

} // namespace bench
