// Memory held by the undo history: thirty steps of a 200-frame animation, each step editing one
// frame's delay, or one frame's pixels (an index change, which gives the frame a changed copy of
// its image). Snapshots take references to the frames' images, so the history grows with the
// frames' bookkeeping and the images the steps replaced, not with thirty copies of every image.

#include "AnimationData.h"
#include "ImageCreation.h"
#include "IndexChangeEdit.h"
#include "ProgramState.h"
#include "ShellServices.h"
#include "UndoHistory.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <iterator>
#include <malloc.h>
#include <string>

namespace {

constexpr int kFrames = 200;
constexpr int kSide = 320;
constexpr int kSteps = 30;

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

// The bytes the program's allocations hold now (freed memory the allocator keeps is not
// counted, so the benchmarks do not see each other's).
double allocatedMiB() {
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
}

enum class Edit { Delay, Pixels };

void UndoThirtyStepsOf200Frames(benchmark::State& state, Edit edit) {
    BenchShell shellStub;
    setShellServices(&shellStub);
    g_Settings.undoSteps = kSteps;
    const int depth = edit == Edit::Pixels ? 8 : 24;
    const double frameMiB = kSide * (depth / 8.0) * kSide / (1024.0 * 1024.0);
    for (auto _ : state) {
        const double before = allocatedMiB();
        CAnimationData& animation = CreateProgramAnimation();
        auto& frames = animation.frames;
        for (int i = 0; i < kFrames; ++i) {
            auto it = frames.emplace(std::prev(frames.end()));
            const KpxHandle image = KPXCreateImage(kSide, kSide, depth);
            if (depth == 8)
                std::memset(KPXGetBits(image), i % 16, std::size_t(KPXGetScanBytes(image)) * kSide);
            it->SetImage(static_cast<std::uint16_t>(image));
            it->width = it->height = kSide;
        }
        animation.UpdateFrameCount();
        const double afterFrames = allocatedMiB();
        {
            CUndoHistory history;
            history.SetSize(kSteps);
            history.Reset();
            for (int step = 0; step < kSteps; ++step) {
                CObjFrame& frame = *std::next(frames.begin(), step % kFrames);
                if (edit == Edit::Delay) {
                    history.BeginStep(2);
                    frame.delay += 1;
                } else {
                    history.BeginStep(kUndoKindPalette);
                    ChangeFrameIndex(frame, step % 16, 16 + step, 0);
                }
                history.EndStep(0);
            }
            const double afterSteps = allocatedMiB();
            state.counters["images_MiB"] = kFrames * frameMiB;
            state.counters["frames_MiB"] = afterFrames - before;
            state.counters["history_MiB"] = afterSteps - afterFrames;
            // A pixel edit keeps the one image it replaced: the history's floor.
            state.counters["replaced_images_MiB"] = edit == Edit::Pixels ? kSteps * frameMiB : 0;
            state.counters["full_copies_would_be_MiB"] = kFrames * frameMiB * kSteps;
        }
        DestroyProgramAnimation();
    }
    setShellServices(nullptr);
}

} // namespace

BENCHMARK_CAPTURE(UndoThirtyStepsOf200Frames, delays, Edit::Delay)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(UndoThirtyStepsOf200Frames, pixels, Edit::Pixels)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
