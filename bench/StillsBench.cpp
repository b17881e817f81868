// JPEG (quality 90), PNG and LZW TIFF speed of the library's glue against the same libraries
// called directly, on a 4000 x 3000 photo-like picture: the library saves and loads through its
// front ends (KPXSaveImage, KPXLoadImage), the direct roads write and read the same files with
// libjpeg, libpng and libtiff with the settings the glue uses, loading into a new buffer each
// time and into one buffer reused from load to load. After the run the ratios (library / direct,
// of the median times) are printed.

#include <benchmark/benchmark.h>

#include "Bitra5.h"

#include <png.h>
#include <tiffio.h>

#include <cstdio>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kJpegQuality = 90;
constexpr int kTiffLzw = 4;

using Bytes = std::vector<std::uint8_t>;

// A picture's memory as a direct caller would take it: not zeroed first, like the library's own
// images.
struct Picture {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size;
};

// The buffer the direct loads into a reused buffer decode into, load after load.
Picture kept;
bool reuseKept = false;

Picture newPicture(std::size_t size) {
    if (reuseKept && kept.bytes && kept.size == size)
        return std::move(kept);
    return {std::make_unique_for_overwrite<std::uint8_t[]>(size), size};
}

// Smooth light with texture and sensor noise, blue, green, red, rows top to bottom.
Bytes photo() {
    Bytes bgr(std::size_t(kWidth) * kHeight * 3);
    std::mt19937 random(7);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            std::uint8_t* p = bgr.data() + (std::size_t(y) * kWidth + x) * 3;
            const int noise = static_cast<int>(random() % 9) - 4;
            const int texture = ((x / 3) ^ (y / 5)) & 15;
            p[0] = static_cast<std::uint8_t>(std::clamp(60 + x / 40 + texture + noise, 0, 255));
            p[1] = static_cast<std::uint8_t>(std::clamp(90 + y / 20 + noise, 0, 255));
            p[2] =
                static_cast<std::uint8_t>(std::clamp(120 + (x + y) / 60 - texture + noise, 0, 255));
        }
    return bgr;
}

struct Bench {
    std::filesystem::path folder;
    Bytes pixels;    // blue, green, red, top row first
    KpxHandle image; // the same picture as a library image
    std::string file(const char* name) const { return (folder / name).string(); }
};

Bench& bench() {
    static Bench b = [] {
        Bench made;
        made.folder = std::filesystem::temp_directory_path() /
                      ("kfm-stills-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(made.folder);
        made.pixels = photo();
        made.image = KPXCreateImage(kWidth, kHeight, 24);
        std::uint8_t* bits = KPXGetBits(made.image);
        const int stride = KPXGetScanBytes(made.image);
        for (int y = 0; y < kHeight; ++y)
            std::copy_n(made.pixels.data() + std::size_t(y) * kWidth * 3, kWidth * 3,
                        bits + std::size_t(kHeight - 1 - y) * stride);
        return made;
    }();
    return b;
}

// ---- JPEG called directly

void jpegSave(const std::string& path, const Bytes& bgr) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    jpeg_stdio_dest(&info, file);
    info.image_width = kWidth;
    info.image_height = kHeight;
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, kJpegQuality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row =
            const_cast<std::uint8_t*>(bgr.data()) + std::size_t(info.next_scanline) * kWidth * 3;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

// As the library's file road reads a JPEG: floating-point DCT, no fancy upsampling.
Picture jpegLoad(const std::string& path) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGR;
    info.dct_method = JDCT_FLOAT;
    info.do_fancy_upsampling = FALSE;
    info.do_block_smoothing = FALSE;
    jpeg_start_decompress(&info);
    Picture out = newPicture(std::size_t(info.output_width) * info.output_height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.bytes.get() + std::size_t(info.output_scanline) * info.output_width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return out;
}

// ---- PNG called directly

void pngSave(const std::string& path, const Bytes& bgr) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    png_set_bgr(png);
    for (int y = 0; y < kHeight; ++y)
        png_write_row(png, bgr.data() + std::size_t(y) * kWidth * 3);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

Picture pngLoad(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_read_info(png, info);
    png_set_bgr(png);
    png_read_update_info(png, info);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    Picture out = newPicture(rowBytes * height);
    for (png_uint_32 y = 0; y < height; ++y)
        png_read_row(png, out.bytes.get() + rowBytes * y, nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return out;
}

// ---- TIFF called directly: RGB in LZW strips of the library's default size

void tiffSave(const std::string& path, const Bytes& bgr) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_NONE);
    const std::uint32_t rowsPerStrip = TIFFDefaultStripSize(tiff, 0);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    Bytes strip(std::size_t(kWidth) * 3 * rowsPerStrip);
    for (std::uint32_t row = 0, s = 0; row < std::uint32_t(kHeight); ++s) {
        const std::uint32_t rows = std::min<std::uint32_t>(rowsPerStrip, kHeight - row);
        for (std::uint32_t r = 0; r < rows; ++r, ++row) {
            const std::uint8_t* in = bgr.data() + std::size_t(row) * kWidth * 3;
            std::uint8_t* out = strip.data() + std::size_t(r) * kWidth * 3;
            for (int x = 0; x < kWidth; ++x, in += 3, out += 3) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
            }
        }
        TIFFWriteEncodedStrip(tiff, s, strip.data(), tmsize_t(rows) * kWidth * 3);
    }
    TIFFClose(tiff);
}

