#pragma once
// What the benchmarks that run a peer program share: timing a program run, ImageMagick's time for
// one operation on one thread, and a reporter that keeps each case's time for the ratios printed
// at the end.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace kfm::bench {

// Seconds the command took, or -1 when it failed.
inline double secondsOf(const std::string& command) {
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0)
        return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// ImageMagick's time for the operation on one thread: the whole program less its fastest run
// that only reads the file.
inline void runConvert(benchmark::State& state, const std::string& convert, const std::string& file,
                       const std::string& options) {
    const std::string program = convert + " -limit thread 1";
    double readOnly = 1e9;
    for (int i = 0; i < 3; ++i)
        readOnly = std::min(readOnly, secondsOf(program + " " + file + " null:"));
    for (auto _ : state) {
        const double whole = secondsOf(program + " " + file + " " + options + " null:");
        if (whole < 0 || readOnly < 0) {
            state.SkipWithError("convert failed");
            break;
        }
        state.SetIterationTime(std::max(whole - readOnly, 1e-6));
    }
}

// The settings of a case timed by runConvert: three runs, each timed by hand, in milliseconds.
inline benchmark::internal::Benchmark* asConvertCase(benchmark::internal::Benchmark* b) {
    return b->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
}

// Keeps each case's time (the median when runs are repeated) for the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            const std::string name = run.run_name.function_name;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                medians[name] = run.GetAdjustedRealTime();
            else if (run.run_type == Run::RT_Iteration)
                times[name] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double time(const std::string& name) const {
        if (const auto m = medians.find(name); m != medians.end())
            return m->second;
        const auto t = times.find(name);
        return t == times.end() ? 0.0 : t->second;
    }

private:
    std::map<std::string, double> times;
    std::map<std::string, double> medians;
};

} // namespace kfm::bench
