// The optimiser against gifsicle -O3 on real animations: the animated GIFs under tests/data and
// a generated 300-frame animation of a small object moving over a still background. Each side
// reads the file, optimises and writes it (gifsicle as a program, one thread, the same work).
// The optimiser runs with the options that keep every colour (fine palette without conversion,
// redundant pixels, special information removed, the difference method). Printed per file:
// input bytes, our bytes, gifsicle's bytes, ours / gifsicle, whether our composed pictures equal
// the input's, and both times.
//
// The page's default settings (the adaptive palette, every frame converted) and its strongest
// (the same with the difference method) are timed too, each against gifsicle -O3; printed per
// file: our bytes and the time ratio of each.
//
// Then the common palette: the optimisation page's defaults (an adaptive palette of 256
// colours over all frames) against gifsicle -O3 --colors 256, on the same files and on two
// animations made by ffmpeg: testsrc2 (about 220 colours in 33.8 million pixels), and a
// Mandelbrot zoom and moving gradients, each with a 256-colour table per frame (tens of
// thousands of colours). Printed per file:
// the colours the input shows, the mean error of a channel (0..255) of both results against
// the input's composed pictures, weighted by how long each shows, and ours / gifsicle.

#include "PeerRunRatios.h"

#include "AnimationData.h"
#include "FrameChainBuild.h"
#include "GIFAnimDoc.h"
#include "ImageUtilities.h"
#include "LibraryFrameFiles.h"
#include "Optimizer.h"
#include "ProgramState.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Result {
    std::uintmax_t input = 0;
    std::uintmax_t ours = 0;
    std::uintmax_t oursDefaults = 0;
    std::uintmax_t oursStrongest = 0;
    std::uintmax_t gifsicle = 0;
    bool identical = false;
};

std::map<std::string, Result> g_results;
fs::path g_scratch;

// The optimisation page's defaults: the adaptive palette of 256 colours, redundant pixels,
// comments, titles and special information removed.
OptimizeOptions pageDefaults() {
    OptimizeOptions o{};
    o.word[kOptionPaletteMode] = 1;
    o.word[kOptionRedundantPixels] = 1;
    o.word[kOptionRemoveComments] = 1;
    o.word[kOptionRemoveTitles] = 1;
    o.word[kOptionRemoveSpecialInfo] = 1;
    o.word[kOptionNumColors] = 256;
    return o;
}

// The strongest the page offers: its defaults with the difference method.
OptimizeOptions pageStrongest() {
    OptimizeOptions o = pageDefaults();
    o.word[kOptionDifferenceMethod] = 1;
    return o;
}

OptimizeOptions keepingOptions() {
    OptimizeOptions o{};
    o.word[kOptionPaletteMode] = 11;
    o.word[kOptionRedundantPixels] = 1;
    o.word[kOptionRemoveSpecialInfo] = 1;
    o.word[kOptionDifferenceMethod] = 1;
    o.word[kOptionNumColors] = 256;
    return o;
}

// The pictures the library composes after each frame, consecutive equal ones merged.
std::vector<std::vector<std::uint8_t>> composedPictures() {
    std::vector<std::vector<std::uint8_t>> out;
    FrameList& list = g_pAnimationData->frames;
    const int w = g_pAnimationData->AnimationWidth;
    const int h = g_pAnimationData->AnimationHeight;
    if (BuildFramesImage(list, 0, 0) != 1)
        return out;
    const auto head = static_cast<KpxHandle>(list.front().GetImage());
    ScopedImage canvas(KPXCreateImage(w, h, 24));
    KPXFillImageByRGBColor2(canvas.get(), g_Settings.animBkColor, 0, 0, w - 1, h - 1);
    const std::size_t bytes = static_cast<std::size_t>(KPXGetScanBytes(canvas.get())) * h;
    int n = 0;
    for (auto it = list.begin(); std::next(it) != list.end(); ++it) {
        if (!it->GetImage())
            continue;
        KPXStretchBltFrame(canvas.get(), 0, 0, w, h, head, n++, 0, 0, 0, 0, 0, 0, 0,
                           g_Settings.animBkColor, 0);
        std::vector<std::uint8_t> picture(KPXGetBits(canvas.get()),
                                          KPXGetBits(canvas.get()) + bytes);
        if (out.empty() || out.back() != picture)
            out.push_back(std::move(picture));
    }
    SplitFramesImage(list, 0);
    return out;
}

