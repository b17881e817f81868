#include "ObjectRecordBytes.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace kfm::records {
namespace {

constexpr std::size_t kLogFontSize = 60;

// Writes little-endian fields at fixed offsets of a record's bytes.
template <std::size_t N> class FieldWriter {
public:
    explicit FieldWriter(std::array<std::uint8_t, N>& out) : out_(out) { out_.fill(0); }

    void u8(std::size_t at, std::uint8_t v) { out_[at] = v; }
    void u16(std::size_t at, std::uint16_t v) {
        for (std::size_t i = 0; i < 2; ++i)
            out_[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    void u32(std::size_t at, std::uint32_t v) {
        for (std::size_t i = 0; i < 4; ++i)
            out_[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    void i32(std::size_t at, std::int32_t v) { u32(at, static_cast<std::uint32_t>(v)); }
    void f64(std::size_t at, double v) {
        const auto bits = std::bit_cast<std::uint64_t>(v);
        u32(at, static_cast<std::uint32_t>(bits));
        u32(at + 4, static_cast<std::uint32_t>(bits >> 32));
    }
    void bytes(std::size_t at, std::span<const std::uint8_t> v) {
        std::copy(v.begin(), v.end(), out_.begin() + static_cast<std::ptrdiff_t>(at));
    }
    // Pointer and handle slots carry nothing outside memory.
    void pointerSlot(std::size_t at) { u32(at, 0); }

    void font(std::size_t at, const LOGFONTA& f) {
        i32(at, f.lfHeight);
        i32(at + 4, f.lfWidth);
        i32(at + 8, f.lfEscapement);
        i32(at + 12, f.lfOrientation);
        i32(at + 16, f.lfWeight);
        u8(at + 20, f.lfItalic);
        u8(at + 21, f.lfUnderline);
        u8(at + 22, f.lfStrikeOut);
        u8(at + 23, f.lfCharSet);
        u8(at + 24, f.lfOutPrecision);
        u8(at + 25, f.lfClipPrecision);
        u8(at + 26, f.lfQuality);
        u8(at + 27, f.lfPitchAndFamily);
        for (std::size_t i = 0; i < LF_FACESIZE; ++i)
            u8(at + 28 + i, static_cast<std::uint8_t>(f.lfFaceName[i]));
    }
    void matrix(std::size_t at, const double (&m)[4]) {
        for (std::size_t i = 0; i < 4; ++i)
            f64(at + 8 * i, m[i]);
    }

private:
    std::array<std::uint8_t, N>& out_;
};

// Reads little-endian fields of a record from its first N bytes; bytes past the input read as 0.
template <std::size_t N> class FieldReader {
public:
    explicit FieldReader(std::span<const std::uint8_t> in) {
        const std::size_t n = std::min(in.size(), N);
        std::copy_n(in.begin(), n, bytes_.begin());
    }

    std::uint8_t u8(std::size_t at) const { return bytes_[at]; }
    std::uint16_t u16(std::size_t at) const {
        return static_cast<std::uint16_t>(bytes_[at] | (bytes_[at + 1] << 8));
    }
    std::uint32_t u32(std::size_t at) const {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < 4; ++i)
            v |= static_cast<std::uint32_t>(bytes_[at + i]) << (8 * i);
        return v;
    }
    std::int32_t i32(std::size_t at) const { return static_cast<std::int32_t>(u32(at)); }
    double f64(std::size_t at) const {
        const std::uint64_t bits = u32(at) | (static_cast<std::uint64_t>(u32(at + 4)) << 32);
        return std::bit_cast<double>(bits);
    }
    template <std::size_t M> void bytes(std::size_t at, std::array<std::uint8_t, M>& out) const {
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(at), M, out.begin());
    }

    LOGFONTA font(std::size_t at) const {
        LOGFONTA f{};
        f.lfHeight = i32(at);
        f.lfWidth = i32(at + 4);
        f.lfEscapement = i32(at + 8);
        f.lfOrientation = i32(at + 12);
        f.lfWeight = i32(at + 16);
        f.lfItalic = u8(at + 20);
        f.lfUnderline = u8(at + 21);
        f.lfStrikeOut = u8(at + 22);
        f.lfCharSet = u8(at + 23);
        f.lfOutPrecision = u8(at + 24);
        f.lfClipPrecision = u8(at + 25);
        f.lfQuality = u8(at + 26);
        f.lfPitchAndFamily = u8(at + 27);
        for (std::size_t i = 0; i < LF_FACESIZE; ++i)
            f.lfFaceName[i] = static_cast<CHAR>(u8(at + 28 + i));
        return f;
    }
    void matrix(std::size_t at, double (&m)[4]) const {
        for (std::size_t i = 0; i < 4; ++i)
            m[i] = f64(at + 8 * i);
    }

private:
    std::array<std::uint8_t, N> bytes_{};
};

static_assert(sizeof(LOGFONTA) == kLogFontSize);

} // namespace

// TextObjectRecord: 0 left, 4 top, 8 colour, 12 shadow colour, 16/20 shadow offsets, 24..27 the
// flag bytes, 28 LOGFONTA, 88 matrix, 120 interpolation, 124 shadow, 125 transparency level,
// 126 reserved (18), 144 text pointer.
TextRecordBytes writeTextObjectRecord(const TextObjectRecord& r) {
    TextRecordBytes out;
    FieldWriter w(out);
    w.i32(0, r.left);
    w.i32(4, r.top);
    w.u32(8, r.color);
    w.u32(12, r.shadowColor);
    w.i32(16, r.shadowXOffset);
    w.i32(20, r.shadowYOffset);
    w.u8(24, r.shadowTransp);
    w.u8(25, r.isShadowBlur);
    w.u8(26, r.antialias);
    w.u8(27, r.kern);
    w.font(28, r.font);
    w.matrix(88, r.matrix);
    w.i32(120, r.interpolation);
    w.u8(124, r.isShadow);
    w.u8(125, r.transparencyLevel);
    w.bytes(126, r.reserved);
    w.pointerSlot(144);
    return out;
}

TextObjectRecord readTextObjectRecord(std::span<const std::uint8_t> bytes) {
    const FieldReader<kTextObjectRecordSize> in(bytes);
    TextObjectRecord r;
    r.left = in.i32(0);
    r.top = in.i32(4);
    r.color = in.u32(8);
    r.shadowColor = in.u32(12);
    r.shadowXOffset = in.i32(16);
    r.shadowYOffset = in.i32(20);
    r.shadowTransp = in.u8(24);
    r.isShadowBlur = in.u8(25);
    r.antialias = in.u8(26);
    r.kern = in.u8(27);
    r.font = in.font(28);
    in.matrix(88, r.matrix);
    r.interpolation = in.i32(120);
    r.isShadow = in.u8(124);
    r.transparencyLevel = in.u8(125);
    in.bytes(126, r.reserved);
    return r;
}

// ControlObjectRecord: 0 type, 4..8 the five flags, 9 reserved byte, 10 reserved word,
// 12 four reserved words, 28 style bits, 32 sixteen numbers, 96 text pointer, 100 caption pointer.
ControlRecordBytes writeControlObjectRecord(const ControlObjectRecord& r) {
    ControlRecordBytes out;
    FieldWriter w(out);
    w.u32(0, r.type);
    w.u8(4, r.clientEdge);
    w.u8(5, r.staticEdge);
    w.u8(6, r.modalFrame);
    w.u8(7, r.disabled);
    w.u8(8, r.setFocus);
    w.u8(9, r.reserved8);
    w.u16(10, r.reserved16);
    for (std::size_t i = 0; i < r.reserved.size(); ++i)
        w.u32(12 + 4 * i, r.reserved[i]);
    w.u32(28, r.styleBits);
    for (std::size_t i = 0; i < r.values.size(); ++i)
        w.i32(32 + 4 * i, r.values[i]);
    w.pointerSlot(96);
    w.pointerSlot(100);
    return out;
}

ControlObjectRecord readControlObjectRecord(std::span<const std::uint8_t> bytes) {
    const FieldReader<kControlObjectRecordSize> in(bytes);
    ControlObjectRecord r;
    r.type = in.u32(0);
    r.clientEdge = in.u8(4);
    r.staticEdge = in.u8(5);
    r.modalFrame = in.u8(6);
    r.disabled = in.u8(7);
    r.setFocus = in.u8(8);
    r.reserved8 = in.u8(9);
    r.reserved16 = in.u16(10);
    for (std::size_t i = 0; i < r.reserved.size(); ++i)
        r.reserved[i] = in.u32(12 + 4 * i);
    r.styleBits = in.u32(28);
    for (std::size_t i = 0; i < r.values.size(); ++i)
        r.values[i] = in.i32(32 + 4 * i);
    return r;
}

// VectorObjectRecord: 0 source rectangle, 16 units per inch, 20 metafile handle, 24 left, 28 top,
// 32 width, 36 height, 40 matrix, 72 interpolation, 76 antialias, 77 transparency level,
// 78 reserved (22).
VectorRecordBytes writeVectorObjectRecord(const VectorObjectRecord& r) {
    VectorRecordBytes out;
    FieldWriter w(out);
    w.i32(0, r.sourceLeft);
    w.i32(4, r.sourceTop);
    w.i32(8, r.sourceRight);
    w.i32(12, r.sourceBottom);
    w.i32(16, r.unitsPerInch);
    w.pointerSlot(20);
    w.i32(24, r.left);
    w.i32(28, r.top);
    w.i32(32, r.width);
    w.i32(36, r.height);
    w.matrix(40, r.matrix);
    w.i32(72, r.interpolation);
    w.u8(76, r.antialias);
    w.u8(77, r.transparencyLevel);
    w.bytes(78, r.reserved);
    return out;
}

VectorObjectRecord readVectorObjectRecord(std::span<const std::uint8_t> bytes) {
    const FieldReader<kVectorObjectRecordSize> in(bytes);
    VectorObjectRecord r;
    r.sourceLeft = in.i32(0);
    r.sourceTop = in.i32(4);
    r.sourceRight = in.i32(8);
    r.sourceBottom = in.i32(12);
    r.unitsPerInch = in.i32(16);
    r.left = in.i32(24);
    r.top = in.i32(28);
    r.width = in.i32(32);
    r.height = in.i32(36);
    in.matrix(40, r.matrix);
    r.interpolation = in.i32(72);
    r.antialias = in.u8(76);
    r.transparencyLevel = in.u8(77);
    in.bytes(78, r.reserved);
    return r;
}

// NPImageObjectRecord: 0/4 array 0, 8/12 array 1, 16 alpha value, 20 transparency word,
// 24/28 array 2, 32/36 array 3, 40/44 palette (entries), 48 reserved (16); each array a count
// followed by its pointer slot.
namespace {
constexpr std::size_t kNPCountOffset[kNPImageArrayCount] = {0, 8, 24, 32, 40};
} // namespace

std::uint64_t NPImageArraySizes::byteCount(int index) const {
    if (index < 0 || index >= kNPImageArrayCount)
        return 0;
    const std::uint64_t n = counts[static_cast<std::size_t>(index)];
    return index == 4 ? 4 * n : n;
}

std::vector<int> NPImageArraySizes::storedOrder() const {
    std::vector<int> order;
    for (int i = 0; i < 3; ++i)
        if (counts[static_cast<std::size_t>(i)] != 0)
            order.push_back(i);
    if (counts[3] != 0) {
        order.push_back(3);
        if (counts[4] != 0)
            order.push_back(4);
    }
    return order;
}

NPImageArraySizes npImageArraySizes(const NPImageObjectRecord& r) {
    const auto count = [](std::size_t n) {
        return static_cast<std::uint32_t>(
            std::min<std::size_t>(n, std::numeric_limits<std::uint32_t>::max()));
    };
    NPImageArraySizes s;
    s.counts = {count(r.pixels24.size()), count(r.alpha.size()), count(r.maskPixels.size()),
                count(r.pixels8.size()), count(r.palette.size())};
    return s;
}

std::optional<NPImageRecordBytes> writeNPImageObjectRecord(const NPImageObjectRecord& r) {
    const NPImageArraySizes sizes = npImageArraySizes(r);
    for (const std::uint32_t n : sizes.counts)
        if (n > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()))
            return std::nullopt;
    NPImageRecordBytes out;
    FieldWriter w(out);
    for (int i = 0; i < kNPImageArrayCount; ++i) {
        w.u32(kNPCountOffset[i], sizes.counts[static_cast<std::size_t>(i)]);
        w.pointerSlot(kNPCountOffset[i] + 4);
    }
    w.i32(16, r.alphaValue);
    w.i32(20, r.transparencyWord);
    for (std::size_t i = 0; i < r.reserved.size(); ++i)
        w.u32(48 + 4 * i, r.reserved[i]);
    return out;
}

StoredNPImageRecord readNPImageObjectRecord(std::span<const std::uint8_t> bytes) {
    const FieldReader<kNPImageObjectRecordSize> in(bytes);
    StoredNPImageRecord stored;
    for (int i = 0; i < kNPImageArrayCount; ++i)
        stored.sizes.counts[static_cast<std::size_t>(i)] = in.u32(kNPCountOffset[i]);
    stored.record.alphaValue = in.i32(16);
    stored.record.transparencyWord = in.i32(20);
    for (std::size_t i = 0; i < stored.record.reserved.size(); ++i)
        stored.record.reserved[i] = in.u32(48 + 4 * i);
    return stored;
}

namespace {

const std::vector<std::uint8_t>* byteArray(const NPImageObjectRecord& r, int index) {
    switch (index) {
    case 0:
        return &r.pixels24;
    case 1:
        return &r.alpha;
    case 2:
        return &r.maskPixels;
    case 3:
        return &r.pixels8;
    default:
        return nullptr;
    }
}

std::vector<std::uint8_t>* byteArray(NPImageObjectRecord& r, int index) {
    return const_cast<std::vector<std::uint8_t>*>(
        byteArray(static_cast<const NPImageObjectRecord&>(r), index));
}

} // namespace

std::vector<std::uint8_t> npImageArrayBytes(const NPImageObjectRecord& r, int index) {
    if (const auto* bytes = byteArray(r, index))
        return *bytes;
    if (index != 4)
        return {};
    std::vector<std::uint8_t> out;
    out.reserve(4 * r.palette.size());
    for (const std::int32_t entry : r.palette) {
        const auto v = static_cast<std::uint32_t>(entry);
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    return out;
}

void setNPImageArray(NPImageObjectRecord& r, int index, std::span<const std::uint8_t> bytes) {
    if (auto* target = byteArray(r, index)) {
        target->assign(bytes.begin(), bytes.end());
        return;
    }
    if (index != 4)
        return;
    r.palette.clear();
    r.palette.reserve(bytes.size() / 4);
    for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < 4; ++i)
            v |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
        r.palette.push_back(static_cast<std::int32_t>(v));
    }
}

} // namespace kfm::records
