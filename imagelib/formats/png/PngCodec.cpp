#include "PngCodec.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>

namespace kpx::png {

namespace {

constexpr int kMaxDepthWithPalette = 8;

// libpng's error and warning hooks: both end the work with a jump back into guarded().
[[noreturn]] void abortWork(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void readBytes(png_structp png, png_bytep out, std::size_t count) {
    auto* source = static_cast<ByteInput*>(png_get_io_ptr(png));
    if (source->read(std::span(out, count)) != count)
        png_error(png, "the data ends early");
}

void writeBytes(png_structp png, png_bytep data, std::size_t count) {
    auto* sink = static_cast<ByteSink*>(png_get_io_ptr(png));
    if (!sink->append(std::span<const std::uint8_t>(data, count)))
        png_error(png, "the bytes could not be written");
}

void flushNothing(png_structp) {}

// Runs libpng calls; false when libpng reported an error or a warning. The work must not hold
// objects with destructors while it calls libpng: an error jumps straight back here.
template <typename Work> bool guarded(png_structp png, Work&& work) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    work();
    return true;
}

class ReadStruct {
public:
    ReadStruct() {
        png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, abortWork, abortWork);
        if (png_)
            info_ = png_create_info_struct(png_);
    }
    ~ReadStruct() {
        if (png_)
            png_destroy_read_struct(&png_, info_ ? &info_ : nullptr, nullptr);
    }
    ReadStruct(const ReadStruct&) = delete;
    ReadStruct& operator=(const ReadStruct&) = delete;
    bool valid() const { return png_ && info_; }
    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

private:
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

class WriteStruct {
public:
    WriteStruct() {
        png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, abortWork, abortWork);
        if (png_)
            info_ = png_create_info_struct(png_);
    }
    ~WriteStruct() {
        if (png_)
            png_destroy_write_struct(&png_, info_ ? &info_ : nullptr);
    }
    WriteStruct(const WriteStruct&) = delete;
    WriteStruct& operator=(const WriteStruct&) = delete;
    bool valid() const { return png_ && info_; }
    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

private:
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

// Reads the chunks up to the image data and fills the header.
bool readInfo(const ReadStruct& s, ByteInput& source, PngHeader& header) {
    png_set_read_fn(s.png(), &source, readBytes);
    if (!guarded(s.png(), [&] { png_read_info(s.png(), s.info()); }))
        return false;
    header.width = png_get_image_width(s.png(), s.info());
    header.height = png_get_image_height(s.png(), s.info());
    header.bitDepth = png_get_bit_depth(s.png(), s.info());
    header.colorType = png_get_color_type(s.png(), s.info());
    header.channels = png_get_channels(s.png(), s.info());
    header.interlaced = png_get_interlace_type(s.png(), s.info()) != PNG_INTERLACE_NONE;
    header.palette.clear();
    png_colorp entries = nullptr;
    int count = 0;
    if (header.colorType == PNG_COLOR_TYPE_PALETTE &&
        png_get_PLTE(s.png(), s.info(), &entries, &count) == PNG_INFO_PLTE)
        for (int i = 0; i < count; ++i)
            header.palette.push_back({entries[i].red, entries[i].green, entries[i].blue});
    return true;
}

std::vector<Colour> greyRamp(int depth) {
    const int levels = 1 << depth;
    std::vector<Colour> ramp(static_cast<std::size_t>(levels));
    for (int i = 0; i < levels; ++i) {
        const auto v = static_cast<std::uint8_t>(i * 255 / (levels - 1));
        ramp[static_cast<std::size_t>(i)] = {v, v, v};
    }
    return ramp;
}

// The transformations that turn the file's pixels into the rows pictureOf promises; the
// number of interlace passes.
void setTransformations(png_structp png, const PngHeader& header) {
    const bool palette = header.colorType == PNG_COLOR_TYPE_PALETTE;
    const bool grey = !(header.colorType & PNG_COLOR_MASK_COLOR);
    if (palette && header.bitDepth == 2) {
        png_set_palette_to_rgb(png);
        png_set_bgr(png);
    }
    if (grey && header.bitDepth == 2)
        png_set_expand_gray_1_2_4_to_8(png);
    if (header.bitDepth == 16)
        png_set_strip_16(png);
    if (header.colorType & PNG_COLOR_MASK_COLOR && !palette)
        png_set_bgr(png);
    if (header.bitDepth < 8)
        png_set_packing(png);
}

// Turns a libpng row of `channels` bytes a pixel into the first width pixels of the sink's row
// (the alpha dropped).
void dropAlpha(const std::uint8_t* in, std::uint32_t width, int channels, bool bgr,
               std::span<std::uint8_t> out) {
    const std::size_t kept = bgr ? 3 : 1;
    const std::size_t pixels = std::min<std::size_t>(width, out.size() / kept);
    for (std::size_t x = 0; x < pixels; ++x)
        std::copy_n(in + x * static_cast<std::size_t>(channels), kept, out.begin() + x * kept);
}

CodecStatus readRows(const ReadStruct& s, const PngPicture& picture, std::uint32_t width,
                     std::uint32_t height, RowSink& sink) {
    const std::size_t rowBytes = png_get_rowbytes(s.png(), s.info());
    const int channels = png_get_channels(s.png(), s.info());
    const int direct = picture.bgr ? 3 : 1;
    std::vector<std::uint8_t> scratch(rowBytes);
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::span<std::uint8_t> row = sink.rowBuffer();
        const bool intoSink = channels == direct && row.size() >= rowBytes;
        std::uint8_t* target = intoSink ? row.data() : scratch.data();
        if (!guarded(s.png(), [&] { png_read_row(s.png(), target, nullptr); }))
            return CodecStatus::Damaged;
        if (!intoSink)
            dropAlpha(scratch.data(), width, channels, picture.bgr, row);
        if (!sink.rowDone(static_cast<int>(y)))
            return CodecStatus::Stopped;
    }
    return CodecStatus::Ok;
}

// Interlaced pictures are decoded whole, then handed out row by row.
CodecStatus readInterlacedRows(const ReadStruct& s, const PngPicture& picture, std::uint32_t width,
                               std::uint32_t height, RowSink& sink) {
    const std::size_t rowBytes = png_get_rowbytes(s.png(), s.info());
    const int channels = png_get_channels(s.png(), s.info());
    std::vector<std::uint8_t> whole(rowBytes * height);
    std::vector<png_bytep> rows(height);
    for (std::uint32_t y = 0; y < height; ++y)
        rows[y] = whole.data() + rowBytes * y;
    if (!guarded(s.png(), [&] { png_read_image(s.png(), rows.data()); }))
        return CodecStatus::Damaged;
    for (std::uint32_t y = 0; y < height; ++y) {
        dropAlpha(rows[y], width, channels, picture.bgr, sink.rowBuffer());
        if (!sink.rowDone(static_cast<int>(y)))
            return CodecStatus::Stopped;
    }
    return CodecStatus::Ok;
}

int fileBitDepth(int depth) {
    return depth <= kMaxDepthWithPalette ? depth : 8;
}

bool writeHeader(const WriteStruct& s, const PngEncodeOptions& options) {
    const bool palette = options.depth <= kMaxDepthWithPalette;
    std::vector<png_color> entries;
    for (const Colour& c : options.palette)
        entries.push_back(png_color{c[0], c[1], c[2]});
    return guarded(s.png(), [&] {
        png_set_IHDR(s.png(), s.info(), options.width, options.height, fileBitDepth(options.depth),
                     palette ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB,
                     options.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
        if (palette)
            png_set_PLTE(s.png(), s.info(), entries.data(), static_cast<int>(entries.size()));
        png_write_info(s.png(), s.info());
        if (!palette)
            png_set_bgr(s.png());
        png_set_interlace_handling(s.png());
    });
}

CodecStatus writeRows(const WriteStruct& s, const PngEncodeOptions& options, RowSource& source) {
    const std::size_t rowBytes = png_get_rowbytes(s.png(), s.info());
    for (std::uint32_t y = 0; y < options.height; ++y) {
        const std::span<const std::uint8_t> row = source.row(static_cast<int>(y));
        if (row.size() < rowBytes)
            return CodecStatus::Stopped;
        if (!guarded(s.png(), [&] { png_write_row(s.png(), row.data()); }))
            return CodecStatus::Damaged;
    }
    return CodecStatus::Ok;
}

CodecStatus writeInterlacedRows(const WriteStruct& s, const PngEncodeOptions& options,
                                RowSource& source) {
    const std::size_t rowBytes = png_get_rowbytes(s.png(), s.info());
    std::vector<std::uint8_t> whole(rowBytes * options.height);
    std::vector<png_bytep> rows(options.height);
    for (std::uint32_t y = 0; y < options.height; ++y) {
        rows[y] = whole.data() + rowBytes * y;
        const std::span<const std::uint8_t> row = source.row(static_cast<int>(y));
        if (row.size() < rowBytes)
            return CodecStatus::Stopped;
        std::copy_n(row.begin(), rowBytes, rows[y]);
    }
    if (!guarded(s.png(), [&] { png_write_image(s.png(), rows.data()); }))
        return CodecStatus::Damaged;
    return CodecStatus::Ok;
}

bool validOptions(const PngEncodeOptions& options) {
    if (options.width == 0 || options.height == 0)
        return false;
    if (options.depth == 24)
        return true;
    if (options.depth != 1 && options.depth != 4 && options.depth != 8)
        return false;
    return options.palette.size() == std::size_t{1} << options.depth;
}

} // namespace

CodecStatus readHeader(ByteInput& source, PngHeader& header) {
    const ReadStruct s;
    if (!s.valid())
        return CodecStatus::OutOfMemory;
    return readInfo(s, source, header) ? CodecStatus::Ok : CodecStatus::Damaged;
}

CodecStatus readHeader(std::span<const std::uint8_t> bytes, PngHeader& header) {
    MemoryByteInput source(bytes);
    return readHeader(source, header);
}

PngPicture pictureOf(const PngHeader& header) {
    PngPicture picture;
    switch (header.colorType) {
    case PNG_COLOR_TYPE_PALETTE:
        if (header.bitDepth == 2) {
            picture.depth = 24;
            picture.bgr = true;
            break;
        }
        picture.depth = header.bitDepth;
        picture.colours = header.palette;
        picture.colours.resize(std::size_t{1} << header.bitDepth, Colour{0, 0, 0});
        break;
    case PNG_COLOR_TYPE_GRAY:
        picture.depth = header.bitDepth == 1 || header.bitDepth == 4 ? header.bitDepth : 8;
        picture.colours = greyRamp(picture.depth);
        break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        picture.depth = 8;
        picture.colours = greyRamp(8);
        break;
    default:
        picture.depth = 24;
        picture.bgr = true;
        break;
    }
    return picture;
}

CodecStatus decode(std::span<const std::uint8_t> bytes, RowSink& sink) {
    MemoryByteInput source(bytes);
    return decode(source, sink);
}

CodecStatus decode(ByteInput& source, RowSink& sink) {
    try {
        const ReadStruct s;
        if (!s.valid())
            return CodecStatus::OutOfMemory;
        PngHeader header;
        if (!readInfo(s, source, header))
            return CodecStatus::Damaged;
        const PngPicture picture = pictureOf(header);
        if (!guarded(s.png(), [&] {
                setTransformations(s.png(), header);
                png_set_interlace_handling(s.png());
                png_read_update_info(s.png(), s.info());
            }))
            return CodecStatus::Damaged;
        const CodecStatus rows =
            header.interlaced ? readInterlacedRows(s, picture, header.width, header.height, sink)
                              : readRows(s, picture, header.width, header.height, sink);
        if (rows != CodecStatus::Ok)
            return rows;
        return guarded(s.png(), [&] { png_read_end(s.png(), nullptr); }) ? CodecStatus::Ok
                                                                         : CodecStatus::Damaged;
    } catch (const std::bad_alloc&) {
        return CodecStatus::OutOfMemory;
    }
}

CodecStatus encode(const PngEncodeOptions& options, RowSource& source, ByteSink& out) {
    if (!validOptions(options))
        return CodecStatus::Unsupported;
    try {
        const WriteStruct s;
        if (!s.valid())
            return CodecStatus::OutOfMemory;
        png_set_write_fn(s.png(), &out, writeBytes, flushNothing);
        if (!writeHeader(s, options))
            return CodecStatus::Damaged;
        const CodecStatus rows = options.interlaced ? writeInterlacedRows(s, options, source)
                                                    : writeRows(s, options, source);
        if (rows != CodecStatus::Ok)
            return rows;
        return guarded(s.png(), [&] { png_write_end(s.png(), s.info()); }) ? CodecStatus::Ok
                                                                           : CodecStatus::Damaged;
    } catch (const std::bad_alloc&) {
        return CodecStatus::OutOfMemory;
    }
}

} // namespace kpx::png
