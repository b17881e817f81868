// 24-to-8-bit reduction of photo-like pictures and synthetic gradients: the library's histogram
// quantiser next to libimagequant on the same pictures, without dithering. Each benchmark
// reports its time and, as the counter "mse", the mean squared error per channel of the result.

#include "ColorQuantisation.h"
#include "ImageCreation.h"

#include <benchmark/benchmark.h>
#ifdef KFM_HAVE_IMAGEQUANT
#include <libimagequant.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace {

constexpr int kWidth = 512;
constexpr int kHeight = 384;

// A picture as RGB bytes, rows from the top.
struct Picture {
    std::vector<std::uint8_t> rgb = std::vector<std::uint8_t>(kWidth * kHeight * 3);
    void set(int x, int y, double r, double g, double b) {
        std::uint8_t* p = &rgb[(y * kWidth + x) * 3];
        p[0] = static_cast<std::uint8_t>(std::clamp(std::lround(r), 0L, 255L));
        p[1] = static_cast<std::uint8_t>(std::clamp(std::lround(g), 0L, 255L));
        p[2] = static_cast<std::uint8_t>(std::clamp(std::lround(b), 0L, 255L));
    }
};

class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed) {}
    // Roughly normal, mean 0, deviation about 1.
    double next() {
        double sum = 0;
        for (int i = 0; i < 4; ++i) {
            state_ = state_ * 1664525u + 1013904223u;
            sum += (state_ >> 8) / static_cast<double>(1 << 24);
        }
        return (sum - 2.0) * std::sqrt(3.0);
    }

private:
    std::uint32_t state_;
};

// Smooth colour fields, sensor-like noise and a few hard-edged shapes, like a photograph.
Picture photo(std::uint32_t seed, double noise) {
    Picture p;
    Noise n(seed);
    const double phase = seed % 7;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const double u = x / double(kWidth);
            const double v = y / double(kHeight);
            // Sky-to-ground background.
            double r = 90 + 120 * v + 30 * std::sin(6 * u + phase);
            double g = 140 + 60 * std::cos(4 * v + u * 3 + phase) - 40 * v;
            double b = 220 - 150 * v + 20 * std::sin(9 * u * v + phase);
            // Shapes: a lit sphere, a shaded box, a stripe of foliage.
            const double dx = u - 0.3 - 0.05 * phase / 7;
            const double dy = v - 0.45;
            const double d = std::sqrt(dx * dx + dy * dy);
            if (d < 0.18) {
                const double light = 1.0 - d / 0.18 * 0.7 - dx * 1.5;
                r = 230 * light;
                g = 120 * light + 20;
                b = 60 * light;
            } else if (u > 0.6 && u < 0.85 && v > 0.3 && v < 0.8) {
                const double shade = 0.5 + 0.5 * (u - 0.6) / 0.25;
                r = 70 * shade + 20;
                g = 80 * shade + 25;
                b = 120 * shade + 40;
            } else if (v > 0.82) {
                const double t = std::sin(u * 80 + std::sin(v * 40) * 3);
                r = 50 + 30 * t;
                g = 110 + 50 * t + 40 * (v - 0.82) * 5;
                b = 40 + 20 * t;
            }
            p.set(x, y, r + noise * n.next(), g + noise * n.next(), b + noise * n.next());
        }
    return p;
}

Picture gradient(bool diagonal) {
    Picture p;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const double u = x / double(kWidth - 1);
            const double v = y / double(kHeight - 1);
            if (diagonal)
                p.set(x, y, 255 * u, 255 * v, 255 * (1 - (u + v) / 2));
            else
                p.set(x, y, 255 * u, 255 * u, 255 * u);
        }
    return p;
}

const Picture& picture(int which) {
    static const Picture pictures[] = {photo(1, 3.0), photo(4, 6.0), photo(9, 12.0), gradient(true),
                                       gradient(false)};
    return pictures[which];
}

const char* const kPictureNames[] = {"photo_soft", "photo_noisy", "photo_grainy", "gradient_rgb",
                                     "gradient_grey"};

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

void kfmQuantiser(benchmark::State& state) {
    const Picture& p = picture(static_cast<int>(state.range(0)));
    const int colours = static_cast<int>(state.range(1));
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
    state.SetLabel(kPictureNames[state.range(0)]);
    KPXDeleteImage(src);
    KPXDeleteImage(dst);
}

#ifdef KFM_HAVE_IMAGEQUANT
void libimagequant(benchmark::State& state) {
    const Picture& p = picture(static_cast<int>(state.range(0)));
    const int colours = static_cast<int>(state.range(1));
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
    state.SetLabel(kPictureNames[state.range(0)]);
}
#endif

void pictureArguments(benchmark::internal::Benchmark* b) {
    for (const int colours : {256, 64, 16})
        for (int which = 0; which < 5; ++which)
            b->Args({which, colours});
    b->ArgNames({"picture", "colours"});
    b->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(kfmQuantiser)->Apply(pictureArguments);
#ifdef KFM_HAVE_IMAGEQUANT
BENCHMARK(libimagequant)->Apply(pictureArguments);
#endif
