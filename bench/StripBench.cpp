// The frame strip of a 1,000-frame GIF in the editor, in one run:
// - first paint: the strip's first paint of its visible items (thumbnails not made yet), against
//   composing the same visible thumbnails alone;
// - scrolling: the strip scrolled from top to bottom a row at a time, paints a second, once while
//   the thumbnails are made as their items come into view and once with all of them made.
// The figures are printed after the run.

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include "AnimationData.h"
#include "AnimationView.h"
#include "FlimmerApp.h"
#include "FramePictures.h"
#include "FrameStripModel.h"
#include "GIFAnimDoc.h"
#include "MainFrame.h"
#include "MainPanes.h"

#include <QApplication>
#include <QScrollBar>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kFrames = 1000;
constexpr int kWidth = 320;
constexpr int kHeight = 240;

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

double secondsSince(Clock::time_point begin) {
    return std::chrono::duration<double>(Clock::now() - begin).count();
}

const fs::path& workFolder() {
    static const fs::path folder = [] {
        char pattern[] = "/tmp/kfm5-strip-bench-XXXXXX";
        return fs::path(mkdtemp(pattern));
    }();
    return folder;
}

// 1,000 frames of 160 x 120 over a palette ramp, each with a block at its own place.
std::string makeAnimation() {
    const std::string path = (workFolder() / "strip-1000.gif").string();
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    if (!gif)
        return {};
    std::vector<GifColorType> colours(256);
    for (int i = 0; i < 256; ++i)
        colours[static_cast<std::size_t>(i)] = {static_cast<GifByteType>(i),
                                                static_cast<GifByteType>((i * 7) & 0xFF),
                                                static_cast<GifByteType>(255 - i)};
    ColorMapObject* map = GifMakeMapObject(256, colours.data());
    EGifPutScreenDesc(gif, kWidth, kHeight, 8, 0, map);
    std::vector<GifPixelType> row(kWidth);
    for (int f = 0; f < kFrames; ++f) {
        const unsigned char control[] = {0x04, 2, 0, 0};
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control);
        EGifPutImageDesc(gif, 0, 0, kWidth, kHeight, false, nullptr);
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const bool block = x >= (f % kWidth) && x < (f % kWidth) + 20 && y >= (f % 90) &&
                                   y < (f % 90) + 30;
                row[static_cast<std::size_t>(x)] =
                    static_cast<GifPixelType>(block ? 255 : (x + 2 * y + f) % 200);
            }
            EGifPutLine(gif, row.data(), kWidth);
        }
    }
    GifFreeMapObject(map);
    EGifCloseFile(gif, &error);
    return path;
}

// The editor with the animation open, its window at a fixed size.
class OpenEditor {
public:
    OpenEditor() {
        started_ = app_.InitInstance({});
        if (!started_)
            return;
        app_.MainFrame()->showNormal();
        app_.MainFrame()->setGeometry(0, 0, 1000, 760);
        opened_ = app_.OpenDocumentFile(makeAnimation());
        QApplication::processEvents();
    }
    ~OpenEditor() {
        if (app_.Document())
            app_.Document()->SetModifiedFlag(FALSE);
        app_.ExitInstance();
    }
    bool ready() const { return started_ && opened_; }
    kfm::ui::CAnimationView& strip() { return *app_.MainFrame()->Panes().Strip(); }

private:
    CFlimmerApp app_;
    bool started_ = false;
    bool opened_ = false;
};

// Made on first use, closed before the application object goes.
std::unique_ptr<OpenEditor> openEditor;

OpenEditor& editor() {
    if (!openEditor)
        openEditor = std::make_unique<OpenEditor>();
    return *openEditor;
}

// The rows the strip shows at its top.
std::vector<int> visibleRows(kfm::ui::CAnimationView& strip) {
    std::vector<int> rows;
    const QRect view = strip.viewport()->rect();
    for (int row = 0; row < strip.model()->rowCount(); ++row) {
        const QRect item = strip.visualRect(strip.model()->index(row, 0));
        if (item.top() > view.bottom())
            break;
        if (item.intersects(view))
            rows.push_back(row);
    }
    return rows;
}

bool ready(benchmark::State& state) {
    if (editor().ready())
        return true;
    state.SkipWithError("the editor did not open the animation");
    return false;
}

