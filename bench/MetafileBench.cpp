// Windows metafiles rendered by our WMF conversion and EMF player against libwmf's wmf2gd on the
// same files, at their own size and at 1024 pixels wide, one thread. wmf2gd is a program: its
// time is the whole run less its fastest run that only starts ("--version"); it also writes a
// PNG, which ours does not. Then the vector rasteriser with 4 x 4 supersampling for a 640 x 480
// frame against decoding one 640 x 480 GIF frame. After the run the ratios are printed.

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QThreadPool>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

#include "Bitra5.h"
#include "MetafileLoading.h"
#include "VectorRender.h"
#include "metafile/EmfPlayer.h"
#include "metafile/EnhMetafile.h"
#include "metafile/WmfToEmf.h"

namespace {

struct WmfFile {
    const char* name;
    std::string path;
};

std::vector<WmfFile>& wmfFiles() {
    static std::vector<WmfFile> files = {
        {"pillow-drawing", std::string(KFM_BENCH_DATA_DIR) + "/metafile/drawing.wmf"},
        {"libuemf-ref", std::string(KFM_BENCH_DATA_DIR) + "/metafile/test_libuemf_ref.wmf"},
    };
    return files;
}

std::vector<std::uint8_t> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The picture's own size in pixels, as the player sees its converted frame.
QSize naturalSize(const std::vector<std::uint8_t>& emf) {
    const auto header = kfm::metafile::readEmfHeader(emf);
    return header ? header->framePixels().size().toSize().expandedTo(QSize(1, 1)) : QSize();
}

QSize sizeFor(const QSize& natural, int wide) {
    if (!wide)
        return natural;
    return QSize(wide, std::max(1, natural.height() * wide / std::max(1, natural.width())));
}

// Conversion and playing, as the import does it for each WMF file.
void runOurs(benchmark::State& state, const WmfFile* file, int wide) {
    const auto wmf = readAll(file->path);
    const auto probe = kfm::metafile::convertWmfToEmf(wmf);
    if (probe.emf.empty()) {
        state.SkipWithError("not convertible");
        return;
    }
    const QSize size = sizeFor(naturalSize(probe.emf), wide);
    for (auto _ : state) {
        const auto converted = kfm::metafile::convertWmfToEmf(wmf);
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        kfm::metafile::playEmf(converted.emf, painter, QRectF(QPointF(0, 0), size));
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetLabel(std::to_string(size.width()) + "x" + std::to_string(size.height()));
}

double secondsOf(const std::string& command) {
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0)
        return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string outputPng() {
    return (std::filesystem::temp_directory_path() /
            ("kfm-metafile-bench-" + std::to_string(::getpid()) + ".png"))
        .string();
}

void runWmf2gd(benchmark::State& state, const WmfFile* file, int wide) {
    double startOnly = 1e9;
    for (int i = 0; i < 3; ++i)
        startOnly = std::min(startOnly, secondsOf("wmf2gd --version > /dev/null 2>&1; true"));
    std::string command = "wmf2gd ";
    if (wide)
        command += "--maxwidth=" + std::to_string(wide) + " --maxheight=100000 --maxpect ";
    command += "-o " + outputPng() + " " + file->path + " > /dev/null 2>&1";
    for (auto _ : state) {
        const double whole = secondsOf(command);
        if (whole < 0 || startOnly < 0) {
            state.SkipWithError("wmf2gd failed on this file");
            break;
        }
        state.SetIterationTime(std::max(whole - startOnly, 1e-6));
    }
    std::filesystem::remove(outputPng());
}

// The drawings of the two WMF files, converted once.
HENHMETAFILE benchDrawing(std::size_t file) {
    static std::map<std::size_t, HENHMETAFILE> metafiles;
    auto& metafile = metafiles[file];
    if (!metafile) {
        const auto converted = kfm::metafile::convertWmfToEmf(readAll(wmfFiles()[file].path));
        metafile =
            SetEnhMetaFileBits(static_cast<UINT>(converted.emf.size()), converted.emf.data());
    }
    return metafile;
}

void runRasteriser(benchmark::State& state, std::size_t file) {
    if (!benchDrawing(file)) {
        state.SkipWithError("no drawing");
        return;
    }
    for (auto _ : state) {
        const short image =
            RenderMetafileImage(benchDrawing(file), RECT{0, 0, 639, 479}, 0, 0, 0, 1);
        if (!image) {
            state.SkipWithError("no image");
            break;
        }
        KPXDeleteImage(image);
    }
}

// One 640 x 480 GIF frame of a smooth picture, written once by the library.
std::string gifFile() {
    static const std::string path = [] {
        const std::string p = (std::filesystem::temp_directory_path() /
                               ("kfm-metafile-bench-" + std::to_string(::getpid()) + ".gif"))
                                  .string();
        const KpxHandle image = KPXCreateImage(640, 480, 8);
        std::uint8_t* bits = KPXGetBits(image);
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                bits[std::size_t(y) * KPXGetScanBytes(image) + x] =
                    static_cast<std::uint8_t>((x / 5 + y / 7 + (x * y) / 997) & 0xFF);
        KPXSaveImage(image, p.c_str(), 20, 0, 0, nullptr); // GIF
        KPXDeleteImage(image);
        return p;
    }();
    return path;
}

void runGifDecode(benchmark::State& state) {
    const std::string path = gifFile();
    for (auto _ : state) {
        const KpxHandle image = KPXLoadImage(nullptr, path.c_str(), nullptr);
        if (!image) {
            state.SkipWithError("GIF not loaded");
            break;
        }
        KPXDeleteImage(image);
    }
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Iteration)
                times[run.run_name.function_name] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    double time(const std::string& name) const {
        const auto t = times.find(name);
        return t == times.end() ? 0.0 : t->second;
    }

private:
    std::map<std::string, double> times;
};

std::string caseName(const WmfFile& file, const char* who, int wide) {
    return std::string(file.name) + "/" + who + "/" + (wide ? std::to_string(wide) : "own");
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);                     // the text records need the font database
    QThreadPool::globalInstance()->setMaxThreadCount(1); // one thread, as the peer runs
    for (const WmfFile& file : wmfFiles())
        for (const int wide : {0, 1024}) {
            benchmark::RegisterBenchmark(caseName(file, "ours", wide).c_str(), runOurs, &file, wide)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(caseName(file, "wmf2gd", wide).c_str(), runWmf2gd, &file,
                                         wide)
                ->Unit(benchmark::kMillisecond)
                ->UseManualTime()
                ->Iterations(10);
        }
    for (std::size_t file = 0; file < wmfFiles().size(); ++file)
        benchmark::RegisterBenchmark(("rasteriser/" + std::string(wmfFiles()[file].name)).c_str(),
                                     runRasteriser, file)
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("gif/decode/640x480", runGifDecode)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nratios: ours / wmf2gd (less its start-up)\n");
    for (const WmfFile& file : wmfFiles())
        for (const int wide : {0, 1024}) {
            const double ours = reporter.time(caseName(file, "ours", wide));
            const double peer = reporter.time(caseName(file, "wmf2gd", wide));
            std::printf("%-16s %-5s ours %8.3f ms", file.name, wide ? "1024" : "own", ours);
            if (peer > 0)
                std::printf("   wmf2gd %8.3f ms   ratio %6.3fx\n", peer, ours / peer);
            else
                std::printf("   wmf2gd failed on this file\n");
        }
    const double gif = reporter.time("gif/decode/640x480");
    for (const WmfFile& file : wmfFiles()) {
        const double raster = reporter.time("rasteriser/" + std::string(file.name));
        if (raster > 0 && gif > 0)
            std::printf("RenderMetafileImage 640x480 4x4, %s: %.3f ms = %.1f x one 640x480 GIF "
                        "decode (%.3f ms)\n",
                        file.name, raster, raster / gif, gif);
    }
    std::filesystem::remove(gifFile());
    benchmark::Shutdown();
    return 0;
}
