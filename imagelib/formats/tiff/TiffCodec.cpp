#include "TiffCodec.h"

#include "debug/DebugOutput.h"

#include <tiffio.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <new>

namespace kpx::tiff {

struct TiffFile::Io {
    int fd = -1;
    bool inMemory = false;
    std::span<const std::uint8_t> memory;
    std::uint64_t base = 0;
    std::uint64_t position = 0;
};

namespace {

constexpr const char* kSoftware = "Keldo Bitmap Library 32";
constexpr float kResolution = 96.0f;
constexpr std::uint16_t kMaxColourMapValue = 255;

TiffFile::Io& ioOf(thandle_t handle) {
    return *static_cast<TiffFile::Io*>(handle);
}

std::uint64_t sizeOf(const TiffFile::Io& io) {
    if (io.inMemory)
        return io.memory.size();
    struct stat status {};
    if (::fstat(io.fd, &status) != 0 || static_cast<std::uint64_t>(status.st_size) < io.base)
        return 0;
    return static_cast<std::uint64_t>(status.st_size) - io.base;
}

tmsize_t readIo(thandle_t handle, void* buffer, tmsize_t size) {
    TiffFile::Io& io = ioOf(handle);
    if (size <= 0)
        return 0;
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::uint64_t done = 0;
    if (io.inMemory) {
        const std::uint64_t left =
            io.position < io.memory.size() ? io.memory.size() - io.position : 0;
        done = std::min<std::uint64_t>(left, static_cast<std::uint64_t>(size));
        std::copy_n(io.memory.begin() + static_cast<std::ptrdiff_t>(io.position), done, out);
    } else {
        while (done < static_cast<std::uint64_t>(size)) {
            const ssize_t n = ::pread(io.fd, out + done, static_cast<std::size_t>(size) - done,
                                      static_cast<off_t>(io.base + io.position + done));
            if (n <= 0)
                break;
            done += static_cast<std::uint64_t>(n);
        }
    }
    io.position += done;
    return static_cast<tmsize_t>(done);
}

tmsize_t writeIo(thandle_t handle, void* buffer, tmsize_t size) {
    TiffFile::Io& io = ioOf(handle);
    if (io.inMemory || size <= 0)
        return 0;
    const auto* data = static_cast<const std::uint8_t*>(buffer);
    std::uint64_t done = 0;
    while (done < static_cast<std::uint64_t>(size)) {
        const ssize_t n = ::pwrite(io.fd, data + done, static_cast<std::size_t>(size) - done,
                                   static_cast<off_t>(io.base + io.position + done));
        if (n <= 0)
            break;
        done += static_cast<std::uint64_t>(n);
    }
    io.position += done;
    return static_cast<tmsize_t>(done);
}

toff_t seekIo(thandle_t handle, toff_t offset, int whence) {
    TiffFile::Io& io = ioOf(handle);
    std::uint64_t origin = 0;
    if (whence == SEEK_CUR)
        origin = io.position;
    else if (whence == SEEK_END)
        origin = sizeOf(io);
    io.position = origin + offset;
    return io.position;
}

int closeIo(thandle_t) {
    return 0;
}

toff_t sizeIo(thandle_t handle) {
    return sizeOf(ioOf(handle));
}

int mapNothing(thandle_t, void**, toff_t*) {
    return 0;
}

void unmapNothing(thandle_t, void*, toff_t) {}

void report(const char* kind, const char* module, const char* format, va_list arguments) {
    char text[512] = {};
    std::vsnprintf(text, sizeof text, format, arguments);
    kfm::debug::printf("KPX32: TIFF %s in %s: %s\n", kind, module ? module : "-", text);
}

int reportError(TIFF*, void*, const char* module, const char* format, va_list arguments) {
    report("error", module, format, arguments);
    return 1;
}

int reportWarning(TIFF*, void*, const char* module, const char* format, va_list arguments) {
    report("warning", module, format, arguments);
    return 1;
}

TIFF* openClient(TiffFile::Io& io, const char* name, const char* mode) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options)
        return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, reportError, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, reportWarning, nullptr);
    TIFF* tiff = TIFFClientOpenExt(name, mode, &io, readIo, writeIo, seekIo, closeIo, sizeIo,
                                   mapNothing, unmapNothing, options);
    TIFFOpenOptionsFree(options);
    return tiff;
}

