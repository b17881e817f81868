#include "PngWriter.h"

#include "CodecFiles.h"
#include "PackedRows.h"
#include "PngCodec.h"

#include <algorithm>
#include <vector>

namespace {

using kpx::CodecStatus;

constexpr std::int32_t kInterlacedBit = 0x80;

// Gives the encoder the image's rows: packed indices as they are, deeper rows as blue, green,
// red.
class ContextRows final : public kpx::png::PngRowSource {
public:
    explicit ContextRows(kpx::SaveRows& rows) : rows_(rows) {}
    bool fetchRow(int row, std::span<std::uint8_t> out) override {
        const std::uint8_t* pixels = rows_.fetch(row);
        if (!pixels)
            return false;
        if (rows_.depth() <= 8)
            std::copy_n(pixels, out.size(), out.begin());
        else
            rows_.toBgr(pixels, out.data());
        return true;
    }

private:
    kpx::SaveRows& rows_;
};

kpx::png::PngEncodeOptions optionsFor(const KpxCodecContext& context, int depth) {
    kpx::png::PngEncodeOptions options;
    options.width = static_cast<std::uint32_t>(std::max<int>(context.width, 0));
    options.height = static_cast<std::uint32_t>(std::max<int>(context.height, 0));
    options.depth = depth <= 8 ? depth : 24;
    options.interlaced = (context.saveOption & 0xFF & kInterlacedBit) != 0;
    if (depth <= 8)
        for (int i = 0; i < (1 << depth); ++i)
            options.palette.push_back(
                {context.palette[i][0], context.palette[i][1], context.palette[i][2]});
    return options;
}

} // namespace

KpxResult KpxPngSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                     const KpxTransparentEntry*, std::int32_t) {
    if (!context || !path)
        return kKpxCannotCreate;
    kpx::SaveRows rows(*context, progress);
    const int depth = rows.depth();
    if (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32)
        return kKpxCannotCreate;
    ContextRows source(rows);
    std::vector<std::uint8_t> bytes;
    const CodecStatus status = kpx::png::encode(optionsFor(*context, depth), source, bytes);
    switch (status) {
    case CodecStatus::Ok:
        return kpx::writeWholeFile(path, bytes);
    case CodecStatus::Stopped:
        return kKpxStopped;
    case CodecStatus::OutOfMemory:
        return kKpxOutOfMemory;
    case CodecStatus::Unsupported:
        return kKpxCannotCreate;
    default:
        return kKpxWriteError;
    }
}
