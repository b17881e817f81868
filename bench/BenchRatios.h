#pragma once
// Shared by the benchmark programs that compare the library with a peer: a console reporter that
// keeps every run's time and counters, so that the program can print ratios after the run, and
// a scratch folder for fixtures made at benchmark time.
//
// The ratios are of CPU time: both sides run on one thread, and on a machine shared with other
// work the time a benchmark waits for a processor is no part of its own.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration)
                continue;
            // By the name the benchmark was registered with, without its settings.
            const std::string& key = run.run_name.function_name;
            times[key] = run.GetAdjustedCPUTime();
            for (const auto& [name, counter] : run.counters)
                counters[key][name] = counter.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Time of a run divided by time of another; 0 when either is missing.
    double timeRatio(const std::string& ours, const std::string& peer) const {
        const auto a = times.find(ours);
        const auto b = times.find(peer);
        return a != times.end() && b != times.end() && b->second > 0 ? a->second / b->second : 0.0;
    }
    double counter(const std::string& run, const std::string& name) const {
        const auto r = counters.find(run);
        if (r == counters.end())
            return 0.0;
        const auto c = r->second.find(name);
        return c == r->second.end() ? 0.0 : c->second;
    }
    double counterRatio(const std::string& ours, const std::string& peer,
                        const std::string& name) const {
        const double b = counter(peer, name);
        return b > 0 ? counter(ours, name) / b : 0.0;
    }

    std::map<std::string, double> times;
    std::map<std::string, std::map<std::string, double>> counters;
};

// A folder of its own (under the system's temporary folder, or the given one), removed with
// everything in it.
class ScratchFolder {
public:
    explicit ScratchFolder(std::filesystem::path base = std::filesystem::temp_directory_path()) {
        std::string pattern = (base / "kfm-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool valid() const { return !path_.empty(); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Runs a shell command (the fixture makers: ImageMagick, gifsicle); true when it succeeded.
inline bool run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

} // namespace bench
