// Loading and saving large still pictures through the library's own codecs, against Pillow and
// ImageMagick on the same files in the same run: a 4000 x 3000 24-bit BMP, an 8-bit RLE8 BMP of
// the same size, a 24-bit run-length Targa and a 256-colour PCX. The library's times come from
// Google Benchmark; Pillow (/usr/bin/python3) and ImageMagick (/usr/bin/convert -bench, the best
// of its thread counts) are timed on the same files afterwards, and the ratios ours / peer are
// printed at the end. The files live in /dev/shm when there is one, so the disk does not decide.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "Bitra5.h"
#include "ImageTable.h"

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

struct BenchFile {
    const char* name;       // also the file's name in the folder
    std::int32_t formatId;  // the library's format of the file and of the save
    const char* pillowSave; // Pillow's format name for the save
    const char* extension;  // of the saved copy
};

const BenchFile kFiles[] = {
    {"bgr24.bmp", 40, "BMP", ".bmp"},
    {"rle8.bmp", 40, "BMP", ".bmp"},
    {"rle24.tga", 80, "TGA", ".tga"},
    {"pal8.pcx", 10, "PCX", ".pcx"},
};

std::filesystem::path folder() {
    static const std::filesystem::path path = [] {
        const std::filesystem::path base = std::filesystem::exists("/dev/shm")
                                               ? "/dev/shm"
                                               : std::filesystem::temp_directory_path();
        std::filesystem::path dir = base / ("still_image_bench_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        return dir;
    }();
    return path;
}

std::string fileOf(const char* name) {
    return (folder() / name).string();
}

bool run(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

std::string output(const std::string& command) {
    std::string text;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        return text;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe.get()))
        text += buffer;
    return text;
}

// A photo-like picture: smooth colour fields with a little noise.
KpxHandle photo() {
    const KpxHandle image = KPXCreateImage(kWidth, kHeight, 24);
    const kpx::ImageLock record(image, kKpxWrite);
    const auto scan = static_cast<std::size_t>(KPXCalcScanBytes(kWidth, 24));
    std::mt19937 random(7);
    for (int y = 0; y < kHeight; ++y) {
        std::uint8_t* row = record->bits + static_cast<std::size_t>(y) * scan;
        for (int x = 0; x < kWidth; ++x) {
            const int noise = static_cast<int>(random() % 7) - 3;
            row[3 * x] = static_cast<std::uint8_t>(std::clamp(x * 255 / kWidth + noise, 0, 255));
            row[3 * x + 1] =
                static_cast<std::uint8_t>(std::clamp(y * 255 / kHeight + noise, 0, 255));
            row[3 * x + 2] = static_cast<std::uint8_t>(((x / 40) ^ (y / 40)) * 37 + noise);
        }
    }
    return image;
}

// A 256-colour picture of flat areas and lines, as drawings and screen shots are.
KpxHandle drawing() {
    const KpxHandle image = KPXCreateImage(kWidth, kHeight, 8);
    const kpx::ImageLock record(image, kKpxWrite);
    for (int i = 0; i < 256; ++i)
        record->colors()[i] =
            RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 7), 0};
    const auto scan = static_cast<std::size_t>(KPXCalcScanBytes(kWidth, 8));
    for (int y = 0; y < kHeight; ++y) {
        std::uint8_t* row = record->bits + static_cast<std::size_t>(y) * scan;
        for (int x = 0; x < kWidth; ++x) {
            std::uint8_t v = static_cast<std::uint8_t>((x / 150 + (y / 120) * 7) & 0xFF);
            if (x % 97 == 0 || y % 131 == 0)
                v = 3;
            if (((x * 13) ^ (y * 7)) % 61 == 0)
                v = static_cast<std::uint8_t>(x * y);
            row[x] = v;
        }
    }
    return image;
}

// The four files: the library writes the uncompressed ones, ImageMagick the run-length ones.
bool makeFiles() {
    const KpxHandle bgr = photo();
    const KpxHandle pal = drawing();
    const std::string bgrFile = fileOf("bgr24.bmp");
    const std::string palFile = fileOf("pal8.bmp");
    bool ok = KPXSaveImage(bgr, bgrFile.c_str(), 40, 0, 0, nullptr) == 1 &&
              KPXSaveImage(pal, palFile.c_str(), 40, 0, 0, nullptr) == 1 &&
              KPXSaveImage(pal, fileOf("pal8.pcx").c_str(), 10, 0, 0, nullptr) == 1;
    KPXDeleteImage(bgr);
    KPXDeleteImage(pal);
    ok = ok &&
         run("/usr/bin/convert '" + palFile + "' -compress RLE 'BMP3:" + fileOf("rle8.bmp") + "'");
    ok =
        ok && run("/usr/bin/convert '" + bgrFile + "' -compress RLE '" + fileOf("rle24.tga") + "'");
    return ok;
}

