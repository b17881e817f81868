// GIF speed, size and memory against giflib.
//
// - What users call: the library's exported multi-frame load (KPXLoadImageFramesOffset over
//   every frame) against giflib's DGifSlurp, and its multi-frame save (KPXSaveImageFrames of the
//   loaded chain) against EGifSpew of the same indices, both from and to files. The files are
//   made with ImageMagick and gifsicle when the program starts: large frames, a grey photo
//   sequence, one 4000 x 4000 frame, 1000 small frames (also optimised by gifsicle -O3), a 1 x 1
//   file and 259 frames whose load also reports its peak memory.
// - The codec cores: LZW decoding and encoding of the same index data by both, on a 2000 x 2000
//   photo-like frame, a flat one and a 300-frame animation held in memory.
// - Many tiny frames: 100, 1,000 and 5,000 frames of 9 x 8 in one global table (written with
//   giflib here), loaded by both; the growth of the load time per tenfold is printed.
// - Composition: every frame of an animation composed in turn, one KPXRenderFrames call per
//   frame as the editor's preview, strip and optimiser do, against giflib's slurped frames and a
//   small compositor below (disposal 0..3, transparency); the time per frame is printed.
// After the run the ratios (ours / giflib) of time and of size are printed.

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <random>
#include <span>
#include <string>
#include <unistd.h>
#include <vector>

#include "BenchRatios.h"
#include "Bitra5.h"
#include "GifBlocks.h"
#include "GifLzw.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace kpx::gif;

// The largest block the allocator takes from the heap rather than mapping it on its own.
constexpr int kKeptMemory = 32 << 20;

// ---- The codec cores on index data in memory ----

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

struct CoreSet {
    std::string name;
    std::vector<Frame> frames;
    Bytes oursFile, giflibFile;
};

std::vector<CoreSet>& coreSets() {
    static std::vector<CoreSet> sets = [] {
        std::vector<CoreSet> s;
        s.push_back({"photo2000", {photoFrame(2000, 2000, 1)}, {}, {}});
        s.push_back({"flat2000", {flatFrame(2000, 2000)}, {}, {}});
        s.push_back({"anim300", animation(), {}, {}});
        for (CoreSet& d : s) {
            d.oursFile = oursEncode(d.frames);
            d.giflibFile = giflibEncode(d.frames);
        }
        return s;
    }();
    return sets;
}

// Decoding reads giflib's file with both decoders, so both decode the same bytes.
void decodeOurs(benchmark::State& state, std::size_t set) {
    CoreSet& d = coreSets()[set];
    Bytes buffer;
    for (auto _ : state)
        benchmark::DoNotOptimize(oursDecode(d.giflibFile, buffer));
    state.SetBytesProcessed(state.iterations() * std::int64_t(d.giflibFile.size()));
}
void decodeGiflib(benchmark::State& state, std::size_t set) {
    CoreSet& d = coreSets()[set];
    Bytes buffer;
    for (auto _ : state)
        benchmark::DoNotOptimize(giflibDecode(d.giflibFile, buffer));
    state.SetBytesProcessed(state.iterations() * std::int64_t(d.giflibFile.size()));
}
void encodeOurs(benchmark::State& state, std::size_t set) {
    CoreSet& d = coreSets()[set];
    for (auto _ : state)
        benchmark::DoNotOptimize(oursEncode(d.frames).size());
    state.counters["bytes"] = double(d.oursFile.size());
}
void encodeGiflib(benchmark::State& state, std::size_t set) {
    CoreSet& d = coreSets()[set];
    for (auto _ : state)
        benchmark::DoNotOptimize(giflibEncode(d.frames).size());
    state.counters["bytes"] = double(d.giflibFile.size());
}

// ---- The exported load and save on files ----

struct FileSet {
    std::string name;
    std::string what;
    std::string path;
    bool save = false;    // also measured saving
    bool memory = false;  // also measured the load's peak memory
    bool compose = false; // also measured composing every frame
    int frames = 0;       // frames of the file, where known when it is made
};

// The ImageMagick (and gifsicle) commands that make the files.
struct Recipe {
    const char* name;
    const char* what;
    const char* command; // {out} is the file's path, {in} that of the file before it
    bool save;
    bool memory;
};

