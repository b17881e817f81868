#include "GifEncoder.h"

#include "GifLzw.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace kpx::gif {

namespace {

constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;

void appendU16(Bytes& out, int value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void appendColorTable(Bytes& out, const std::uint8_t (&palette)[256][3], int tableBits) {
    for (int i = 0; i < (1 << tableBits); ++i)
        out.insert(out.end(), palette[i], palette[i] + 3);
}

bool isPaletteIndex(std::uint32_t transparent) {
    return (transparent & 0xFF000000u) == kKpxTransparentIndexFlag;
}

// Index rows from the image through the fetch-row callback, unpacked to one byte a pixel.
class FetchedRows final : public LzwRowSource {
public:
    FetchedRows(const KpxCodecContext& context, KpxProgressProc progress)
        : context_(context), progress_(progress),
          packed_(static_cast<std::size_t>(std::max<int>(
                      context.width,
                      (context.width * std::max<int>(context.rowBitsPerPixel, 8) + 31) / 32 * 4)),
                  0),
          indices_(static_cast<std::size_t>(context.width), 0) {}

    std::span<const std::uint8_t> row(int index) override {
        if (progress_)
            progress_();
        if (!context_.fetchRow || context_.fetchRow(packed_.data(), index) != 0) {
            stopped_ = true;
            return {};
        }
        const int bits = context_.bitsPerPixel;
        const int rowBits = context_.rowBitsPerPixel;
        if (bits == 1 && rowBits == 1) {
            for (int x = 0; x < context_.width; ++x)
                indices_[x] = (packed_[x >> 3] >> (7 - (x & 7))) & 1;
        } else if (bits >= 2 && bits <= 4 && rowBits >= 2 && rowBits <= 4) {
            for (int x = 0; x < context_.width; ++x)
                indices_[x] = (packed_[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
        } else {
            std::copy_n(packed_.begin(), context_.width, indices_.begin());
        }
        return indices_;
    }

    bool stopped() const { return stopped_; }

private:
    const KpxCodecContext& context_;
    KpxProgressProc progress_;
    std::vector<std::uint8_t> packed_;
    std::vector<std::uint8_t> indices_;
    bool stopped_ = false;
};

// The title is written only when it holds a character other than "|".
bool titleWorthWriting(const std::optional<std::string>& title) {
    return title && title->find_first_not_of('|') != std::string::npos;
}

} // namespace

int tableBitsFor(const std::uint8_t (&palette)[256][3], int bits) {
    int last = (1 << std::clamp(bits, 1, 8)) - 1;
    while (last > 0 && palette[last][0] == palette[0][0] && palette[last][1] == palette[0][1] &&
           palette[last][2] == palette[0][2])
        --last;
    int tableBits = 1;
    while ((1 << tableBits) <= last)
        ++tableBits;
    return tableBits;
}

void appendHeader(Bytes& out, const KpxCodecContext& context, std::string_view signature) {
    out.insert(out.end(), signature.begin(), signature.end());
    const int width = context.screenWidth > 0 ? context.screenWidth : context.width;
    const int height = context.screenHeight > 0 ? context.screenHeight : context.height;
    appendU16(out, width);
    appendU16(out, height);
    const int bits = std::clamp<int>(context.bitsPerPixel, 1, 8);
    const int tableBits = tableBitsFor(context.palette, bits);
    out.push_back(static_cast<std::uint8_t>(0x80 | (((bits - 1) & 7) << 4) | (tableBits - 1)));
    out.push_back(static_cast<std::uint8_t>(context.backgroundIndex));
    out.push_back(0);
    appendColorTable(out, context.palette, tableBits);
}

void appendImageDescriptor(Bytes& out, const KpxCodecContext& context) {
    out.push_back(kImageSeparator);
    appendU16(out, context.left);
    appendU16(out, context.top);
    appendU16(out, context.width);
    appendU16(out, context.height);
    const int tableBits =
        tableBitsFor(context.palette, std::clamp<int>(context.bitsPerPixel, 1, 8));
    std::uint8_t packed = static_cast<std::uint8_t>(tableBits - 1);
    if (context.localTable)
        packed |= 0x80;
    if (context.saveOption & 0x80)
        packed |= 0x40;
    out.push_back(packed);
    if (context.localTable)
        appendColorTable(out, context.palette, tableBits);
}

void appendGraphicControl(Bytes& out, std::uint32_t transparent, int delay, int disposal) {
    const bool indexed = isPaletteIndex(transparent);
    const std::uint8_t block[] = {
        0x21,
        0xF9,
        0x04,
        static_cast<std::uint8_t>((indexed ? 1 : 0) | ((disposal & 7) << 2)),
        static_cast<std::uint8_t>(delay & 0xFF),
        static_cast<std::uint8_t>((delay >> 8) & 0xFF),
        static_cast<std::uint8_t>(indexed ? (transparent >> 16) & 0xFF : 0),
        0x00,
    };
    out.insert(out.end(), std::begin(block), std::end(block));
}

KpxResult encodeFrame(const KpxCodecContext& c, KpxProgressProc progress, Bytes& out) {
    if (c.bitsPerPixel < 1 || c.bitsPerPixel > 8 || c.width <= 0 || c.height <= 0)
        return kKpxOutOfMemory;
    if (c.frameNumber == 0) {
        appendHeader(out, c, "GIF89a");
        if (c.loopCount != -1)
            appendLoopExtension(out, c.loopCount);
    }
    if (c.frameName && !c.frameName->empty())
        appendComment(out, *c.frameName);
    if (c.textObject && c.textObject->text && !c.textObject->text->empty())
        appendTextExtension(out, *c.textObject);
    if (c.controlObject && c.controlObject->text && c.controlObject->caption)
        appendControlExtension(out, *c.controlObject);
    if (c.vectorObject && c.vectorObject->metafile && !appendVectorExtension(out, *c.vectorObject))
        return kKpxWriteError;
    if (c.npImageObject &&
        (!c.npImageObject->pixels24.empty() || !c.npImageObject->pixels8.empty()) &&
        !appendNpImageExtension(out, *c.npImageObject))
        return kKpxWriteError;
    if (isPaletteIndex(c.transparentColor) || c.readExtensions == 1)
        appendGraphicControl(out, c.transparentColor, c.delay, c.disposal);
    appendImageDescriptor(out, c);

    FetchedRows rows(c, progress);
    const RowOrder order = (c.saveOption & 0x80) ? RowOrder::Interlaced : RowOrder::Sequential;
    const LzwStatus status = encodeLzw(rows, c.width, c.height, c.bitsPerPixel, order, out);
    if (rows.stopped())
        return kKpxStopped;
    if (status != LzwStatus::Ok)
        return status == LzwStatus::Stopped ? kKpxStopped : kKpxOutOfMemory;

    if (c.animationComment && !c.animationComment->empty())
        appendComment(out, *c.animationComment);
    if (titleWorthWriting(c.frameTitle))
        appendTitleExtension(out, *c.frameTitle);
    if (c.flags == 0)
        out.push_back(kTrailer);
    return kKpxOk;
}

} // namespace kpx::gif

KpxResult KpxGifSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                     const KpxTransparentEntry*, std::int32_t) {
    if (!context || !path)
        return kKpxCannotCreate;
    kpx::gif::Bytes frame;
    const KpxResult encoded = kpx::gif::encodeFrame(*context, progress, frame);
    if (encoded != kKpxOk)
        return encoded;
    // The first frame starts the file; later frames are appended to it. The caller writes into
    // a temporary file and keeps the user's file until the whole save succeeded.
    const char* mode = context->frameNumber == 0 ? "wb" : "ab";
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path, mode), &std::fclose);
    if (!file)
        return kKpxCannotCreate;
    if (std::fwrite(frame.data(), 1, frame.size(), file.get()) != frame.size())
        return kKpxWriteError;
    if (std::fflush(file.get()) != 0)
        return kKpxWriteError;
    return kKpxOk;
}