std::vector<Colour> ramp(int levels, bool falling, std::size_t entries) {
    std::vector<Colour> colours(entries, Colour{0, 0, 0});
    for (int i = 0; i < levels && static_cast<std::size_t>(i) < entries; ++i) {
        const int v = i * 255 / (levels - 1);
        const auto grey = static_cast<std::uint8_t>(falling ? 255 - v : v);
        colours[static_cast<std::size_t>(i)] = {grey, grey, grey};
    }
    return colours;
}

// The colour map, as 16-bit values when any entry needs more than 8 bits, else as 8-bit ones.
bool readColourMap(TIFF* tiff, int levels, std::size_t entries, std::vector<Colour>& colours) {
    std::uint16_t* red = nullptr;
    std::uint16_t* green = nullptr;
    std::uint16_t* blue = nullptr;
    if (!TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue)
        return false;
    bool wide = false;
    for (int i = 0; i < levels; ++i)
        wide = wide || red[i] > kMaxColourMapValue || green[i] > kMaxColourMapValue ||
               blue[i] > kMaxColourMapValue;
    const auto scale = [wide](std::uint16_t v) {
        return static_cast<std::uint8_t>(wide ? v * 255u / 65535u : v);
    };
    colours.assign(entries, Colour{0, 0, 0});
    for (int i = 0; i < levels; ++i)
        colours[static_cast<std::size_t>(i)] = {scale(red[i]), scale(green[i]), scale(blue[i])};
    return true;
}

// Grey, palette and mask layouts: the conversion and the depth, or false.
bool singleChannelLayout(TiffLayout& layout) {
    const int bits = layout.bitsPerSample;
    const bool palette = layout.photometric == PHOTOMETRIC_PALETTE;
    if (layout.samplesPerPixel == 2 && bits == 8 && !palette) {
        layout.conversion = RowConversion::FirstOfTwo;
        layout.depth = 8;
        return true;
    }
    if (layout.samplesPerPixel != 1)
        return false;
    switch (bits) {
    case 1:
    case 4:
    case 8:
        layout.conversion = RowConversion::Stored;
        layout.depth = bits;
        return true;
    case 2:
        layout.conversion = RowConversion::Widen2To4;
        layout.depth = 4;
        return true;
    case 16:
        layout.conversion = RowConversion::HighByteGrey;
        layout.depth = 8;
        return !palette;
    default:
        return false;
    }
}

bool singleChannelColours(TIFF* tiff, TiffLayout& layout) {
    const int bits = layout.bitsPerSample == 16 ? 8 : layout.bitsPerSample;
    const int levels = 1 << bits;
    const std::size_t entries = std::size_t{1} << layout.depth;
    if (layout.photometric == PHOTOMETRIC_PALETTE)
        return readColourMap(tiff, levels, entries, layout.colours);
    layout.colours = ramp(levels, layout.photometric == PHOTOMETRIC_MINISWHITE, entries);
    return true;
}

// JPEG strips of a YCbCr picture are decoded by libtiff into RGB.
bool jpegYCbCrAsRgb(TIFF* tiff, const TiffLayout& layout) {
    return layout.compression == COMPRESSION_JPEG &&
           TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB) == 1;
}

bool unsubsampled(TIFF* tiff) {
    std::uint16_t horizontal = 2;
    std::uint16_t vertical = 2;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_YCBCRSUBSAMPLING, &horizontal, &vertical);
    return horizontal == 1 && vertical == 1;
}

bool firstExtraIsAssociatedAlpha(TIFF* tiff) {
    std::uint16_t count = 0;
    std::uint16_t* kinds = nullptr;
    return TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &count, &kinds) && count >= 1 && kinds &&
           kinds[0] == EXTRASAMPLE_ASSOCALPHA;
}