const Recipe kRecipes[] = {
    {"large", "10 frames of 1280 x 960",
     "convert -seed 5 -size 1280x960 plasma:red-blue -duplicate 9 -distort SRT '%[fx:t*4]' "
     "+dither -colors 256 {out}",
     true, false},
    {"photo", "15 grey photo frames of 640 x 480",
     "convert rose: -resize 640x480! -colorspace Gray -duplicate 14 -distort SRT '%[fx:t*2]' "
     "+dither -colors 256 {out}",
     true, false},
    {"single4000", "one frame of 4000 x 4000",
     "convert -seed 7 -size 1000x1000 plasma:fractal -resize 4000x4000! +dither -colors 256 {out}",
     true, false},
    {"small1000", "1000 frames of 120 x 80",
     "convert -seed 3 -size 120x80 plasma:red-blue -duplicate 999 -distort SRT '%[fx:t*0.36]' "
     "+dither -colors 64 {out}",
     true, false},
    {"small1000-O3", "the same after gifsicle -O3", "gifsicle -O3 {in} -o {out}", false, false},
    {"pixel", "one frame of 1 x 1", "convert -size 1x1 xc:red {out}", false, false},
    {"anim259", "259 frames of 320 x 240",
     "convert -seed 9 -size 320x240 plasma:green-yellow -duplicate 258 -distort SRT "
     "'%[fx:t*1.39]' +dither -colors 128 {out}",
     true, true},
};

std::string replaced(std::string text, const std::string& key, const std::string& value) {
    for (std::size_t at; (at = text.find(key)) != std::string::npos;)
        text.replace(at, key.size(), value);
    return text;
}

// The files live in memory (/dev/shm) where there is such a folder: the saves compared write the
// same bytes, but the library's safe save also flushes its file to the disk before it renames
// it over the target, and the time a disk takes to flush is no part of the code's speed.
bench::ScratchFolder& scratch() {
    static bench::ScratchFolder folder = [] {
        std::error_code error;
        const bool inMemory =
            std::filesystem::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0;
        return inMemory ? bench::ScratchFolder("/dev/shm") : bench::ScratchFolder();
    }();
    return folder;
}

// ---- Many tiny frames, written with giflib

constexpr int kTinyFrameCounts[] = {100, 1000, 5000};

// Frames of 9 x 8 in one global table of 256 grey-blue colours, each a shifted pattern; the
// disposals go round 1, 1, 2, 3 and every odd frame has transparent index 0, so that every
// road of the composition runs.
bool writeTinyFrames(const std::string& path, int frames) {
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    if (!gif)
        return false;
    GifColorType colors[256];
    for (int i = 0; i < 256; ++i)
        colors[i] = {GifByteType(i), GifByteType(i), GifByteType(255 - i)};
    ColorMapObject* map = GifMakeMapObject(256, colors);
    bool ok = EGifPutScreenDesc(gif, 9, 8, 8, 0, map) == GIF_OK;
    GifByteType pixels[9 * 8];
    for (int f = 0; ok && f < frames; ++f) {
        const int disposals[] = {1, 1, 2, 3};
        const GraphicsControlBlock gcb{disposals[f % 4], false, 2,
                                       f % 2 ? 0 : NO_TRANSPARENT_COLOR};
        GifByteType extension[4];
        const std::size_t length = EGifGCBToExtension(&gcb, extension);
        for (int i = 0; i < 9 * 8; ++i)
            pixels[i] = GifByteType((i * 7 + f * 13) % 251 + ((i + f) % 5 == 0 ? 0 : 1));
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension) == GIF_OK &&
             EGifPutImageDesc(gif, 0, 0, 9, 8, false, nullptr) == GIF_OK &&
             EGifPutLine(gif, pixels, 9 * 8) == GIF_OK;
    }
    GifFreeMapObject(map);
    return EGifCloseFile(gif, &error) == GIF_OK && ok;
}

std::vector<FileSet>& fileSets() {
    static std::vector<FileSet> sets = [] {
        std::vector<FileSet> s;
        std::string previous;
        for (const Recipe& r : kRecipes) {
            const std::string path = scratch().file(std::string(r.name) + ".gif");
            const std::string command =
                replaced(replaced(r.command, "{out}", path), "{in}", previous);
            previous = path;
            if (!bench::run(command)) {
                std::fprintf(stderr, "could not make %s: %s\n", r.name, command.c_str());
                continue;
            }
            s.push_back(
                {r.name, r.what, path, r.save, r.memory, std::strcmp(r.name, "small1000") == 0});
        }
        for (const int frames : kTinyFrameCounts) {
            const std::string name = "tiny" + std::to_string(frames);
            const std::string path = scratch().file(name + ".gif");
            if (!writeTinyFrames(path, frames)) {
                std::fprintf(stderr, "could not make %s\n", name.c_str());
                continue;
            }
            s.push_back({name, std::to_string(frames) + " frames of 9 x 8, one global table", path,
                         false, false, true, frames});
        }
        return s;
    }();
    return sets;
}

