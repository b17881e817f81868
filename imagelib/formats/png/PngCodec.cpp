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

// The tRNS chunk: per palette entry, or the transparent sample of a grey or colour picture.
void readTransparency(const ReadStruct& s, PngHeader& header) {
    header.paletteAlpha.clear();
    header.transparentGrey.reset();
    header.transparentColour = false;
    png_bytep alpha = nullptr;
    int count = 0;
    png_color_16p colour = nullptr;
    if (!(png_get_tRNS(s.png(), s.info(), &alpha, &count, &colour) & PNG_INFO_tRNS))
        return;
    switch (header.colorType) {
    case PNG_COLOR_TYPE_PALETTE:
        if (alpha && count > 0)
            header.paletteAlpha.assign(alpha, alpha + count);
        break;
    case PNG_COLOR_TYPE_GRAY:
        if (colour)
            header.transparentGrey = colour->gray;
        break;
    case PNG_COLOR_TYPE_RGB:
        header.transparentColour = colour != nullptr;
        break;
    default:
        break;
    }
}

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
    readTransparency(s, header);
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

// The entry that is wholly transparent when every other entry is opaque; -1 otherwise.
int soleTransparentEntry(const std::vector<std::uint8_t>& alpha) {
    int found = -1;
    for (std::size_t i = 0; i < alpha.size(); ++i) {
        if (alpha[i] == 255)
            continue;
        if (alpha[i] != 0 || found >= 0)
            return -1;
        found = static_cast<int>(i);
    }
    return found;
}

bool anyTransparent(const std::vector<std::uint8_t>& alpha) {
    return std::any_of(alpha.begin(), alpha.end(), [](std::uint8_t a) { return a != 255; });
}

void setTransparency(const PngHeader& header, PngPicture& picture) {
    const auto plane = [&] { picture.transparency = PngTransparency::Plane; };
    const auto index = [&](int i) {
        picture.transparency = PngTransparency::Index;
        picture.transparentIndex = i;
    };
    switch (header.colorType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA:
    case PNG_COLOR_TYPE_RGB_ALPHA:
        plane();
        break;
    case PNG_COLOR_TYPE_PALETTE:
        if (!anyTransparent(header.paletteAlpha))
            break;
        if (picture.depth <= kMaxDepthWithPalette && soleTransparentEntry(header.paletteAlpha) >= 0)
            index(soleTransparentEntry(header.paletteAlpha));
        else
            plane();
        break;
    case PNG_COLOR_TYPE_GRAY:
        if (!header.transparentGrey)
            break;
        // The sample is the index where the grey ramp keeps the file's own values.
        if (picture.depth == header.bitDepth && *header.transparentGrey < (1u << picture.depth))
            index(*header.transparentGrey);
        else if (*header.transparentGrey < (1u << header.bitDepth))
            plane();
        break;
    case PNG_COLOR_TYPE_RGB:
        if (header.transparentColour)
            plane();
        break;
    default:
        break;
    }
}

// The transformations that turn the file's pixels into the rows pictureOf promises, with the
// alpha channel that carries a plane of transparency behind each pixel where the rows have no
// index to take it from.
void setTransformations(png_structp png, const PngHeader& header, const PngPicture& picture) {
    const bool palette = header.colorType == PNG_COLOR_TYPE_PALETTE;
    const bool grey = !(header.colorType & PNG_COLOR_MASK_COLOR);
    if (picture.transparency == PngTransparency::Plane && !palette &&
        (header.transparentGrey || header.transparentColour))
        png_set_tRNS_to_alpha(png);
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

// Where the transparency of each decoded row goes: the last byte of each pixel (an alpha channel)
// or the alpha of each pixel's palette entry, turned into the plane's 0 (opaque) .. 255.
class PlaneRows {
public:
    PlaneRows(std::vector<std::uint8_t>* plane, const PngHeader& header, const PngPicture& picture,
              int channels)
        : plane_(picture.transparency == PngTransparency::Plane ? plane : nullptr),
          paletteAlpha_(header.paletteAlpha), width_(header.width), channels_(channels),
          alphaInRow_(channels == (picture.bgr ? 4 : 2)) {
        if (plane_)
            plane_->assign(std::size_t{header.width} * header.height, 0);
    }
    void take(std::uint32_t y, const std::uint8_t* decoded) {
        if (!plane_)
            return;
        std::uint8_t* out = plane_->data() + std::size_t{y} * width_;
        for (std::uint32_t x = 0; x < width_; ++x)
            out[x] = static_cast<std::uint8_t>(255 - alphaOf(decoded, x));
    }

private:
    std::uint8_t alphaOf(const std::uint8_t* decoded, std::uint32_t x) const {
        if (alphaInRow_)
            return decoded[std::size_t{x} * channels_ + channels_ - 1];
        const std::uint8_t index = decoded[x];
        return index < paletteAlpha_.size() ? paletteAlpha_[index] : 255;
    }

    std::vector<std::uint8_t>* plane_;
    const std::vector<std::uint8_t>& paletteAlpha_;
    std::uint32_t width_;
    int channels_;
    bool alphaInRow_;
};

CodecStatus readRows(const ReadStruct& s, const PngPicture& picture, std::uint32_t height,
                     RowSink& sink, PlaneRows& plane) {
    const std::size_t rowBytes = png_get_rowbytes(s.png(), s.info());
    const int channels = png_get_channels(s.png(), s.info());
    const std::uint32_t width = png_get_image_width(s.png(), s.info());
    const int direct = picture.bgr ? 3 : 1;
    std::vector<std::uint8_t> scratch(rowBytes);
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::span<std::uint8_t> row = sink.rowBuffer();
        const bool intoSink = channels == direct && row.size() >= rowBytes;
        std::uint8_t* target = intoSink ? row.data() : scratch.data();
        if (!guarded(s.png(), [&] { png_read_row(s.png(), target, nullptr); }))
            return CodecStatus::Damaged;
        plane.take(y, target);
        if (!intoSink)
            dropAlpha(scratch.data(), width, channels, picture.bgr, row);
        if (!sink.rowDone(static_cast<int>(y)))
            return CodecStatus::Stopped;
    }
    return CodecStatus::Ok;
}