bool colourLayout(TIFF* tiff, TiffLayout& layout) {
    const int bits = layout.bitsPerSample;
    const int samples = layout.samplesPerPixel;
    layout.depth = 24;
    switch (layout.photometric) {
    case PHOTOMETRIC_RGB:
        layout.conversion = bits == 8 ? RowConversion::Rgb8 : RowConversion::Rgb16;
        layout.premultiplied = samples == 4 && firstExtraIsAssociatedAlpha(tiff);
        return (bits == 8 || bits == 16) && (samples == 3 || samples == 4);
    case PHOTOMETRIC_SEPARATED: {
        std::uint16_t inks = INKSET_CMYK;
        TIFFGetFieldDefaulted(tiff, TIFFTAG_INKSET, &inks);
        layout.conversion = RowConversion::Cmyk;
        return inks == INKSET_CMYK && bits == 8 && (samples == 4 || samples == 5);
    }
    case PHOTOMETRIC_YCBCR:
        if (bits != 8 || samples != 3)
            return false;
        if (jpegYCbCrAsRgb(tiff, layout)) {
            layout.conversion = RowConversion::Rgb8;
            return true;
        }
        layout.conversion = RowConversion::YCbCr;
        return layout.compression != COMPRESSION_OJPEG && unsubsampled(tiff);
    case PHOTOMETRIC_CIELAB:
        layout.conversion = RowConversion::Lab;
        return bits == 8 && samples == 3;
    default:
        return false;
    }
}

std::uint64_t storedBytesOf(TIFF* tiff) {
    std::uint64_t total = 0;
    const std::uint32_t strips = TIFFNumberOfStrips(tiff);
    for (std::uint32_t s = 0; s < strips; ++s)
        total += TIFFGetStrileByteCount(tiff, s);
    return total;
}

std::uint16_t highByte(const std::uint8_t* sample) {
    std::uint16_t value = 0;
    std::copy_n(sample, 2, reinterpret_cast<std::uint8_t*>(&value));
    return static_cast<std::uint16_t>(value >> 8);
}

std::uint8_t clampByte(double value) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

// round(a x b / 255)
int timesOver255(int a, int b) {
    const int product = a * b + 128;
    return ((product >> 8) + product) >> 8;
}

std::uint8_t inkless(int ink, int black) {
    const int light = 255 - black;
    return static_cast<std::uint8_t>(light - timesOver255(ink, light));
}

// A colour sample with an associated alpha divided out.
std::uint8_t unpremultiplied(int value, int alpha) {
    if (alpha == 0)
        return 0;
    return static_cast<std::uint8_t>(std::min(255, value * 255 / alpha));
}

double labInverse(double f) {
    return f > 0.206893 ? f * f * f : (f - 0.13793103) * 0.12841916;
}

double companded(double linear) {
    return linear > 0.00304 ? 1.055 * std::pow(linear, 1.0 / 2.4) - 0.055 : 12.92 * linear;
}

// CIE L*a*b* (D65 white) to blue, green, red.
void labToBgr(std::uint8_t lightness, std::int8_t a, std::int8_t b, std::uint8_t* out) {
    const double l = lightness * 100.0 / 255.0;
    const double fy = (l + 16.0) / 116.0;
    const double x = labInverse(fy + a * 0.002) * 0.95047;
    const double y = labInverse(fy);
    const double z = labInverse(fy - b * 0.005) * 1.08883;
    const double red = 3.241 * x - 1.5374 * y - 0.4986 * z;
    const double green = -0.9692 * x + 1.876 * y + 0.0416 * z;
    const double blue = 0.0556 * x - 0.204 * y + 1.057 * z;
    out[0] = clampByte(companded(blue) * 255.0);
    out[1] = clampByte(companded(green) * 255.0);
    out[2] = clampByte(companded(red) * 255.0);
}

