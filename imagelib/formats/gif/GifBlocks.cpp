#include "GifBlocks.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "ByteReader.h"
#include "ByteSource.h"

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
constexpr std::size_t kDescriptorSize = 10;      // with its introducer
constexpr std::size_t kPlainTextHeaderSize = 13; // its own length byte and 12 bytes
constexpr std::size_t kApplicationIdSize = 11;
constexpr std::array<std::uint8_t, 3> kSignature = {'G', 'I', 'F'};

// Steps over a sub-block chain; true when its terminator was there. A chain cut short leaves the
// reader at the end (a file cut while it is read ends where its bytes end, which the reader
// learns when a read there fails).
bool skipChain(SourceReader& in) {
    while (!in.atEnd()) {
        const std::size_t length = in.u8();
        if (in.truncated())
            break;
        if (length == 0)
            return true;
        if (in.remaining() < length)
            break;
        in.skip(length);
    }
    in.skip(in.remaining());
    return false;
}

// The bytes of the sub-block chain at the cursor, from its first length byte through its
// terminator (or the end of the data), which the reader then steps over. They stay valid until
// the reader's next read.
std::span<const std::uint8_t> takeChain(SourceReader& in) {
    const std::uint64_t start = in.position();
    skipChain(in);
    return in.passed(start);
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

// Reads one extension whose introducer is at the cursor and steps over it.
void readExtension(SourceReader& in, ExtensionVisitor& visitor, BlockListWriter* list) {
    const std::size_t start = in.position();
    in.skip(1);
    if (in.atEnd())
        return;
    const std::uint8_t label = in.u8();
    const auto size = [&in, start] { return in.position() - start; };
    switch (label) {
    case kPlainTextLabel: {
        in.skip(kPlainTextHeaderSize);
        skipChain(in);
        if (list)
            list->add(BlockKind::PlainText, start, size());
        return;
    }
    case kGraphicControlLabel: {
        // The fields are read from a copy: stepping over the chain may move the reader's window.
        std::array<std::uint8_t, 5> copy{};
        const auto head = in.ahead(copy.size());
        std::copy(head.begin(), head.end(), copy.begin());
        ByteReader fields{std::span<const std::uint8_t>(copy.data(), head.size())};
        skipChain(in);
        std::uint8_t packed = 0;
        if (fields.remaining() >= 5 && fields.u8() >= 4) {
            packed = fields.u8();
            GraphicControl control;
            control.delay = fields.i16le();
            const std::uint8_t transparentIndex = fields.u8();
            control.transparent =
                (packed & 1) ? transparentIndexColor(transparentIndex) : kNoTransparency;
            control.disposal = static_cast<std::int16_t>((packed >> 2) & 7);
            visitor.graphicControl(control, packed);
        }
        if (list)
            list->add(BlockKind::GraphicControl, start, size(), 0, 0, packed);
        return;
    }
    case kCommentLabel: {
        std::string text = joinSubBlocks(takeChain(in));
        if (list)
            list->add(BlockKind::Comment, start, size(), 0, 0, 0, listedComment(text));
        visitor.comment(std::move(text));
        return;
    }
    case kApplicationLabel: {
        if (in.atEnd())
            return;
        if (in.peek() != kApplicationIdSize) {
            // Not an application block this reader knows: skip it as one chain.
            skipChain(in);
            if (list)
                list->add(BlockKind::Application, start, size());
            return;
        }
        in.skip(1);
        const auto identifier = in.bytes(kApplicationIdSize);
        if (in.truncated())
            return;
        ApplicationBlock block;
        std::copy(identifier.begin(), identifier.end(), block.identifier.begin());
        block.subBlocks = takeChain(in);
        if (list)
            list->add(BlockKind::Application, start, size(), 0, 0, 0,
                      std::string_view(block.identifier.data(), kApplicationIdSize));
        visitor.application(block);
        return;
    }
    default: {
        skipChain(in);
        if (list)
            list->add(BlockKind::OtherExtension, start, size());
        return;
    }
    }
}

std::size_t colorTableSize(int bits) {
    return std::size_t{3} << bits;
}

// Fills the palette from a colour table; the entries after it take entry 0's colour.
void readColorTable(std::span<const std::uint8_t> table, std::array<std::uint8_t, 768>& palette) {
    std::copy(table.begin(), table.end(), palette.begin());
    for (std::size_t i = table.size(); i < palette.size(); i += 3)
        std::copy_n(palette.begin(), 3, palette.begin() + static_cast<long>(i));
}

// The scanner's own view of the extensions: the graphic control and the looping block.
class ScanState final : public ExtensionVisitor {
public:
    void graphicControl(const GraphicControl& c, std::uint8_t) override { control = c; }
    void application(const ApplicationBlock& block) override {
        if (!identifierIs(block.identifier, "NETSCAPE2.0"))
            return;
        for (const auto& sub : splitSubBlocks(block.subBlocks).blocks) {
            if (sub.size() != 3)
                continue;
            ByteReader fields(sub);
            fields.skip(1); // the sub-block's id
            loopCount = fields.u16le();
        }
    }

    GraphicControl control;
    std::int32_t loopCount = -1; // 0..65535, or -1 for none
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
    ByteReader in(chain);
    while (!in.atEnd()) {
        const std::size_t length = in.u8();
        if (length == 0) {
            result.complete = true;
            break;
        }
        result.blocks.push_back(in.bytes(std::min(length, in.remaining())));
    }
    return result;
}

std::size_t visitExtensions(std::span<const std::uint8_t> file, std::size_t offset,
                            ExtensionVisitor& visitor) {
    SpanSource source(file);
    SourceReader in(source, offset);
    while (!in.atEnd()) {
        if (in.peek() == kExtensionIntroducer)
            readExtension(in, visitor, nullptr);
        else if (in.peek() == kFillByte)
            in.skip(1);
        else
            break;
    }
    return static_cast<std::size_t>(in.position());
}

GifFileIndex scanGif(std::span<const std::uint8_t> file, const ScanOptions& options) {
    SpanSource source(file);
    return scanGif(source, options);
}

GifFileIndex scanGif(ByteSource& file, const ScanOptions& options) {
    GifFileIndex index;
    BlockListWriter list(options);
    BlockListWriter* listPtr = list.active() ? &list : nullptr;
    index.start = options.offset;
    SourceReader in(file, options.offset);
    const auto headerStart = static_cast<std::size_t>(in.position());
    const auto signatureStart = in.remaining() < kHeaderSize ? std::span<const std::uint8_t>{}
                                                             : in.ahead(kSignature.size());
    if (options.offset > file.size() || signatureStart.size() < kSignature.size() ||
        !std::equal(kSignature.begin(), kSignature.end(), signatureStart.begin())) {
        index.status = CodecStatus::Damaged;
        return index;
    }
    const auto signature = in.bytes(6);
    index.description.assign(signature.begin(), signature.end());
    index.screenWidth = in.u16le();
    index.screenHeight = in.u16le();
    index.screenPacked = in.u8();
    index.background = in.u8();
    in.skip(1); // aspect ratio
    index.bits = (index.screenPacked & 7) + 1;
    list.add(BlockKind::Header, headerStart, kHeaderSize, index.screenWidth, index.screenHeight, 0,
             index.description);

    index.palette.fill(0);
    std::fill_n(index.palette.begin() + 3, 3, 255);
    if (index.screenPacked & 0x80) {
        const int bits = index.bits;
        const std::size_t bytes = colorTableSize(bits);
        if (in.remaining() < bytes) {
            index.status = CodecStatus::Truncated;
            return index;
        }
        list.add(BlockKind::GlobalColorTable, in.position(), bytes, 0, 0, bits);
        readColorTable(in.bytes(bytes), index.palette);
        index.globalTableBits = bits;
    }

    ScanState state;
    std::size_t runStart = in.position();
    while (!in.atEnd()) {
        const std::uint8_t introducer = in.peek();
        if (introducer == kExtensionIntroducer) {
            readExtension(in, state, listPtr);
            continue;
        }
        if (introducer == kFillByte) {
            in.skip(1);
            continue;
        }
        if (introducer != kImageIntroducer)
            break;

        FrameLocation frame;
        frame.runStart = runStart;
        frame.descriptor = in.position();
        if (in.remaining() < kDescriptorSize) {
            index.status = CodecStatus::Truncated;
            break;
        }
        in.skip(1);
        frame.left = in.u16le();
        frame.top = in.u16le();
        frame.width = in.u16le();
        frame.height = in.u16le();
        frame.packed = in.u8();
        std::size_t tableBytes = 0;
        if (frame.hasLocalTable()) {
            frame.localTableBits = (frame.packed & 7) + 1;
            tableBytes = colorTableSize(frame.localTableBits);
            if (in.remaining() < tableBytes) {
                index.status = CodecStatus::Truncated;
                break;
            }
            frame.localTable = in.position();
            list.add(BlockKind::LocalColorTable, frame.descriptor, tableBytes, 0, 0,
                     frame.localTableBits);
            in.skip(tableBytes);
        }
        if (in.atEnd()) {
            index.status = CodecStatus::Damaged;
            break;
        }
        frame.minimumCodeSize = in.u8();
        frame.dataStart = in.position();
        frame.dataComplete = skipChain(in);
        frame.dataEnd = in.position();
        frame.control = state.control;
        list.add(BlockKind::Image, frame.descriptor + tableBytes,
                 frame.dataEnd - frame.descriptor - tableBytes, frame.width, frame.height);
        if (index.frames.empty())
            index.loopCountAtFirstImage = state.loopCount;
        index.frames.push_back(frame);
        state.control = GraphicControl{}; // a graphic control applies to one image
        runStart = frame.dataEnd;
    }
    index.loopCount = state.loopCount;
    index.trailingRunStart = runStart;
    index.scanEnd = in.position();
    return index;
}

std::array<std::uint8_t, 768> framePalette(std::span<const std::uint8_t> file,
                                           const GifFileIndex& index, const FrameLocation& frame) {
    if (frame.localTableBits == 0)
        return index.palette;
    ByteReader in(file);
    in.skip(std::min(frame.localTable, file.size()));
    const auto table = in.bytes(colorTableSize(frame.localTableBits));
    if (in.truncated())
        return index.palette;
    std::array<std::uint8_t, 768> palette{};
    readColorTable(table, palette);
    return palette;
}

} // namespace kpx::gif
