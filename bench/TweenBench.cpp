// Tweening two 640 x 480 frames of a photo-like picture into 20 intermediate frames (insert
// mode, cross-fading) through the model, against ImageMagick's `convert A B -morph 20` on the
// same two pictures. Both on one thread: ImageMagick with MAGICK_THREAD_LIMIT=1, timed as a
// whole program less the same program that only reads the two files. The ratio is printed at
// the end.

#include "PeerRunRatios.h"

#include "AnimationData.h"
#include "Tween.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFrames = 20;

// Smooth colour fields with noise, different for each seed.
KpxHandle makePicture(int seed) {
    const KpxHandle image = KPXCreateImage(kWidth, kHeight, 24);
    std::uint8_t* bits = KPXGetBits(image);
    const int stride = KPXGetScanBytes(image);
    std::mt19937 random(static_cast<unsigned>(seed));
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            for (int c = 0; c < 3; ++c) {
                const int base =
                    (x * (c + seed) / 7 + y * (3 - c + seed) / 9 + (x * y) / 3000) & 0xFF;
                bits[std::size_t(y) * stride + std::size_t(x) * 3 + c] =
                    static_cast<std::uint8_t>(std::clamp(base + int(random() % 9) - 4, 0, 255));
            }
    return image;
}

// The picture as a PPM file (rows from the top, red first).
std::string writePpm(KpxHandle image, const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fprintf(f, "P6\n%d %d\n255\n", kWidth, kHeight);
    const std::uint8_t* bits = KPXGetBits(image);
    const int stride = KPXGetScanBytes(image);
    for (int y = kHeight - 1; y >= 0; --y) {
        const std::uint8_t* row = bits + std::size_t(y) * stride;
        for (int x = 0; x < kWidth; ++x) {
            const std::uint8_t rgb[3] = {row[3 * x + 2], row[3 * x + 1], row[3 * x]};
            std::fwrite(rgb, 1, 3, f);
        }
    }
    std::fclose(f);
    return path;
}

struct Pictures {
    KpxHandle a = 0;
    KpxHandle b = 0;
    std::string files;
};

Pictures& pictures() {
    static Pictures p;
    if (!p.a) {
        p.a = makePicture(3);
        p.b = makePicture(5);
        p.files = writePpm(p.a, "/tmp/kfm-tween-bench-a.ppm") + " " +
                  writePpm(p.b, "/tmp/kfm-tween-bench-b.ppm");
    }
    return p;
}

void addFrame(KpxHandle image) {
    FrameList& frames = g_pAnimationData->frames;
    auto it = frames.emplace(std::prev(frames.end()));
    it->SetImage(static_cast<std::uint16_t>(KPXCreateImageFrom(image, 0)));
    it->width = kWidth;
    it->height = kHeight;
}

void BM_Tween(benchmark::State& state) {
    Pictures& p = pictures();
    for (auto _ : state) {
        g_pAnimationData->ResetFrames();
        addFrame(p.a);
        addFrame(p.b);
        kfm::model::TweenRequest request;
        request.first = 0;
        request.second = 1;
        request.count = kFrames;
        const auto start = std::chrono::steady_clock::now();
        const kfm::model::TweenOutcome outcome =
            kfm::model::TweenFrames(g_pAnimationData->frames, request);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (outcome != kfm::model::TweenOutcome::Done) {
            state.SkipWithError("tween failed");
            break;
        }
        state.SetIterationTime(seconds);
    }
    g_pAnimationData->ResetFrames();
}

void BM_Morph(benchmark::State& state) {
    const std::string convert = "MAGICK_THREAD_LIMIT=1 convert -limit thread 1 ";
    const std::string files = pictures().files;
    double readOnly = 1e9;
    for (int i = 0; i < 3; ++i)
        readOnly = std::min(readOnly, kfm::bench::secondsOf(convert + files + " null:"));
    for (auto _ : state) {
        const double whole = kfm::bench::secondsOf(convert + files + " -morph " +
                                                   std::to_string(kFrames) + " null:");
        if (whole < 0 || readOnly < 0) {
            state.SkipWithError("convert failed");
            break;
        }
        state.SetIterationTime(std::max(whole - readOnly, 1e-6));
    }
}

} // namespace

int main(int argc, char** argv) {
    CreateProgramAnimation();
    benchmark::RegisterBenchmark("ours/tween20", BM_Tween)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
    benchmark::RegisterBenchmark("imagemagick/morph20", BM_Morph)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::Initialize(&argc, argv);
    kfm::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double ours = reporter.time("ours/tween20");
    const double peer = reporter.time("imagemagick/morph20");
    std::printf("\ntween of two 640 x 480 frames into %d: ours %.1f ms, ImageMagick %.1f ms, "
                "ratio %.2f\n",
                kFrames, ours, peer, peer > 0 ? ours / peer : 0.0);
    DestroyProgramAnimation();
    return 0;
}
