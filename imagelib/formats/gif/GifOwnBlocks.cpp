#include "GifOwnBlocks.h"

#include "ObjectRecordBytes.h"

#include <algorithm>
#include <cstring>

namespace kpx::gif {

namespace {

constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kCommentLabel = 0xFE;
constexpr std::uint8_t kApplicationLabel = 0xFF;
constexpr std::size_t kSubBlockMax = 255;
constexpr std::size_t kOldTextRecordSize = 85;

void appendApplicationHeader(Bytes& out, const ApplicationId& id) {
    out.push_back(kExtensionIntroducer);
    out.push_back(kApplicationLabel);
    out.push_back(static_cast<std::uint8_t>(id.size()));
    out.insert(out.end(), id.begin(), id.end());
}

void appendRecordBlock(Bytes& out, std::span<const std::uint8_t> record) {
    out.push_back(static_cast<std::uint8_t>(record.size()));
    out.insert(out.end(), record.begin(), record.end());
}

std::span<const std::uint8_t> asBytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string joined(SubBlocks blocks, std::size_t from) {
    std::string text;
    for (std::size_t i = from; i < blocks.size(); ++i)
        text.append(reinterpret_cast<const char*>(blocks[i].data()), blocks[i].size());
    return text;
}

std::vector<std::uint8_t> joinedBytes(SubBlocks blocks, std::size_t from) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = from; i < blocks.size(); ++i)
        bytes.insert(bytes.end(), blocks[i].begin(), blocks[i].end());
    return bytes;
}

// A control text: one sub-block of length 1 holding a NUL stands for an empty text.
std::string controlText(std::span<const std::uint8_t> block) {
    std::string text(reinterpret_cast<const char*>(block.data()), block.size());
    return text.substr(0, text.find('\0'));
}

std::int32_t readI16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::int16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t readU32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

} // namespace

ApplicationId applicationId(std::string_view name) {
    ApplicationId id{};
    std::copy_n(name.begin(), std::min(name.size(), id.size()), id.begin());
    return id;
}

const ApplicationId kLoopId = applicationId("NETSCAPE2.0");
const ApplicationId kTitleId = applicationId("KFMTITLE4.0");
const ApplicationId kOldTextId = applicationId("KFMTEXTI4.0");
const ApplicationId kTextId = applicationId("KFMTEXTI5");
const ApplicationId kControlId = applicationId("KFMCTRLI5");
const ApplicationId kVectorId = applicationId("KFMVECTI5");
const ApplicationId kNpImageId = applicationId("KFMNPIMGI5");

void appendSubBlocks(Bytes& out, std::span<const std::uint8_t> data) {
    while (!data.empty()) {
        const std::size_t n = std::min(data.size(), kSubBlockMax);
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n));
        data = data.subspan(n);
    }
}

void appendSubBlocks(Bytes& out, std::string_view text) {
    appendSubBlocks(out, asBytes(text));
}

void appendComment(Bytes& out, std::string_view text) {
    out.push_back(kExtensionIntroducer);
    out.push_back(kCommentLabel);
    appendSubBlocks(out, text);
    out.push_back(0);
}

void appendLoopExtension(Bytes& out, int loopCount) {
    appendApplicationHeader(out, kLoopId);
    const auto count = static_cast<std::uint16_t>(loopCount);
    const std::uint8_t block[] = {3, 1, static_cast<std::uint8_t>(count & 0xFF),
                                  static_cast<std::uint8_t>(count >> 8), 0};
    out.insert(out.end(), std::begin(block), std::end(block));
}

void appendTitleExtension(Bytes& out, std::string_view title) {
    appendApplicationHeader(out, kTitleId);
    appendSubBlocks(out, title);
    out.push_back(0);
}

void appendTextExtension(Bytes& out, const TextObjectRecord& record) {
    appendApplicationHeader(out, kTextId);
    appendRecordBlock(out, kfm::records::writeTextObjectRecord(record));
    appendSubBlocks(out, record.text.value_or(std::string()));
    out.push_back(0);
}

void appendControlExtension(Bytes& out, const ControlObjectRecord& record) {
    appendApplicationHeader(out, kControlId);
    appendRecordBlock(out, kfm::records::writeControlObjectRecord(record));
    const std::string first = record.text.value_or(std::string()).substr(0, kControlFirstTextLimit);
    const std::string second = record.caption.value_or(std::string());
    for (const std::string& text : {first, second}) {
        if (text.empty()) {
            out.push_back(1);
            out.push_back(0);
        } else {
            appendSubBlocks(out, text);
        }
    }
    out.push_back(0);
}

