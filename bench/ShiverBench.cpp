// One distorted 640 x 480 frame of the distortion plug-in, one thread, against OpenCV doing the
// same per-frame work: cv::addWeighted of the two keys' fields, scaled by the blended amplitude,
// plus the coordinate grid, for each direction, then cv::remap with nearest sampling and border
// replication. Both sides take each field modulo 255 once per key, before the frames.

#include "BenchRatios.h"

#include "ShiverRun.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using namespace kfm::shiver;

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// An 8-bit source frame of bands and its run.
struct Source {
    Source() {
        rowBytes = (kWidth + 3) / 4 * 4;
        pixels.resize(static_cast<std::size_t>(rowBytes) * kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                pixels[static_cast<std::size_t>(rowBytes) * y + x] =
                    static_cast<std::uint8_t>((x + 3 * y) / 5);
        for (int i = 0; i < 256; ++i)
            palette[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(i), 0, 0};
        frame.image = BITMAP{0, kWidth, kHeight, rowBytes, 1, 8, pixels.data()};
        frame.palette = palette;
        frame.transparentIndex = -1;
        input = PluginRunInput{kWidth, kHeight, 0, 1, &frame, nullptr};
        run = CShiverRun::create(&input);
    }
    int rowBytes = 0;
    std::vector<std::uint8_t> pixels;
    PALETTEENTRY palette[256]{};
    PluginFrame frame{};
    PluginRunInput input{};
    std::unique_ptr<CShiverRun> run;
};

ShiverSettings benchSettings() {
    ShiverSettings settings;
    settings.type = 5;
    settings.frameCount = 8;
    settings.keyCount = 2;
    return settings;
}

void distortOurs(benchmark::State& state) {
    Source source;
    auto keys = CShiverKeys::create(benchSettings(), kWidth, kHeight);
    keys->advance();
    keys->advance();
    PluginFrame out{};
    AllocPluginFrame(&out, kWidth, kHeight, 8, 0);
    std::vector<std::int32_t> xs(kWidth), ys(kWidth);
    for (auto _ : state) {
        DistortFrame(*keys, *source.run, out, xs.data(), ys.data());
        benchmark::DoNotOptimize(out.image.bmBits);
    }
    FreePluginFrameBuffers(&out);
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void distortOpenCV(benchmark::State& state) {
    cv::setNumThreads(1);
    Source source;
    const cv::Mat image(kHeight, kWidth, CV_8UC1, source.pixels.data(),
                        static_cast<std::size_t>(source.rowBytes));
    // The two keys' fields, each made and taken modulo 255 once.
    cv::Mat fields[4];
    const int seeds[4] = {1, 13, 2, 26};
    for (int i = 0; i < 4; ++i) {
        auto grid = kfm::noise::CGrid::create(kWidth, kHeight);
        MakeShiverField(*grid, 5, seeds[i]);
        cv::Mat(kHeight, kWidth, CV_32SC1, grid->row(0)).convertTo(fields[i], CV_32F);
    }
    cv::Mat gridX(kHeight, kWidth, CV_32F), gridY(kHeight, kWidth, CV_32F);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            gridX.at<float>(y, x) = static_cast<float>(x);
            gridY.at<float>(y, x) = static_cast<float>(y);
        }
    const float h = 0.25f, g = 0.75f, ax = 0.4f, ay = 0.1f;
    cv::Mat mapX, mapY, out;
    for (auto _ : state) {
        cv::addWeighted(fields[0], ax * g, fields[2], ax * h, 0, mapX);
        mapX += gridX;
        cv::addWeighted(fields[1], ay * g, fields[3], ay * h, 0, mapY);
        mapY += gridY;
        cv::remap(image, out, mapX, mapY, cv::INTER_NEAREST, cv::BORDER_REPLICATE);
        benchmark::DoNotOptimize(out.data);
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::RegisterBenchmark("distort/ours", distortOurs)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("distort/opencv", distortOpenCV)->Unit(benchmark::kMicrosecond);
    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nOne distorted 640 x 480 frame, time ratio ours / OpenCV addWeighted + remap: "
                "%.2fx (aim <= 1.5x)\n",
                reporter.timeRatio("distort/ours", "distort/opencv"));
    benchmark::Shutdown();
    return 0;
}