// Opens, optimises and saves; the seconds it took, -1 on failure. identical tells whether the
// composed pictures stayed the same.
double optimiseWithLibrary(const std::string& in, const std::string& out, bool* identical,
                           const OptimizeOptions& options = keepingOptions()) {
    CGIFAnimDoc doc;
    doc.OnNewDocument();
    const auto start = std::chrono::steady_clock::now();
    if (!doc.OnOpenDocument(in.c_str()))
        return -1;
    const auto opened = std::chrono::steady_clock::now();
    const auto before = identical ? composedPictures() : decltype(composedPictures()){};
    const auto composed = std::chrono::steady_clock::now();
    if (OptimizeAnimation(options) == kOptimizeCancelled)
        return -1;
    const auto optimised = std::chrono::steady_clock::now();
    const auto after = identical ? composedPictures() : decltype(composedPictures()){};
    const auto recomposed = std::chrono::steady_clock::now();
    if (!doc.OnSaveDocument(out.c_str()))
        return -1;
    const auto end = std::chrono::steady_clock::now();
    if (identical)
        *identical = !before.empty() && before == after;
    // The compositions are the check, not part of the work.
    return std::chrono::duration<double>((opened - start) + (optimised - composed) +
                                         (end - recomposed))
        .count();
}

void BM_Library(benchmark::State& state, const std::string& file) {
    const std::string out = (g_scratch / (fs::path(file).stem().string() + "-ours.gif")).string();
    Result& r = g_results[file];
    r.input = fs::file_size(file);
    for (auto _ : state) {
        const double seconds = optimiseWithLibrary(file, out, nullptr);
        if (seconds < 0) {
            state.SkipWithError("the optimiser failed");
            return;
        }
        state.SetIterationTime(seconds);
    }
    bool identical = false;
    optimiseWithLibrary(file, out, &identical);
    r.identical = identical;
    r.ours = fs::file_size(out);
}

// The page's defaults (strongest = false) or its strongest settings, timed the same way.
void BM_LibraryPage(benchmark::State& state, const std::string& file, bool strongest) {
    const std::string out =
        (g_scratch / (fs::path(file).stem().string() + (strongest ? "-s.gif" : "-d.gif"))).string();
    const OptimizeOptions options = strongest ? pageStrongest() : pageDefaults();
    for (auto _ : state) {
        const double seconds = optimiseWithLibrary(file, out, nullptr, options);
        if (seconds < 0) {
            state.SkipWithError("the optimiser failed");
            return;
        }
        state.SetIterationTime(seconds);
    }
    (strongest ? g_results[file].oursStrongest : g_results[file].oursDefaults) = fs::file_size(out);
}

void BM_Gifsicle(benchmark::State& state, const std::string& file) {
    const std::string out = (g_scratch / (fs::path(file).stem().string() + "-gs.gif")).string();
    for (auto _ : state) {
        const double seconds =
            kfm::bench::secondsOf("gifsicle -O3 --no-warnings '" + file + "' -o '" + out + "'");
        if (seconds < 0) {
            state.SkipWithError("gifsicle failed");
            return;
        }
        state.SetIterationTime(seconds);
    }
    g_results[file].gifsicle = fs::file_size(out);
}

