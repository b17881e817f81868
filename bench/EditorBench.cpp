// The editor against its baselines, in one run:
// - start-up: process start to the main window's first paint, for the editor and for a bare
//   QApplication with one QMainWindow (probe programs beside this one), and the processor time
//   the probe used until then;
// - open: a 259-frame GIF opened in the editor until its window has repainted, against loading
//   the same file through the image library alone.
// - memory: the heap the editor holds for the open 259-frame GIF (shown in its views at 1024 x
//   768), and the heap the library alone holds for its frames, against the
//   decoded size of the frames (one byte a pixel).
// The ratios (editor / baseline) are printed after the run.

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include "FlimmerApp.h"
#include "GIFAnimDoc.h"
#include "MainFrame.h"
#include "registry/Registry.h"

#include "Bitra5.h"

#include <QApplication>

#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kFrames = 259;
constexpr int kWidth = 160;
constexpr int kHeight = 120;

std::map<std::string, std::pair<double, long long>> totals; // seconds, iterations

void record(const std::string& name, double seconds) {
    auto& t = totals[name];
    t.first += seconds;
    ++t.second;
}

double mean(const std::string& name) {
    const auto& t = totals[name];
    return t.second ? t.first / static_cast<double>(t.second) : 0.0;
}

long long monotonicNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

fs::path benchFolder() {
    return fs::canonical("/proc/self/exe").parent_path();
}

// A temporary folder for the editor's settings and the test file.
const fs::path& workFolder() {
    static const fs::path folder = [] {
        char pattern[] = "/tmp/kfm5-bench-XXXXXX";
        return fs::path(mkdtemp(pattern));
    }();
    return folder;
}

// An animation of 259 frames: a palette ramp background with a block moving across it.
std::string makeAnimation() {
    const std::string path = (workFolder() / "moving-block-259.gif").string();
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    if (!gif)
        return {};
    std::vector<GifColorType> colours(256);
    for (int i = 0; i < 256; ++i)
        colours[static_cast<std::size_t>(i)] = {static_cast<GifByteType>(i),
                                                static_cast<GifByteType>(255 - i),
                                                static_cast<GifByteType>((i * 3) & 0xFF)};
    ColorMapObject* map = GifMakeMapObject(256, colours.data());
    EGifPutScreenDesc(gif, kWidth, kHeight, 8, 0, map);
    const unsigned char loop[] = {1, 0, 0};
    EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
    EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0");
    EGifPutExtensionBlock(gif, 3, loop);
    EGifPutExtensionTrailer(gif);
    std::vector<GifPixelType> row(kWidth);
    for (int f = 0; f < kFrames; ++f) {
        const unsigned char control[] = {0x04, 5, 0, 0};
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control);
        EGifPutImageDesc(gif, 0, 0, kWidth, kHeight, false, nullptr);
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const bool block = x >= (f % kWidth) && x < (f % kWidth) + 20 && y >= 40 && y < 70;
                row[static_cast<std::size_t>(x)] =
                    static_cast<GifPixelType>(block ? 255 : (x + y + f) % 200);
            }
            EGifPutLine(gif, row.data(), kWidth);
        }
    }
    GifFreeMapObject(map);
    EGifCloseFile(gif, &error);
    return path;
}

const std::string& animation() {
    static const std::string path = makeAnimation();
    return path;
}

// Runs a probe program and returns the seconds from its start to its first paint (< 0 on
// failure).
double probeStartSeconds(const char* probe) {
    const std::string program = (benchFolder() / probe).string();
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t pid = 0;
    const long long started = monotonicNow();
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        return -1;
    }
    char text[64] = {};
    const ssize_t n = read(pipeEnds[0], text, sizeof text - 1);
    close(pipeEnds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (n <= 0)
        return -1;
    record(std::string(probe) + " processor",
           static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6);
    return static_cast<double>(std::atoll(text) - started) / 1e9;
}

void startup(benchmark::State& state, const char* probe, const char* name) {
    for (auto _ : state) {
        const double seconds = probeStartSeconds(probe);
        if (seconds < 0) {
            state.SkipWithError("the probe did not paint");
            return;
        }
        state.SetIterationTime(seconds);
        record(name, seconds);
    }
}

void BM_StartBareMainWindow(benchmark::State& state) {
    startup(state, "BareWindowProbe", "start bare");
}
void BM_StartEditor(benchmark::State& state) {
    startup(state, "EditorProbe", "start editor");
}
BENCHMARK(BM_StartBareMainWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_StartEditor)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

