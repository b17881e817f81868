#pragma once
// The library's own GIF application blocks: the title ("KFMTITLE4.0"), the text, control,
// vector and NP-image objects ("KFMTEXTI5", "KFMCTRLI5", "KFMVECTI5", "KFMNPIMGI5") and the
// older text block "KFMTEXTI4.0", which is only read. Writers return the whole extension block;
// the reader fills the items pending for the next image.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "GifBlocks.h"
#include "ObjectRecords.h"

namespace kpx::gif {

using ByteVector = std::vector<std::uint8_t>;

// Several comments before one image are kept as one text, joined with "|" as the frame comments
// of an animation are.
constexpr char kCommentSeparator = '|';

// Comment, title and objects read since the last image; they belong to the next one.
struct PendingItems {
    std::optional<std::string> comment;
    std::optional<std::string> title;
    std::unique_ptr<TextObjectRecord> text;
    std::unique_ptr<ControlObjectRecord> control;
    std::unique_ptr<VectorObjectRecord> vector;
    std::unique_ptr<NPImageObjectRecord> npImage;

    void clear() { *this = PendingItems{}; }
};

// Reads the extensions of a run into pending items. Own blocks are read only when
// readExtensions is set; the graphic control and looping values are taken from the scan.
class PendingItemsReader final : public ExtensionVisitor {
public:
    explicit PendingItemsReader(bool readExtensions) : readExtensions_(readExtensions) {}
    void comment(std::string text) override;
    void application(const ApplicationBlock& block) override;
    PendingItems items;

private:
    bool readExtensions_;
};

// The most characters of a control object's first text that its block can carry: the reader
// takes exactly one sub-block for it.
constexpr std::size_t kControlFirstTextMax = 255;

// Splits bytes into sub-blocks of at most 255 bytes, appended to out (no terminator).
void appendSubBlocks(ByteVector& out, std::string_view bytes);

ByteVector commentBlock(std::string_view text);
ByteVector loopBlock(std::uint16_t loopCount);
ByteVector titleBlock(std::string_view title);
ByteVector textObjectBlock(const TextObjectRecord& record);
ByteVector controlObjectBlock(const ControlObjectRecord& record);
// Nothing when the metafile cannot be turned into bytes.
std::optional<ByteVector> vectorObjectBlock(const VectorObjectRecord& record);
// Nothing when an array is too large for the record's counts.
std::optional<ByteVector> npImageObjectBlock(const NPImageObjectRecord& record);

// The 148-byte text record made from the 85-byte record of "KFMTEXTI4.0".
std::array<std::uint8_t, 148> convertOldTextRecord(std::span<const std::uint8_t> old);

} // namespace kpx::gif
