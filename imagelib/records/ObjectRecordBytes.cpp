#include "ObjectRecordBytes.h"

#include <algorithm>
#include <cassert>
#include <limits>

#include "ByteReader.h"
#include "ByteWriter.h"

namespace kfm::records {
namespace {

using kpx::ByteReader;
using kpx::ByteWriter;

constexpr std::size_t kLogFontSize = 60;
static_assert(sizeof(LOGFONTA) == kLogFontSize);

// Pointer and handle slots carry nothing outside memory.
constexpr std::size_t kPointerSlotSize = 4;

void writeFont(ByteWriter& w, const LOGFONTA& f) {
    w.i32le(f.lfHeight);
    w.i32le(f.lfWidth);
    w.i32le(f.lfEscapement);
    w.i32le(f.lfOrientation);
    w.i32le(f.lfWeight);
    w.u8(f.lfItalic);
    w.u8(f.lfUnderline);
    w.u8(f.lfStrikeOut);
    w.u8(f.lfCharSet);
    w.u8(f.lfOutPrecision);
    w.u8(f.lfClipPrecision);
    w.u8(f.lfQuality);
    w.u8(f.lfPitchAndFamily);
    for (const CHAR c : f.lfFaceName)
        w.u8(static_cast<std::uint8_t>(c));
}

LOGFONTA readFont(ByteReader& in) {
    LOGFONTA f{};
    f.lfHeight = in.i32le();
    f.lfWidth = in.i32le();
    f.lfEscapement = in.i32le();
    f.lfOrientation = in.i32le();
    f.lfWeight = in.i32le();
    f.lfItalic = in.u8();
    f.lfUnderline = in.u8();
    f.lfStrikeOut = in.u8();
    f.lfCharSet = in.u8();
    f.lfOutPrecision = in.u8();
    f.lfClipPrecision = in.u8();
    f.lfQuality = in.u8();
    f.lfPitchAndFamily = in.u8();
    for (CHAR& c : f.lfFaceName)
        c = static_cast<CHAR>(in.u8());
    return f;
}

void writeMatrix(ByteWriter& w, const double (&m)[4]) {
    for (const double v : m)
        w.f64le(v);
}

void readMatrix(ByteReader& in, double (&m)[4]) {
    for (double& v : m)
        v = in.f64le();
}

template <std::size_t M> void readBytes(ByteReader& in, std::array<std::uint8_t, M>& out) {
    const auto bytes = in.bytes(M);
    std::copy(bytes.begin(), bytes.end(), out.begin());
}

// Runs a record's field writer and returns exactly the record's N bytes.
template <std::size_t N, typename Fields> std::array<std::uint8_t, N> recordBytes(Fields fields) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(N);
    ByteWriter w(bytes);
    fields(w);
    assert(bytes.size() == N);
    return kpx::zeroPadded<N>(bytes);
}

} // namespace

// TextObjectRecord: 0 left, 4 top, 8 colour, 12 shadow colour, 16/20 shadow offsets, 24..27 the
// flag bytes, 28 LOGFONTA, 88 matrix, 120 interpolation, 124 shadow, 125 transparency level,
// 126 reserved (18), 144 text pointer.
TextRecordBytes writeTextObjectRecord(const TextObjectRecord& r) {
    return recordBytes<kTextObjectRecordSize>([&r](ByteWriter& w) {
        w.i32le(r.left);
        w.i32le(r.top);
        w.u32le(r.color);
        w.u32le(r.shadowColor);
        w.i32le(r.shadowXOffset);
        w.i32le(r.shadowYOffset);
        w.u8(r.shadowTransp);
        w.u8(r.isShadowBlur);
        w.u8(r.antialias);
        w.u8(r.kern);
        writeFont(w, r.font);
        writeMatrix(w, r.matrix);
        w.i32le(r.interpolation);
        w.u8(r.isShadow);
        w.u8(r.transparencyLevel);
        w.bytes(r.reserved);
        w.zeros(kPointerSlotSize);
    });
}

TextObjectRecord readTextObjectRecord(std::span<const std::uint8_t> bytes) {
    const auto padded = kpx::zeroPadded<kTextObjectRecordSize>(bytes);
    ByteReader in(padded);
    TextObjectRecord r;
    r.left = in.i32le();
    r.top = in.i32le();
    r.color = in.u32le();
    r.shadowColor = in.u32le();
    r.shadowXOffset = in.i32le();
    r.shadowYOffset = in.i32le();
    r.shadowTransp = in.u8();
    r.isShadowBlur = in.u8();
    r.antialias = in.u8();
    r.kern = in.u8();
    r.font = readFont(in);
    readMatrix(in, r.matrix);
    r.interpolation = in.i32le();
    r.isShadow = in.u8();
    r.transparencyLevel = in.u8();
    readBytes(in, r.reserved);
    return r;
}

