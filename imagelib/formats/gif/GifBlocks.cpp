#include "GifBlocks.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace kpx::gif {

namespace {

constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageIntroducer = 0x2C;
constexpr std::uint8_t kFillByte = 0xFF;
constexpr std::uint8_t kPlainTextLabel = 0x01;
constexpr std::uint8_t kGraphicControlLabel = 0xF9;
constexpr std::uint8_t kCommentLabel = 0xFE;
constexpr std::uint8_t kApplicationLabel = 0xFF;
constexpr std::size_t kHeaderSize = 13;
constexpr std::size_t kDescriptorSize = 10; // with its introducer

std::uint16_t u16le(std::span<const std::uint8_t> file, std::size_t at) {
    return static_cast<std::uint16_t>(file[at] | (file[at + 1] << 8));
}

bool has(std::span<const std::uint8_t> file, std::size_t at, std::size_t n) {
    return at <= file.size() && file.size() - at >= n;
}

// Skips a sub-block chain starting at `at`; returns the offset after it (the end of the file
// when it is cut short) and whether its terminator was there.
std::size_t skipChain(std::span<const std::uint8_t> file, std::size_t at,
                      bool* complete = nullptr) {
    while (at < file.size()) {
        const std::size_t length = file[at++];
        if (length == 0) {
            if (complete)
                *complete = true;
            return at;
        }
        if (file.size() - at < length)
            break;
        at += length;
    }
    if (complete)
        *complete = false;
    return file.size();
}

void setText(BlockEntry& entry, std::string_view text) {
    entry.text.fill(0);
    const std::size_t n = std::min(text.size(), entry.text.size() - 1);
    std::copy_n(text.begin(), n, entry.text.begin());
}

// Adds list entries up to the list's capacity.
class BlockListWriter {
public:
    explicit BlockListWriter(const ScanOptions& options)
        : list_(options.list), capacity_(options.listCapacity) {}
    bool active() const { return list_ != nullptr; }
    void add(BlockKind kind, std::size_t offset, std::size_t size, int width = 0, int height = 0,
             int bits = 0, std::string_view text = {}) {
        if (!list_ || list_->size() >= capacity_)
            return;
        BlockEntry entry;
        entry.kind = kind;
        entry.offset = static_cast<std::int32_t>(std::min<std::size_t>(offset, INT32_MAX));
        entry.size = static_cast<std::int32_t>(std::min<std::size_t>(size, INT32_MAX));
        entry.width = width;
        entry.height = height;
        entry.bits = bits;
        setText(entry, text);
        list_->push_back(entry);
    }

private:
    std::vector<BlockEntry>* list_;
    std::size_t capacity_;
};

// The comment as the details list shows it: up to 45 characters, ".." when it is longer.
std::string listedComment(const std::string& text) {
    const std::string_view cText(text.c_str()); // the text ends at its first NUL
    if (cText.size() <= 45)
        return std::string(cText);
    return std::string(cText.substr(0, 45)) + "..";
}

// Reads one extension whose introducer is at `at`; returns the offset after it.
std::size_t readExtension(std::span<const std::uint8_t> file, std::size_t at,
                          ExtensionVisitor& visitor, BlockListWriter* list) {
    const std::size_t start = at++;
    if (at >= file.size())
        return file.size();
    const std::uint8_t label = file[at++];
    switch (label) {
    case kPlainTextLabel: {
        // A 13-byte header (its own length byte and 12 bytes), then the text sub-blocks.
        const std::size_t end = has(file, at, 13) ? skipChain(file, at + 13) : file.size();
        if (list)
            list->add(BlockKind::PlainText, start, end - start);
        return end;
    }
    case kGraphicControlLabel: {
        const std::size_t end = skipChain(file, at);
        std::uint8_t packed = 0;
        if (has(file, at, 5) && file[at] >= 4) {
            packed = file[at + 1];
            GraphicControl control;
            control.delay = static_cast<std::int16_t>(u16le(file, at + 2));
            control.transparent =
                (packed & 1) ? transparentIndexColor(file[at + 4]) : kNoTransparency;
            control.disposal = static_cast<std::int16_t>((packed >> 2) & 7);
            visitor.graphicControl(control, packed);
        }
        if (list)
            list->add(BlockKind::GraphicControl, start, end - start, 0, 0, packed);
        return end;
    }
    case kCommentLabel: {
        const std::size_t end = skipChain(file, at);
        std::string text = joinSubBlocks(file.subspan(at, end - at));
        if (list)
            list->add(BlockKind::Comment, start, end - start, 0, 0, 0, listedComment(text));
        visitor.comment(std::move(text));
        return end;
    }
    case kApplicationLabel: {
        if (at >= file.size())
            return file.size();
        const std::size_t size = file[at];
        if (size != 11) {
            // Not an application block this reader knows: skip it as one chain.
            const std::size_t end = skipChain(file, at);
            if (list)
                list->add(BlockKind::Application, start, end - start);
            return end;
        }
        if (!has(file, at + 1, 11))
            return file.size();
        ApplicationBlock block;
        std::copy_n(file.begin() + static_cast<long>(at + 1), 11, block.identifier.begin());
        const std::size_t chain = at + 12;
        const std::size_t end = skipChain(file, chain);
        block.subBlocks = file.subspan(chain, end - chain);
        if (list)
            list->add(BlockKind::Application, start, end - start, 0, 0, 0,
                      std::string_view(block.identifier.data(), 11));
        visitor.application(block);
        return end;
    }
    default: {
        const std::size_t end = skipChain(file, at);
        if (list)
            list->add(BlockKind::OtherExtension, start, end - start);
        return end;
    }
    }
}

// Fills the palette from a table of 2^bits entries at `at`; the entries after it take entry 0's
// colour.
void readColorTable(std::span<const std::uint8_t> file, std::size_t at, int bits,
                    std::array<std::uint8_t, 768>& palette) {
    const std::size_t bytes = 3u << bits;
    std::copy_n(file.begin() + static_cast<long>(at), bytes, palette.begin());
    for (std::size_t i = bytes; i < palette.size(); i += 3)
        std::copy_n(palette.begin(), 3, palette.begin() + static_cast<long>(i));
}

// The scanner's own view of the extensions: the graphic control and the looping block.
class ScanState final : public ExtensionVisitor {
public:
    void graphicControl(const GraphicControl& c, std::uint8_t) override { control = c; }
    void application(const ApplicationBlock& block) override {
        if (!identifierIs(block.identifier, "NETSCAPE2.0"))
            return;
        for (const auto& sub : splitSubBlocks(block.subBlocks).blocks)
            if (sub.size() == 3)
                loopCount = static_cast<std::int16_t>(sub[1] | (sub[2] << 8));
    }

