// 24-to-8-bit reduction of real pictures: the library's histogram quantiser next to
// libimagequant on ImageMagick's rose, logo, wizard, netscape and granite (800 x 600) and a
// plasma, made with ImageMagick when the program starts, at 256, 64 and 16 colours, without
// dithering. libimagequant runs on one thread. Each benchmark reports its time and, as the counter
// "mse", the mean squared error per channel of the result; after the run the ratios (ours /
// libimagequant) of error and time are printed.

#include "BenchRatios.h"
#include "ColorQuantisation.h"
#include "ImageCreation.h"

#include <benchmark/benchmark.h>
#ifdef KFM_HAVE_IMAGEQUANT
#include <libimagequant.h>
#include <omp.h>
#endif

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kColourCounts[] = {256, 64, 16};

// A picture as RGB bytes, rows from the top.
struct Picture {
    std::string name;
    std::vector<std::uint8_t> rgb;
};

// ImageMagick's built-in pictures stretched to 800 x 600, and a plasma of that size.
std::vector<Picture> makePictures() {
    const bench::ScratchFolder folder;
    std::vector<Picture> pictures;
    const std::string size = std::to_string(kWidth) + "x" + std::to_string(kHeight);
    for (const char* name : {"rose", "logo", "wizard", "netscape", "granite", "plasma"}) {
        const std::string path = folder.file(std::string(name) + ".rgb");
        const std::string source = std::string(name) == "plasma"
                                       ? "-seed 3 -size " + size + " plasma:red-blue"
                                       : std::string(name) + ": -resize " + size + "!";
        if (!bench::run("convert " + source + " -type TrueColor -depth 8 rgb:" + path))
            continue;
        std::ifstream in(path, std::ios::binary);
        Picture p{name, std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {})};
        if (p.rgb.size() == std::size_t{kWidth} * kHeight * 3)
            pictures.push_back(std::move(p));
    }
    if (pictures.empty())
        std::fprintf(stderr, "ImageMagick's convert made no pictures: nothing to measure\n");
    return pictures;
}

const std::vector<Picture>& pictures() {
    static const std::vector<Picture> made = makePictures();
    return made;
}

double meanSquaredError(const Picture& p, const std::uint8_t* indices, std::size_t rowStride,
                        bool bottomUp, const std::function<const std::uint8_t*(int)>& colour) {
    double sum = 0;
    for (int y = 0; y < kHeight; ++y) {
        const std::uint8_t* row = indices + (bottomUp ? kHeight - 1 - y : y) * rowStride;
        for (int x = 0; x < kWidth; ++x) {
            const std::uint8_t* q = colour(row[x]);
            const std::uint8_t* s = &p.rgb[(y * kWidth + x) * 3];
            for (int k = 0; k < 3; ++k)
                sum += (s[k] - q[k]) * (s[k] - q[k]);
        }
    }
    return sum / (3.0 * kWidth * kHeight);
}

void kfmQuantiser(benchmark::State& state, const Picture& p, int colours) {
    const KpxHandle src = KPXCreateImage(kWidth, kHeight, 24);
    const KpxHandle dst = KPXCreateImage(kWidth, kHeight, 8);
    std::uint8_t* bits = KPXGetBits(src);
    const int scan = KPXGetScanBytes(src);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const std::uint8_t* s = &p.rgb[(y * kWidth + x) * 3];
            std::uint8_t* d = bits + (kHeight - 1 - y) * scan + 3 * x;
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
        }
    for (auto _ : state)
        benchmark::DoNotOptimize(KPXFineColorConvert(dst, src, 0, colours, 0, 0, nullptr, 0));
    const RGBQUAD* table = KPXGetBitmapInfoHeader(dst)->bmiColors;
    std::uint8_t rgb[256][3];
    for (int i = 0; i < 256; ++i) {
        rgb[i][0] = table[i].rgbRed;
        rgb[i][1] = table[i].rgbGreen;
        rgb[i][2] = table[i].rgbBlue;
    }
    state.counters["mse"] = meanSquaredError(p, KPXGetBits(dst), KPXGetScanBytes(dst), true,
                                             [&](int i) { return rgb[i]; });
    KPXDeleteImage(src);
    KPXDeleteImage(dst);
}

#ifdef KFM_HAVE_IMAGEQUANT
void libimagequant(benchmark::State& state, const Picture& p, int colours) {
    std::vector<std::uint8_t> rgba(kWidth * kHeight * 4);
    for (int i = 0; i < kWidth * kHeight; ++i) {
        std::memcpy(&rgba[i * 4], &p.rgb[i * 3], 3);
        rgba[i * 4 + 3] = 255;
    }
    std::vector<std::uint8_t> indices(kWidth * kHeight);
    liq_palette palette{};
    for (auto _ : state) {
        liq_attr* attr = liq_attr_create();
        liq_set_max_colors(attr, colours);
        liq_image* image = liq_image_create_rgba(attr, rgba.data(), kWidth, kHeight, 0);
        liq_result* result = nullptr;
        if (liq_image_quantize(image, attr, &result) == LIQ_OK) {
            liq_set_dithering_level(result, 0);
            liq_write_remapped_image(result, image, indices.data(), indices.size());
            palette = *liq_get_palette(result);
            liq_result_destroy(result);
        }
        liq_image_destroy(image);
        liq_attr_destroy(attr);
    }
    std::uint8_t rgb[256][3];
    for (int i = 0; i < 256; ++i) {
        rgb[i][0] = palette.entries[i].r;
        rgb[i][1] = palette.entries[i].g;
        rgb[i][2] = palette.entries[i].b;
    }
    state.counters["mse"] =
        meanSquaredError(p, indices.data(), kWidth, false, [&](int i) { return rgb[i]; });
}
#endif

std::string runName(const char* who, const Picture& p, int colours) {
    return std::string(who) + "/" + p.name + "/" + std::to_string(colours);
}

} // namespace

int main(int argc, char** argv) {
#ifdef KFM_HAVE_IMAGEQUANT
    // The peer on one thread, as the library's quantiser runs.
    omp_set_num_threads(1);
#endif
    for (const int colours : kColourCounts)
        for (const Picture& p : pictures()) {
            benchmark::RegisterBenchmark(runName("kfm", p, colours).c_str(), kfmQuantiser, p,
                                         colours)
                ->Unit(benchmark::kMillisecond);
#ifdef KFM_HAVE_IMAGEQUANT
            benchmark::RegisterBenchmark(runName("libimagequant", p, colours).c_str(),
                                         libimagequant, p, colours)
                ->Unit(benchmark::kMillisecond);
#endif
        }
    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
#ifdef KFM_HAVE_IMAGEQUANT
    std::printf("\nratios ours / libimagequant on one thread (mean squared error; time)\n");
    std::printf("%-10s %8s %14s %14s\n", "picture", "colours", "error", "time");
    for (const int colours : kColourCounts)
        for (const Picture& p : pictures()) {
            const std::string ours = runName("kfm", p, colours);
            const std::string peer = runName("libimagequant", p, colours);
            std::printf("%-10s %8d %8.2fx (%s) %8.2fx\n", p.name.c_str(), colours,
                        reporter.counterRatio(ours, peer, "mse"),
                        reporter.counterRatio(ours, peer, "mse") <= 1.1 ? "ok" : "over",
                        reporter.timeRatio(ours, peer));
        }
#endif
    benchmark::Shutdown();
    return 0;
}
