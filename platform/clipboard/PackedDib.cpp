#include "PackedDib.h"

#include "gdi/DibSection.h"

#include <QBuffer>
#include <QImageReader>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace kfm::clipboard {

namespace {

constexpr std::uint32_t kInfoHeaderBytes = 40;
constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::uint32_t kMaskBytes = 12;
// Larger sides are refused before any size is multiplied out.
constexpr std::int64_t kMaxSide = std::int64_t{1} << 24;
constexpr std::uint64_t kMaxPixelBytes = std::uint64_t{1} << 31;
// Pictures of other programs up to this many pixels are decoded whatever their size in bytes;
// larger ones need bytes that could hold them: deflate, the densest coding of the formats read,
// gives at most 1032 bytes a byte (run-length bitmaps and LZW give fewer).
constexpr std::uint64_t kAlwaysDecodablePixels = std::uint64_t{1} << 22;
constexpr std::uint64_t kMostPixelsPerByte = 1032;

BITMAPINFOHEADER headerOf(const QByteArray& dib) {
    BITMAPINFOHEADER header{};
    std::memcpy(&header, dib.constData(), sizeof header);
    return header;
}

bool isDibDepth(int bitCount) {
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
           bitCount == 32;
}

// Entries of the colour table: biClrUsed, or all the depth allows when it is 0.
std::uint64_t colourCount(const BITMAPINFOHEADER& h) {
    if (h.biBitCount > 8)
        return h.biClrUsed;
    const std::uint64_t full = std::uint64_t{1} << h.biBitCount;
    return h.biClrUsed != 0 ? h.biClrUsed : full;
}

// Where the pixel rows start: after the header, the bit-field masks a 40-byte header is followed
// by, and the colour table.
std::uint64_t pixelOffset(const BITMAPINFOHEADER& h) {
    const bool masks = h.biCompression == BI_BITFIELDS && h.biSize == kInfoHeaderBytes;
    return std::uint64_t{h.biSize} + (masks ? kMaskBytes : 0) + 4 * colourCount(h);
}

std::uint64_t rowBytes(std::int64_t width, int bitCount) {
    return (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(bitCount) + 31) / 32 * 4;
}

// The BMP file header that puts the pixels at pixelOffset.
QByteArray fileHeaderOf(const BITMAPINFOHEADER& h, qsizetype dibBytes) {
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfSize = static_cast<DWORD>(kFileHeaderBytes + static_cast<std::uint64_t>(dibBytes));
    file.bfOffBits = static_cast<DWORD>(kFileHeaderBytes + pixelOffset(h));
    return QByteArray(reinterpret_cast<const char*>(&file), sizeof file);
}

// Whether the rows of an uncompressed DIB lie within its bytes from pixelStart on. Qt's reader
// takes a picture whose rows break off and fills the rest, which would paste damage as a
// picture; compressed rows end where their codes say, so they are left to the reader.
bool rowsFit(const QByteArray& dib, std::uint64_t pixelStart) {
    const BITMAPINFOHEADER h = headerOf(dib);
    if (h.biCompression != BI_RGB && h.biCompression != BI_BITFIELDS)
        return true;
    const std::int64_t height = std::abs(std::int64_t{h.biHeight});
    if (h.biWidth <= 0 || h.biWidth > kMaxSide || height > kMaxSide || !isDibDepth(h.biBitCount))
        return false;
    const std::uint64_t pixels = rowBytes(h.biWidth, h.biBitCount) * std::uint64_t(height);
    return pixelStart + pixels <= static_cast<std::uint64_t>(dib.size());
}

} // namespace

