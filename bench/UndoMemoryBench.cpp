// Memory held by the undo history: thirty steps of a 200-frame animation. Snapshots take
// references to the frames' images, so the history grows with the frames' bookkeeping, not with
// thirty copies of every image.

#include "AnimationData.h"
#include "ImageCreation.h"
#include "ProgramState.h"
#include "ShellServices.h"
#include "UndoHistory.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <iterator>

namespace {

// A shell that has a main window and a document, so steps commit.
class BenchShell final : public ShellServices {
public:
    std::string loadString(UINT) override { return {}; }
    int messageBox(const std::string&, UINT) override { return IDOK; }
    bool hasMainWindow() override { return true; }
    LRESULT sendToMainWindow(UINT, WPARAM, LPARAM) override { return 0; }
    bool escapePressed() override { return false; }
    void setWaitCursor(bool) override {}
    bool hasActiveDocument() override { return true; }
    void setDocumentModified(bool) override {}
    void refreshStripView() override {}
    void redrawViews(int, int) override {}
    void updateAnimationPage() override {}
    void updateOptimizeState() override {}
};

long peakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void UndoThirtyStepsOf200Frames(benchmark::State& state) {
    constexpr int kFrames = 200;
    constexpr int kSide = 320;
    constexpr int kSteps = 30;
    BenchShell shellStub;
    setShellServices(&shellStub);
    g_Settings.undoSteps = kSteps;
    const long before = peakResidentKiB();
    for (auto _ : state) {
        CAnimationData& animation = CreateProgramAnimation();
        auto& frames = animation.frames;
        for (int i = 0; i < kFrames; ++i) {
            auto it = frames.emplace(std::prev(frames.end()));
            it->SetImage(static_cast<std::uint16_t>(KPXCreateImage(kSide, kSide, 24)));
            it->width = it->height = kSide;
        }
        animation.UpdateFrameCount();
        const long afterFrames = peakResidentKiB();
        {
            CUndoHistory history;
            history.SetSize(kSteps);
            history.Reset();
            for (int step = 0; step < kSteps; ++step) {
                history.BeginStep(2);
                std::next(frames.begin(), step % kFrames)->delay += 1;
                history.EndStep(0);
            }
            const long afterSteps = peakResidentKiB();
            const double imageMiB = kFrames * (kSide * 3.0 * kSide) / (1024.0 * 1024.0);
            state.counters["images_MiB"] = imageMiB;
            state.counters["frames_peak_MiB"] = (afterFrames - before) / 1024.0;
            state.counters["history_extra_MiB"] = (afterSteps - afterFrames) / 1024.0;
            state.counters["full_copies_would_be_MiB"] = imageMiB * kSteps;
        }
        DestroyProgramAnimation();
    }
    setShellServices(nullptr);
}
BENCHMARK(UndoThirtyStepsOf200Frames)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