void BM_StripFirstPaint(benchmark::State& state) {
    if (!ready(state))
        return;
    kfm::ui::CAnimationView& strip = editor().strip();
    strip.verticalScrollBar()->setValue(0);
    for (auto _ : state) {
        strip.Thumbnails().Clear();
        const auto begin = Clock::now();
        strip.viewport()->repaint();
        const double seconds = secondsSince(begin);
        state.SetIterationTime(seconds);
        record("first paint", seconds);
    }
    state.counters["thumbnails"] = static_cast<double>(strip.Thumbnails().Count());
}

// The same paint with the thumbnails made: what drawing the items costs besides them.
void BM_StripRepaintMade(benchmark::State& state) {
    if (!ready(state))
        return;
    kfm::ui::CAnimationView& strip = editor().strip();
    strip.verticalScrollBar()->setValue(0);
    strip.viewport()->repaint();
    for (auto _ : state) {
        const auto begin = Clock::now();
        strip.viewport()->repaint();
        const double seconds = secondsSince(begin);
        state.SetIterationTime(seconds);
        record("repaint made", seconds);
    }
}

void BM_ComposeVisibleThumbnails(benchmark::State& state) {
    if (!ready(state))
        return;
    kfm::ui::CAnimationView& strip = editor().strip();
    strip.verticalScrollBar()->setValue(0);
    const std::vector<int> rows = visibleRows(strip);
    const kfm::ui::ThumbnailStyle style = strip.PaintState().style;
    for (auto _ : state) {
        const auto begin = Clock::now();
        for (const int row : rows)
            if (const CObjFrame* frame = kfm::ui::FrameStripModel::FrameAt(row);
                frame && frame->GetDisplayImage())
                benchmark::DoNotOptimize(kfm::ui::MakeThumbnail(*frame, style));
        const double seconds = secondsSince(begin);
        state.SetIterationTime(seconds);
        record("compose visible", seconds);
    }
    state.counters["thumbnails"] = static_cast<double>(rows.size());
}

// Scrolls from top to bottom a row at a time, painting after each step.
void scrollThrough(benchmark::State& state, bool madeAlready, const char* name) {
    if (!ready(state))
        return;
    kfm::ui::CAnimationView& strip = editor().strip();
    QScrollBar* bar = strip.verticalScrollBar();
    const int step = static_cast<int>(strip.PaintState().rowSize.cy);
    for (auto _ : state) {
        bar->setValue(0);
        if (!madeAlready)
            strip.Thumbnails().Clear();
        strip.viewport()->repaint();
        int paints = 0;
        const auto begin = Clock::now();
        for (int value = step; value <= bar->maximum() + step - 1; value += step) {
            bar->setValue(std::min(value, bar->maximum()));
            strip.viewport()->repaint();
            ++paints;
        }
        const double seconds = secondsSince(begin);
        state.SetIterationTime(seconds);
        record(name, seconds / paints);
        state.counters["paints"] = paints;
    }
}

void BM_StripScrollMakingThumbnails(benchmark::State& state) {
    scrollThrough(state, false, "scroll first");
}
void BM_StripScrollMadeThumbnails(benchmark::State& state) {
    scrollThrough(state, true, "scroll again");
}

BENCHMARK(BM_ComposeVisibleThumbnails)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK(BM_StripRepaintMade)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_StripFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_StripScrollMakingThumbnails)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_StripScrollMadeThumbnails)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("KFM5_REGISTRY_DIR", workFolder().c_str(), 1);
    QApplication qtApp(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\nstrip of a %d-frame GIF, first paint: %.2f ms, composing the visible thumbnails "
                "alone %.2f ms, ratio %.2f (aim: at most 1.2)\n",
                kFrames, mean("first paint") * 1e3, mean("compose visible") * 1e3,
                mean("first paint") / mean("compose visible"));
    std::printf("the same paint with the thumbnails made: %.2f ms\n", mean("repaint made") * 1e3);
    std::printf("scrolling top to bottom: %.0f paints a second while making thumbnails, %.0f "
                "with them made (aim: 60 or more)\n",
                1.0 / mean("scroll first"), 1.0 / mean("scroll again"));
    openEditor.reset();
    std::error_code ec;
    fs::remove_all(workFolder(), ec);
    return 0;
}
