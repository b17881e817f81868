// GIF LZW speed and size against giflib on the same index data: a 2000 x 2000 photo-like frame,
// a flat one and a 300-frame animation, decoded and encoded by both. After the run the ratios
// (ours / giflib) of time and of encoded size are printed.

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "GifBlocks.h"
#include "GifLzw.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace kpx::gif;

struct Frame {
    int width, height;
    Bytes indices;
};

// Smooth colour fields with dither noise: many short strings, like a quantised photo.
Frame photoFrame(int w, int h, unsigned seed) {
    Frame f{w, h, Bytes(std::size_t(w) * h)};
    std::mt19937 random(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int base = (x * 7 / 64 + y * 5 / 64 + (x * y) / 40000) & 0xFF;
            const int dither = static_cast<int>(random() % 5) - 2;
            f.indices[std::size_t(y) * w + x] = static_cast<std::uint8_t>((base + dither) & 0xFF);
        }
    return f;
}

// Large areas of one colour with a few rectangles and lines: long strings.
Frame flatFrame(int w, int h) {
    Frame f{w, h, Bytes(std::size_t(w) * h, 17)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t v = 17;
            if ((x / 250 + y / 250) % 3 == 0)
                v = 200;
            if (x % 97 == 0 || y % 131 == 0)
                v = 3;
            f.indices[std::size_t(y) * w + x] = v;
        }
    return f;
}

// 300 frames of 200 x 150: a photo-like background with a moving block.
std::vector<Frame> animation() {
    std::vector<Frame> frames;
    const Frame background = photoFrame(200, 150, 5);
    for (int i = 0; i < 300; ++i) {
        Frame f = background;
        for (int y = 40; y < 90; ++y)
            for (int x = 0; x < 40; ++x)
                f.indices[std::size_t(y) * 200 + (x + i) % 200] = 250;
        frames.push_back(std::move(f));
    }
    return frames;
}

void put16(Bytes& out, int v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

Bytes oursEncode(const std::vector<Frame>& frames) {
    Bytes out = {'G', 'I', 'F', '8', '9', 'a'};
    put16(out, frames[0].width);
    put16(out, frames[0].height);
    out.insert(out.end(), {0xF7, 0, 0});
    for (int i = 0; i < 256; ++i)
        out.insert(out.end(), {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)});
    for (const Frame& f : frames) {
        out.push_back(0x2C);
        put16(out, 0);
        put16(out, 0);
        put16(out, f.width);
        put16(out, f.height);
        out.push_back(0);
        encodeLzwImage(f.indices, f.width, f.height, 8, RowOrder::Sequential, out);
    }
    out.push_back(0x3B);
    return out;
}

int writeToVector(GifFileType* gif, const GifByteType* in, int n) {
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), in, in + n);
    return n;
}

Bytes giflibEncode(const std::vector<Frame>& frames) {
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, writeToVector, &error);
    GifColorType colors[256];
    for (int i = 0; i < 256; ++i)
        colors[i] = {GifByteType(i), GifByteType(i), GifByteType(i)};
    ColorMapObject* map = GifMakeMapObject(256, colors);
    EGifPutScreenDesc(gif, frames[0].width, frames[0].height, 8, 0, map);
    for (const Frame& f : frames) {
        EGifPutImageDesc(gif, 0, 0, f.width, f.height, false, nullptr);
        EGifPutLine(gif, const_cast<GifPixelType*>(f.indices.data()), f.width * f.height);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

struct SpanReader {
    std::span<const std::uint8_t> rest;
};

int readFromSpan(GifFileType* gif, GifByteType* out, int n) {
    auto* r = static_cast<SpanReader*>(gif->UserData);
    const int k = static_cast<int>(std::min<std::size_t>(std::size_t(n), r->rest.size()));
    std::memcpy(out, r->rest.data(), std::size_t(k));
    r->rest = r->rest.subspan(std::size_t(k));
    return k;
}

// Decodes every image into one reused buffer; returns the number of images.
int oursDecode(const Bytes& file, Bytes& buffer) {
    const GifFileIndex index = scanGif(file);
    for (const FrameLocation& f : index.frames) {
        buffer.resize(std::size_t(f.width) * f.height);
        decodeLzwImage(std::span(file).subspan(f.dataStart, f.dataEnd - f.dataStart),
                       f.minimumCodeSize, f.width, f.height, RowOrder::Sequential, buffer);
    }
    return static_cast<int>(index.frames.size());
}

int giflibDecode(const Bytes& file, Bytes& buffer) {
    SpanReader reader{file};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, readFromSpan, &error);
    int images = 0;
    GifRecordType type;
    while (DGifGetRecordType(gif, &type) == GIF_OK && type != TERMINATE_RECORD_TYPE) {
        if (type == IMAGE_DESC_RECORD_TYPE) {
            DGifGetImageDesc(gif);
            const int w = gif->Image.Width, h = gif->Image.Height;
            buffer.resize(std::size_t(w) * h);
            DGifGetLine(gif, buffer.data(), w * h);
            ++images;
        } else if (type == EXTENSION_RECORD_TYPE) {
            int code;
            GifByteType* ext;
            DGifGetExtension(gif, &code, &ext);
            while (ext)
                DGifGetExtensionNext(gif, &ext);
        }
    }
    DGifCloseFile(gif, &error);
    return images;
}

