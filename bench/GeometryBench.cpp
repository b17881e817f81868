// The image processing wrappers against OpenCV called directly on the same buffers, and against
// ImageMagick's convert on the same picture: resizing to 50% and 200% (linear and cubic), a
// 30-degree rotation about the centre, a warp onto a quadrangle and a 5 x 5 box blur, on a
// 2000 x 2000 picture of 24 bits and one of 8 bits. After the run the ratios are printed.
//
// ImageMagick is timed as a whole program (reading a PNM file, the operation, writing nothing)
// less the same program without the operation, so the ratio compares the operation alone.
// Everything runs on one thread (OpenCV's and ImageMagick's own threads switched off), so the
// figures compare work rather than how many cores happen to be free.

#include "Bitra5.h"
#include "PeerRunRatios.h"

#include <benchmark/benchmark.h>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kSide = 2000;
// The side of the picture turned by 30 degrees: 2000 (cos 30 + sin 30).
constexpr int kTurnedSide = 2732;

// A photo-like picture: smooth colour fields with noise.
KpxHandle makePicture(int depth) {
    const KpxHandle image = KPXCreateImage(kSide, kSide, depth);
    std::uint8_t* bits = KPXGetBits(image);
    const int stride = KPXGetScanBytes(image);
    const int channels = depth / 8;
    std::mt19937 random(7);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            for (int c = 0; c < channels; ++c) {
                const int base = (x * (c + 1) / 9 + y * (3 - c) / 11 + (x * y) / 30000) & 0xFF;
                bits[std::size_t(y) * stride + std::size_t(x) * channels + c] =
                    static_cast<std::uint8_t>(std::clamp(base + int(random() % 9) - 4, 0, 255));
            }
    return image;
}

cv::Mat matOf(KpxHandle image) {
    const int type = KPXbpp(image) == 24 ? CV_8UC3 : CV_8UC1;
    return cv::Mat(KPXHeight(image), KPXWidth(image), type, KPXGetBits(image),
                   static_cast<std::size_t>(KPXGetScanBytes(image)));
}

struct Pictures {
    KpxHandle source = 0;
    std::string file; // the same picture as a PNM file for ImageMagick
};

Pictures& pictures(int depth) {
    static std::map<int, Pictures> all;
    Pictures& p = all[depth];
    if (!p.source) {
        p.source = makePicture(depth);
        p.file =
            "/tmp/kfm-geometry-bench-" + std::to_string(depth) + (depth == 24 ? ".ppm" : ".pgm");
        std::FILE* f = std::fopen(p.file.c_str(), "wb");
        std::fprintf(f, "%s\n%d %d\n255\n", depth == 24 ? "P6" : "P5", kSide, kSide);
        const cv::Mat m = matOf(p.source);
        // PNM rows run from the top and colours are red, green, blue.
        for (int y = kSide - 1; y >= 0; --y) {
            const std::uint8_t* row = m.ptr<std::uint8_t>(y);
            if (depth == 24)
                for (int x = 0; x < kSide; ++x) {
                    const std::uint8_t rgb[3] = {row[3 * x + 2], row[3 * x + 1], row[3 * x]};
                    std::fwrite(rgb, 1, 3, f);
                }
            else
                std::fwrite(row, 1, kSide, f);
        }
        std::fclose(f);
    }
    return p;
}

struct Operation {
    const char* name;
    int (*ours)(KpxHandle src, KpxHandle dst);
    void (*opencv)(const cv::Mat& src, cv::Mat& dst);
    double scale;       // target side / source side
    const char* magick; // convert options, or null when not compared
};

constexpr double kQuad[4][2] = {{200, 100}, {1900, 300}, {1700, 1900}, {100, 1600}};

cv::Mat quadTransform() {
    const cv::Point2f from[4] = {
        {-0.5f, -0.5f}, {kSide - 0.5f, -0.5f}, {kSide - 0.5f, kSide - 0.5f}, {-0.5f, kSide - 0.5f}};
    cv::Point2f to[4];
    for (int i = 0; i < 4; ++i)
        to[i] = cv::Point2f(float(kQuad[i][0] - 0.5), float(kQuad[i][1] - 0.5));
    return cv::getPerspectiveTransform(from, to);
}