// 300 full-screen frames: a textured still background with a 24 x 24 object moving across it.
std::string generateMovingObject() {
    const std::string path = (g_scratch / "moving-object-300.gif").string();
    CGIFAnimDoc doc;
    doc.OnNewDocument();
    CAnimationData& a = *g_pAnimationData;
    constexpr int kWidth = 320;
    constexpr int kHeight = 200;
    a.AnimationWidth = kWidth;
    a.AnimationHeight = kHeight;
    a.loopCount = 0;
    for (int i = 0; i < 300; ++i) {
        const KpxHandle image = KPXCreateImage(kWidth, kHeight, 8);
        BITMAPINFO* info = KPXGetBitmapInfoHeader(image);
        for (int c = 0; c < 256; ++c)
            info->bmiColors[c] = RGBQUAD{static_cast<BYTE>(c), static_cast<BYTE>(c * 3),
                                         static_cast<BYTE>(255 - c), 0};
        std::uint8_t* bits = KPXGetBits(image);
        const int row = KPXGetScanBytes(image);
        const int ox = (i * 3) % (kWidth - 24);
        const int oy = 40 + (i * 2) % (kHeight - 64);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const bool object = x >= ox && x < ox + 24 && y >= oy && y < oy + 24;
                const int ground = ((x / 8 + y / 8) % 2) * 16 + (x * 7 + y * 3) % 16;
                bits[(kHeight - 1 - y) * row + x] =
                    static_cast<std::uint8_t>(object ? 200 + (x - ox) / 4 : ground);
            }
        KPXFillDIBColorTable(image);
        auto it = a.frames.emplace(std::prev(a.frames.end()));
        it->SetImage(static_cast<std::uint16_t>(image));
        it->width = kWidth;
        it->height = kHeight;
        it->delay = 4;
        it->disposal = 1;
        it->PutFrameInfo(0);
    }
    a.UpdateFrameCount();
    doc.OnSaveDocument(path.c_str());
    return path;
}

// ---- The common palette's error

// One composed picture (B, G, R; rows without padding) and how long it shows (at least one
// hundredth, so that pictures of no delay count too).
struct Shown {
    std::vector<std::uint8_t> bgr;
    int hundredths = 1;
};

// What the file shows after each frame, as the library composes it; empty when it cannot be read.
std::vector<Shown> timelineOf(const std::string& path) {
    std::vector<Shown> out;
    CGIFAnimDoc doc;
    doc.OnNewDocument();
    if (!doc.OnOpenDocument(path.c_str()))
        return out;
    FrameList& list = g_pAnimationData->frames;
    const int w = g_pAnimationData->AnimationWidth;
    const int h = g_pAnimationData->AnimationHeight;
    if (BuildFramesImage(list, 0, 0) != 1)
        return out;
    const auto head = static_cast<KpxHandle>(list.front().GetImage());
    ScopedImage canvas(KPXCreateImage(w, h, 24));
    KPXFillImageByRGBColor2(canvas.get(), g_Settings.animBkColor, 0, 0, w - 1, h - 1);
    const int scan = KPXGetScanBytes(canvas.get());
    int n = 0;
    for (auto it = list.begin(); std::next(it) != list.end(); ++it) {
        if (!it->GetImage())
            continue;
        KPXStretchBltFrame(canvas.get(), 0, 0, w, h, head, n++, 0, 0, 0, 0, 0, 0, 0,
                           g_Settings.animBkColor, 0);
        Shown shown;
        shown.hundredths = std::max(it->delay, 1);
        shown.bgr.reserve(static_cast<std::size_t>(w) * h * 3);
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* row = KPXGetBits(canvas.get()) + static_cast<std::size_t>(y) * scan;
            shown.bgr.insert(shown.bgr.end(), row, row + static_cast<std::size_t>(w) * 3);
        }
        out.push_back(std::move(shown));
    }
    SplitFramesImage(list, 0);
    return out;
}