void loadOurs(benchmark::State& state, std::size_t set) {
    const FileSet& f = fileSets()[set];
    int frames = 0;
    for (auto _ : state) {
        const KpxHandle chain = KPXLoadImageFramesOffset(f.path.c_str(), 0, nullptr, nullptr);
        if (chain <= 0) {
            state.SkipWithError("the library did not load the file");
            break;
        }
        frames = KPXGetImageFramesNum(chain);
        KPXDeleteImage(chain);
    }
    state.counters["frames"] = frames;
}

void loadGiflib(benchmark::State& state, std::size_t set) {
    const FileSet& f = fileSets()[set];
    int frames = 0;
    for (auto _ : state) {
        int error = 0;
        GifFileType* gif = DGifOpenFileName(f.path.c_str(), &error);
        if (!gif || DGifSlurp(gif) != GIF_OK) {
            state.SkipWithError("giflib did not load the file");
            break;
        }
        frames = gif->ImageCount;
        DGifCloseFile(gif, &error);
    }
    state.counters["frames"] = frames;
}

std::uintmax_t fileSize(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
}

void saveOurs(benchmark::State& state, std::size_t set) {
    const FileSet& f = fileSets()[set];
    const KpxHandle chain = KPXLoadImageFramesOffset(f.path.c_str(), 0, nullptr, nullptr);
    const std::string out = scratch().file(f.name + "-ours.gif");
    for (auto _ : state)
        if (KPXSaveImageFrames(chain, out.c_str(), 20, 0, 0, nullptr, nullptr) != 1) {
            state.SkipWithError("the library did not save the file");
            break;
        }
    KPXDeleteImage(chain);
    state.counters["bytes"] = double(fileSize(out));
}

// The blocks of a slurped image that the library's save writes too: the graphic control (delay,
// disposal, transparency) and the looping block with its sub-block. GifMakeSavedImage does not
// copy extension blocks.
void copyKeptExtensions(const SavedImage& from, SavedImage& to) {
    for (int j = 0; j < from.ExtensionBlockCount; ++j) {
        const ExtensionBlock& e = from.ExtensionBlocks[j];
        const bool looping = e.Function == APPLICATION_EXT_FUNC_CODE && e.ByteCount == 11 &&
                             std::memcmp(e.Bytes, "NETSCAPE2.0", 11) == 0;
        const bool loopData =
            e.Function == CONTINUE_EXT_FUNC_CODE && j > 0 &&
            from.ExtensionBlocks[j - 1].Function == APPLICATION_EXT_FUNC_CODE &&
            from.ExtensionBlocks[j - 1].ByteCount == 11 &&
            std::memcmp(from.ExtensionBlocks[j - 1].Bytes, "NETSCAPE2.0", 11) == 0;
        if (e.Function == GRAPHICS_EXT_FUNC_CODE || looping || loopData)
            GifAddExtensionBlock(&to.ExtensionBlockCount, &to.ExtensionBlocks, e.Function,
                                 static_cast<unsigned>(e.ByteCount), e.Bytes);
    }
}

// EGifSpew writes and frees a GifFileType: each round gets a copy of the slurped file, made
// while the clock stands.
void saveGiflib(benchmark::State& state, std::size_t set) {
    const FileSet& f = fileSets()[set];
    int error = 0;
    GifFileType* in = DGifOpenFileName(f.path.c_str(), &error);
    if (!in || DGifSlurp(in) != GIF_OK) {
        state.SkipWithError("giflib did not load the file");
        return;
    }
    const std::string out = scratch().file(f.name + "-giflib.gif");
    for (auto _ : state) {
        state.PauseTiming();
        GifFileType* gif = EGifOpenFileName(out.c_str(), false, &error);
        gif->SWidth = in->SWidth;
        gif->SHeight = in->SHeight;
        gif->SColorResolution = in->SColorResolution;
        gif->SBackGroundColor = in->SBackGroundColor;
        gif->SColorMap = in->SColorMap
                             ? GifMakeMapObject(in->SColorMap->ColorCount, in->SColorMap->Colors)
                             : nullptr;
        for (int i = 0; i < in->ImageCount; ++i)
            copyKeptExtensions(in->SavedImages[i], *GifMakeSavedImage(gif, &in->SavedImages[i]));
        state.ResumeTiming();
        if (EGifSpew(gif) != GIF_OK) {
            state.SkipWithError("giflib did not save the file");
            break;
        }
    }
    DGifCloseFile(in, &error);
    state.counters["bytes"] = double(fileSize(out));
}