    GraphicControl control;
    std::int16_t loopCount = -1;
};

} // namespace

bool identifierIs(const std::array<char, 11>& identifier, std::string_view name) {
    for (std::size_t i = 0; i < identifier.size(); ++i) {
        const char want = i < name.size() ? name[i] : '\0';
        const char have =
            static_cast<char>(std::toupper(static_cast<unsigned char>(identifier[i])));
        if (have != want)
            return false;
    }
    return true;
}

std::string joinSubBlocks(std::span<const std::uint8_t> chain) {
    std::string text;
    for (const auto& sub : splitSubBlocks(chain).blocks)
        text.append(reinterpret_cast<const char*>(sub.data()), sub.size());
    return text;
}

SubBlockList splitSubBlocks(std::span<const std::uint8_t> chain) {
    SubBlockList result;
    std::size_t at = 0;
    while (at < chain.size()) {
        const std::size_t length = chain[at++];
        if (length == 0) {
            result.complete = true;
            break;
        }
        const std::size_t n = std::min(length, chain.size() - at);
        result.blocks.push_back(chain.subspan(at, n));
        at += n;
    }
    return result;
}

std::size_t visitExtensions(std::span<const std::uint8_t> file, std::size_t offset,
                            ExtensionVisitor& visitor) {
    std::size_t at = offset;
    while (at < file.size()) {
        if (file[at] == kExtensionIntroducer)
            at = readExtension(file, at, visitor, nullptr);
        else if (file[at] == kFillByte)
            ++at;
        else
            break;
    }
    return std::min(at, file.size());
}

