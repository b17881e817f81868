#include "ClipboardFramesBlock.h"

#include "ByteReader.h"
#include "ByteWriter.h"
#include "Kfm5ResourceIds.h"
#include "ObjectRecordBytes.h"
#include "PaletteRender.h"
#include "ShellServices.h"
#include "memory/GlobalMemory.h"
#include "metafile/EnhMetafile.h"

#include <array>
#include <cstring>
#include <string>

namespace {

using kfm::model::FramesEntryField;
namespace records = kfm::records;

constexpr std::uint32_t kAlphaPairSize = 8;
constexpr std::uint32_t kBitmapInfoHeaderSize = 40;
constexpr int kFieldCount = static_cast<int>(FramesEntryField::Count);

struct EntryHeader {
    std::array<std::uint32_t, kFieldCount> values{};
    std::uint32_t& operator[](FramesEntryField f) { return values[static_cast<int>(f)]; }
    std::uint32_t operator[](FramesEntryField f) const { return values[static_cast<int>(f)]; }
};

// One reference to a library image, dropped unless released.
class ImageRef {
public:
    explicit ImageRef(KpxHandle image = 0) : image_(image) {}
    ImageRef(const ImageRef&) = delete;
    ImageRef& operator=(const ImageRef&) = delete;
    ~ImageRef() {
        if (image_)
            KPXDeleteImage(image_);
    }
    KpxHandle get() const { return image_; }
    KpxHandle release() {
        const KpxHandle image = image_;
        image_ = 0;
        return image;
    }

private:
    KpxHandle image_;
};

std::uint32_t textSize(const std::optional<std::string>& text) {
    return text ? static_cast<std::uint32_t>(text->size() + 1) : 0;
}

EntryHeader headerOf(const CObjFrame& frame) {
    using F = FramesEntryField;
    EntryHeader h;
    const auto base = static_cast<KpxHandle>(frame.GetImage());
    h[F::Magic] = kfm::model::kFramesEntryMagic;
    h[F::DibSize] = kfm::model::PackedDibSize(base);
    h[F::FrameRecordSize] = kfm::model::kFramesEntryFrameRecordSize;
    if (frame.hasText && frame.text.text) {
        h[F::TextRecordSize] = records::kTextObjectRecordSize;
        h[F::TextLength] = textSize(frame.text.text);
    }
    if (frame.hasControl && frame.control.text) {
        h[F::ControlRecordSize] = records::kControlObjectRecordSize;
        h[F::ControlString1Length] = textSize(frame.control.text);
        h[F::ControlString2Length] = textSize(frame.control.caption);
    }
    if (frame.hasVector && frame.vector.metafile) {
        h[F::VectorRecordSize] = records::kVectorObjectRecordSize;
        h[F::MetafileSize] = GetEnhMetaFileBits(frame.vector.metafile.get(), 0, nullptr);
    }
    h[F::NameLength] = static_cast<std::uint32_t>(frame.name.size() + 1);
    h[F::CommentLength] = static_cast<std::uint32_t>(frame.comment.size() + 1);
    h[F::TransparencyDibSize] = kfm::model::PackedDibSize(KPXGetImageTransparentImageEx(base));
    if (frame.alphaValue > 0) {
        h[F::AlphaPairSize] = kAlphaPairSize;
        h[F::AlphaDibSize] =
            kfm::model::PackedDibSize(static_cast<KpxHandle>(frame.GetMaskImage()));
    }
    return h;
}

// Appends the library's packed DIB of the image, padded with zeros to the declared size; false
// when the library gives none or a larger one.
bool appendPackedDib(KpxHandle image, std::uint32_t declared, kpx::ByteWriter& out) {
    if (declared == 0)
        return true;
    const HGLOBAL block = KPXGetGlobalBlock(image);
    if (!block)
        return false;
    const std::size_t size = GlobalSize(block);
    const auto* bytes = static_cast<const std::uint8_t*>(GlobalLock(block));
    const bool fits = bytes && size <= declared;
    if (fits) {
        out.bytes(std::span(bytes, size));
        out.zeros(declared - size);
    }
    if (bytes)
        GlobalUnlock(block);
    GlobalFree(block);
    return fits;
}

void appendText(const std::optional<std::string>& text, kpx::ByteWriter& out) {
    if (!text)
        return;
    out.text(*text);
    out.u8(0);
}

void appendFrameRecord(const CObjFrame& frame, kpx::ByteWriter& out) {
    const auto base = static_cast<KpxHandle>(frame.GetImage());
    out.i32le(KPXWidth(base));
    out.i32le(KPXHeight(base));
    out.i32le(frame.left);
    out.i32le(frame.top);
    out.i32le(frame.delay);
    out.i32le(CObjFrame::NormalizeDisposal(frame.disposal));
    out.u32le(frame.transparency);
    out.zeros(6 * 4); // name, comment and the four object pointers travel apart
    out.i32le(frame.softAlpha);
}

bool appendEntry(const CObjFrame& frame, kpx::ByteWriter& out) {
    using F = FramesEntryField;
    const EntryHeader h = headerOf(frame);
    for (const std::uint32_t value : h.values)
        out.u32le(value);
    const auto base = static_cast<KpxHandle>(frame.GetImage());
    if (!appendPackedDib(base, h[F::DibSize], out))
        return false;
    appendFrameRecord(frame, out);
    appendText(frame.name, out);
    appendText(frame.comment, out);
    if (h[F::TextRecordSize]) {
        out.bytes(records::writeTextObjectRecord(frame.text));
        appendText(frame.text.text, out);
    }
    if (h[F::ControlRecordSize]) {
        out.bytes(records::writeControlObjectRecord(frame.control));
        appendText(frame.control.text, out);
        appendText(frame.control.caption, out);
    }
    if (h[F::VectorRecordSize]) {
        out.bytes(records::writeVectorObjectRecord(frame.vector));
        std::vector<std::uint8_t> bits(h[F::MetafileSize]);
        GetEnhMetaFileBits(frame.vector.metafile.get(), h[F::MetafileSize], bits.data());
        out.bytes(bits);
    }
    if (!appendPackedDib(KPXGetImageTransparentImageEx(base), h[F::TransparencyDibSize], out))
        return false;
    if (h[F::AlphaPairSize]) {
        out.i32le(frame.alphaValue);
        out.u32le(0);
        if (!appendPackedDib(static_cast<KpxHandle>(frame.GetMaskImage()), h[F::AlphaDibSize], out))
            return false;
    }
    return true;
}

// --- Reading

// A record block is either absent or exactly the record's size, and present exactly when the
// data that goes with it is.
bool recordSizeFits(std::uint32_t recordSize, std::size_t expected, bool hasData) {
    return hasData ? recordSize == expected : recordSize == 0;
}

// Whether the header's sizes describe an entry this program writes and fit in what is left.
bool headerAddsUp(const EntryHeader& h, std::size_t remaining) {
    using F = FramesEntryField;
    if (h[F::Magic] != kfm::model::kFramesEntryMagic || h[F::DibSize] < kBitmapInfoHeaderSize ||
        h[F::FrameRecordSize] != kfm::model::kFramesEntryFrameRecordSize || h[F::NameLength] == 0 ||
        h[F::CommentLength] == 0)
        return false;
    if (!recordSizeFits(h[F::TextRecordSize], records::kTextObjectRecordSize,
                        h[F::TextLength] > 0) ||
        !recordSizeFits(h[F::ControlRecordSize], records::kControlObjectRecordSize,
                        h[F::ControlString1Length] > 0) ||
        (h[F::ControlString1Length] == 0 && h[F::ControlString2Length] != 0) ||
        !recordSizeFits(h[F::VectorRecordSize], records::kVectorObjectRecordSize,
                        h[F::MetafileSize] > 0))
        return false;
    if ((h[F::AlphaPairSize] != 0 && h[F::AlphaPairSize] != kAlphaPairSize) ||
        (h[F::AlphaPairSize] == 0 && h[F::AlphaDibSize] != 0))
        return false;
    std::uint64_t total = 0;
    for (int i = 1; i < kFieldCount; ++i)
        total += h.values[i];
    return total <= remaining;
}

// A text of the block: its bytes up to the first zero; nothing when its last byte is no zero.
std::optional<std::string> readText(kpx::ByteReader& in, std::uint32_t length) {
    const auto bytes = in.bytes(length);
    if (bytes.empty() || bytes.back() != 0)
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(bytes.data()));
}