bool appendVectorExtension(Bytes& out, const VectorObjectRecord& record) {
    const HENHMETAFILE metafile = record.metafile.get();
    const UINT size = GetEnhMetaFileBits(metafile, 0, nullptr);
    if (size == 0)
        return false;
    std::vector<std::uint8_t> bits(size);
    if (GetEnhMetaFileBits(metafile, size, bits.data()) != size)
        return false;
    appendApplicationHeader(out, kVectorId);
    appendRecordBlock(out, kfm::records::writeVectorObjectRecord(record));
    appendSubBlocks(out, bits);
    out.push_back(0);
    return true;
}

bool appendNpImageExtension(Bytes& out, const NPImageObjectRecord& record) {
    const auto bytes = kfm::records::writeNPImageObjectRecord(record);
    if (!bytes)
        return false;
    appendApplicationHeader(out, kNpImageId);
    appendRecordBlock(out, *bytes);
    const auto sizes = kfm::records::npImageArraySizes(record);
    for (const int index : sizes.storedOrder())
        appendSubBlocks(out, kfm::records::npImageArrayBytes(record, index));
    out.push_back(0);
    return true;
}

std::unique_ptr<TextObjectRecord> readTextExtension(SubBlocks blocks) {
    if (blocks.empty())
        return nullptr;
    auto record = std::make_unique<TextObjectRecord>(kfm::records::readTextObjectRecord(blocks[0]));
    record->text = joined(blocks, 1);
    return record;
}

std::unique_ptr<TextObjectRecord> readOldTextExtension(SubBlocks blocks) {
    if (blocks.empty())
        return nullptr;
    std::array<std::uint8_t, kOldTextRecordSize> old{};
    std::copy_n(blocks[0].begin(), std::min(blocks[0].size(), old.size()), old.begin());
    const std::span<const std::uint8_t> b(old);
    auto record = std::make_unique<TextObjectRecord>();
    // The older record had no matrix: the text keeps the identity rather than a zero matrix that
    // would collapse it.
    record->left = readI16(b, 0);
    record->top = readI16(b, 2);
    record->color = readU32(b, 4);
    record->isShadow = old[8];
    record->shadowColor = readU32(b, 9);
    record->shadowXOffset = readI16(b, 13);
    record->shadowYOffset = readI16(b, 15);
    record->shadowTransp = old[17];
    record->isShadowBlur = old[18];
    record->antialias = old[19];
    record->kern = old[20];
    std::memcpy(&record->font, old.data() + 21, sizeof(LOGFONTA));
    record->text = joined(blocks, 1);
    return record;
}

std::unique_ptr<ControlObjectRecord> readControlExtension(SubBlocks blocks) {
    if (blocks.empty())
        return nullptr;
    auto record =
        std::make_unique<ControlObjectRecord>(kfm::records::readControlObjectRecord(blocks[0]));
    record->text = blocks.size() > 1 ? controlText(blocks[1]) : std::string();
    record->caption = controlText(std::span<const std::uint8_t>(joinedBytes(blocks, 2)));
    return record;
}

std::unique_ptr<VectorObjectRecord> readVectorExtension(SubBlocks blocks) {
    if (blocks.empty())
        return nullptr;
    auto record =
        std::make_unique<VectorObjectRecord>(kfm::records::readVectorObjectRecord(blocks[0]));
    const std::vector<std::uint8_t> bits = joinedBytes(blocks, 1);
    record->metafile.reset(SetEnhMetaFileBits(static_cast<UINT>(bits.size()), bits.data()));
    return record;
}

std::unique_ptr<NPImageObjectRecord> readNpImageExtension(SubBlocks blocks) {
    if (blocks.empty())
        return nullptr;
    auto stored = kfm::records::readNPImageObjectRecord(blocks[0]);
    std::size_t next = 1;
    for (const int index : stored.sizes.storedOrder()) {
        const std::uint64_t count = stored.sizes.byteCount(index);
        std::vector<std::uint8_t> bytes;
        bool damaged = false;
        while (bytes.size() < count && next < blocks.size()) {
            const auto block = blocks[next++];
            if (bytes.size() + block.size() > count) {
                damaged = true; // a sub-block that would carry the array past its count
                break;
            }
            bytes.insert(bytes.end(), block.begin(), block.end());
        }
        kfm::records::setNPImageArray(stored.record, index, bytes);
        if (damaged)
            break;
    }
    return std::make_unique<NPImageObjectRecord>(std::move(stored.record));
}

std::string readTitleExtension(SubBlocks blocks) {
    return joined(blocks, 0);
}

} // namespace kpx::gif