void BM_LoadWithLibrary(benchmark::State& state) {
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        const KpxHandle chain = KPXLoadImageFramesOffset(animation().c_str(), 0, nullptr, nullptr);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        if (chain <= 0) {
            state.SkipWithError("the library did not load the file");
            return;
        }
        const int count = KPXGetImageFramesNum(chain);
        std::vector<KpxHandle> images;
        for (int i = 0; i < count; ++i)
            images.push_back(KPXGetImageFramesImage(chain, i));
        KPXSplitAllImageFrame(chain);
        for (const KpxHandle image : images)
            KPXDeleteImage(image);
        state.SetIterationTime(seconds);
        record("load library", seconds);
    }
}

void BM_OpenInEditor(benchmark::State& state) {
    CFlimmerApp app;
    if (!app.InitInstance({})) {
        state.SkipWithError("the editor did not start");
        return;
    }
    QApplication::processEvents();
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        const bool opened = app.OpenDocumentFile(animation());
        app.MainFrame()->repaint();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        if (!opened) {
            state.SkipWithError("the editor did not open the file");
            break;
        }
        state.SetIterationTime(seconds);
        record("open editor", seconds);
        app.OnFileNew();
        QApplication::processEvents();
    }
    app.ExitInstance();
}
// Bytes of heap in use (small blocks and mapped ones).
double heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

std::map<std::string, double> heldBytes;

void BM_HeldByLibrary(benchmark::State& state) {
    for (auto _ : state) {
        const double before = heapInUse();
        const KpxHandle chain = KPXLoadImageFramesOffset(animation().c_str(), 0, nullptr, nullptr);
        if (chain <= 0) {
            state.SkipWithError("the library did not load the file");
            return;
        }
        heldBytes["library"] = heapInUse() - before;
        const int count = KPXGetImageFramesNum(chain);
        std::vector<KpxHandle> images;
        for (int i = 0; i < count; ++i)
            images.push_back(KPXGetImageFramesImage(chain, i));
        KPXSplitAllImageFrame(chain);
        for (const KpxHandle image : images)
            KPXDeleteImage(image);
    }
}

void BM_HeldByEditor(benchmark::State& state) {
    CFlimmerApp app;
    if (!app.InitInstance({})) {
        state.SkipWithError("the editor did not start");
        return;
    }
    app.MainFrame()->resize(1024, 768);
    app.MainFrame()->show();
    QApplication::processEvents();
    for (auto _ : state) {
        malloc_trim(0);
        const double before = heapInUse();
        if (!app.OpenDocumentFile(animation())) {
            state.SkipWithError("the editor did not open the file");
            break;
        }
        app.MainFrame()->repaint();
        QApplication::processEvents();
        heldBytes["editor"] = heapInUse() - before;
        app.OnFileNew();
        QApplication::processEvents();
    }
    app.ExitInstance();
}
BENCHMARK(BM_HeldByLibrary)->Iterations(1);
BENCHMARK(BM_HeldByEditor)->Iterations(1);

BENCHMARK(BM_LoadWithLibrary)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_OpenInEditor)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("KFM5_REGISTRY_DIR", workFolder().c_str(), 1);
    QApplication qtApp(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\nstart-up to first paint: editor %.1f ms, bare QMainWindow %.1f ms, ratio %.2f "
                "(aim: at most 1.3)\n",
                mean("start editor") * 1e3, mean("start bare") * 1e3,
                mean("start editor") / mean("start bare"));
    std::printf("  processor time to first paint: editor %.1f ms, bare QMainWindow %.1f ms, ratio "
                "%.2f\n",
                mean("EditorProbe processor") * 1e3, mean("BareWindowProbe processor") * 1e3,
                mean("EditorProbe processor") / mean("BareWindowProbe processor"));
    std::printf("open of a %d-frame GIF: editor %.1f ms, library alone %.1f ms, ratio %.2f "
                "(aim: at most 1.5)\n",
                kFrames, mean("open editor") * 1e3, mean("load library") * 1e3,
                mean("open editor") / mean("load library"));
    const double decoded = static_cast<double>(kFrames) * kWidth * kHeight;
    std::printf("heap held for the open %d-frame GIF (decoded %.1f MB): editor %.1f MB, ratio "
                "%.2f (aim: at most 1.3); library alone %.1f MB, ratio %.2f\n",
                kFrames, decoded / 1e6, heldBytes["editor"] / 1e6, heldBytes["editor"] / decoded,
                heldBytes["library"] / 1e6, heldBytes["library"] / decoded);
    std::error_code ec;
    fs::remove_all(workFolder(), ec);
    return 0;
}
