// Importing 20 GIF files of 50 frames each (made by ImageMagick here) as one step of the
// editor's import command (ImportFiles), against loading the same files with the image library
// alone (KPXLoadImageFramesOffset), and the undo of that import against the import itself.
// Printed: import / bare loads (aim: at most 1.25) and undo / import (aim: below 0.1).

#include "BenchRatios.h"

#include "AnimationData.h"
#include "GIFAnimDoc.h"
#include "ImportFiles.h"
#include "UndoHistory.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kFiles = 20;
constexpr int kFramesPerFile = 50;

std::vector<std::string> g_files;

// A 50-frame animation that turns a plasma picture a little further each frame.
bool makeAnimation(const std::string& path, int seed) {
    const std::string command = "convert -seed " + std::to_string(seed) +
                                " -size 120x90 plasma:fractal -duplicate " +
                                std::to_string(kFramesPerFile - 1) +
                                " -distort SRT '%[fx:t*7.2]' -delay 4 -colors 128 '" + path + "'";
    return bench::run(command);
}

// A fresh animation with one frame and the placeholder, the frame current; the history empty.
void resetAnimation() {
    CAnimationData& a = *g_pAnimationData;
    a.ResetFrames();
    a.AnimationWidth = 120;
    a.AnimationHeight = 90;
    a.AnimationStateElasticSize = 1;
    CObjFrame first;
    first.SetImage(static_cast<std::uint16_t>(KPXCreateImage(120, 90, 8)));
    first.width = 120;
    first.height = 90;
    a.frames.insert(a.frames.begin(), std::move(first));
    a.UpdateFrameCount();
    SetCurrentFrame(0);
    SelectFrame(0);
    TheUndoHistory().Reset();
}

void BM_BareLoads(benchmark::State& state) {
    std::int64_t frames = 0;
    for (auto _ : state)
        for (const std::string& file : g_files) {
            const KpxHandle chain = KPXLoadImageFramesOffset(file.c_str(), 0, nullptr, nullptr);
            frames += chain > 0 ? KPXGetImageFramesNum(chain) : 0;
            KPXDeleteImage(chain);
        }
    state.counters["frames"] = static_cast<double>(frames) / state.iterations();
}

void BM_Import(benchmark::State& state) {
    CGIFAnimDoc document;
    int inserted = 0;
    for (auto _ : state) {
        state.PauseTiming();
        resetAnimation();
        state.ResumeTiming();
        inserted = ImportFiles(document, g_files, kUndoKindImport);
    }
    state.counters["frames"] = inserted;
}

void BM_UndoImport(benchmark::State& state) {
    CGIFAnimDoc document;
    int undone = 0;
    for (auto _ : state) {
        state.PauseTiming();
        resetAnimation();
        ImportFiles(document, g_files, kUndoKindImport);
        state.ResumeTiming();
        undone += TheUndoHistory().Undo();
    }
    state.counters["undone"] = static_cast<double>(undone) / state.iterations();
}

} // namespace

int main(int argc, char** argv) {
    bench::ScratchFolder scratch;
    if (!scratch.valid())
        return 1;
    for (int i = 0; i < kFiles; ++i) {
        const std::string path = scratch.file("import-" + std::to_string(i) + ".gif");
        if (!makeAnimation(path, i + 1)) {
            std::fprintf(stderr, "ImageMagick could not make %s\n", path.c_str());
            return 1;
        }
        g_files.push_back(path);
    }
    CreateProgramAnimation();
    TheUndoHistory().SetSize(10);
    benchmark::RegisterBenchmark("bare-loads", BM_BareLoads)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("import", BM_Import)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("undo-import", BM_UndoImport)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("\n%d files of %d frames\n", kFiles, kFramesPerFile);
    std::printf("import / bare loads: %.3f (aim 1.25 or less)\n",
                reporter.timeRatio("import", "bare-loads"));
    std::printf("undo / import:       %.3f (aim below 0.1)\n",
                reporter.timeRatio("undo-import", "import"));
    resetAnimation();
    DestroyProgramAnimation();
    return 0;
}