// ---- Composition of every frame

// The small compositor beside giflib: the screen in 0x00RRGGBB, each frame drawn over what the
// previous frame's disposal left (2: its rectangle cleared to the background, 3: the screen
// before it); a picture for each frame.
class GiflibCompositor {
public:
    explicit GiflibCompositor(const GifFileType& gif)
        : gif_(gif), width_(gif.SWidth), height_(gif.SHeight),
          screen_(std::size_t(width_) * height_), saved_(screen_.size()) {}

    void start(std::uint32_t background) {
        background_ = background;
        std::fill(screen_.begin(), screen_.end(), background);
        disposal_ = DISPOSAL_UNSPECIFIED;
    }

    // Composes frame i; the screen shows it afterwards.
    const std::vector<std::uint32_t>& compose(int i) {
        const SavedImage& image = gif_.SavedImages[i];
        const GifImageDesc& d = image.ImageDesc;
        if (disposal_ == DISPOSE_BACKGROUND)
            forEachPixel(last_, [&](std::size_t at, int, int) { screen_[at] = background_; });
        else if (disposal_ == DISPOSE_PREVIOUS)
            forEachPixel(last_, [&](std::size_t at, int, int) { screen_[at] = saved_[at]; });
        GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
        DGifSavedExtensionToGCB(const_cast<GifFileType*>(&gif_), i, &gcb);
        if (gcb.DisposalMode == DISPOSE_PREVIOUS)
            forEachPixel(d, [&](std::size_t at, int, int) { saved_[at] = screen_[at]; });
        const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif_.SColorMap;
        forEachPixel(d, [&](std::size_t at, int x, int y) {
            const int index = image.RasterBits[y * d.Width + x];
            if (index != gcb.TransparentColor && map && index < map->ColorCount) {
                const GifColorType c = map->Colors[index];
                screen_[at] = (std::uint32_t(c.Red) << 16) | (c.Green << 8) | c.Blue;
            }
        });
        disposal_ = gcb.DisposalMode;
        last_ = d;
        return screen_;
    }

private:
    // Calls f(screen offset, x, y in the frame) for the frame's pixels that lie on the screen.
    template <typename F> void forEachPixel(const GifImageDesc& d, F f) {
        for (int y = 0; y < d.Height && d.Top + y < height_; ++y)
            for (int x = 0; x < d.Width && d.Left + x < width_; ++x)
                f(std::size_t(d.Top + y) * width_ + (d.Left + x), x, y);
    }

    const GifFileType& gif_;
    int width_, height_;
    std::vector<std::uint32_t> screen_, saved_;
    std::uint32_t background_ = 0;
    int disposal_ = DISPOSAL_UNSPECIFIED;
    GifImageDesc last_{};
};

constexpr COLORREF kComposeBackground = RGB(255, 255, 255);

// Every frame composed by the library in turn, as a viewer steps through the animation.
void composeOurs(benchmark::State& state, std::size_t set) {
    const FileSet& f = fileSets()[set];
    const KpxHandle chain = KPXLoadImageFramesOffset(f.path.c_str(), 0, nullptr, nullptr);
    const int frames = chain > 0 ? KPXGetImageFramesNum(chain) : 0;
    const KpxHandle canvas =
        frames ? KPXCreateImage(KPXWidthFrameScreen(chain), KPXHeightFrameScreen(chain), 24) : 0;
    if (!canvas) {
        state.SkipWithError("the library did not load the file");
        return;
    }
    for (auto _ : state) {
        KPXFillImageByRGBColor(canvas, kComposeBackground);
        for (int i = 0; i < frames; ++i)
            KPXRenderFrames(chain, canvas, 0, 0, i, i, kComposeBackground, 0, 1);
        benchmark::DoNotOptimize(KPXGetBits(canvas)[0]);
    }
    state.counters["frames"] = frames;
    KPXDeleteImage(canvas);
    KPXDeleteImage(chain);
}

