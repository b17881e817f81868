#include "PngWriter.h"

#include "CodecIo.h"
#include "CodecPictures.h"
#include "EncoderRows.h"
#include "FetchRowSource.h"
#include "PackedRows.h"
#include "PngCodec.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace {

using kpx::CodecStatus;

constexpr std::int32_t kInterlacedBit = 0x80;

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

bool hasTransparencyPlane(const KpxCodecContext& context) {
    const auto pixels = static_cast<std::size_t>(std::max<int>(context.width, 0)) *
                        static_cast<std::size_t>(std::max<int>(context.height, 0));
    return pixels > 0 && context.transparencyPlane.size() == pixels;
}

// The alpha of each palette entry when every pixel of an entry is equally transparent (a tRNS
// chunk says all there is), the trailing opaque entries left out; nothing when the plane grades
// pixels of one entry differently.
std::optional<std::vector<std::uint8_t>> paletteAlphaOf(const KpxCodecContext& context, int depth) {
    std::array<int, 256> plane;
    plane.fill(-1);
    kpx::FetchRowSource rows(context, nullptr);
    const int width = context.width;
    for (int y = 0; y < context.height; ++y) {
        const std::span<const std::uint8_t> row = rows.row(y);
        if (row.empty())
            return std::nullopt;
        const std::uint8_t* values =
            context.transparencyPlane.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            int& entry = plane[static_cast<std::size_t>(kpx::indexAt(row.data(), x, depth))];
            if (entry >= 0 && entry != values[x])
                return std::nullopt;
            entry = values[x];
        }
    }
    std::vector<std::uint8_t> alpha;
    for (int i = 0; i < (1 << depth); ++i)
        alpha.push_back(static_cast<std::uint8_t>(255 - std::max(plane[i], 0)));
    while (!alpha.empty() && alpha.back() == 255)
        alpha.pop_back();
    return alpha;
}

// Blue-green-red rows with the plane's opacity as a fourth byte.
class RowsWithAlpha final : public kpx::RowSource {
public:
    RowsWithAlpha(kpx::RowSource& colours, const KpxCodecContext& context)
        : colours_(colours), plane_(context.transparencyPlane), width_(context.width),
          row_(static_cast<std::size_t>(width_) * 4) {}

    std::span<const std::uint8_t> row(int index) override {
        const std::span<const std::uint8_t> bgr = colours_.row(index);
        if (bgr.size() < static_cast<std::size_t>(width_) * 3)
            return {};
        const std::uint8_t* values = plane_.data() + static_cast<std::size_t>(index) * width_;
        for (int x = 0; x < width_; ++x) {
            std::copy_n(bgr.begin() + 3 * x, 3, row_.begin() + 4 * x);
            row_[static_cast<std::size_t>(4 * x + 3)] = static_cast<std::uint8_t>(255 - values[x]);
        }
        return row_;
    }

private:
    kpx::RowSource& colours_;
    const std::vector<std::uint8_t>& plane_;
    int width_;
    std::vector<std::uint8_t> row_;
};

KpxResult resultOf(CodecStatus status, kpx::FileByteSink& sink) {
    switch (status) {
    case CodecStatus::Ok:
        return sink.finish();
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

} // namespace

KpxResult KpxPngSave(KpxCodecContext* context, const char* path, KpxProgressProc progress,
                     const KpxTransparentEntry*, std::int32_t) {
    if (!context || !path)
        return kKpxCannotCreate;
    const int depth = kpx::FetchRowSource(*context, nullptr).depth();
    if (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32)
        return kKpxCannotCreate;
    kpx::png::PngEncodeOptions options = optionsFor(*context, depth);
    // Transparency: a palette picture keeps its palette with a tRNS chunk when that can say it;
    // otherwise the picture is written with an alpha channel.
    bool withAlpha = false;
    if (hasTransparencyPlane(*context)) {
        const auto alpha = depth <= 8 ? paletteAlphaOf(*context, depth)
                                      : std::optional<std::vector<std::uint8_t>>();
        if (alpha) {
            options.paletteAlpha = *alpha;
        } else {
            withAlpha = true;
            options.depth = 32;
            options.palette.clear();
        }
    }
    kpx::EncoderRows rows(*context, progress,
                          withAlpha ? kpx::EncoderRows::Form::Bgr
                                    : kpx::EncoderRows::Form::PackedOrBgr);
    RowsWithAlpha rowsWithAlpha(rows, *context);
    kpx::FileByteSink sink(path);
    if (!sink.opened())
        return kKpxCannotCreate;
    kpx::RowSource& source = withAlpha ? static_cast<kpx::RowSource&>(rowsWithAlpha) : rows;
    return resultOf(kpx::png::encode(options, source, sink), sink);
}
