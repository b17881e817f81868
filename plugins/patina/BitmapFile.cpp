#include "BitmapFile.h"

#include "LittleEndian.h"

#include <QSaveFile>

#include <new>

namespace kfm::patina {

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint16_t kBitsPerPixel = 24;

std::uint32_t rowBytes(int width) {
    return ((static_cast<std::uint32_t>(width) * kBitsPerPixel + 31) / 32) * 4;
}

} // namespace

const char* BitmapSaveStepName(BitmapSaveStep step) {
    switch (step) {
    case BitmapSaveStep::GetObject:
        return "GetObject";
    case BitmapSaveStep::GlobalAlloc:
        return "GlobalAlloc";
    case BitmapSaveStep::GetDIBits:
        return "GetDIBits";
    case BitmapSaveStep::CreateFile:
        return "CreateFile";
    case BitmapSaveStep::WriteFile:
        return "WriteFile";
    case BitmapSaveStep::CloseHandle:
        return "CloseHandle";
    default:
        return "";
    }
}

std::vector<std::uint8_t> BitmapFileBytes(const QImage& picture) {
    if (picture.isNull())
        return {};
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    const int width = rgb.width();
    const int height = rgb.height();
    const std::uint32_t stride = rowBytes(width);
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(height);
    LittleEndianWriter out;
    // BITMAPFILEHEADER
    out.u16(0x4D42); // "BM"
    out.u32(kFileHeaderSize + kInfoHeaderSize + imageSize);
    out.u16(0);
    out.u16(0);
    out.u32(kFileHeaderSize + kInfoHeaderSize);
    // BITMAPINFOHEADER
    out.u32(kInfoHeaderSize);
    out.u32(static_cast<std::uint32_t>(width));
    out.u32(static_cast<std::uint32_t>(height));
    out.u16(1);
    out.u16(kBitsPerPixel);
    out.u32(0); // BI_RGB
    out.u32(imageSize);
    out.u32(0);
    out.u32(0);
    out.u32(0);
    out.u32(0);
    std::vector<std::uint8_t> row(stride, 0);
    for (int y = height - 1; y >= 0; --y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            row[3 * static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(qBlue(pixels[x]));
            row[3 * static_cast<std::size_t>(x) + 1] = static_cast<std::uint8_t>(qGreen(pixels[x]));
            row[3 * static_cast<std::size_t>(x) + 2] = static_cast<std::uint8_t>(qRed(pixels[x]));
        }
        out.bytes(row);
    }
    return out.data();
}

BitmapSaveStep SaveBitmapFile(const QString& path, const QImage& picture) {
    if (picture.isNull())
        return BitmapSaveStep::GetObject;
    std::vector<std::uint8_t> bytes;
    try {
        bytes = BitmapFileBytes(picture);
    } catch (const std::bad_alloc&) {
        return BitmapSaveStep::GlobalAlloc;
    }
    if (bytes.empty())
        return BitmapSaveStep::GetDIBits;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return BitmapSaveStep::CreateFile;
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(reinterpret_cast<const char*>(bytes.data()), size) != size) {
        file.cancelWriting();
        return BitmapSaveStep::WriteFile;
    }
    if (!file.commit())
        return BitmapSaveStep::CloseHandle;
    return BitmapSaveStep::Done;
}

} // namespace kfm::patina
