#pragma once
// The byte layout of the GIF blocks the library writes, and of the system's own application
// extensions that carry a frame's objects: "KFMTITLE4.0", "KFMTEXTI5", "KFMCTRLI5", "KFMVECTI5",
// "KFMNPIMGI5" (written and read) and "KFMTEXTI4.0" (read only). Other readers skip them as
// unknown application extensions.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ObjectRecords.h"

namespace kpx::gif {

using Bytes = std::vector<std::uint8_t>;
// The data sub-blocks of one extension, without length bytes and terminator.
using SubBlocks = std::span<const std::span<const std::uint8_t>>;

// The 11 identifier bytes of an application extension (NUL-padded).
using ApplicationId = std::array<std::uint8_t, 11>;
ApplicationId applicationId(std::string_view name);
extern const ApplicationId kLoopId;    // "NETSCAPE2.0"
extern const ApplicationId kTitleId;   // "KFMTITLE4.0"
extern const ApplicationId kOldTextId; // "KFMTEXTI4.0"
extern const ApplicationId kTextId;    // "KFMTEXTI5"
extern const ApplicationId kControlId; // "KFMCTRLI5"
extern const ApplicationId kVectorId;  // "KFMVECTI5"
extern const ApplicationId kNpImageId; // "KFMNPIMGI5"

// The longest first text of a control record that keeps its place in the block: the reader
// takes the first text from one sub-block.
constexpr std::size_t kControlFirstTextLimit = 255;

// Appends bytes as data sub-blocks: 255 bytes while more than 255 remain, then the rest.
void appendSubBlocks(Bytes& out, std::span<const std::uint8_t> data);
void appendSubBlocks(Bytes& out, std::string_view text);

// Block writers; each appends one whole block (introducer to terminator).
void appendComment(Bytes& out, std::string_view text);
void appendLoopExtension(Bytes& out, int loopCount);
void appendTitleExtension(Bytes& out, std::string_view title);
void appendTextExtension(Bytes& out, const TextObjectRecord& record);
// The first text is cut to kControlFirstTextLimit characters so the block reads back as written.
void appendControlExtension(Bytes& out, const ControlObjectRecord& record);
// False when the metafile has no bytes to write.
bool appendVectorExtension(Bytes& out, const VectorObjectRecord& record);
// False when an array is too large for the record's counts.
bool appendNpImageExtension(Bytes& out, const NPImageObjectRecord& record);

// Block readers over the sub-blocks that follow the identifier. Records are taken at most to
// their size; a short first sub-block leaves the rest zero. Null when there is no first
// sub-block.
std::unique_ptr<TextObjectRecord> readTextExtension(SubBlocks blocks);
// The older 85-byte text record, converted to the present one.
std::unique_ptr<TextObjectRecord> readOldTextExtension(SubBlocks blocks);
std::unique_ptr<ControlObjectRecord> readControlExtension(SubBlocks blocks);
std::unique_ptr<VectorObjectRecord> readVectorExtension(SubBlocks blocks);
std::unique_ptr<NPImageObjectRecord> readNpImageExtension(SubBlocks blocks);
// The title text: all sub-blocks joined.
std::string readTitleExtension(SubBlocks blocks);

} // namespace kpx::gif
