// The bitmap effects' arithmetic (no dialog) against ImageMagick's convert on the same picture:
// sharpen, emboss, blur and hue/saturation on a 4000 x 3000 picture of 24 bits; one pass of
// sharpen against OpenCV's filter2D with the same kernel too. After the run the ratios are
// printed.
//
// ImageMagick is timed as a whole program (reading a PNM file, the operation, writing nothing)
// less the same program without the operation, so the ratio compares the operation alone. Both
// run on one thread (MAGICK_THREAD_LIMIT=1 and -limit thread 1; OpenCV, under the blur, is
// held to one thread too).

#include "Bitra5.h"
#include "PeerRunRatios.h"

#include <benchmark/benchmark.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// A photo-like picture: smooth colour fields with noise.
KpxHandle makePicture() {
    const KpxHandle image = KPXCreateImage(kWidth, kHeight, 24);
    std::uint8_t* bits = KPXGetBits(image);
    const int stride = KPXGetScanBytes(image);
    std::mt19937 random(7);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            for (int c = 0; c < 3; ++c) {
                const int base = (x * (c + 1) / 13 + y * (3 - c) / 11 + (x * y) / 50000) & 0xFF;
                bits[std::size_t(y) * stride + std::size_t(x) * 3 + c] =
                    static_cast<std::uint8_t>(std::clamp(base + int(random() % 9) - 4, 0, 255));
            }
    return image;
}

struct Picture {
    KpxHandle image = 0;
    std::string file; // the same picture as a PPM file for ImageMagick
};

const Picture& picture() {
    static Picture p;
    if (p.image)
        return p;
    p.image = makePicture();
    p.file = "/tmp/kfm-effects-bench.ppm";
    std::FILE* f = std::fopen(p.file.c_str(), "wb");
    std::fprintf(f, "P6\n%d %d\n255\n", kWidth, kHeight);
    const std::uint8_t* bits = KPXGetBits(p.image);
    const int stride = KPXGetScanBytes(p.image);
    // PPM rows run from the top and colours are red, green, blue.
    for (int y = kHeight - 1; y >= 0; --y) {
        const std::uint8_t* row = bits + std::size_t(y) * stride;
        for (int x = 0; x < kWidth; ++x) {
            const std::uint8_t rgb[3] = {row[3 * x + 2], row[3 * x + 1], row[3 * x]};
            std::fwrite(rgb, 1, 3, f);
        }
    }
    std::fclose(f);
    return p;
}

struct Operation {
    const char* name;
    int effect;
    int p1;
    int p2;
    int p3;
    const char* magick; // the comparable convert options
};

// Hue 30 degrees is 100 + 30 / 180 x 100 in -modulate's terms; saturation 20 of 64 adds 31%.
const Operation kOperations[] = {
    {"sharpen", kKpxEffectSharpen, 1, 0, 0, "-sharpen 0x1"},
    {"emboss", kKpxEffectEmboss, kKpxEmbossBottom, 0, 0x808080, "-emboss 1"},
    {"blur5", kKpxEffectBlur, 5, 0, 0, "-blur 2x1"},
    {"hue-saturation", kKpxEffectHueSaturation, 30, 20, 0, "-modulate 100,131,117"},
};

void runOurs(benchmark::State& state, const Operation* op) {
    const KpxHandle source = picture().image;
    for (auto _ : state) {
        const KpxHandle result =
            KPXApplyBitmapEffect(source, op->effect, op->p1, op->p2, op->p3, 0, nullptr);
        if (!result) {
            state.SkipWithError("the effect failed");
            break;
        }
        KPXDeleteImage(result);
    }
}

void runMagick(benchmark::State& state, const Operation* op) {
    kfm::bench::runConvert(state, KFM_CONVERT_PROGRAM, picture().file, op->magick);
}

// One pass of the sharpen kernel (7 in the middle, -1 on the four corners, divided by 3) by
// filter2D, into a new image as the effect makes one.
void runOpenCVSharpen(benchmark::State& state) {
    const KpxHandle source = picture().image;
    const cv::Mat in(kHeight, kWidth, CV_8UC3, KPXGetBits(source),
                     static_cast<std::size_t>(KPXGetScanBytes(source)));
    cv::Mat kernel = (cv::Mat_<float>(3, 3) << -1, 0, -1, 0, 7, 0, -1, 0, -1) / 3.0f;
    for (auto _ : state) {
        cv::Mat out;
        cv::filter2D(in, out, -1, kernel, {-1, -1}, 0, cv::BORDER_REPLICATE);
        benchmark::DoNotOptimize(out.data);
    }
}

std::string caseName(const Operation& op, const char* who) {
    return std::string(op.name) + "/" + who;
}

} // namespace

int main(int argc, char** argv) {
    setenv("MAGICK_THREAD_LIMIT", "1", 1);
    // The blur works through OpenCV, which would otherwise spread over every core.
    cv::setNumThreads(1);
    for (const Operation& op : kOperations) {
        benchmark::RegisterBenchmark(caseName(op, "ours").c_str(), runOurs, &op)
            ->Unit(benchmark::kMillisecond);
        kfm::bench::asConvertCase(
            benchmark::RegisterBenchmark(caseName(op, "magick").c_str(), runMagick, &op));
    }
    benchmark::RegisterBenchmark("sharpen/opencv", runOpenCVSharpen)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    kfm::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nratios: ours / ImageMagick convert (4000 x 3000, 24 bits, one thread)\n");
    for (const Operation& op : kOperations) {
        const double ours = reporter.time(caseName(op, "ours"));
        const double magick = reporter.time(caseName(op, "magick"));
        if (ours <= 0)
            continue;
        std::printf("%-16s ours %8.1f ms   ImageMagick %8.1f ms (%s)   ours / ImageMagick %6.3fx\n",
                    op.name, ours, magick, op.magick, magick > 0 ? ours / magick : 0.0);
    }
    const double sharpen = reporter.time("sharpen/ours");
    const double filter2D = reporter.time("sharpen/opencv");
    if (sharpen > 0 && filter2D > 0)
        std::printf(
            "sharpen          ours %8.1f ms   OpenCV filter2D %8.1f ms   ours / OpenCV %6.3fx\n",
            sharpen, filter2D, sharpen / filter2D);
    std::remove(picture().file.c_str());
    KPXDeleteImage(picture().image);
    benchmark::Shutdown();
    return 0;
}