const Operation kOperations[] = {
    {"resize50/linear",
     [](KpxHandle s, KpxHandle d) { return IPLResize(s, d, kSide / 2, kSide / 2, kKpxIplLinear); },
     [](const cv::Mat& s, cv::Mat& d) { cv::resize(s, d, d.size(), 0, 0, cv::INTER_LINEAR); }, 0.5,
     "-filter Triangle -resize 50%"},
    {"resize50/cubic",
     [](KpxHandle s, KpxHandle d) { return IPLResize(s, d, kSide / 2, kSide / 2, kKpxIplCubic); },
     [](const cv::Mat& s, cv::Mat& d) { cv::resize(s, d, d.size(), 0, 0, cv::INTER_CUBIC); }, 0.5,
     "-filter Catrom -resize 50%"},
    {"resize200/linear",
     [](KpxHandle s, KpxHandle d) { return IPLResize(s, d, kSide * 2, kSide * 2, kKpxIplLinear); },
     [](const cv::Mat& s, cv::Mat& d) { cv::resize(s, d, d.size(), 0, 0, cv::INTER_LINEAR); }, 2.0,
     "-filter Triangle -resize 200%"},
    {"resize200/cubic",
     [](KpxHandle s, KpxHandle d) { return IPLResize(s, d, kSide * 2, kSide * 2, kKpxIplCubic); },
     [](const cv::Mat& s, cv::Mat& d) { cv::resize(s, d, d.size(), 0, 0, cv::INTER_CUBIC); }, 2.0,
     "-filter Catrom -resize 200%"},
    {"rotate30",
     [](KpxHandle s, KpxHandle d) {
         return IPLRotateCenter(s, d, 30.0, kSide / 2.0, kSide / 2.0, kKpxIplLinear);
     },
     [](const cv::Mat& s, cv::Mat& d) {
         const cv::Mat m = cv::getRotationMatrix2D({kSide / 2.0f, kSide / 2.0f}, 30.0, 1.0);
         cv::warpAffine(s, d, m, d.size(), cv::INTER_LINEAR, cv::BORDER_TRANSPARENT);
     },
     1.0, "-rotate 30"},
    // The library's own rotation calls, which make a new (larger) image each time.
    {"KPXRotateImage30",
     [](KpxHandle s, KpxHandle) {
         const KpxHandle turned = KPXRotateImage(s, 30, 1, nullptr);
         KPXDeleteImage(turned);
         return turned ? 1 : 0;
     },
     [](const cv::Mat& s, cv::Mat& d) {
         const cv::Mat m = cv::getRotationMatrix2D({kSide / 2.0f, kSide / 2.0f}, 30.0, 1.0);
         cv::warpAffine(s, d, m, d.size(), cv::INTER_NEAREST, cv::BORDER_TRANSPARENT);
     },
     1.0, "-rotate 30"},
    {"KPXRotateImageEx30",
     [](KpxHandle s, KpxHandle) {
         const KpxHandle turned = KPXRotateImageEx(s, 30.0);
         KPXDeleteImage(turned);
         return turned ? 1 : 0;
     },
     // The peer turns the picture cubically onto a white target of the turned size.
     [](const cv::Mat& s, cv::Mat&) {
         static cv::Mat turned[2];
         cv::Mat& d = turned[s.channels() == 3];
         d.create(kTurnedSide, kTurnedSide, s.type());
         cv::Mat m = cv::getRotationMatrix2D({kSide / 2.0f, kSide / 2.0f}, 30.0, 1.0);
         m.at<double>(0, 2) += (kTurnedSide - kSide) / 2.0;
         m.at<double>(1, 2) += (kTurnedSide - kSide) / 2.0;
         cv::warpAffine(s, d, m, d.size(), cv::INTER_CUBIC, cv::BORDER_CONSTANT,
                        cv::Scalar::all(255));
     },
     1.0, "-rotate 30"},
    // The library's stretch to half size, which makes a new image each time.
    {"KPXNewSizeImage50",
     [](KpxHandle s, KpxHandle) {
         const KpxHandle half = KPXNewSizeImage(s, kSide / 2, kSide / 2, nullptr);
         KPXDeleteImage(half);
         return half ? 1 : 0;
     },
     [](const cv::Mat& s, cv::Mat& d) { cv::resize(s, d, d.size(), 0, 0, cv::INTER_NEAREST); }, 0.5,
     nullptr},
    {"warpQuad",
     [](KpxHandle s, KpxHandle d) { return IPLWarpPerspectiveQ(s, d, 0, kQuad, kKpxIplLinear); },
     [](const cv::Mat& s, cv::Mat& d) {
         static const cv::Mat m = quadTransform();
         cv::warpPerspective(s, d, m, d.size(), cv::INTER_LINEAR, cv::BORDER_TRANSPARENT);
     },
     1.0, nullptr},
    {"blur5", [](KpxHandle s, KpxHandle d) { return IPLBlurCenter(s, d, 5); },
     [](const cv::Mat& s, cv::Mat& d) {
         cv::blur(s, d, {5, 5}, {-1, -1}, cv::BORDER_REPLICATE);
     },
     1.0, nullptr},
};