struct DataSet {
    std::string name;
    std::vector<Frame> frames;
    Bytes oursFile, giflibFile;
};

std::vector<DataSet>& dataSets() {
    static std::vector<DataSet> sets = [] {
        std::vector<DataSet> s;
        s.push_back({"photo2000", {photoFrame(2000, 2000, 1)}, {}, {}});
        s.push_back({"flat2000", {flatFrame(2000, 2000)}, {}, {}});
        s.push_back({"anim300", animation(), {}, {}});
        for (DataSet& d : s) {
            d.oursFile = oursEncode(d.frames);
            d.giflibFile = giflibEncode(d.frames);
        }
        return s;
    }();
    return sets;
}

// Decoding reads giflib's file with both decoders, so both decode the same bytes.
void decodeOurs(benchmark::State& state, int set) {
    DataSet& d = dataSets()[std::size_t(set)];
    Bytes buffer;
    for (auto _ : state)
        benchmark::DoNotOptimize(oursDecode(d.giflibFile, buffer));
    state.SetBytesProcessed(state.iterations() * std::int64_t(d.giflibFile.size()));
}
void decodeGiflib(benchmark::State& state, int set) {
    DataSet& d = dataSets()[std::size_t(set)];
    Bytes buffer;
    for (auto _ : state)
        benchmark::DoNotOptimize(giflibDecode(d.giflibFile, buffer));
    state.SetBytesProcessed(state.iterations() * std::int64_t(d.giflibFile.size()));
}
void encodeOurs(benchmark::State& state, int set) {
    DataSet& d = dataSets()[std::size_t(set)];
    for (auto _ : state)
        benchmark::DoNotOptimize(oursEncode(d.frames).size());
    state.counters["bytes"] = double(d.oursFile.size());
}
void encodeGiflib(benchmark::State& state, int set) {
    DataSet& d = dataSets()[std::size_t(set)];
    for (auto _ : state)
        benchmark::DoNotOptimize(giflibEncode(d.frames).size());
    state.counters["bytes"] = double(d.giflibFile.size());
}

// Keeps each run's time so the ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
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
    const char* names[] = {"photo2000", "flat2000", "anim300"};
    for (int i = 0; i < 3; ++i) {
        const std::string n = names[i];
        benchmark::RegisterBenchmark(("decode/ours/" + n).c_str(), decodeOurs, i)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("decode/giflib/" + n).c_str(), decodeGiflib, i)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("encode/ours/" + n).c_str(), encodeOurs, i)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("encode/giflib/" + n).c_str(), encodeGiflib, i)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nratios ours / giflib (time; encoded size)\n");
    for (int i = 0; i < 3; ++i) {
        const std::string n = names[i];
        auto ratio = [&](const std::string& op) {
            const auto a = reporter.times.find(op + "/ours/" + n);
            const auto b = reporter.times.find(op + "/giflib/" + n);
            return a != reporter.times.end() && b != reporter.times.end() ? a->second / b->second
                                                                          : 0.0;
        };
        const DataSet& d = dataSets()[std::size_t(i)];
        std::printf("%-10s decode %.2fx  encode %.2fx  size %zu / %zu = %.4f\n", n.c_str(),
                    ratio("decode"), ratio("encode"), d.oursFile.size(), d.giflibFile.size(),
                    double(d.oursFile.size()) / double(d.giflibFile.size()));
    }
    benchmark::Shutdown();
    return 0;
}