void convertRow(const TiffLayout& layout, const std::uint8_t* in, std::uint8_t* out) {
    const std::uint32_t width = layout.width;
    const std::uint32_t step = layout.samplesPerPixel;
    switch (layout.conversion) {
    case RowConversion::Stored:
    case RowConversion::Mask:
        std::copy_n(in, (std::uint64_t{width} * layout.bitsPerSample + 7) / 8, out);
        break;
    case RowConversion::Widen2To4:
        std::fill_n(out, (width + 1) / 2, 0);
        for (std::uint32_t x = 0; x < width; ++x) {
            const int value = (in[x >> 2] >> (6 - 2 * (x & 3))) & 3;
            out[x >> 1] |= static_cast<std::uint8_t>(value << ((x & 1) ? 0 : 4));
        }
        break;
    case RowConversion::FirstOfTwo:
        for (std::uint32_t x = 0; x < width; ++x)
            out[x] = in[2 * x];
        break;
    case RowConversion::HighByteGrey:
        for (std::uint32_t x = 0; x < width; ++x)
            out[x] = static_cast<std::uint8_t>(highByte(in + 2 * x));
        break;
    case RowConversion::Rgb8:
        if (!layout.premultiplied) {
            for (std::uint32_t x = 0; x < width; ++x, in += step, out += 3) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
            }
            break;
        }
        for (std::uint32_t x = 0; x < width; ++x, in += step, out += 3) {
            out[0] = unpremultiplied(in[2], in[3]);
            out[1] = unpremultiplied(in[1], in[3]);
            out[2] = unpremultiplied(in[0], in[3]);
        }
        break;
    case RowConversion::Rgb16:
        for (std::uint32_t x = 0; x < width; ++x, in += 2 * step, out += 3) {
            const int alpha = layout.premultiplied ? highByte(in + 6) : 255;
            out[0] = unpremultiplied(highByte(in + 4), alpha);
            out[1] = unpremultiplied(highByte(in + 2), alpha);
            out[2] = unpremultiplied(highByte(in), alpha);
        }
        break;
    case RowConversion::Cmyk:
        for (std::uint32_t x = 0; x < width; ++x, in += step, out += 3) {
            out[0] = inkless(in[2], in[3]);
            out[1] = inkless(in[1], in[3]);
            out[2] = inkless(in[0], in[3]);
        }
        break;
    case RowConversion::YCbCr:
        for (std::uint32_t x = 0; x < width; ++x, in += 3, out += 3) {
            const double y = in[0];
            const double cb = in[1] - 128.0;
            const double cr = in[2] - 128.0;
            out[0] = clampByte(y + 1.772 * cb);
            out[1] = clampByte(y - 0.344 * cb - 0.71414 * cr);
            out[2] = clampByte(y + 1.402 * cr);
        }
        break;
    case RowConversion::Lab:
        for (std::uint32_t x = 0; x < width; ++x, in += 3, out += 3)
            labToBgr(in[0], static_cast<std::int8_t>(in[1]), static_cast<std::int8_t>(in[2]), out);
        break;
    }
}

// Bytes a stored row must hold for the conversion to read it.
std::uint64_t neededRowBytes(const TiffLayout& layout) {
    const std::uint64_t samples = std::uint64_t{layout.width} * layout.samplesPerPixel;
    return (samples * layout.bitsPerSample + 7) / 8;
}

std::uint16_t colourMapValue(std::uint8_t value) {
    return static_cast<std::uint16_t>(value * 65535u / 255u);
}

void setPictureTags(TIFF* tiff, const TiffEncodeOptions& options, int compression) {
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, 0);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, options.width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, options.height);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    if (options.depth == 24) {
        const bool separated = (options.saveOption & kSaveSeparated) != 0;
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC,
                     separated ? PHOTOMETRIC_SEPARATED : PHOTOMETRIC_RGB);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, separated ? 4 : 3);
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    } else {
        std::array<std::uint16_t, 256> red{}, green{}, blue{};
        for (std::size_t i = 0; i < options.palette.size() && i < red.size(); ++i) {
            red[i] = colourMapValue(options.palette[i][0]);
            green[i] = colourMapValue(options.palette[i][1]);
            blue[i] = colourMapValue(options.palette[i][2]);
        }
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, options.depth);
        TIFFSetField(tiff, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
    }
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
    if (compression == COMPRESSION_LZW || compression == COMPRESSION_DEFLATE)
        TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_NONE);
    if (compression == COMPRESSION_JPEG) {
        TIFFSetField(tiff, TIFFTAG_JPEGQUALITY, options.jpegQuality);
        TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    }
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, kResolution);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, kResolution);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tiff, TIFFTAG_SOFTWARE, kSoftware);
}

