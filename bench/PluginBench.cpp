// The plug-in host against the work it cannot avoid: the test plug-in as an identity (it returns
// copies of its input) on 100 selected frames of 640 x 480 at 24 bits through the host's runner
// (8-bit copies made and packed, handed over, the returned records made into frames and
// inserted), and the library's fine colour conversion of the same 100 frames alone, which is the
// larger part of the host's work. Each round times both one after the other, so they meet the
// same load of a shared machine; the ratio host / conversion is printed after the run, over all
// rounds and of the fastest ones. The aim is at most 1.2.

#include <benchmark/benchmark.h>

#include "AnimationData.h"
#include "BenchRatios.h"
#include "Bitra5.h"
#include "PluginRunner.h"
#include "TestPluginControl.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

namespace {

constexpr int kFrames = 100;
constexpr int kWidth = 640;
constexpr int kHeight = 480;

// Pictures with gradients, a pattern and some noise, each a little different, so the
// quantiser has real work.
const std::vector<KpxHandle>& sourcePictures() {
    static const std::vector<KpxHandle> pictures = [] {
        std::vector<KpxHandle> out;
        std::uint32_t seed = 12345;
        for (int i = 0; i < kFrames; ++i) {
            const KpxHandle image = KPXCreateImage(kWidth, kHeight, 24);
            std::uint8_t* bits = KPXGetBits(image);
            const int row = KPXGetScanBytes(image);
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x) {
                    seed = seed * 1664525u + 1013904223u;
                    const int noise = static_cast<int>(seed >> 28);
                    std::uint8_t* p = bits + static_cast<std::size_t>(y) * row + 3 * x;
                    p[0] = static_cast<std::uint8_t>((x + 2 * i + noise) & 0xFF);
                    p[1] = static_cast<std::uint8_t>((y * 255 / kHeight + noise) & 0xFF);
                    p[2] = static_cast<std::uint8_t>(((x ^ y) + 3 * i) & 0xFF);
                }
            out.push_back(image);
        }
        return out;
    }();
    return pictures;
}

// The animation of the 100 pictures, all selected.
void fillAnimation() {
    CAnimationData& a = *g_pAnimationData;
    a.ResetFrames();
    a.AnimationWidth = kWidth;
    a.AnimationHeight = kHeight;
    for (const KpxHandle picture : sourcePictures()) {
        auto it = a.frames.emplace(std::prev(a.frames.end()));
        it->SetImage(static_cast<std::uint16_t>(KPXCreateImageFrom(picture, 0)));
        it->width = kWidth;
        it->height = kHeight;
        it->selected = 1;
    }
    a.UpdateFrameCount();
}

// A copy of the test plug-in of its own, set to return its input.
std::string identityPlugin(const bench::ScratchFolder& folder) {
    const std::string path = folder.file("Identity.kfp");
    std::filesystem::copy_file(std::string(KFM_TEST_PLUGIN_DIR) + "/TestPlugin.kfp", path);
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    const auto control =
        library ? reinterpret_cast<TestPluginControlProc>(dlsym(library, kTestPluginControlName))
                : nullptr;
    if (!control)
        return {};
    control()->setMode(TestRunMode::Identity);
    return path;
}

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The 100 pictures quantised alone, as the host's 8-bit copies are.
void convertAll() {
    for (const KpxHandle picture : sourcePictures()) {
        const KpxHandle copy = KPXCreateImage(kWidth, kHeight, 8);
        KPXFineColorConvert(copy, picture, 0, 256, 0, 0, nullptr, 0);
        KPXDeleteImage(copy);
    }
}

// Seconds of this thread's processor time per round, host and conversion alone.
struct Rounds {
    std::vector<double> host;
    std::vector<double> conversion;
};

Rounds& rounds() {
    static Rounds r;
    return r;
}

// Each iteration times the conversion alone and then the host's run on the same pictures, one
// after the other, so both meet the same load of a shared machine; the iteration's time is the
// host's.
void hostAndConversion(benchmark::State& state, const std::string& plugin) {
    for (auto _ : state) {
        double start = threadSeconds();
        convertAll();
        const double conversion = threadSeconds() - start;
        fillAnimation();
        start = threadSeconds();
        const int ran = kfm::plugins::RunPlugin(plugin);
        const double host = threadSeconds() - start;
        const bool complete = g_pAnimationData->RealFrameCount() == 2 * kFrames;
        g_pAnimationData->ResetFrames();
        if (!ran || !complete) {
            state.SkipWithError("the identity run did not give the frames back");
            break;
        }
        state.SetIterationTime(host);
        rounds().host.push_back(host);
        rounds().conversion.push_back(conversion);
    }
    state.counters["frames"] = kFrames;
}

} // namespace

int main(int argc, char** argv) {
    const bench::ScratchFolder folder;
    const std::string plugin = folder.valid() ? identityPlugin(folder) : std::string();
    if (plugin.empty()) {
        std::fprintf(stderr, "the test plug-in could not be loaded: nothing to measure\n");
        return 1;
    }
    CreateProgramAnimation();
    sourcePictures();
    benchmark::RegisterBenchmark("host", hostAndConversion, plugin)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(4);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    const Rounds& r = rounds();
    if (!r.host.empty()) {
        const auto sum = [](const std::vector<double>& v) {
            return std::accumulate(v.begin(), v.end(), 0.0);
        };
        const auto least = [](const std::vector<double>& v) {
            return *std::min_element(v.begin(), v.end());
        };
        std::printf("\n100 frames of 640 x 480 at 24 bits, one thread, %zu rounds\n",
                    r.host.size());
        std::printf("per frame: host %.1f ms, fine colour conversion alone %.1f ms\n",
                    1000 * sum(r.host) / (kFrames * r.host.size()),
                    1000 * sum(r.conversion) / (kFrames * r.conversion.size()));
        std::printf("host (identity plug-in) / conversion alone: %.2fx over all rounds, %.2fx of "
                    "the fastest rounds (aim: at most 1.20x)\n",
                    sum(r.host) / sum(r.conversion), least(r.host) / least(r.conversion));
    }
    benchmark::Shutdown();
    DestroyProgramAnimation();
    for (const KpxHandle picture : sourcePictures())
        KPXDeleteImage(picture);
    return 0;
}