// The mean difference of a channel between two timelines, each moment weighted by how long it
// shows (frames merged by one side and not the other still line up); -1 when they differ in
// size or length.
double meanChannelError(const std::vector<Shown>& a, const std::vector<Shown>& b) {
    double sum = 0;
    double weight = 0;
    std::size_t i = 0;
    std::size_t j = 0;
    int leftA = a.empty() ? 0 : a[0].hundredths;
    int leftB = b.empty() ? 0 : b[0].hundredths;
    while (i < a.size() && j < b.size()) {
        if (a[i].bgr.size() != b[j].bgr.size())
            return -1;
        const int step = std::min(leftA, leftB);
        std::uint64_t difference = 0;
        for (std::size_t k = 0; k < a[i].bgr.size(); ++k)
            difference += static_cast<std::uint64_t>(std::abs(a[i].bgr[k] - b[j].bgr[k]));
        sum += static_cast<double>(difference) * step;
        weight += static_cast<double>(a[i].bgr.size()) * step;
        if ((leftA -= step) == 0 && ++i < a.size())
            leftA = a[i].hundredths;
        if ((leftB -= step) == 0 && ++j < b.size())
            leftB = b[j].hundredths;
    }
    if (i != a.size() || j != b.size() || weight == 0)
        return -1;
    return sum / weight;
}

std::size_t coloursShown(const std::vector<Shown>& timeline) {
    std::set<std::uint32_t> colours;
    for (const Shown& s : timeline)
        for (std::size_t k = 0; k + 2 < s.bgr.size(); k += 3)
            colours.insert(s.bgr[k] | (s.bgr[k + 1] << 8) | (s.bgr[k + 2] << 16));
    return colours.size();
}

struct PaletteResult {
    std::size_t colours = 0;
    double ours = -1;
    double gifsicle = -1;
};

// Our page defaults and gifsicle's 256 colours on one file.
PaletteResult measureCommonPalette(const std::string& file) {
    PaletteResult r;
    const std::vector<Shown> input = timelineOf(file);
    r.colours = coloursShown(input);
    const std::string stem = fs::path(file).stem().string();
    const std::string ours = (g_scratch / (stem + "-palette-ours.gif")).string();
    {
        CGIFAnimDoc doc;
        doc.OnNewDocument();
        if (doc.OnOpenDocument(file.c_str()) &&
            OptimizeAnimation(pageDefaults()) != kOptimizeCancelled &&
            doc.OnSaveDocument(ours.c_str()))
            r.ours = meanChannelError(input, timelineOf(ours));
    }
    const std::string peer = (g_scratch / (stem + "-palette-gs.gif")).string();
    if (kfm::bench::secondsOf("gifsicle -O3 --colors 256 --no-warnings '" + file + "' -o '" + peer +
                              "'") >= 0)
        r.gifsicle = meanChannelError(input, timelineOf(peer));
    return r;
}

// An animation of `frames` frames made by ffmpeg from a lavfi source; empty when ffmpeg fails.
std::string generateWithFfmpeg(const std::string& name, const std::string& source, int frames,
                               const std::string& filters = {}) {
    const std::string path = (g_scratch / name).string();
    const std::string command =
        "ffmpeg -v error -y -f lavfi -i '" + source + "' -frames:v " + std::to_string(frames) +
        " " + (filters.empty() ? "" : "-vf '" + filters + "' ") + "'" + path + "'";
    return kfm::bench::secondsOf(command) >= 0 ? path : std::string();
}

// ffmpeg's filters for a 256-colour table of its own in every frame (dithered).
constexpr const char* kLocalTables =
    "split[a][b];[a]palettegen=stats_mode=single[p];[b][p]paletteuse=new=1";

void printPaletteTable(const std::vector<std::string>& files) {
    std::printf("\ncommon palette of 256 colours: mean error of a channel against the input\n");
    std::printf("%-36s %9s %9s %9s %7s\n", "file", "colours", "ours", "gifsicle", "ratio");
    for (const std::string& file : files) {
        const PaletteResult r = measureCommonPalette(file);
        const std::string name = fs::path(file).filename().string();
        char ratio[32] = "-";
        if (r.ours == 0 && r.gifsicle == 0)
            std::snprintf(ratio, sizeof ratio, "exact");
        else if (r.ours >= 0 && r.gifsicle > 0)
            std::snprintf(ratio, sizeof ratio, "%.3f", r.ours / r.gifsicle);
        std::printf("%-36s %9zu %9.3f %9.3f %7s\n", name.c_str(), r.colours, r.ours, r.gifsicle,
                    ratio);
    }
}

