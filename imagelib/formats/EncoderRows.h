#pragma once
// The image's rows in the form an encoder over an outside library takes them: packed indices
// as the image holds them (pictures of up to 8 bits) or blue, green, red; always blue, green,
// red; or grey. Rows come through the context's fetch-row callback (FetchRowSource), with the
// progress function called once per row.

#include <cstdint>
#include <span>
#include <vector>

#include "CodecContext.h"
#include "FetchRowSource.h"
#include "RowSink.h"

namespace kpx {

class EncoderRows final : public RowSource {
public:
    enum class Form {
        PackedOrBgr, // 1, 4 and 8 bits as packed indices, deeper pictures as blue, green, red
        Bgr,         // blue, green, red; pictures of up to 8 bits through their palette
        Grey,        // (30 red + 59 green + 11 blue) / 100
    };

    EncoderRows(const KpxCodecContext& context, KpxProgressProc progress, Form form);

    // The depth of the image's rows: 1, 4, 8, 24 or 32.
    int depth() const { return fetched_.depth(); }
    // An empty row when the fetch-row callback asked to stop.
    std::span<const std::uint8_t> row(int index) override;

private:
    void toBgr(const std::uint8_t* in);
    void toGrey(const std::uint8_t* in);

    FetchRowSource fetched_;
    Form form_;
    int width_;
    std::uint8_t palette_[256][3];
    std::uint8_t grey_[256];
    std::vector<std::uint8_t> converted_;
};

} // namespace kpx