void loadOurs(benchmark::State& state, const BenchFile& file) {
    const std::string path = fileOf(file.name);
    for (auto _ : state) {
        const KpxHandle image = KPXLoadImage(nullptr, path.c_str(), nullptr);
        if (!image) {
            state.SkipWithError("load failed");
            break;
        }
        KPXDeleteImage(image);
    }
}

void saveOurs(benchmark::State& state, const BenchFile& file) {
    const KpxHandle image = KPXLoadImage(nullptr, fileOf(file.name).c_str(), nullptr);
    const std::string out = fileOf((std::string("ours_") + file.name + file.extension).c_str());
    for (auto _ : state) {
        if (KPXSaveImage(image, out.c_str(), file.formatId, 0, 0, nullptr) != 1) {
            state.SkipWithError("save failed");
            break;
        }
    }
    KPXDeleteImage(image);
}

// Milliseconds per load and per save by Pillow: "name load save" lines.
std::map<std::string, std::pair<double, double>> pillowTimes() {
    std::ostringstream script;
    script << "import time, sys\nfrom PIL import Image\nImage.MAX_IMAGE_PIXELS = None\n"
              "def best(f, n=5):\n    t = []\n    for _ in range(n):\n        s = "
              "time.perf_counter(); f();"
              " t.append(time.perf_counter() - s)\n    return min(t) * 1000\n";
    for (const BenchFile& f : kFiles) {
        const std::string in = fileOf(f.name);
        const std::string out = fileOf((std::string("pillow_") + f.name + f.extension).c_str());
        script << "im = Image.open('" << in << "'); im.load()\n"
               << "print('" << f.name << "', best(lambda: Image.open('" << in << "').load()), "
               << "best(lambda: im.save('" << out << "', '" << f.pillowSave << "')))\n";
    }
    const std::string scriptFile = fileOf("pillow_bench.py");
    FILE* s = std::fopen(scriptFile.c_str(), "w");
    if (!s)
        return {};
    std::fputs(script.str().c_str(), s);
    std::fclose(s);
    std::map<std::string, std::pair<double, double>> times;
    std::istringstream lines(output("/usr/bin/python3 '" + scriptFile + "' 2>/dev/null"));
    std::string name;
    double load = 0, save = 0;
    while (lines >> name >> load >> save)
        times[name] = {load, save};
    return times;
}

// ImageMagick's best time for one command line of its -bench (milliseconds per iteration).
double magickMilliseconds(const std::string& arguments) {
    constexpr int kIterations = 3;
    const std::string text = output("/usr/bin/convert -bench " + std::to_string(kIterations) + " " +
                                    arguments + " 2>&1");
    double best = 0;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t i = line.find("i ");
        const std::size_t ips = line.find("ips");
        if (line.find("Performance") == std::string::npos || i == std::string::npos ||
            ips == std::string::npos)
            continue;
        best = std::max(best, std::atof(line.substr(i + 2, ips - i - 2).c_str()));
    }
    return best > 0 ? 1000.0 / best : 0;
}

std::map<std::string, std::pair<double, double>> magickTimes() {
    std::map<std::string, std::pair<double, double>> times;
    for (const BenchFile& f : kFiles) {
        const std::string in = "'" + fileOf(f.name) + "'";
        const std::string out =
            "'" + fileOf((std::string("magick_") + f.name + f.extension).c_str()) + "'";
        const double load = magickMilliseconds(in + " null:");
        const double loadAndSave = magickMilliseconds(in + " " + out);
        times[f.name] = {load, std::max(loadAndSave - load, 0.0)};
    }
    return times;
}

class TimeReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv) {
    if (!makeFiles()) {
        std::fprintf(stderr, "the benchmark files could not be made (ImageMagick is needed)\n");
        return 1;
    }
    for (const BenchFile& f : kFiles) {
        benchmark::RegisterBenchmark((std::string("load/ours/") + f.name).c_str(), loadOurs, f)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("save/ours/") + f.name).c_str(), saveOurs, f)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    TimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto pillow = pillowTimes();
    const auto magick = magickTimes();
    std::printf("\nmilliseconds (ours, Pillow, ImageMagick) and ratios ours / peer\n");
    for (const BenchFile& f : kFiles) {
        const double load = reporter.times[std::string("load/ours/") + f.name];
        const double save = reporter.times[std::string("save/ours/") + f.name];
        const auto p = pillow.count(f.name) ? pillow.at(f.name) : std::pair{0.0, 0.0};
        const auto m = magick.count(f.name) ? magick.at(f.name) : std::pair{0.0, 0.0};
        const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
        std::printf("%-10s load %7.1f %7.1f %7.1f  (%.2fx Pillow, %.2fx ImageMagick)\n", f.name,
                    load, p.first, m.first, ratio(load, p.first), ratio(load, m.first));
        std::printf("%-10s save %7.1f %7.1f %7.1f  (%.2fx Pillow, %.2fx ImageMagick)\n", "", save,
                    p.second, m.second, ratio(save, p.second), ratio(save, m.second));
    }
    std::filesystem::remove_all(folder());
    benchmark::Shutdown();
    return 0;
}