// Whether the bytes are a packed DIB as the library writes them: an uncompressed picture of a
// depth the library keeps, whose header, colour table and rows take the bytes' size. The picture
// the library makes from it is then never larger than a few times the block.
bool isPackedDibOfItsSize(std::span<const std::uint8_t> dib) {
    kpx::ByteReader in(dib);
    const std::uint32_t headerSize = in.u32le();
    const std::int32_t width = in.i32le();
    const std::int32_t height = in.i32le();
    const std::uint16_t planes = in.u16le();
    const std::uint16_t bpp = in.u16le();
    const std::uint32_t compression = in.u32le();
    if (in.truncated() || headerSize != kBitmapInfoHeaderSize || planes != 1 ||
        compression != 0 || width <= 0 || height <= 0 || width > 32767 || height > 32767)
        return false;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return false;
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * bpp + 31) / 32 * 4;
    const std::uint64_t pixels = rowBytes * static_cast<std::uint64_t>(height);
    const std::uint64_t table = bpp <= 8 ? 4u << bpp : 0;
    return dib.size() >= kBitmapInfoHeaderSize + pixels &&
           dib.size() <= kBitmapInfoHeaderSize + table + pixels;
}

// A new image from a packed DIB of the block; 0 when the bytes make none.
KpxHandle imageFromPackedDib(std::span<const std::uint8_t> dib) {
    if (!isPackedDibOfItsSize(dib))
        return 0;
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, dib.size());
    auto* bytes = block ? static_cast<std::uint8_t*>(GlobalLock(block)) : nullptr;
    KpxHandle image = 0;
    if (bytes) {
        std::memcpy(bytes, dib.data(), dib.size());
        GlobalUnlock(block);
        image = KPXCreateImageFromGlobal(block);
    }
    if (block)
        GlobalFree(block);
    return image;
}