// ControlObjectRecord: 0 type, 4..8 the five flags, 9 reserved byte, 10 reserved word,
// 12 four reserved words, 28 style bits, 32 sixteen numbers, 96 text pointer, 100 caption pointer.
ControlRecordBytes writeControlObjectRecord(const ControlObjectRecord& r) {
    return recordBytes<kControlObjectRecordSize>([&r](ByteWriter& w) {
        w.u32le(r.type);
        w.u8(r.clientEdge);
        w.u8(r.staticEdge);
        w.u8(r.modalFrame);
        w.u8(r.disabled);
        w.u8(r.setFocus);
        w.u8(r.reserved8);
        w.u16le(r.reserved16);
        for (const std::uint32_t v : r.reserved)
            w.u32le(v);
        w.u32le(r.styleBits);
        for (const std::int32_t v : r.values)
            w.i32le(v);
        w.zeros(2 * kPointerSlotSize);
    });
}

ControlObjectRecord readControlObjectRecord(std::span<const std::uint8_t> bytes) {
    const auto padded = kpx::zeroPadded<kControlObjectRecordSize>(bytes);
    ByteReader in(padded);
    ControlObjectRecord r;
    r.type = in.u32le();
    r.clientEdge = in.u8();
    r.staticEdge = in.u8();
    r.modalFrame = in.u8();
    r.disabled = in.u8();
    r.setFocus = in.u8();
    r.reserved8 = in.u8();
    r.reserved16 = in.u16le();
    for (std::uint32_t& v : r.reserved)
        v = in.u32le();
    r.styleBits = in.u32le();
    for (std::int32_t& v : r.values)
        v = in.i32le();
    return r;
}

// VectorObjectRecord: 0 source rectangle, 16 units per inch, 20 metafile handle, 24 left, 28 top,
// 32 width, 36 height, 40 matrix, 72 interpolation, 76 antialias, 77 transparency level,
// 78 reserved (22).
VectorRecordBytes writeVectorObjectRecord(const VectorObjectRecord& r) {
    return recordBytes<kVectorObjectRecordSize>([&r](ByteWriter& w) {
        w.i32le(r.sourceLeft);
        w.i32le(r.sourceTop);
        w.i32le(r.sourceRight);
        w.i32le(r.sourceBottom);
        w.i32le(r.unitsPerInch);
        w.zeros(kPointerSlotSize);
        w.i32le(r.left);
        w.i32le(r.top);
        w.i32le(r.width);
        w.i32le(r.height);
        writeMatrix(w, r.matrix);
        w.i32le(r.interpolation);
        w.u8(r.antialias);
        w.u8(r.transparencyLevel);
        w.bytes(r.reserved);
    });
}

VectorObjectRecord readVectorObjectRecord(std::span<const std::uint8_t> bytes) {
    const auto padded = kpx::zeroPadded<kVectorObjectRecordSize>(bytes);
    ByteReader in(padded);
    VectorObjectRecord r;
    r.sourceLeft = in.i32le();
    r.sourceTop = in.i32le();
    r.sourceRight = in.i32le();
    r.sourceBottom = in.i32le();
    r.unitsPerInch = in.i32le();
    in.skip(kPointerSlotSize);
    r.left = in.i32le();
    r.top = in.i32le();
    r.width = in.i32le();
    r.height = in.i32le();
    readMatrix(in, r.matrix);
    r.interpolation = in.i32le();
    r.antialias = in.u8();
    r.transparencyLevel = in.u8();
    readBytes(in, r.reserved);
    return r;
}

// NPImageObjectRecord: 0/4 array 0, 8/12 array 1, 16 alpha value, 20 transparency word,
// 24/28 array 2, 32/36 array 3, 40/44 palette (entries), 48 reserved (16); each array a count
// followed by its pointer slot.

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
    return recordBytes<kNPImageObjectRecordSize>([&r, &sizes](ByteWriter& w) {
        const auto array = [&w, &sizes](int index) {
            w.u32le(sizes.counts[static_cast<std::size_t>(index)]);
            w.zeros(kPointerSlotSize);
        };
        array(0);
        array(1);
        w.i32le(r.alphaValue);
        w.i32le(r.transparencyWord);
        for (int i = 2; i < kNPImageArrayCount; ++i)
            array(i);
        for (const std::uint32_t v : r.reserved)
            w.u32le(v);
    });
}

StoredNPImageRecord readNPImageObjectRecord(std::span<const std::uint8_t> bytes) {
    const auto padded = kpx::zeroPadded<kNPImageObjectRecordSize>(bytes);
    ByteReader in(padded);
    StoredNPImageRecord stored;
    const auto array = [&in, &stored](int index) {
        stored.sizes.counts[static_cast<std::size_t>(index)] = in.u32le();
        in.skip(kPointerSlotSize);
    };
    array(0);
    array(1);
    stored.record.alphaValue = in.i32le();
    stored.record.transparencyWord = in.i32le();
    for (int i = 2; i < kNPImageArrayCount; ++i)
        array(i);
    for (std::uint32_t& v : stored.record.reserved)
        v = in.u32le();
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
    ByteWriter w(out);
    for (const std::int32_t entry : r.palette)
        w.i32le(entry);
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
    ByteReader in(bytes);
    while (in.remaining() >= 4)
        r.palette.push_back(in.i32le());
}

} // namespace kfm::records