struct Target {
    KpxHandle image = 0;
    ~Target() { KPXDeleteImage(image); }
};

void runOurs(benchmark::State& state, const Operation* op, int depth) {
    const KpxHandle source = pictures(depth).source;
    Target target{KPXCreateImage(int(kSide * op->scale), int(kSide * op->scale), depth)};
    for (auto _ : state)
        if (!op->ours(source, target.image))
            state.SkipWithError("the wrapper failed");
}

void runOpenCV(benchmark::State& state, const Operation* op, int depth) {
    const cv::Mat source = matOf(pictures(depth).source);
    Target target{KPXCreateImage(int(kSide * op->scale), int(kSide * op->scale), depth)};
    cv::Mat out = matOf(target.image);
    for (auto _ : state)
        op->opencv(source, out);
}

// ImageMagick's time for the operation: the whole program less its fastest run that only reads.
void runMagick(benchmark::State& state, const Operation* op, int depth) {
    kfm::bench::runConvert(state, KFM_CONVERT_PROGRAM, pictures(depth).file, op->magick);
}

std::string caseName(const Operation& op, const char* who, int depth) {
    return std::string(op.name) + "/" + who + "/" + std::to_string(depth) + "bit";
}

} // namespace

int main(int argc, char** argv) {
    cv::setNumThreads(1);
    for (int depth : {24, 8})
        for (const Operation& op : kOperations) {
            benchmark::RegisterBenchmark(caseName(op, "ours", depth).c_str(), runOurs, &op, depth)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(caseName(op, "opencv", depth).c_str(), runOpenCV, &op,
                                         depth)
                ->Unit(benchmark::kMillisecond);
            if (op.magick)
                kfm::bench::asConvertCase(benchmark::RegisterBenchmark(
                    caseName(op, "magick", depth).c_str(), runMagick, &op, depth));
        }
    benchmark::Initialize(&argc, argv);
    kfm::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nratios: ours / OpenCV called directly, ours / ImageMagick convert\n");
    for (int depth : {24, 8})
        for (const Operation& op : kOperations) {
            auto time = [&](const char* who) { return reporter.time(caseName(op, who, depth)); };
            const double ours = time("ours");
            const double opencv = time("opencv");
            const double magick = time("magick");
            if (ours <= 0)
                continue;
            std::printf("%-18s %2d bits  %7.2f ms   vs OpenCV %5.2fx", op.name, depth, ours,
                        opencv > 0 ? ours / opencv : 0.0);
            if (magick > 0)
                std::printf("   ImageMagick %7.1f ms, ours / ImageMagick %6.3fx", magick,
                            ours / magick);
            std::printf("\n");
        }
    for (int depth : {24, 8})
        if (pictures(depth).source)
            std::remove(pictures(depth).file.c_str());
    benchmark::Shutdown();
    return 0;
}
