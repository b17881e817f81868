// The texture plug-in's composer, one thread: a 2048 x 2048 texture of family 0, variant 4 with
// 4 octaves through a black-to-white ramp, against the same pipeline with libnoise's Perlin
// module as the noise source (same base function, colour function, ramp mapping and output
// copy). Then the 256 x 256 preview of each family, what a user waits for after every change.

#include "BenchRatios.h"

#include "GradientRamp.h"
#include "TextureComposer.h"

#include <libnoise/noise.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

using namespace kfm::patina;

constexpr int kSide = 2048;

TextureSettings benchSettings(std::uint32_t family, int variant, double d0, double d1) {
    TextureSettings s;
    s.ramp = GradientRamp().Ramp();
    SetTexture(s, family, variant, d0, d1, 0, 0);
    SetColouring(s, 4, 1, 511, 0);
    return s;
}

void composeOurs(benchmark::State& state) {
    TextureSettings s = benchSettings(0, 4, 4, 4);
    for (auto _ : state) {
        ComposeTexture(s, kSide, kSide, 1234, {});
        benchmark::DoNotOptimize(s.output->row(0));
    }
    state.SetItemsProcessed(state.iterations() * kSide * kSide);
}

// The composer's steps with Perlin noise in place of the plug-in's: 4 octaves over the same
// 16 lattice cells across (frequency 4 << 13 is 1/128 of a cell per pixel).
void composeLibnoise(benchmark::State& state) {
    TextureSettings s = benchSettings(0, 4, 4, 4);
    noise::module::Perlin perlin;
    perlin.SetOctaveCount(4);
    perlin.SetFrequency(1.0);
    perlin.SetSeed(1234);
    constexpr double kCellsPerPixel = 1.0 / 128;
    for (auto _ : state) {
        const auto canvas = CNoiseCanvas::create(kSide, kSide);
        canvas->colourTable() = s.ramp;
        BaseFunction(canvas->workGrid(), s.baseFunction, s.zoom);
        auto& grid = canvas->noiseGrid();
        for (int y = 0; y < kSide; ++y) {
            std::int32_t* row = grid.row(y);
            for (int x = 0; x < kSide; ++x)
                row[x] = std::clamp(
                    static_cast<int>(
                        (perlin.GetValue(5 + x * kCellsPerPixel, 5 + y * kCellsPerPixel, 0.5) + 1) *
                        128),
                    0, 256);
        }
        ApplyColourFunction(*canvas, s.colourSpeed, s.colourFunction);
        MapThroughRamp(grid, canvas->colourTable());
        auto output = kfm::noise::CGrid::createCopy(grid);
        benchmark::DoNotOptimize(output->row(0));
    }
    state.SetItemsProcessed(state.iterations() * kSide * kSide);
}

struct Family {
    const char* name;
    std::uint32_t family;
    int variant;
    double d0;
    double d1;
};

constexpr Family kFamilies[] = {{"noise", 0, 4, 4, 4},
                                {"clouds", 1, 0, 100, 0.98},
                                {"stripes", 2, 0, 0.5, 0},
                                {"rings", 3, 0, 3, 6},
                                {"cells", 4, 0, 1, 0}};

void previewFamily(benchmark::State& state) {
    const Family& f = kFamilies[state.range(0)];
    TextureSettings s = benchSettings(f.family, f.variant, f.d0, f.d1);
    QImage image(256, 256, QImage::Format_RGB32);
    for (auto _ : state) {
        RenderPreview(s, image, 256, 256, 1234, {});
        benchmark::DoNotOptimize(image.bits());
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::RegisterBenchmark("compose/ours", composeOurs)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("compose/libnoise", composeLibnoise)
        ->Unit(benchmark::kMillisecond);
    for (int i = 0; i < static_cast<int>(std::size(kFamilies)); ++i)
        benchmark::RegisterBenchmark(("preview/" + std::string(kFamilies[i].name)).c_str(),
                                     previewFamily)
            ->Arg(i)
            ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nTexture of 2048 x 2048, family 0 variant 4, 4 octaves: ours / libnoise Perlin "
                "pipeline %.2fx (aim <= 0.5x)\n",
                reporter.timeRatio("compose/ours", "compose/libnoise"));
    std::printf("256 x 256 preview per family (ms):");
    for (const Family& f : kFamilies)
        std::printf(" %s %.2f", f.name, reporter.times[std::string("preview/") + f.name]);
    std::printf("\n");
    benchmark::Shutdown();
    return 0;
}