bool isSoundPackedDib(const QByteArray& dib) {
    if (static_cast<std::size_t>(dib.size()) < kInfoHeaderBytes)
        return false;
    const BITMAPINFOHEADER h = headerOf(dib);
    if (h.biSize != kInfoHeaderBytes || h.biPlanes != 1 || !isDibDepth(h.biBitCount))
        return false;
    if (h.biWidth <= 0 || h.biHeight <= 0 || h.biWidth > kMaxSide || h.biHeight > kMaxSide)
        return false;
    const bool bitFields = h.biCompression == BI_BITFIELDS;
    if (h.biCompression != BI_RGB && !(bitFields && (h.biBitCount == 16 || h.biBitCount == 32)))
        return false;
    // A table larger than the depth allows, or one in front of more than 8-bit pixels, is read
    // differently by different readers: such a DIB is written anew.
    if (h.biBitCount <= 8 ? colourCount(h) > (1u << h.biBitCount) : h.biClrUsed != 0)
        return false;
    const std::uint64_t pixels = rowBytes(h.biWidth, h.biBitCount) * std::uint64_t(h.biHeight);
    return pixels <= kMaxPixelBytes &&
           pixelOffset(h) + pixels <= static_cast<std::uint64_t>(dib.size());
}

QByteArray bmpFileOfDib(const QByteArray& dib) {
    if (static_cast<std::size_t>(dib.size()) < kInfoHeaderBytes)
        return {};
    return fileHeaderOf(headerOf(dib), dib.size()) + dib;
}

QImage imageOfDib(const QByteArray& dib) {
    if (static_cast<std::size_t>(dib.size()) < kInfoHeaderBytes)
        return {};
    const BITMAPINFOHEADER h = headerOf(dib);
    if (h.biSize < kInfoHeaderBytes || h.biSize > static_cast<std::uint64_t>(dib.size()) ||
        !rowsFit(dib, pixelOffset(h)))
        return {};
    return imageOfForeignBytes(bmpFileOfDib(dib), "BMP");
}

QImage imageOfForeignBytes(const QByteArray& bytes, const char* format) {
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&buffer, format);
    const QSize size = reader.size();
    if (!size.isValid())
        return {};
    const std::uint64_t pixels =
        static_cast<std::uint64_t>(size.width()) * static_cast<std::uint64_t>(size.height());
    if (pixels > kAlwaysDecodablePixels &&
        pixels / kMostPixelsPerByte > static_cast<std::uint64_t>(bytes.size()))
        return {};
    return reader.read();
}

QByteArray dibOfBmpData(const QByteArray& bmp) {
    if (bmp.size() >= static_cast<qsizetype>(kFileHeaderBytes) && bmp.startsWith("BM")) {
        const QByteArray dib = bmp.mid(kFileHeaderBytes);
        BITMAPFILEHEADER file{};
        std::memcpy(&file, bmp.constData(), sizeof file);
        if (static_cast<std::size_t>(dib.size()) < kInfoHeaderBytes ||
            file.bfOffBits < kFileHeaderBytes || !rowsFit(dib, file.bfOffBits - kFileHeaderBytes))
            return {};
        if (isSoundPackedDib(dib) &&
            file.bfOffBits == kFileHeaderBytes + pixelOffset(headerOf(dib)))
            return dib;
        return dibOfImage(imageOfForeignBytes(bmp, "BMP"));
    }
    if (isSoundPackedDib(bmp))
        return bmp;
    return dibOfImage(imageOfDib(bmp));
}

