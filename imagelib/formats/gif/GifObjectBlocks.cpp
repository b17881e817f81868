#include "GifObjectBlocks.h"

#include <algorithm>
#include <cstring>

#include "ObjectRecordBytes.h"
#include "metafile/EnhMetafile.h"

namespace kpx::gif {

namespace {

namespace rec = kfm::records;

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

ByteVector applicationHeader(std::string_view identifier) {
    ByteVector out = {0x21, 0xFF, 0x0B};
    for (std::size_t i = 0; i < 11; ++i)
        out.push_back(i < identifier.size() ? static_cast<std::uint8_t>(identifier[i]) : 0);
    return out;
}

void appendRecord(ByteVector& out, std::span<const std::uint8_t> record) {
    out.push_back(static_cast<std::uint8_t>(record.size()));
    out.insert(out.end(), record.begin(), record.end());
}

std::string_view asText(const std::vector<std::uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::int32_t signExtend16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::int16_t>(b[at] | (b[at + 1] << 8));
}

void put32(std::span<std::uint8_t> b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
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
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t n = std::min<std::size_t>(255, bytes.size() - at);
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), bytes.begin() + static_cast<long>(at),
                   bytes.begin() + static_cast<long>(at + n));
        at += n;
    }
}

ByteVector commentBlock(std::string_view text) {
    ByteVector out = {0x21, 0xFE};
    appendSubBlocks(out, text);
    out.push_back(0);
    return out;
}

ByteVector loopBlock(std::int16_t loopCount) {
    ByteVector out = applicationHeader(kLoopId);
    const auto count = static_cast<std::uint16_t>(loopCount);
    out.insert(out.end(), {0x03, 0x01, static_cast<std::uint8_t>(count & 0xFF),
                           static_cast<std::uint8_t>(count >> 8), 0x00});
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

std::array<std::uint8_t, 148> convertOldTextRecord(std::span<const std::uint8_t> oldBytes) {
    std::array<std::uint8_t, kOldTextRecordSize> old{};
    std::copy_n(oldBytes.begin(), std::min(oldBytes.size(), old.size()), old.begin());
    std::array<std::uint8_t, 148> out{};
    const std::span<const std::uint8_t> o(old);
    put32(out, 0, static_cast<std::uint32_t>(signExtend16(o, 0)));
    put32(out, 4, static_cast<std::uint32_t>(signExtend16(o, 2)));
    std::copy_n(old.begin() + 4, 4, out.begin() + 8);
    out[124] = old[8];
    std::copy_n(old.begin() + 9, 4, out.begin() + 12);
    put32(out, 16, static_cast<std::uint32_t>(signExtend16(o, 13)));
    put32(out, 20, static_cast<std::uint32_t>(signExtend16(o, 15)));
    std::copy_n(old.begin() + 17, 4, out.begin() + 24);
    std::copy_n(old.begin() + 21, 60, out.begin() + 28);
    return out; // the text pointer at 144 stays null
}

} // namespace kpx::gif