Picture tiffLoad(const std::string& path) {
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    const tmsize_t stripSize = TIFFStripSize(tiff);
    Picture out = newPicture(std::size_t(kWidth) * kHeight * 3);
    tmsize_t at = 0;
    for (tstrip_t s = 0; s < TIFFNumberOfStrips(tiff); ++s)
        at += TIFFReadEncodedStrip(tiff, s, out.bytes.get() + at, stripSize);
    TIFFClose(tiff);
    return out;
}

// ---- The benchmarks

struct Format {
    const char* name;
    const char* file;
    std::int32_t id;
    int option;
    int quality;
    void (*directSave)(const std::string&, const Bytes&);
    Picture (*directLoad)(const std::string&);
};

const Format kFormats[] = {
    {"jpeg-q90", "photo.jpg", 90, 0, kJpegQuality, jpegSave, jpegLoad},
    {"png", "photo.png", 100, 0, 0, pngSave, pngLoad},
    {"tiff-lzw", "photo.tif", 30, kTiffLzw, 0, tiffSave, tiffLoad},
};

void saveLibrary(benchmark::State& state, const Format& f) {
    const std::string path = bench().file((std::string("library-") + f.file).c_str());
    for (auto _ : state)
        if (KPXSaveImage(bench().image, path.c_str(), f.id, f.option, f.quality, nullptr) != 1)
            state.SkipWithError("the library did not save");
}

void saveDirect(benchmark::State& state, const Format& f) {
    const std::string path = bench().file((std::string("direct-") + f.file).c_str());
    for (auto _ : state)
        f.directSave(path, bench().pixels);
}

// The file both load roads read, written once by the library called directly.
std::string fileToLoad(const Format& f) {
    const std::string path = bench().file(f.file);
    if (!std::filesystem::exists(path))
        f.directSave(path, bench().pixels);
    return path;
}

void loadLibrary(benchmark::State& state, const Format& f) {
    const std::string path = fileToLoad(f);
    for (auto _ : state) {
        const KpxHandle image = KPXLoadImage(nullptr, path.c_str(), nullptr);
        if (!image)
            state.SkipWithError("the library did not load");
        KPXDeleteImage(image);
    }
}

void loadDirect(benchmark::State& state, const Format& f) {
    const std::string path = fileToLoad(f);
    for (auto _ : state)
        benchmark::DoNotOptimize(f.directLoad(path).bytes);
}

// The direct load into one buffer kept from load to load.
void loadDirectReused(benchmark::State& state, const Format& f) {
    const std::string path = fileToLoad(f);
    reuseKept = true;
    for (auto _ : state) {
        kept = f.directLoad(path);
        benchmark::DoNotOptimize(kept.bytes.get());
    }
    reuseKept = false;
    kept = {};
}

// Keeps the median real and CPU times of each benchmark so the ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                times[run.run_name.function_name] = run.GetAdjustedRealTime();
                cpuTimes[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
    std::map<std::string, double> cpuTimes;
};

// Each benchmark warms up first (the first pass over a new picture pays for its memory), then
// runs seven times, its runs interleaved with the others; the medians are compared.
void measure(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)
        ->MinWarmUpTime(1.0)
        ->Repetitions(7)
        ->ReportAggregatesOnly(true);
}

} // namespace

int main(int argc, char** argv) {
    for (const Format& f : kFormats) {
        const std::string n = f.name;
        measure(benchmark::RegisterBenchmark(("save/library/" + n).c_str(), saveLibrary, f));
        measure(benchmark::RegisterBenchmark(("save/direct/" + n).c_str(), saveDirect, f));
        measure(benchmark::RegisterBenchmark(("load/library/" + n).c_str(), loadLibrary, f));
        measure(benchmark::RegisterBenchmark(("load/direct/" + n).c_str(), loadDirect, f));
        measure(benchmark::RegisterBenchmark(("load/reused/" + n).c_str(), loadDirectReused, f));
    }
    // The library's and the direct runs alternate, so a machine whose load changes during the
    // run weighs on both alike.
    std::vector<char*> arguments(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    arguments.insert(arguments.begin() + 1, interleave);
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nratios library / libraries called directly (median real time; CPU time)\n");
    for (const Format& f : kFormats) {
        const std::string n = f.name;
        auto ratio = [&](const std::map<std::string, double>& times, const std::string& op,
                         const char* peer = "direct") {
            const auto a = times.find(op + "/library/" + n);
            const auto b = times.find(op + "/" + peer + "/" + n);
            return a != times.end() && b != times.end() ? a->second / b->second : 0.0;
        };
        std::printf("%-10s save %.3fx; %.3fx  load %.3fx; %.3fx  load against a reused buffer "
                    "%.3fx; %.3fx\n",
                    n.c_str(), ratio(reporter.times, "save"), ratio(reporter.cpuTimes, "save"),
                    ratio(reporter.times, "load"), ratio(reporter.cpuTimes, "load"),
                    ratio(reporter.times, "load", "reused"),
                    ratio(reporter.cpuTimes, "load", "reused"));
    }
    KPXDeleteImage(bench().image);
    std::filesystem::remove_all(bench().folder);
    benchmark::Shutdown();
    return 0;
}
