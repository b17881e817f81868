// The start of a program linking the image library, against ImageMagick's identify: each run
// loads the same 1 x 1 BMP in a fresh process (the probe beside this program, then identify).
// Every run's processor time (user and system) and its largest resident size are taken from
// the ended process; the medians and their ratios (ours / identify) are printed after the run,
// with the number of shared objects the probe had mapped.

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct RunCost {
    double cpuSeconds = 0;
    double residentMegabytes = 0;
};

std::map<std::string, std::vector<RunCost>> runs;
int probeObjects = 0;

fs::path benchFolder() {
    return fs::canonical("/proc/self/exe").parent_path();
}

// A 1 x 1 24-bit BMP of one grey pixel.
std::string makeBitmap() {
    const std::string path = (fs::temp_directory_path() / "kfm5-start-1x1.bmp").string();
    std::array<unsigned char, 58> bytes{};
    const auto put32 = [&bytes](std::size_t at, unsigned value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, 58);  // file size
    put32(10, 54); // where the pixels start
    put32(14, 40); // info header size
    put32(18, 1);  // width
    put32(22, 1);  // height
    bytes[26] = 1; // planes
    bytes[28] = 24;
    put32(34, 4); // image size: one padded row
    bytes[54] = bytes[55] = bytes[56] = 128;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return path;
}

const std::string& bitmap() {
    static const std::string path = makeBitmap();
    return path;
}

// Runs the program with its output read into text; false when it could not run or failed.
bool runProgram(const std::vector<std::string>& arguments, RunCost& cost, std::string& text) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::vector<char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned =
        posix_spawnp(&pid, arguments[0].c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        return false;
    }
    char buffer[256];
    ssize_t n = 0;
    while ((n = read(pipeEnds[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    close(pipeEnds[0]);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    cost.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                      static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    cost.residentMegabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return true;
}

void timeProgram(benchmark::State& state, const std::string& name,
                 const std::vector<std::string>& arguments) {
    for (auto _ : state) {
        RunCost cost;
        std::string text;
        if (!runProgram(arguments, cost, text)) {
            state.SkipWithError("the program failed");
            return;
        }
        if (name == "probe")
            std::sscanf(text.c_str(), "%*d %d", &probeObjects);
        state.SetIterationTime(cost.cpuSeconds);
        runs[name].push_back(cost);
    }
}

void BM_StartLinkingLibrary(benchmark::State& state) {
    timeProgram(state, "probe", {(benchFolder() / "LibraryStartProbe").string(), bitmap()});
}
void BM_StartIdentify(benchmark::State& state) {
    timeProgram(state, "identify", {"identify", bitmap()});
}
BENCHMARK(BM_StartLinkingLibrary)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(21);
BENCHMARK(BM_StartIdentify)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(21);

template <typename Field> double median(const std::string& name, Field field) {
    std::vector<double> values;
    for (const RunCost& run : runs[name])
        values.push_back(run.*field);
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double ourCpu = median("probe", &RunCost::cpuSeconds);
    const double peerCpu = median("identify", &RunCost::cpuSeconds);
    const double ourMemory = median("probe", &RunCost::residentMegabytes);
    const double peerMemory = median("identify", &RunCost::residentMegabytes);
    std::printf("\nstart of a program linking the library, loading a 1 x 1 BMP (%d shared objects "
                "mapped), against identify:\n",
                probeObjects);
    std::printf("  processor time %.1f ms / %.1f ms, ratio %.2f (aim: at most 1.5)\n", ourCpu * 1e3,
                peerCpu * 1e3, peerCpu > 0 ? ourCpu / peerCpu : 0.0);
    std::printf("  largest resident size %.1f MB / %.1f MB, ratio %.2f (aim: at most 1.5)\n",
                ourMemory, peerMemory, peerMemory > 0 ? ourMemory / peerMemory : 0.0);
    std::error_code ec;
    fs::remove(bitmap(), ec);
    return 0;
}