QByteArray dibOfImage(const QImage& picture) {
    if (picture.isNull())
        return {};
    QImage image;
    int bitCount = 24;
    if (picture.format() == QImage::Format_Mono || picture.format() == QImage::Format_MonoLSB) {
        image = picture.convertToFormat(QImage::Format_Mono);
        bitCount = 1;
    } else if (picture.format() == QImage::Format_Indexed8) {
        image = picture;
        bitCount = 8;
    }
    if (bitCount <= 8 && image.colorTable().isEmpty())
        bitCount = 24; // a table-less indexed picture goes by its colours
    if (bitCount > 8) {
        bitCount = picture.hasAlphaChannel() ? 32 : 24;
        image =
            picture.convertToFormat(bitCount == 32 ? QImage::Format_ARGB32 : QImage::Format_BGR888);
    }
    if (image.isNull())
        return {};
    const QList<QRgb> table = bitCount <= 8 ? image.colorTable() : QList<QRgb>();
    const std::uint64_t stride = rowBytes(image.width(), bitCount);
    const std::uint64_t pixels = stride * static_cast<std::uint64_t>(image.height());
    if (pixels > kMaxPixelBytes)
        return {};
    const std::uint64_t offset = kInfoHeaderBytes + 4 * static_cast<std::uint64_t>(table.size());
    QByteArray dib(static_cast<qsizetype>(offset + pixels), '\0');
    BITMAPINFOHEADER h{};
    h.biSize = kInfoHeaderBytes;
    h.biWidth = image.width();
    h.biHeight = image.height();
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bitCount);
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(pixels);
    h.biXPelsPerMeter = image.dotsPerMeterX();
    h.biYPelsPerMeter = image.dotsPerMeterY();
    h.biClrUsed = static_cast<DWORD>(table.size());
    auto* out = reinterpret_cast<std::uint8_t*>(dib.data());
    std::memcpy(out, &h, sizeof h);
    for (qsizetype i = 0; i < table.size(); ++i) {
        const RGBQUAD quad{static_cast<BYTE>(qBlue(table[i])), static_cast<BYTE>(qGreen(table[i])),
                           static_cast<BYTE>(qRed(table[i])), 0};
        std::memcpy(out + kInfoHeaderBytes + 4 * i, &quad, sizeof quad);
    }
    // Rows bottom-up; ARGB32 and BGR888 lie in memory as a DIB's blue, green, red (, alpha).
    const auto copied = std::min<std::uint64_t>(stride, image.bytesPerLine());
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(out + offset + stride * static_cast<std::uint64_t>(image.height() - 1 - y),
                    image.constScanLine(y), copied);
    return dib;
}

QByteArray dibOfBitmap(HBITMAP bitmap) {
    DIBSECTION section{};
    if (!bitmap || !GetDibSectionInfo(bitmap, &section) || !section.dsBm.bmBits)
        return {};
    BITMAPINFOHEADER h = section.dsBmih;
    const std::uint64_t rows = static_cast<std::uint64_t>(std::abs(std::int64_t{h.biHeight}));
    const std::uint64_t pixels = std::uint64_t{gdi::dibRowBytes(h.biWidth, h.biBitCount)} * rows;
    RGBQUAD colours[256]{};
    const UINT count = h.biBitCount <= 8 ? GetDIBColorTable(bitmap, 0, 256, colours) : 0;
    const bool masks = h.biCompression == BI_BITFIELDS;
    h.biSize = kInfoHeaderBytes;
    h.biClrUsed = count;
    h.biSizeImage = static_cast<DWORD>(pixels);
    if (pixels == 0 || pixels > kMaxPixelBytes)
        return {};
    QByteArray dib(static_cast<qsizetype>(pixelOffset(h) + pixels), '\0');
    char* out = dib.data();
    std::memcpy(out, &h, sizeof h);
    out += sizeof h;
    if (masks) {
        std::memcpy(out, section.dsBitfields, kMaskBytes);
        out += kMaskBytes;
    }
    std::memcpy(out, colours, 4 * std::size_t{count});
    out += 4 * std::size_t{count};
    std::memcpy(out, section.dsBm.bmBits, pixels);
    return dib;
}

HBITMAP bitmapOfDib(const QByteArray& dib) {
    if (!isSoundPackedDib(dib))
        return nullptr;
    const BITMAPINFOHEADER h = headerOf(dib);
    // The header, masks and colour table lie as a BITMAPINFO; QByteArray data is aligned for it.
    const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.constData());
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return nullptr;
    const std::uint64_t pixels = rowBytes(h.biWidth, h.biBitCount) * std::uint64_t(h.biHeight);
    std::memcpy(bits, dib.constData() + pixelOffset(h), pixels);
    return bitmap;
}

} // namespace kfm::clipboard
