#include "GifObjectBlocks.h"

#include <algorithm>
#include <cstring>

#include "ByteReader.h"
#include "ByteWriter.h"
#include "ObjectRecordBytes.h"
#include "metafile/EnhMetafile.h"

namespace kpx::gif {

namespace {

namespace rec = kfm::records;
using kpx::ByteReader;
using kpx::ByteWriter;

constexpr std::string_view kLoopId = "NETSCAPE2.0";
constexpr std::string_view kTitleId = "KFMTITLE4.0";
constexpr std::string_view kOldTextId = "KFMTEXTI4.0";
constexpr std::string_view kTextId = "KFMTEXTI5";
constexpr std::string_view kControlId = "KFMCTRLI5";
constexpr std::string_view kVectorId = "KFMVECTI5";
constexpr std::string_view kNpImageId = "KFMNPIMGI5";
constexpr std::size_t kOldTextRecordSize = 85;

// Appends a piece of text up to its first NUL, as the texts are NUL-terminated.
void appendText(std::string& text, std::span<const std::uint8_t> piece) {
    const auto end = std::find(piece.begin(), piece.end(), std::uint8_t{0});
    text.append(piece.begin(), end);
}

constexpr std::size_t kIdentifierSize = 11;

ByteVector applicationHeader(std::string_view identifier) {
    ByteVector out;
    ByteWriter w(out);
    w.u8(0x21);
    w.u8(0xFF);
    w.u8(kIdentifierSize);
    const std::string_view id = identifier.substr(0, kIdentifierSize);
    w.text(id);
    w.zeros(kIdentifierSize - id.size());
    return out;
}

// A record travels as the first sub-block of its block.
void appendRecord(ByteVector& out, std::span<const std::uint8_t> record) {
    ByteWriter w(out);
    w.u8(static_cast<std::uint8_t>(record.size()));
    w.bytes(record);
}

std::string_view asText(const std::vector<std::uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::unique_ptr<TextObjectRecord> readTextRecord(std::span<const std::uint8_t> first) {
    auto record = std::make_unique<TextObjectRecord>(rec::readTextObjectRecord(first));
    record->text.reset();
    return record;
}

std::unique_ptr<NPImageObjectRecord> readNpImage(const SubBlockList& subs) {
    const rec::StoredNPImageRecord stored = rec::readNPImageObjectRecord(subs.blocks[0]);
    auto record = std::make_unique<NPImageObjectRecord>(stored.record);
    std::size_t next = 1;
    for (const int index : stored.sizes.storedOrder()) {
        const std::uint64_t wanted = stored.sizes.byteCount(index);
        std::vector<std::uint8_t> bytes;
        bool damaged = false;
        while (bytes.size() < wanted && next < subs.blocks.size()) {
            const auto sub = subs.blocks[next++];
            if (bytes.size() + sub.size() > wanted) {
                damaged = true; // a sub-block would carry the array past its count
                break;
            }
            bytes.insert(bytes.end(), sub.begin(), sub.end());
        }
        rec::setNPImageArray(*record, index, bytes);
        if (damaged)
            break;
    }
    return record;
}

} // namespace

void PendingItemsReader::comment(std::string text) {
    const std::string piece(text.c_str()); // a comment ends at its first NUL
    if (items.comment)
        *items.comment += kCommentSeparator + piece;
    else
        items.comment = piece;
}

void PendingItemsReader::application(const ApplicationBlock& block) {
    const auto& id = block.identifier;
    const bool title = identifierIs(id, kTitleId);
    const bool text = identifierIs(id, kTextId) || identifierIs(id, kOldTextId);
    const bool control = identifierIs(id, kControlId);
    const bool vector = identifierIs(id, kVectorId);
    const bool npImage = identifierIs(id, kNpImageId);
    if (title)
        items.title.reset();
    if (text)
        items.text.reset();
    if (control)
        items.control.reset();
    if (vector)
        items.vector.reset();
    if (npImage)
        items.npImage.reset();
    if (!readExtensions_ || !(title || text || control || vector || npImage))
        return;

    const SubBlockList subs = splitSubBlocks(block.subBlocks);
    if (title) {
        std::string joined;
        for (const auto& sub : subs.blocks)
            appendText(joined, sub);
        items.title = std::move(joined);
        return;
    }
    if (subs.blocks.empty())
        return;
    const auto rest = std::span(subs.blocks).subspan(1);
    if (text) {
        if (identifierIs(id, kOldTextId)) {
            const auto converted = convertOldTextRecord(subs.blocks[0]);
            items.text = readTextRecord(converted);
        } else {
            items.text = readTextRecord(subs.blocks[0]);
        }
        if (!rest.empty()) {
            std::string joined;
            for (const auto& sub : rest)
                appendText(joined, sub);
            items.text->text = std::move(joined);
        }
    } else if (control) {
        items.control =
            std::make_unique<ControlObjectRecord>(rec::readControlObjectRecord(subs.blocks[0]));
        items.control->text.reset();
        items.control->caption.reset();
        if (!rest.empty()) {
            items.control->text.emplace();
            appendText(*items.control->text, rest[0]);
        }
        if (rest.size() > 1) {
            items.control->caption.emplace();
            for (const auto& sub : rest.subspan(1))
                appendText(*items.control->caption, sub);
        }
    } else if (vector) {
        items.vector =
            std::make_unique<VectorObjectRecord>(rec::readVectorObjectRecord(subs.blocks[0]));
        std::vector<std::uint8_t> bits;
        for (const auto& sub : rest)
            bits.insert(bits.end(), sub.begin(), sub.end());
        if (!bits.empty())
            items.vector->metafile.reset(
                SetEnhMetaFileBits(static_cast<UINT>(bits.size()), bits.data()));
    } else if (npImage) {
        items.npImage = readNpImage(subs);
    }
}

void appendSubBlocks(ByteVector& out, std::string_view bytes) {
    constexpr std::size_t kMaxSubBlock = 255;
    ByteWriter w(out);
    for (std::size_t at = 0; at < bytes.size(); at += kMaxSubBlock) {
        const std::string_view piece = bytes.substr(at, kMaxSubBlock);
        w.u8(static_cast<std::uint8_t>(piece.size()));
        w.text(piece);
    }
}

ByteVector commentBlock(std::string_view text) {
    ByteVector out = {0x21, 0xFE};
    appendSubBlocks(out, text);
    out.push_back(0);
    return out;
}

ByteVector loopBlock(std::uint16_t loopCount) {
    ByteVector out = applicationHeader(kLoopId);
    ByteWriter w(out);
    w.u8(3); // one sub-block: its id 1 and the count
    w.u8(1);
    w.u16le(loopCount);
    w.u8(0);
    return out;
}

ByteVector titleBlock(std::string_view title) {
    ByteVector out = applicationHeader(kTitleId);
    appendSubBlocks(out, title);
    out.push_back(0);
    return out;
}

ByteVector textObjectBlock(const TextObjectRecord& record) {
    ByteVector out = applicationHeader(kTextId);
    appendRecord(out, rec::writeTextObjectRecord(record));
    if (record.text)
        appendSubBlocks(out, *record.text);
    out.push_back(0);
    return out;
}

ByteVector controlObjectBlock(const ControlObjectRecord& record) {
    ByteVector out = applicationHeader(kControlId);
    appendRecord(out, rec::writeControlObjectRecord(record));
    auto appendText = [&out](std::string_view text) {
        if (text.empty())
            out.insert(out.end(), {0x01, 0x00});
        else
            appendSubBlocks(out, text);
    };
    // The reader gives the first text one sub-block: a longer one would spill into the second.
    const std::string_view first = record.text ? std::string_view(*record.text) : "";
    appendText(first.substr(0, kControlFirstTextMax));
    appendText(record.caption ? std::string_view(*record.caption) : "");
    out.push_back(0);
    return out;
}

std::optional<ByteVector> vectorObjectBlock(const VectorObjectRecord& record) {
    const UINT size = GetEnhMetaFileBits(record.metafile.get(), 0, nullptr);
    if (size == 0)
        return std::nullopt;
    std::vector<std::uint8_t> bits(size);
    if (GetEnhMetaFileBits(record.metafile.get(), size, bits.data()) != size)
        return std::nullopt;
    ByteVector out = applicationHeader(kVectorId);
    appendRecord(out, rec::writeVectorObjectRecord(record));
    appendSubBlocks(out, asText(bits));
    out.push_back(0);
    return out;
}

std::optional<ByteVector> npImageObjectBlock(const NPImageObjectRecord& record) {
    const auto bytes = rec::writeNPImageObjectRecord(record);
    if (!bytes)
        return std::nullopt;
    ByteVector out = applicationHeader(kNpImageId);
    appendRecord(out, *bytes);
    for (const int index : rec::npImageArraySizes(record).storedOrder())
        appendSubBlocks(out, asText(rec::npImageArrayBytes(record, index)));
    out.push_back(0);
    return out;
}

// The old record: 0/2 position (16-bit), 4 colour, 8 shadow flag, 9 shadow colour, 13/15 shadow
// offsets (16-bit), 17 the four flag bytes, 21 LOGFONTA, 81 unused. The new record takes the
// positions and offsets widened to 32 bits; its matrix, interpolation and the rest stay zero.
std::array<std::uint8_t, 148> convertOldTextRecord(std::span<const std::uint8_t> oldBytes) {
    const auto old = kpx::zeroPadded<kOldTextRecordSize>(oldBytes);
    ByteReader in(old);
    const std::int16_t left = in.i16le();
    const std::int16_t top = in.i16le();
    const auto color = in.bytes(4);
    const std::uint8_t isShadow = in.u8();
    const auto shadowColor = in.bytes(4);
    const std::int16_t shadowX = in.i16le();
    const std::int16_t shadowY = in.i16le();
    const auto flags = in.bytes(4);
    const auto font = in.bytes(60);

    ByteVector out;
    ByteWriter w(out);
    w.i32le(left);
    w.i32le(top);
    w.bytes(color);
    w.bytes(shadowColor);
    w.i32le(shadowX);
    w.i32le(shadowY);
    w.bytes(flags);
    w.bytes(font);
    w.zeros(124 - w.size()); // matrix and interpolation
    w.u8(isShadow);
    return kpx::zeroPadded<148>(out); // the text pointer at 144 stays null
}

} // namespace kpx::gif