struct FrameRecord {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t delay = 0;
    std::int32_t disposal = 1;
    std::uint32_t transparency = 0;
    std::int32_t softAlpha = 0;
};

FrameRecord readFrameRecord(std::span<const std::uint8_t> bytes) {
    kpx::ByteReader in(bytes);
    FrameRecord r;
    in.skip(8); // width and height: the picture's own size counts
    r.left = in.i32le();
    r.top = in.i32le();
    r.delay = in.i32le();
    r.disposal = in.i32le();
    r.transparency = in.u32le();
    in.skip(6 * 4);
    r.softAlpha = in.i32le();
    return r;
}

// Reads one entry whose header adds up and appends its frame; false when a part of it cannot be
// made (nothing is appended then).
bool readEntry(const EntryHeader& h, kpx::ByteReader& in, FrameList& list) {
    using F = FramesEntryField;
    ImageRef base(imageFromPackedDib(in.bytes(h[F::DibSize])));
    if (!base.get())
        return false;
    FrameRecord record = readFrameRecord(in.bytes(h[F::FrameRecordSize]));
    const auto name = readText(in, h[F::NameLength]);
    const auto comment = readText(in, h[F::CommentLength]);
    if (!name || !comment)
        return false;

    std::optional<TextObjectRecord> text;
    if (h[F::TextLength] > 0) {
        text = records::readTextObjectRecord(in.bytes(h[F::TextRecordSize]));
        text->text = readText(in, h[F::TextLength]);
        if (!text->text)
            return false;
    }
    std::optional<ControlObjectRecord> control;
    if (h[F::ControlString1Length] > 0) {
        control = records::readControlObjectRecord(in.bytes(h[F::ControlRecordSize]));
        control->text = readText(in, h[F::ControlString1Length]);
        if (!control->text)
            return false;
        if (h[F::ControlString2Length] > 0) {
            control->caption = readText(in, h[F::ControlString2Length]);
            if (!control->caption)
                return false;
        }
    }
    std::optional<VectorObjectRecord> vector;
    if (h[F::MetafileSize] > 0) {
        vector = records::readVectorObjectRecord(in.bytes(h[F::VectorRecordSize]));
        const auto bits = in.bytes(h[F::MetafileSize]);
        vector->metafile.reset(SetEnhMetaFileBits(static_cast<UINT>(bits.size()), bits.data()));
        if (!vector->metafile)
            return false;
    }
    if (h[F::TransparencyDibSize] > 0) {
        ImageRef transparency(imageFromPackedDib(in.bytes(h[F::TransparencyDibSize])));
        if (!transparency.get() || !KPXSetImageTransparentEx(base.get(), transparency.get()))
            return false;
        transparency.release(); // the base image owns it now
        if (h[F::TextLength] == 0 && h[F::MetafileSize] == 0)
            record.softAlpha = 1;
    }
    std::int32_t alphaValue = 0;
    if (h[F::AlphaPairSize] > 0) {
        kpx::ByteReader pair(in.bytes(h[F::AlphaPairSize]));
        alphaValue = pair.i32le();
    }
    ImageRef mask(h[F::AlphaDibSize] > 0 ? imageFromPackedDib(in.bytes(h[F::AlphaDibSize])) : 0);
    if (h[F::AlphaDibSize] > 0 && !mask.get())
        return false;
    if (text)
        SetImageTransparent(static_cast<short>(base.get()),
                            static_cast<int>(record.transparency & 0xFF));

    const int width = KPXWidth(base.get());
    const int height = KPXHeight(base.get());
    CObjFrame& frame = list.emplace_back(static_cast<std::uint16_t>(base.release()), width, height,
                                         record.left, record.top, record.delay, record.disposal,
                                         record.transparency, name->c_str(), comment->c_str(),
                                         text ? &*text : nullptr, control ? &*control : nullptr,
                                         vector ? &*vector : nullptr, nullptr, record.softAlpha);
    if (h[F::AlphaPairSize] > 0) {
        frame.alphaValue = alphaValue;
        frame.SetMaskImage(static_cast<std::uint16_t>(mask.release()));
    }
    return true;
}

} // namespace