// The stored form of a picture row: packed indices as they are, RGB or CMYK from blue, green,
// red.
void storedRow(const TiffEncodeOptions& options, const std::uint8_t* in, std::uint8_t* out) {
    if (options.depth != 24) {
        std::copy_n(in, (std::uint64_t{options.width} * options.depth + 7) / 8, out);
        return;
    }
    const bool separated = (options.saveOption & kSaveSeparated) != 0;
    for (std::uint32_t x = 0; x < options.width; ++x, in += 3) {
        const int blue = in[0];
        const int green = in[1];
        const int red = in[2];
        if (!separated) {
            *out++ = static_cast<std::uint8_t>(red);
            *out++ = static_cast<std::uint8_t>(green);
            *out++ = static_cast<std::uint8_t>(blue);
            continue;
        }
        const int light = std::max({red, green, blue});
        const auto ink = [light](int colour) {
            return static_cast<std::uint8_t>(
                light == 0 ? 0 : ((light - colour) * 255 + light / 2) / light);
        };
        *out++ = ink(red);
        *out++ = ink(green);
        *out++ = ink(blue);
        *out++ = static_cast<std::uint8_t>(255 - light);
    }
}

bool validOptions(const TiffEncodeOptions& options) {
    if (options.width == 0 || options.height == 0)
        return false;
    if (options.depth == 24)
        return true;
    return (options.depth == 1 || options.depth == 4 || options.depth == 8) &&
           options.palette.size() == std::size_t{1} << options.depth;
}

} // namespace

TiffFile::TiffFile(TIFF* tiff, std::unique_ptr<Io> io) : tiff_(tiff), io_(std::move(io)) {}

TiffFile::~TiffFile() {
    TIFFClose(tiff_);
}

std::unique_ptr<TiffFile> TiffFile::readFromDescriptor(int fd, std::uint64_t base,
                                                       const char* name) {
    auto io = std::make_unique<Io>();
    io->fd = fd;
    io->base = base;
    TIFF* tiff = openClient(*io, name, "r");
    return tiff ? std::unique_ptr<TiffFile>(new TiffFile(tiff, std::move(io))) : nullptr;
}

std::unique_ptr<TiffFile> TiffFile::readFromBytes(std::span<const std::uint8_t> bytes) {
    auto io = std::make_unique<Io>();
    io->inMemory = true;
    io->memory = bytes;
    TIFF* tiff = openClient(*io, "memory", "r");
    return tiff ? std::unique_ptr<TiffFile>(new TiffFile(tiff, std::move(io))) : nullptr;
}

std::unique_ptr<TiffFile> TiffFile::writeToDescriptor(int fd, const char* name) {
    auto io = std::make_unique<Io>();
    io->fd = fd;
    TIFF* tiff = openClient(*io, name, "w");
    return tiff ? std::unique_ptr<TiffFile>(new TiffFile(tiff, std::move(io))) : nullptr;
}

bool TiffFile::finish() {
    return TIFFWriteDirectory(tiff_) == 1 && TIFFFlush(tiff_) == 1;
}

CodecStatus readLayout(TIFF* tiff, TiffLayout& layout) {
    layout = TiffLayout{};
    if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &layout.width) ||
        !TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &layout.height) || layout.width == 0 ||
        layout.height == 0)
        return CodecStatus::Damaged;
    std::uint16_t planar = PLANARCONFIG_CONTIG;
    std::uint16_t sampleFormat = SAMPLEFORMAT_UINT;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &layout.bitsPerSample);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &layout.samplesPerPixel);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &layout.compression);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &sampleFormat);
    if (!TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &layout.photometric))
        return CodecStatus::Damaged;
    if (TIFFIsTiled(tiff) || (planar != PLANARCONFIG_CONTIG && layout.samplesPerPixel > 1) ||
        (sampleFormat != SAMPLEFORMAT_UINT && sampleFormat != SAMPLEFORMAT_VOID))
        return CodecStatus::Unsupported;
    layout.storedBytes = storedBytesOf(tiff);
    switch (layout.photometric) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_PALETTE:
    case PHOTOMETRIC_MASK:
        if (!singleChannelLayout(layout) || !singleChannelColours(tiff, layout))
            return CodecStatus::Unsupported;
        if (layout.photometric == PHOTOMETRIC_MASK)
            layout.conversion = RowConversion::Mask;
        return CodecStatus::Ok;
    default:
        return colourLayout(tiff, layout) ? CodecStatus::Ok : CodecStatus::Unsupported;
    }
}

