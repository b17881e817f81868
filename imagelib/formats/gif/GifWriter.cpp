#include "GifWriter.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "ByteWriter.h"
#include "FileAccess.h"
#include "GifLzw.h"
#include "GifObjectBlocks.h"
#include "PackedRows.h"
#include "RowCallbacks.h"

namespace {

using kpx::ByteWriter;
using kpx::CodecStatus;
using namespace kpx::gif;

void append(ByteVector& out, const ByteVector& block) {
    ByteWriter(out).bytes(block);
}

void appendColorTable(ByteWriter& w, const KpxCodecContext& context, int tableBits) {
    for (int i = 0; i < (1 << tableBits); ++i)
        w.bytes(context.palette[i]);
}

// Sizes and positions are 16-bit fields; the context holds them as such.
void put16(ByteWriter& w, int v) {
    w.u16le(static_cast<std::uint16_t>(v));
}

bool isPaletteIndex(std::uint32_t transparent) {
    return transparent < kKpxNoTransparentColor && (transparent & kKpxTransparentIndexFlag);
}

void appendHeader(ByteVector& out, const KpxCodecContext& context, int tableBits) {
    ByteWriter w(out);
    w.text("GIF89a");
    put16(w, context.screenWidth);
    put16(w, context.screenHeight);
    w.u8(static_cast<std::uint8_t>(0x80 | (((context.bitsPerPixel - 1) & 7) << 4) |
                                   (tableBits - 1)));
    w.u8(static_cast<std::uint8_t>(context.backgroundIndex));
    w.u8(0); // aspect ratio
    appendColorTable(w, context, tableBits);
}

void appendGraphicControl(ByteVector& out, const KpxCodecContext& context) {
    const std::uint32_t transparent = context.transparentColor;
    const int packed = (isPaletteIndex(transparent) ? 1 : 0) | ((context.disposal & 7) << 2);
    ByteWriter w(out);
    w.u8(0x21);
    w.u8(0xF9);
    w.u8(4); // block size
    w.u8(static_cast<std::uint8_t>(packed));
    put16(w, context.delay);
    w.u8(isPaletteIndex(transparent) ? static_cast<std::uint8_t>(transparent >> 16) : 0);
    w.u8(0);
}

void appendDescriptor(ByteVector& out, const KpxCodecContext& context, int tableBits) {
    ByteWriter w(out);
    w.u8(0x2C);
    put16(w, context.left);
    put16(w, context.top);
    put16(w, context.width);
    put16(w, context.height);
    int packed = tableBits - 1;
    if (context.localTable)
        packed |= 0x80;
    if (context.saveOption & 0x80)
        packed |= 0x40;
    w.u8(static_cast<std::uint8_t>(packed));
    if (context.localTable)
        appendColorTable(w, context, tableBits);
}

// Fetches image rows through the context's callback and unpacks them to one index per pixel by
// the depth of the image's own rows (the code bits may be fewer).
class FetchRowSource final : public LzwRowSource {
public:
    FetchRowSource(const KpxCodecContext& context, KpxProgressProc progress)
        : fetchRow_(context.fetchRow), progress_(progress), depth_(KpxGetRowLayout().depth),
          raw_(std::max<std::size_t>(KpxGetRowLayout().rowBytes,
                                     static_cast<std::size_t>(std::max<int>(context.width, 0))) +
               4),
          indices_(static_cast<std::size_t>(std::max<int>(context.width, 0))) {}

    // The highest index of the rows handed out so far (-1 before the first row).
    int highestIndex() const { return highest_; }