void composeGiflib(benchmark::State& state, std::size_t set) {
    const FileSet& f = fileSets()[set];
    int error = 0;
    GifFileType* gif = DGifOpenFileName(f.path.c_str(), &error);
    if (!gif || DGifSlurp(gif) != GIF_OK) {
        state.SkipWithError("giflib did not load the file");
        return;
    }
    GiflibCompositor compositor(*gif);
    for (auto _ : state) {
        compositor.start(0xFFFFFF);
        for (int i = 0; i < gif->ImageCount; ++i)
            benchmark::DoNotOptimize(compositor.compose(i)[0]);
    }
    state.counters["frames"] = gif->ImageCount;
    DGifCloseFile(gif, &error);
}

// The process's resident memory (VmRSS) or its peak (VmHWM), in KiB.
long statusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::strlen(field)));
    return -1;
}

// Run in a process of its own (this program started again), so that no memory freed by earlier
// loads is reused: loads the file once by `who` and prints the peak memory the load added, in
// KiB, and the size of the decoded frames in bytes.
int measurePeakMemory(const std::string& who, const char* path) {
    std::ofstream("/proc/self/clear_refs") << "5"; // resets the peak
    const long before = statusKiB("VmRSS:");
    std::size_t decoded = 0;
    if (who == "ours") {
        const KpxHandle chain = KPXLoadImageFramesOffset(path, 0, nullptr, nullptr);
        const long peak = statusKiB("VmHWM:");
        for (int i = 0; chain > 0 && i < KPXGetImageFramesNum(chain); ++i) {
            const KpxHandle frame = KPXGetImageFramesImage(chain, i);
            decoded += std::size_t(KPXGetScanBytes(frame)) * std::size_t(KPXHeight(frame));
        }
        std::printf("%ld %zu\n", peak - before, decoded);
        KPXDeleteImage(chain);
    } else {
        int error = 0;
        GifFileType* gif = DGifOpenFileName(path, &error);
        if (gif && DGifSlurp(gif) == GIF_OK)
            for (int i = 0; i < gif->ImageCount; ++i)
                decoded += std::size_t(gif->SavedImages[i].ImageDesc.Width) *
                           std::size_t(gif->SavedImages[i].ImageDesc.Height);
        std::printf("%ld %zu\n", statusKiB("VmHWM:") - before, decoded);
        DGifCloseFile(gif, &error);
    }
    return 0;
}