CodecStatus decode(TIFF* tiff, const TiffLayout& layout, RowSink& sink) {
    if (layout.conversion == RowConversion::Mask)
        return CodecStatus::Truncated;
    try {
        const tmsize_t scanline = TIFFScanlineSize(tiff);
        const tmsize_t stripSize = TIFFStripSize(tiff);
        std::uint32_t rowsPerStrip = layout.height;
        TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
        rowsPerStrip = std::clamp<std::uint32_t>(rowsPerStrip, 1, layout.height);
        if (scanline <= 0 || stripSize <= 0 ||
            static_cast<std::uint64_t>(scanline) < neededRowBytes(layout))
            return CodecStatus::Damaged;
        // A little room after the strip, as decoders of some compressions write past it.
        std::vector<std::uint8_t> strip(static_cast<std::size_t>(stripSize) + 10);
        std::uint32_t row = 0;
        for (tstrip_t s = 0; row < layout.height; ++s) {
            const std::uint32_t rows = std::min(rowsPerStrip, layout.height - row);
            const tmsize_t read = TIFFReadEncodedStrip(tiff, s, strip.data(), stripSize);
            if (read < static_cast<tmsize_t>(rows) * scanline)
                return CodecStatus::Truncated;
            for (std::uint32_t r = 0; r < rows; ++r, ++row) {
                const std::span<std::uint8_t> out = sink.rowBuffer();
                convertRow(layout, strip.data() + static_cast<std::size_t>(r) * scanline,
                           out.data());
                if (!sink.rowDone(static_cast<int>(row)))
                    return CodecStatus::Stopped;
            }
        }
        return CodecStatus::Ok;
    } catch (const std::bad_alloc&) {
        return CodecStatus::OutOfMemory;
    }
}

int compressionFor(int saveOption, int depth) {
    switch (saveOption & 0x3F) {
    case kSaveNone:
        return COMPRESSION_NONE;
    case kSavePackBits:
        return COMPRESSION_PACKBITS;
    case kSaveLzw:
        return COMPRESSION_LZW;
    case kSaveGroup4:
        return depth == 1 ? COMPRESSION_CCITTFAX4 : COMPRESSION_NONE;
    case kSaveJpeg:
        return depth == 24 ? COMPRESSION_JPEG : COMPRESSION_NONE;
    default:
        return COMPRESSION_LZW;
    }
}

CodecStatus encode(TIFF* tiff, const TiffEncodeOptions& options, RowSource& source) {
    if (!validOptions(options))
        return CodecStatus::Unsupported;
    try {
        setPictureTags(tiff, options, compressionFor(options.saveOption, options.depth));
        const tmsize_t scanline = TIFFScanlineSize(tiff);
        std::uint32_t rowsPerStrip = options.height;
        TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
        rowsPerStrip = std::clamp<std::uint32_t>(rowsPerStrip, 1, options.height);
        if (scanline <= 0)
            return CodecStatus::Unsupported;
        const std::size_t pictureRow = options.depth == 24
                                           ? std::size_t{options.width} * 3
                                           : (std::size_t{options.width} * options.depth + 7) / 8;
        std::vector<std::uint8_t> strip(static_cast<std::size_t>(scanline) * rowsPerStrip);
        std::uint32_t row = 0;
        for (tstrip_t s = 0; row < options.height; ++s) {
            const std::uint32_t rows = std::min(rowsPerStrip, options.height - row);
            for (std::uint32_t r = 0; r < rows; ++r, ++row) {
                const std::span<const std::uint8_t> picture = source.row(static_cast<int>(row));
                if (picture.size() < pictureRow)
                    return CodecStatus::Stopped;
                storedRow(options, picture.data(),
                          strip.data() + static_cast<std::size_t>(r) * scanline);
            }
            if (TIFFWriteEncodedStrip(tiff, s, strip.data(),
                                      static_cast<tmsize_t>(rows) * scanline) < 0)
                return CodecStatus::Damaged;
        }
        return CodecStatus::Ok;
    } catch (const std::bad_alloc&) {
        return CodecStatus::OutOfMemory;
    }
}

} // namespace kpx::tiff