// Interlaced pictures are decoded whole, then handed out row by row.
CodecStatus readInterlacedRows(const ReadStruct& s, const PngPicture& picture, std::uint32_t height,
                               RowSink& sink, PlaneRows& plane) {
    const std::size_t rowBytes = png_get_rowbytes(s.png(), s.info());
    const int channels = png_get_channels(s.png(), s.info());
    const std::uint32_t width = png_get_image_width(s.png(), s.info());
    std::vector<std::uint8_t> whole(rowBytes * height);
    std::vector<png_bytep> rows(height);
    for (std::uint32_t y = 0; y < height; ++y)
        rows[y] = whole.data() + rowBytes * y;
    if (!guarded(s.png(), [&] { png_read_image(s.png(), rows.data()); }))
        return CodecStatus::Damaged;
    for (std::uint32_t y = 0; y < height; ++y) {
        plane.take(y, rows[y]);
        dropAlpha(rows[y], width, channels, picture.bgr, sink.rowBuffer());
        if (!sink.rowDone(static_cast<int>(y)))
            return CodecStatus::Stopped;
    }
    return CodecStatus::Ok;
}

int fileBitDepth(int depth) {
    return depth <= kMaxDepthWithPalette ? depth : 8;
}

int colourTypeFor(int depth) {
    if (depth <= kMaxDepthWithPalette)
        return PNG_COLOR_TYPE_PALETTE;
    return depth == 32 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
}

bool writeHeader(const WriteStruct& s, const PngEncodeOptions& options) {
    const bool palette = options.depth <= kMaxDepthWithPalette;
    std::vector<png_color> entries;
    for (const Colour& c : options.palette)
        entries.push_back(png_color{c[0], c[1], c[2]});
    std::vector<png_byte> alpha(options.paletteAlpha.begin(), options.paletteAlpha.end());
    return guarded(s.png(), [&] {
        png_set_IHDR(s.png(), s.info(), options.width, options.height, fileBitDepth(options.depth),
                     colourTypeFor(options.depth),
                     options.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
        if (palette)
            png_set_PLTE(s.png(), s.info(), entries.data(), static_cast<int>(entries.size()));
        if (palette && !alpha.empty())
            png_set_tRNS(s.png(), s.info(), alpha.data(), static_cast<int>(alpha.size()), nullptr);
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
    if (options.depth == 24 || options.depth == 32)
        return options.paletteAlpha.empty();
    if (options.depth != 1 && options.depth != 4 && options.depth != 8)
        return false;
    return options.palette.size() == std::size_t{1} << options.depth &&
           options.paletteAlpha.size() <= options.palette.size();
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
    setTransparency(header, picture);
    return picture;
}

CodecStatus decode(std::span<const std::uint8_t> bytes, RowSink& sink,
                   std::vector<std::uint8_t>* plane) {
    MemoryByteInput source(bytes);
    return decode(source, sink, plane);
}

CodecStatus decode(ByteInput& source, RowSink& sink, std::vector<std::uint8_t>* plane) {
    if (plane)
        plane->clear();
    try {
        const ReadStruct s;
        if (!s.valid())
            return CodecStatus::OutOfMemory;
        PngHeader header;
        if (!readInfo(s, source, header))
            return CodecStatus::Damaged;
        const PngPicture picture = pictureOf(header);
        if (!guarded(s.png(), [&] {
                setTransformations(s.png(), header, picture);
                png_set_interlace_handling(s.png());
                png_read_update_info(s.png(), s.info());
            }))
            return CodecStatus::Damaged;
        PlaneRows planeRows(plane, header, picture, png_get_channels(s.png(), s.info()));
        const CodecStatus rows =
            header.interlaced ? readInterlacedRows(s, picture, header.height, sink, planeRows)
                              : readRows(s, picture, header.height, sink, planeRows);
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