// The animated GIFs (more than one image) under tests/data.
std::vector<std::string> animatedTestFiles() {
    std::vector<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(KFM_BENCH_DATA_DIR "/gif")) {
        if (e.path().extension() != ".gif")
            continue;
        const KpxHandle chain = LoadImageFramesWithProgress(e.path().c_str(), nullptr);
        if (chain > 0) {
            if (KPXGetImageFramesNum(chain) > 1)
                out.push_back(e.path().string());
            KPXDeleteImage(chain);
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

int main(int argc, char** argv) {
    CreateProgramAnimation();
    // The files live in memory (/dev/shm) where there is such a folder: the document's safe save
    // flushes its file to the disk before it renames it over the target, which gifsicle does
    // not, and the time a disk takes to flush is no part of the optimiser's speed.
    std::error_code error;
    const bool inMemory = fs::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0;
    g_scratch = (inMemory ? fs::path("/dev/shm") : fs::temp_directory_path()) /
                ("kfm-optimize-bench-" + std::to_string(getpid()));
    fs::create_directories(g_scratch);
    std::vector<std::string> files = animatedTestFiles();
    files.push_back(generateMovingObject());
    for (const std::string& file : files) {
        const std::string name = fs::path(file).filename().string();
        benchmark::RegisterBenchmark(("ours/" + name).c_str(), BM_Library, file)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
        for (const bool strongest : {false, true})
            benchmark::RegisterBenchmark(
                ((strongest ? "ours-strongest/" : "ours-defaults/") + name).c_str(), BM_LibraryPage,
                file, strongest)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond)
                ->Iterations(3);
        benchmark::RegisterBenchmark(("gifsicle/" + name).c_str(), BM_Gifsicle, file)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
    }
    benchmark::Initialize(&argc, argv);
    kfm::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n%-36s %10s %10s %10s %7s %9s %9s %9s %6s\n", "file", "input", "ours", "gifsicle",
                "size", "identical", "ours ms", "gs ms", "time");
    for (const std::string& file : files) {
        const Result& r = g_results[file];
        const std::string name = fs::path(file).filename().string();
        const double ours = reporter.time("ours/" + name);
        const double peer = reporter.time("gifsicle/" + name);
        std::printf("%-36s %10ju %10ju %10ju %7.3f %9s %9.2f %9.2f %6.2f\n", name.c_str(), r.input,
                    r.ours, r.gifsicle, r.gifsicle ? double(r.ours) / double(r.gifsicle) : 0.0,
                    r.identical ? "yes" : "NO", ours, peer, peer > 0 ? ours / peer : 0.0);
    }
    std::printf("\nthe page's settings against gifsicle -O3 (time ours / gifsicle)\n");
    std::printf("%-36s %10s %10s %8s %10s %8s\n", "file", "gifsicle", "defaults", "time",
                "strongest", "time");
    for (const std::string& file : files) {
        const Result& r = g_results[file];
        const std::string name = fs::path(file).filename().string();
        const double peer = reporter.time("gifsicle/" + name);
        const auto ratio = [&](const std::string& run) {
            return peer > 0 ? reporter.time(run + name) / peer : 0.0;
        };
        std::printf("%-36s %10ju %10ju %8.2f %10ju %8.2f\n", name.c_str(), r.gifsicle,
                    r.oursDefaults, ratio("ours-defaults/"), r.oursStrongest,
                    ratio("ours-strongest/"));
    }
    std::vector<std::string> paletteFiles = files;
    for (const std::string& made :
         {generateWithFfmpeg("testsrc2-640x480-110.gif", "testsrc2=size=640x480:rate=10", 110),
          generateWithFfmpeg("mandelbrot-local-tables-259.gif", "mandelbrot=size=320x240:rate=10",
                             259, kLocalTables),
          generateWithFfmpeg("gradients-local-tables-60.gif", "gradients=size=320x240:rate=10", 60,
                             kLocalTables)})
        if (!made.empty())
            paletteFiles.push_back(made);
    printPaletteTable(paletteFiles);
    fs::remove_all(g_scratch);
    DestroyProgramAnimation();
    benchmark::Shutdown();
    return 0;
}