    std::span<const std::uint8_t> row(int index) override {
        if (progress_)
            progress_();
        if (!fetchRow_ || fetchRow_(raw_.data(), index) != 0)
            return {};
        const std::size_t w = indices_.size();
        kpx::unpackRow(raw_.data(), depth_, indices_);
        if (w > 0)
            highest_ = std::max<int>(highest_, *std::max_element(indices_.begin(), indices_.end()));
        return indices_;
    }

private:
    KpxRowFunction fetchRow_;
    KpxProgressProc progress_;
    int depth_;
    std::vector<std::uint8_t> raw_;
    std::vector<std::uint8_t> indices_;
    int highest_ = -1;
};

// Encodes the frame's rows into out; the rows' highest index goes to highestIndex.
KpxResult encodeRows(const KpxCodecContext& context, KpxProgressProc progress, ByteVector& out,
                     int& highestIndex) {
    FetchRowSource rows(context, progress);
    const RowOrder order =
        (context.saveOption & 0x80) ? RowOrder::Interlaced : RowOrder::Sequential;
    const CodecStatus status =
        encodeLzw(rows, context.width, context.height, context.bitsPerPixel, order, out);
    highestIndex = rows.highestIndex();
    return toResult(status);
}

bool hasTitleText(const std::optional<std::string>& title) {
    return title && title->find_first_not_of('|') != std::string::npos;
}

// Builds every block of the frame in order; a result code on failure.
KpxResult buildFrame(const KpxCodecContext& context, KpxProgressProc progress, ByteVector& out) {
    const int bits = context.bitsPerPixel;
    if (bits < 1 || bits > 8)
        return toResult(CodecStatus::Unsupported);
    // The image data comes first so that the colour table written before it can cover every
    // index the data carries.
    ByteVector imageData;
    int highestIndex = -1;
    const KpxResult encoded = encodeRows(context, progress, imageData, highestIndex);
    if (encoded != kKpxOk)
        return encoded;
    const int usedEntries = std::max<int>(highestIndex + 1, context.tableEntries);
    const int tableBits = colorTableBits(context.palette, bits, usedEntries);
    if (context.frameNumber == 0) {
        appendHeader(out, context, tableBits);
        if (context.loopCount != -1)
            append(out, loopBlock(static_cast<std::uint16_t>(context.loopCount)));
    }
    if (context.frameName && !context.frameName->empty())
        append(out, commentBlock(*context.frameName));
    if (context.textObject && context.textObject->text && !context.textObject->text->empty())
        append(out, textObjectBlock(*context.textObject));
    // A control object whose first or second text is missing is written with that text empty:
    // the library keeps such objects on its frames, so leaving them out would lose them.
    if (context.controlObject && (context.controlObject->text || context.controlObject->caption))
        append(out, controlObjectBlock(*context.controlObject));
    if (context.vectorObject && context.vectorObject->metafile) {
        const auto block = vectorObjectBlock(*context.vectorObject);
        if (!block)
            return kKpxWriteError;
        append(out, *block);
    }
    if (context.npImageObject &&
        (!context.npImageObject->pixels24.empty() || !context.npImageObject->pixels8.empty())) {
        const auto block = npImageObjectBlock(*context.npImageObject);
        if (!block)
            return kKpxWriteError;
        append(out, *block);
    }
    if (isPaletteIndex(context.transparentColor) || context.readExtensions == 1)
        appendGraphicControl(out, context);
    appendDescriptor(out, context, tableBits);
    append(out, imageData);
    if (context.animationComment && !context.animationComment->empty())
        append(out, commentBlock(*context.animationComment));
    if (hasTitleText(context.frameTitle))
        append(out, titleBlock(*context.frameTitle));
    if (context.flags == 0)
        ByteWriter(out).u8(0x3B); // trailer
    return kKpxOk;
}

} // namespace

namespace kpx::gif {

int colorTableBits(const std::uint8_t (&palette)[256][3], int bits, int usedEntries) {
    const int last = (1 << std::clamp(bits, 1, 8)) - 1;
    int c = last;
    while (c > 0 && std::equal(palette[c], palette[c] + 3, palette[0]))
        --c;
    c = std::max(c, std::min(usedEntries - 1, last));
    int tableBits = 1;
    while (tableBits < 8 && (1 << tableBits) <= c)
        ++tableBits;
    return tableBits;
}

} // namespace kpx::gif

KpxResult KpxGifSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                     const KpxTransparentEntry*, std::int32_t) {
    if (!context || !path)
        return kKpxCannotCreate;
    ByteVector bytes;
    const KpxResult built = buildFrame(*context, progress, bytes);
    if (built != kKpxOk)
        return built;
    // A frame of an animation goes after the frames before it, through the file the save keeps
    // open.
    switch (kpx::appendToFile(path, bytes)) {
    case kpx::Appended::All:
        return kKpxOk;
    case kpx::Appended::CannotOpen:
        return kKpxCannotCreate;
    case kpx::Appended::NotAll:
        break;
    }
    return kKpxWriteError;
}
