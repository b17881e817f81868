// The optimiser against gifsicle -O3 on real animations: the animated GIFs under tests/data and
// a generated 300-frame animation of a small object moving over a still background. Each side
// reads the file, optimises and writes it (gifsicle as a program, one thread, the same work).
// The optimiser runs with the options that keep every colour (fine palette without conversion,
// redundant pixels, special information removed, the difference method). Printed per file:
// input bytes, our bytes, gifsicle's bytes, ours / gifsicle, whether our composed pictures equal
// the input's, and both times.

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
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Result {
    std::uintmax_t input = 0;
    std::uintmax_t ours = 0;
    std::uintmax_t gifsicle = 0;
    bool identical = false;
};

std::map<std::string, Result> g_results;
fs::path g_scratch;

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
double optimiseWithLibrary(const std::string& in, const std::string& out, bool* identical) {
    CGIFAnimDoc doc;
    doc.OnNewDocument();
    const auto start = std::chrono::steady_clock::now();
    if (!doc.OnOpenDocument(in.c_str()))
        return -1;
    const auto opened = std::chrono::steady_clock::now();
    const auto before = identical ? composedPictures() : decltype(composedPictures()){};
    const auto composed = std::chrono::steady_clock::now();
    if (OptimizeAnimation(keepingOptions()) == kOptimizeCancelled)
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
    g_scratch = fs::temp_directory_path() / ("kfm-optimize-bench-" + std::to_string(getpid()));
    fs::create_directories(g_scratch);
    std::vector<std::string> files = animatedTestFiles();
    files.push_back(generateMovingObject());
    for (const std::string& file : files) {
        const std::string name = fs::path(file).filename().string();
        benchmark::RegisterBenchmark(("ours/" + name).c_str(), BM_Library, file)
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
    fs::remove_all(g_scratch);
    DestroyProgramAnimation();
    benchmark::Shutdown();
    return 0;
}
