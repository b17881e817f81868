// The AVI import dialog's preview against the ffmpeg command-line tool on one thread: a
// 640 x 480 MJPEG clip of 300 frames played through VideoPreview (every frame decoded and drawn
// scaled into 320 x 240), and 20 random frames sought; the tool decodes the clip to null, and
// seeks each of the 20 times with -ss before its input, decoding one frame. After the run the
// ratios ours / ffmpeg per frame and per seek are printed. The clip is made with the tool.

#include "VideoPreview.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "PeerRunRatios.h"

namespace {

constexpr int kFrames = 300;
constexpr int kRate = 25;
constexpr int kSeeks = 20;

const std::string& clipPath() {
    static const std::string path = [] {
        const auto folder = std::filesystem::temp_directory_path() / "kfm5-preview-bench";
        std::filesystem::create_directories(folder);
        const std::string file = (folder / "clip.avi").string();
        const std::string command =
            "ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=640x480:rate=25:duration=12 "
            "-frames:v 300 -c:v mjpeg -q:v 3 '" +
            file + "'";
        if (std::system(command.c_str()) != 0)
            std::fprintf(stderr, "the ffmpeg tool could not make %s\n", file.c_str());
        return file;
    }();
    return path;
}

const std::vector<int>& seekFrames() {
    static const std::vector<int> frames = [] {
        std::mt19937 random(5);
        std::uniform_int_distribution<int> pick(0, kFrames - 1);
        std::vector<int> out;
        for (int i = 0; i < kSeeks; ++i)
            out.push_back(pick(random));
        return out;
    }();
    return frames;
}

// Draws the frame shown as the preview paints it, into a 320 x 240 picture.
void drawScaled(const kfm::dialogs::VideoPreview& preview, QImage& target) {
    QPainter painter(&target);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(0, 0, target.width(), target.height()), preview.Picture());
}

void playOurs(benchmark::State& state) {
    QImage target(320, 240, QImage::Format_RGB32);
    for (auto _ : state) {
        kfm::dialogs::VideoPreview preview;
        preview.resize(324, 244);
        if (!preview.Open(QString::fromStdString(clipPath()))) {
            state.SkipWithError("the clip does not open");
            break;
        }
        for (int frame = 0; frame < kFrames; ++frame) {
            preview.Seek(frame);
            drawScaled(preview, target);
        }
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
}

void seekOurs(benchmark::State& state) {
    QImage target(320, 240, QImage::Format_RGB32);
    for (auto _ : state) {
        kfm::dialogs::VideoPreview preview;
        if (!preview.Open(QString::fromStdString(clipPath()))) {
            state.SkipWithError("the clip does not open");
            break;
        }
        for (const int frame : seekFrames()) {
            preview.Seek(frame);
            drawScaled(preview, target);
        }
    }
    state.SetItemsProcessed(state.iterations() * kSeeks);
}

void playFfmpeg(benchmark::State& state) {
    const std::string command =
        "ffmpeg -nostdin -v error -threads 1 -i '" + clipPath() + "' -f null - >/dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("the ffmpeg tool failed");
    state.SetItemsProcessed(state.iterations() * kFrames);
}

void seekFfmpeg(benchmark::State& state) {
    for (auto _ : state)
        for (const int frame : seekFrames()) {
            const std::string command = "ffmpeg -nostdin -v error -threads 1 -ss " +
                                        std::to_string(static_cast<double>(frame) / kRate) +
                                        " -i '" + clipPath() + "' -frames:v 1 -f null - >/dev/null";
            if (std::system(command.c_str()) != 0)
                state.SkipWithError("the ffmpeg tool failed");
        }
    state.SetItemsProcessed(state.iterations() * kSeeks);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    clipPath();
    const auto timed = [](benchmark::internal::Benchmark* b) {
        return b->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
    };
    timed(benchmark::RegisterBenchmark("play/ours", playOurs));
    timed(benchmark::RegisterBenchmark("play/ffmpeg", playFfmpeg));
    timed(benchmark::RegisterBenchmark("seek/ours", seekOurs));
    timed(benchmark::RegisterBenchmark("seek/ffmpeg", seekFfmpeg));
    benchmark::Initialize(&argc, argv);
    kfm::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nratios ours / ffmpeg (wall time; aim: play within 1.3 per frame, each seek "
                "within 2)\n");
    for (const std::string kind : {"play", "seek"}) {
        const double ours = reporter.time(kind + "/ours");
        const double theirs = reporter.time(kind + "/ffmpeg");
        if (ours > 0 && theirs > 0)
            std::printf("%s %.2f\n", kind.c_str(), ours / theirs);
    }
    std::filesystem::remove_all(std::filesystem::path(clipPath()).parent_path());
    benchmark::Shutdown();
    return 0;
}