// The peak memory of one load beyond what the process held before it, next to the decoded
// frames' size and the file's size, measured in a process of its own.
void loadPeakMemory(benchmark::State& state, std::size_t set, std::string who) {
    const FileSet& f = fileSets()[set];
    long peakKiB = 0;
    std::size_t decoded = 0;
    for (auto _ : state) {
        const std::string command =
            "/proc/" + std::to_string(::getpid()) + "/exe --peak-memory-of " + who + " " + f.path;
        std::FILE* child = ::popen(command.c_str(), "r");
        if (!child || std::fscanf(child, "%ld %zu", &peakKiB, &decoded) != 2) {
            state.SkipWithError("the measuring process did not answer");
            if (child)
                ::pclose(child);
            break;
        }
        ::pclose(child);
    }
    state.counters["peak_MiB"] = peakKiB / 1024.0;
    state.counters["decoded_MiB"] = double(decoded) / (1024.0 * 1024.0);
    state.counters["file_MiB"] = double(fileSize(f.path)) / (1024.0 * 1024.0);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--peak-memory-of") == 0)
        return measurePeakMemory(argv[2], argv[3]);
    // Freed memory stays with the process, so that every round of every benchmark (the
    // library's and giflib's alike) runs in a heap of the same kind, whichever ran before: the
    // allocator would otherwise move its thresholds by the largest block freed so far, and hand
    // memory back and fault it in again round after round.
    mallopt(M_TRIM_THRESHOLD, kKeptMemory);
    mallopt(M_MMAP_THRESHOLD, kKeptMemory);
    for (std::size_t i = 0; i < coreSets().size(); ++i) {
        const std::string n = coreSets()[i].name;
        benchmark::RegisterBenchmark(("core/decode/ours/" + n).c_str(), decodeOurs, i)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("core/decode/giflib/" + n).c_str(), decodeGiflib, i)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("core/encode/ours/" + n).c_str(), encodeOurs, i)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("core/encode/giflib/" + n).c_str(), encodeGiflib, i)
            ->Unit(benchmark::kMillisecond);
    }
    for (std::size_t i = 0; i < fileSets().size(); ++i) {
        const FileSet& f = fileSets()[i];
        benchmark::RegisterBenchmark(("load/ours/" + f.name).c_str(), loadOurs, i)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("load/giflib/" + f.name).c_str(), loadGiflib, i)
            ->Unit(benchmark::kMillisecond);
        if (f.save) {
            benchmark::RegisterBenchmark(("save/ours/" + f.name).c_str(), saveOurs, i)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("save/giflib/" + f.name).c_str(), saveGiflib, i)
                ->Unit(benchmark::kMillisecond);
        }
        if (f.compose) {
            benchmark::RegisterBenchmark(("compose/ours/" + f.name).c_str(), composeOurs, i)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("compose/giflib/" + f.name).c_str(), composeGiflib, i)
                ->Unit(benchmark::kMillisecond);
        }
        if (f.memory)
            for (const char* who : {"ours", "giflib"})
                benchmark::RegisterBenchmark(("memory/" + std::string(who) + "/" + f.name).c_str(),
                                             loadPeakMemory, i, who)
                    ->Unit(benchmark::kMillisecond)
                    ->Iterations(1);
    }
    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\nratios ours / giflib\n");
    for (const CoreSet& d : coreSets())
        std::printf(
            "core %-12s decode %.2fx  encode %.2fx  size %zu / %zu = %.4f\n", d.name.c_str(),
            reporter.timeRatio("core/decode/ours/" + d.name, "core/decode/giflib/" + d.name),
            reporter.timeRatio("core/encode/ours/" + d.name, "core/encode/giflib/" + d.name),
            d.oursFile.size(), d.giflibFile.size(),
            double(d.oursFile.size()) / double(d.giflibFile.size()));
    for (const FileSet& f : fileSets()) {
        std::printf("file %-12s load %.2fx", f.name.c_str(),
                    reporter.timeRatio("load/ours/" + f.name, "load/giflib/" + f.name));
        if (f.save)
            std::printf(
                "  save %.2fx  size %.4f",
                reporter.timeRatio("save/ours/" + f.name, "save/giflib/" + f.name),
                reporter.counterRatio("save/ours/" + f.name, "save/giflib/" + f.name, "bytes"));
        if (f.compose) {
            const double frames = reporter.counter("compose/ours/" + f.name, "frames");
            std::printf("  compose %.2fx (%.2f us a frame)",
                        reporter.timeRatio("compose/ours/" + f.name, "compose/giflib/" + f.name),
                        frames > 0 ? reporter.times["compose/ours/" + f.name] * 1000.0 / frames
                                   : 0.0);
        }
        if (f.memory) {
            const std::string ours = "memory/ours/" + f.name;
            std::printf("  peak memory %.1f MiB, giflib %.1f MiB (decoded %.1f MiB, file %.1f MiB)",
                        reporter.counter(ours, "peak_MiB"),
                        reporter.counter("memory/giflib/" + f.name, "peak_MiB"),
                        reporter.counter(ours, "decoded_MiB"), reporter.counter(ours, "file_MiB"));
        }
        std::printf("  (%s)\n", f.what.c_str());
    }
    // Linear loads and compositions grow by the factor the frames grow by.
    std::printf("\ngrowth of the time with the frames (9 x 8 frames)\n");
    for (std::size_t k = 1; k < std::size(kTinyFrameCounts); ++k) {
        const std::string from = "tiny" + std::to_string(kTinyFrameCounts[k - 1]);
        const std::string to = "tiny" + std::to_string(kTinyFrameCounts[k]);
        std::printf("%s -> %s (%.1fx the frames): load ours %.1fx, giflib %.1fx; compose ours "
                    "%.1fx, giflib %.1fx\n",
                    from.c_str(), to.c_str(),
                    double(kTinyFrameCounts[k]) / double(kTinyFrameCounts[k - 1]),
                    reporter.timeRatio("load/ours/" + to, "load/ours/" + from),
                    reporter.timeRatio("load/giflib/" + to, "load/giflib/" + from),
                    reporter.timeRatio("compose/ours/" + to, "compose/ours/" + from),
                    reporter.timeRatio("compose/giflib/" + to, "compose/giflib/" + from));
    }
    benchmark::Shutdown();
    return 0;
}
