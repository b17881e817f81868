// The plug-ins' gradient noise per megapixel: OctaveNoiseAt over a 1024 x 1024 grid at 1 and 4
// octaves, one thread, against libnoise's Perlin module at the same octave count (GetValue per
// pixel) and against a plain double-precision form of the same noise (same tables, same
// octaves and weights) written here. Every side covers the same 8 x 8 lattice cells.

#include "BenchRatios.h"

#include "GradientNoise.h"
#include "Grid.h"

#include <libnoise/noise.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace kfm::noise;

constexpr int kSide = 1024;
// 2^15 per pixel: the lattice cell (bits 22 and up) advances every 128 pixels, 8 across.
constexpr std::int32_t kFrequency = 4 << 13;
constexpr double kCellsPerPixel = kFrequency / double(1 << 22);
const NoiseFlags kFlags{.normalise = true};

void noiseOurs(benchmark::State& state) {
    const int octaves = static_cast<int>(state.range(0));
    auto grid = CGrid::create(kSide, kSide);
    NoiseTables tables;
    for (auto _ : state) {
        OctaveNoiseAt(tables, *grid, NoiseForm::Texture, 1234, kSide, kSide, kFrequency, octaves,
                      kFlags);
        benchmark::DoNotOptimize(grid->row(0));
    }
    state.SetItemsProcessed(state.iterations() * kSide * kSide);
}

void noiseLibnoise(benchmark::State& state) {
    noise::module::Perlin perlin;
    perlin.SetOctaveCount(static_cast<int>(state.range(0)));
    perlin.SetFrequency(1.0);
    perlin.SetSeed(1234);
    std::vector<double> out(static_cast<std::size_t>(kSide) * kSide);
    for (auto _ : state) {
        double* cell = out.data();
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x)
                *cell++ = perlin.GetValue(5 + x * kCellsPerPixel, 5 + y * kCellsPerPixel, 0.5);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * kSide * kSide);
}

// The same gradient noise in doubles: lattice coordinates, the fade 3t² - 2t³, the gradients of
// the same tables scaled to unit length, and the octaves folded with the same normalised
// weights.
class PlainNoise {
public:
    explicit PlainNoise(const NoiseTables& tables) : tables_(tables) {}

    double at(double x, double y) const {
        const double xf = std::floor(x);
        const double yf = std::floor(y);
        const int xi = static_cast<int>(xf) & 255;
        const int yi = static_cast<int>(yf) & 255;
        const double fx = x - xf;
        const double fy = y - yf;
        const int a = tables_.permutation[xi];
        const int b = tables_.permutation[(xi + 1) & 255];
        const int yn = (yi + 1) & 255;
        const double tl = dot(a + yi, fx, fy);
        const double tr = dot(b + yi, fx - 1, fy);
        const double bl = dot(a + yn, fx, fy - 1);
        const double br = dot(b + yn, fx - 1, fy - 1);
        const double sx = fx * fx * (3 - 2 * fx);
        const double sy = fy * fy * (3 - 2 * fy);
        const double top = tl + (tr - tl) * sx;
        const double bottom = bl + (br - bl) * sx;
        return top + (bottom - top) * sy;
    }

private:
    double dot(int g, double ox, double oy) const {
        return (tables_.gradient[g].x * ox + tables_.gradient[g].y * oy) / 255.0;
    }

    const NoiseTables& tables_;
};

void noisePlain(benchmark::State& state) {
    const int octaves = static_cast<int>(state.range(0));
    NoiseTables tables;
    InitNoiseTables(tables, 1234, GradientLength::Unit);
    const PlainNoise plain(tables);
    std::vector<double> out(static_cast<std::size_t>(kSide) * kSide);
    for (auto _ : state) {
        double step = kCellsPerPixel;
        for (int k = 1; k <= octaves; ++k, step *= 2) {
            double* cell = out.data();
            for (int y = 0; y < kSide; ++y)
                for (int x = 0; x < kSide; ++x, ++cell) {
                    const double v = (plain.at(5 + x * step, 5 + y * step) + 1) * 0.5;
                    *cell = k == 1 ? v : (0.5 * v + *cell) / 1.5;
                }
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * kSide * kSide);
}

} // namespace

int main(int argc, char** argv) {
    for (const char* who : {"ours", "libnoise", "plain"}) {
        const auto run = std::string(who) == "ours"       ? noiseOurs
                         : std::string(who) == "libnoise" ? noiseLibnoise
                                                          : noisePlain;
        for (const int octaves : {1, 4})
            benchmark::RegisterBenchmark(
                ("noise/" + std::string(who) + "/octaves" + std::to_string(octaves)).c_str(), run)
                ->Arg(octaves)
                ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nOctaveNoiseAt on 1024 x 1024 (1 megapixel), time ratios\n");
    for (const int octaves : {1, 4}) {
        const std::string suffix = "/octaves" + std::to_string(octaves);
        std::printf("%d octave%s: ours / libnoise Perlin %.2fx (aim <= 0.3x), ours / plain "
                    "doubles %.2fx (aim <= 0.8x)\n",
                    octaves, octaves == 1 ? " " : "s",
                    reporter.timeRatio("noise/ours" + suffix, "noise/libnoise" + suffix),
                    reporter.timeRatio("noise/ours" + suffix, "noise/plain" + suffix));
    }
    benchmark::Shutdown();
    return 0;
}
