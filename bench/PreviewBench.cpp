// The animated preview playing a 100-frame animation at delay 0 against the composition alone,
// in one run: frames shown per second by the preview window (each frame stepped, composed onto
// its canvas and painted with the window) and frames composed per second by the image library
// onto a canvas. The ratio (preview / composition, in time per frame) is printed after the run.

#include <benchmark/benchmark.h>

#include "Bitra5.h"
#include "PreviewPlayer.h"

#include <QApplication>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kFrames = 100;
constexpr int kWidth = 240;
constexpr int kHeight = 180;
constexpr COLORREF kBackground = RGB(255, 255, 255);

// Frame i: a frame of the whole screen in its own colour with a band at its own place, half of
// them with a transparent index so that both composition roads run.
KpxHandle makeFrame(int i) {
    const KpxHandle image = KPXCreateImage(kWidth, kHeight, 8);
    KPXFillImageByIndexColor(image, i % 200 + 1);
    const int top = (i * 3) % (kHeight - 10);
    KPXFillImageByRGBColor2(image, KPXGetColorFromPalette(image, 0), 0, top, kWidth - 1, top + 9);
    FrameInfo info{};
    info.delay = 0;
    info.disposal = 1;
    info.transparency = (i % 2) ? kKpxTransparencyIndexFlag | 0 : 0;
    KPXSetImageFramesInfo(image, &info);
    return image;
}

KpxHandle makeAnimation() {
    const KpxHandle chain = makeFrame(0);
    for (int i = 1; i < kFrames; ++i)
        KPXAddImageFrame(chain, makeFrame(i), -1);
    AnimateInfo animate{kWidth, kHeight, kFrames, 0, nullptr};
    KPXSetAnimateInfo(chain, &animate);
    return chain;
}

KpxHandle animation() {
    static const KpxHandle chain = makeAnimation();
    return chain;
}

// One pass of the animation composed as the preview composes it: the first frame from a cleared
// canvas, every next one over the one before.
void composeBare(benchmark::State& state) {
    const KpxHandle chain = animation();
    const KpxHandle canvas = KPXCreateImage(kWidth, kHeight, 24);
    for (auto _ : state) {
        KPXFillImageByRGBColor(canvas, kBackground);
        KPXRenderFrames(chain, canvas, 0, 0, 0, 0, kBackground, 0, 1);
        for (int i = 1; i < kFrames; ++i)
            KPXStretchBltFrame(canvas, 0, 0, kWidth, kHeight, chain, i, 0, 0, 0, 0, 0, 0, 0,
                               kBackground, 0);
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
    KPXDeleteImage(canvas);
}

// One pass of the animation shown by the preview window: each frame stepped to, and the
// window's pending paints (the picture and the frame counter) carried out as the event loop
// would.
void previewPlay(benchmark::State& state) {
    kfm::ui::PreviewPlayer player(0);
    player.SetFrames(animation());
    player.TakeFrames(true);
    player.SetBackground(kBackground);
    player.show();
    QApplication::processEvents();
    for (auto _ : state) {
        for (int i = 0; i < kFrames; ++i) {
            player.NextFrame();
            QCoreApplication::sendPostedEvents(&player, QEvent::UpdateRequest);
        }
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
}

// Keeps the quickest repetition of each benchmark (the one least disturbed by the machine's
// other work) for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration)
                continue;
            const std::string name = run.run_name.function_name;
            const double time = run.GetAdjustedRealTime();
            if (!times.count(name) || time < times[name])
                times[name] = time;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    for (int round = 0; round < 5; ++round) {
        // Alternating rounds, so both see the same load.
        benchmark::RegisterBenchmark("preview/compose-only", composeBare)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("preview/play", previewPlay)->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double bare = reporter.times["preview/compose-only"];
    const double play = reporter.times["preview/play"];
    if (bare > 0 && play > 0)
        std::printf("\npreview %.0f frames/s, composition alone %.0f frames/s: preview / "
                    "composition %.2fx the time per frame\n",
                    kFrames * 1000.0 / play, kFrames * 1000.0 / bare, play / bare);
    KPXDeleteImage(animation());
    benchmark::Shutdown();
    return 0;
}