namespace kfm::model {

std::uint32_t PackedDibSize(KpxHandle image) {
    if (!image)
        return 0;
    const int bpp = KPXbpp(image);
    const std::uint32_t table = bpp >= 1 && bpp <= 8 ? 4u << bpp : 0;
    return KPXSizeImage(image) + kBitmapInfoHeaderSize + table;
}

} // namespace kfm::model

std::optional<std::vector<std::uint8_t>>
WriteClipboardFramesBlock(std::span<const CObjFrame* const> frames) {
    std::vector<std::uint8_t> bytes;
    kpx::ByteWriter out(bytes);
    for (const CObjFrame* frame : frames)
        if (!frame || !frame->GetImage() || !appendEntry(*frame, out))
            return std::nullopt;
    out.u8(0);
    return bytes;
}

kfm::model::FramesBlockContents ReadClipboardFramesBytes(std::span<const std::uint8_t> bytes) {
    kfm::model::FramesBlockContents contents;
    contents.frames = std::make_unique<FrameList>();
    kpx::ByteReader in(bytes);
    while (in.peek() != 0) {
        if (in.remaining() < kfm::model::kFramesEntryHeaderSize) {
            contents.complete = false;
            break;
        }
        EntryHeader h;
        for (std::uint32_t& value : h.values)
            value = in.u32le();
        if (!headerAddsUp(h, in.remaining()) || !readEntry(h, in, *contents.frames)) {
            contents.complete = false;
            break;
        }
    }
    // A block that simply ends without its zero byte has still given every entry it holds.
    return contents;
}

HGLOBAL CreateClipboardFramesBlock() {
    if (!g_pAnimationData)
        return nullptr;
    std::vector<const CObjFrame*> marked;
    for (CObjFrame& frame : g_pAnimationData->frames) {
        frame.marked = frame.selected && frame.GetImage() ? 1 : 0;
        if (frame.marked)
            marked.push_back(&frame);
    }
    if (marked.empty())
        return nullptr;
    const auto bytes = WriteClipboardFramesBlock(marked);
    if (!bytes) {
        ShellMessageBox(kfm5res::IDS_CLIPBOARD_FRAMES_FAILED, MB_ICONHAND_);
        return nullptr;
    }
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, bytes->size());
    auto* memory = block ? static_cast<std::uint8_t*>(GlobalLock(block)) : nullptr;
    if (!memory) {
        if (block)
            GlobalFree(block);
        return nullptr;
    }
    std::memcpy(memory, bytes->data(), bytes->size());
    GlobalUnlock(block);
    return block;
}

std::unique_ptr<FrameList> ReadClipboardFramesBlock(HGLOBAL block, bool* complete) {
    if (!block)
        return nullptr;
    const auto* memory = static_cast<const std::uint8_t*>(GlobalLock(block));
    if (!memory)
        return nullptr;
    auto contents = ReadClipboardFramesBytes(std::span(memory, GlobalSize(block)));
    GlobalUnlock(block);
    if (complete)
        *complete = contents.complete;
    return std::move(contents.frames);
}