GifFileIndex scanGif(std::span<const std::uint8_t> file, const ScanOptions& options) {
    GifFileIndex index;
    BlockListWriter list(options);
    BlockListWriter* listPtr = list.active() ? &list : nullptr;
    index.start = options.offset;
    std::size_t at = options.offset;
    if (!has(file, at, kHeaderSize) || std::memcmp(file.data() + at, "GIF", 3) != 0) {
        index.status = ScanStatus::Damaged;
        return index;
    }
    index.description.assign(reinterpret_cast<const char*>(file.data() + at), 6);
    index.screenWidth = u16le(file, at + 6);
    index.screenHeight = u16le(file, at + 8);
    index.screenPacked = file[at + 10];
    index.background = file[at + 11];
    index.bits = (index.screenPacked & 7) + 1;
    list.add(BlockKind::Header, at, kHeaderSize, index.screenWidth, index.screenHeight, 0,
             index.description);
    at += kHeaderSize;

    index.palette.fill(0);
    std::fill_n(index.palette.begin() + 3, 3, 255);
    if (index.screenPacked & 0x80) {
        const int bits = index.bits;
        const std::size_t bytes = 3u << bits;
        if (!has(file, at, bytes)) {
            index.status = ScanStatus::Truncated;
            return index;
        }
        readColorTable(file, at, bits, index.palette);
        index.globalTableBits = bits;
        list.add(BlockKind::GlobalColorTable, at, bytes, 0, 0, bits);
        at += bytes;
    }

    ScanState state;
    std::size_t runStart = at;
    while (at < file.size()) {
        const std::uint8_t introducer = file[at];
        if (introducer == kExtensionIntroducer) {
            at = readExtension(file, at, state, listPtr);
            continue;
        }
        if (introducer == kFillByte) {
            ++at;
            continue;
        }
        if (introducer != kImageIntroducer)
            break;

        FrameLocation frame;
        frame.runStart = runStart;
        frame.descriptor = at;
        if (!has(file, at, kDescriptorSize)) {
            index.status = ScanStatus::Truncated;
            break;
        }
        frame.left = u16le(file, at + 1);
        frame.top = u16le(file, at + 3);
        frame.width = u16le(file, at + 5);
        frame.height = u16le(file, at + 7);
        frame.packed = file[at + 9];
        at += kDescriptorSize;
        std::size_t tableBytes = 0;
        if (frame.hasLocalTable()) {
            frame.localTableBits = (frame.packed & 7) + 1;
            tableBytes = 3u << frame.localTableBits;
            if (!has(file, at, tableBytes)) {
                index.status = ScanStatus::Truncated;
                break;
            }
            frame.localTable = at;
            list.add(BlockKind::LocalColorTable, frame.descriptor, tableBytes, 0, 0,
                     frame.localTableBits);
            at += tableBytes;
        }
        if (at >= file.size()) {
            index.status = ScanStatus::Damaged;
            break;
        }
        frame.minimumCodeSize = file[at++];
        frame.dataStart = at;
        frame.dataEnd = skipChain(file, at, &frame.dataComplete);
        frame.control = state.control;
        at = frame.dataEnd;
        list.add(BlockKind::Image, frame.descriptor + tableBytes,
                 at - frame.descriptor - tableBytes, frame.width, frame.height);
        if (index.frames.empty())
            index.loopCountAtFirstImage = state.loopCount;
        index.frames.push_back(frame);
        state.control = GraphicControl{}; // a graphic control applies to one image
        runStart = at;
    }
    index.loopCount = state.loopCount;
    index.trailingRunStart = runStart;
    index.scanEnd = std::min(at, file.size());
    return index;
}

std::array<std::uint8_t, 768> framePalette(std::span<const std::uint8_t> file,
                                           const GifFileIndex& index, const FrameLocation& frame) {
    if (frame.localTableBits == 0 || !has(file, frame.localTable, 3u << frame.localTableBits))
        return index.palette;
    std::array<std::uint8_t, 768> palette{};
    readColorTable(file, frame.localTable, frame.localTableBits, palette);
    return palette;
}

} // namespace kpx::gif
