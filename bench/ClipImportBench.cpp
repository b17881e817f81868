// Clip import against the ffmpeg command-line tool on the same files: a 640 x 480 MJPEG AVI of
// 300 frames and a 640 x 480 FLC of 300 frames, imported into frames through the editor's
// importers (with and without merging), and decoded by `ffmpeg -i file -f rawvideo -` (its
// output thrown away). The AVI is also decoded by the AVIFile road alone, frames dropped as the
// tool drops them. After the run the ratios ours / ffmpeg are printed, and the time of a first
// import in the fresh process. The AVI is made with the ffmpeg tool, the FLC with the tests'
// FLIC writer.

#include "ClipImport.h"
#include "video/AviFile.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "FlicTestFiles.h"
#include "PeerRunRatios.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFrames = 300;

struct Files {
    std::filesystem::path folder;
    std::string avi;
    std::string flc;
};

// A background of soft bands with three shapes moving over it, the palette turning every 60
// frames: what a drawn FLC animation looks like.
std::vector<flic_test::Picture> flcPictures() {
    std::vector<flic_test::Picture> pictures;
    flic_test::Bytes background(static_cast<std::size_t>(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            background[static_cast<std::size_t>(y) * kWidth + x] =
                static_cast<std::uint8_t>(16 + (x / 40 + y / 30) % 64);
    for (int k = 0; k < kFrames; ++k) {
        flic_test::Picture p{background, {}};
        auto put = [&](int cx, int cy, int r, std::uint8_t colour, bool round) {
            for (int y = std::max(0, cy - r); y < std::min(kHeight, cy + r); ++y)
                for (int x = std::max(0, cx - r); x < std::min(kWidth, cx + r); ++x)
                    if (!round || (x - cx) * (x - cx) + (y - cy) * (y - cy) < r * r)
                        p.pixels[static_cast<std::size_t>(y) * kWidth + x] = colour;
        };
        put(40 + 2 * k, 240 + static_cast<int>(100 * std::sin(k / 20.0)), 40, 200, true);
        put(600 - k, 100 + k / 2, 30, 201, false);
        put(320, 400 - k, 20 + k % 20, 202, true);
        for (int i = 0; i < 256; ++i) {
            const int shift = (k / 60) * 7;
            p.palette[i * 3] = static_cast<std::uint8_t>((i * 3 + shift) & 0xFF);
            p.palette[i * 3 + 1] = static_cast<std::uint8_t>((i * 5) & 0xFF);
            p.palette[i * 3 + 2] = static_cast<std::uint8_t>((255 - i + shift) & 0xFF);
        }
        pictures.push_back(std::move(p));
    }
    return pictures;
}

bool writeBytes(const std::string& path, const flic_test::Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

const Files& files() {
    static const Files made = [] {
        Files f;
        f.folder = std::filesystem::temp_directory_path() / "kfm5-clip-bench";
        std::filesystem::create_directories(f.folder);
        f.avi = (f.folder / "clip.avi").string();
        f.flc = (f.folder / "anim.flc").string();
        const std::string command =
            "ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=640x480:rate=25:duration=12 "
            "-frames:v 300 -c:v mjpeg -q:v 3 '" +
            f.avi + "'";
        if (std::system(command.c_str()) != 0)
            std::fprintf(stderr, "the ffmpeg tool could not make %s\n", f.avi.c_str());
        if (!writeBytes(f.flc,
                        flic_test::animation({.width = kWidth, .height = kHeight, .speed = 40},
                                             flcPictures())))
            std::fprintf(stderr, "could not write %s\n", f.flc.c_str());
        return f;
    }();
    return made;
}

void importAvi(benchmark::State& state, BOOL merge) {
    const std::string& path = files().avi;
    for (auto _ : state) {
        FrameList list;
        const int result =
            ImportAviFrames(nullptr, list, path.c_str(), 0, kFrames, 1, merge, nullptr, nullptr);
        if (result != 1 || (!merge && list.size() != kFrames))
            state.SkipWithError("the import did not give every frame");
        state.PauseTiming();
        list.clear();
        state.ResumeTiming();
    }
}

// The AVI's frames decoded into DIBs and dropped again: the decoding half of the import, like
// for like with the tool, which keeps no frame either.
void decodeAvi(benchmark::State& state) {
    const std::string& path = files().avi;
    for (auto _ : state) {
        PAVIFILE file = nullptr;
        PAVISTREAM stream = nullptr;
        AVIFileOpenA(&file, path.c_str(), OF_READ, nullptr);
        AVIFileGetStream(file, &stream, streamtypeVIDEO, 0);
        PGETFRAME frames = AVIStreamGetFrameOpen(stream, nullptr);
        for (int i = 0; i < kFrames; ++i)
            if (!AVIStreamGetFrame(frames, i))
                state.SkipWithError("a frame was not decoded");
        AVIStreamGetFrameClose(frames);
        AVIStreamRelease(stream);
        AVIFileRelease(file);
    }
}

void importFlc(benchmark::State& state) {
    const std::string& path = files().flc;
    for (auto _ : state) {
        FrameList list;
        FlicReader* reader = nullptr;
        if (FLICFileOpen(&reader, path.c_str()) != 0) {
            state.SkipWithError("the FLC does not open");
            break;
        }
        const int result =
            ImportFlicFrames(nullptr, list, reader, 0, kFrames, 1, 0, nullptr, nullptr);
        FLICFileRelease(reader);
        if (result != 1 || list.size() != kFrames)
            state.SkipWithError("the import did not give every frame");
        state.PauseTiming();
        list.clear();
        state.ResumeTiming();
    }
}

void ffmpegDecode(benchmark::State& state, const std::string& path) {
    const std::string command =
        "ffmpeg -nostdin -v error -i '" + path + "' -f rawvideo - >/dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("the ffmpeg tool failed");
}

} // namespace

// One import in a fresh process, timed before the benchmarks: its frames take memory the process
// never had, which costs the time to fault it in; the benchmarks after it find freed memory.
double coldImportMilliseconds() {
    const auto start = std::chrono::steady_clock::now();
    FrameList list;
    ImportAviFrames(nullptr, list, files().avi.c_str(), 0, kFrames, 1, 0, nullptr, nullptr);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

int main(int argc, char** argv) {
    files();
    const double cold = coldImportMilliseconds();
    auto timed = [](benchmark::internal::Benchmark* b) {
        return b->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
    };
    timed(benchmark::RegisterBenchmark("avi/ours", importAvi, 0));
    timed(benchmark::RegisterBenchmark("avi/ours-merged", importAvi, 1));
    timed(benchmark::RegisterBenchmark("avi/ours-decode-only", decodeAvi));
    timed(benchmark::RegisterBenchmark("avi/ffmpeg", ffmpegDecode, files().avi));
    timed(benchmark::RegisterBenchmark("flc/ours", importFlc));
    timed(benchmark::RegisterBenchmark("flc/ffmpeg", ffmpegDecode, files().flc));
    benchmark::Initialize(&argc, argv);
    kfm::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nratios ours / ffmpeg (wall time; aim: AVI within 1.5, FLC below 1)\n");
    std::printf("(the imports keep every frame as an image; ffmpeg and the decode-only road keep "
                "none)\n");
    for (const std::string kind : {"avi", "flc"}) {
        const double theirs = reporter.time(kind + "/ffmpeg");
        for (const std::string road : {"ours", "ours-merged", "ours-decode-only"}) {
            const double ours = reporter.time(kind + "/" + road);
            if (ours > 0 && theirs > 0)
                std::printf("%s %-12s %.2f\n", kind.c_str(), road.c_str(), ours / theirs);
        }
    }
    std::printf("the first AVI import of the process (memory not faulted in yet): %.0f ms\n", cold);
    std::filesystem::remove_all(files().folder);
    benchmark::Shutdown();
    return 0;
}
