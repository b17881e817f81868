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

// Each record's layout is written down once, as a list of its fields in stored order, and walked
// by a reader (FieldIn) or a writer (FieldOut). A field's type gives its width; pointer and
// handle slots are four bytes that carry nothing outside memory.
constexpr std::size_t kPointerSlotSize = 4;

class FieldIn {
public:
    explicit FieldIn(std::span<const std::uint8_t> bytes) : in_(bytes) {}
    void operator()(std::uint8_t& v) { v = in_.u8(); }
    void operator()(char& v) { v = static_cast<char>(in_.u8()); }
    void operator()(std::uint16_t& v) { v = in_.u16le(); }
    void operator()(std::uint32_t& v) { v = in_.u32le(); }
    void operator()(std::int32_t& v) { v = in_.i32le(); }
    void operator()(double& v) { v = in_.f64le(); }
    template <typename T, std::size_t M> void operator()(T (&values)[M]) {
        for (T& v : values)
            (*this)(v);
    }
    template <typename T, std::size_t M> void operator()(std::array<T, M>& values) {
        for (T& v : values)
            (*this)(v);
    }
    void pointerSlot() { in_.skip(kPointerSlotSize); }

private:
    ByteReader in_;
};

class FieldOut {
public:
    explicit FieldOut(std::vector<std::uint8_t>& out) : out_(out) {}
    void operator()(std::uint8_t v) { out_.u8(v); }
    void operator()(char v) { out_.u8(static_cast<std::uint8_t>(v)); }
    void operator()(std::uint16_t v) { out_.u16le(v); }
    void operator()(std::uint32_t v) { out_.u32le(v); }
    void operator()(std::int32_t v) { out_.i32le(v); }
    void operator()(double v) { out_.f64le(v); }
    template <typename T, std::size_t M> void operator()(const T (&values)[M]) {
        for (const T& v : values)
            (*this)(v);
    }
    template <typename T, std::size_t M> void operator()(const std::array<T, M>& values) {
        for (const T& v : values)
            (*this)(v);
    }
    void pointerSlot() { out_.zeros(kPointerSlotSize); }

private:
    ByteWriter out_;
};

template <typename Io, typename Font> void fontFields(Io& io, Font& f) {
    io(f.lfHeight);
    io(f.lfWidth);
    io(f.lfEscapement);
    io(f.lfOrientation);
    io(f.lfWeight);
    io(f.lfItalic);
    io(f.lfUnderline);
    io(f.lfStrikeOut);
    io(f.lfCharSet);
    io(f.lfOutPrecision);
    io(f.lfClipPrecision);
    io(f.lfQuality);
    io(f.lfPitchAndFamily);
    io(f.lfFaceName);
}

// TextObjectRecord: 0 left, 4 top, 8 colour, 12 shadow colour, 16/20 shadow offsets, 24..27 the
// flag bytes, 28 LOGFONTA, 88 matrix, 120 interpolation, 124 shadow, 125 transparency level,
// 126 reserved (18), 144 text pointer.
template <typename Io, typename Record> void textFields(Io& io, Record& r) {
    io(r.left);
    io(r.top);
    io(r.color);
    io(r.shadowColor);
    io(r.shadowXOffset);
    io(r.shadowYOffset);
    io(r.shadowTransp);
    io(r.isShadowBlur);
    io(r.antialias);
    io(r.kern);
    fontFields(io, r.font);
    io(r.matrix);
    io(r.interpolation);
    io(r.isShadow);
    io(r.transparencyLevel);
    io(r.reserved);
    io.pointerSlot();
}

// ControlObjectRecord: 0 type, 4..8 the five flags, 9 reserved byte, 10 reserved word,
// 12 four reserved words, 28 style bits, 32 sixteen numbers, 96 text pointer, 100 caption pointer.
template <typename Io, typename Record> void controlFields(Io& io, Record& r) {
    io(r.type);
    io(r.clientEdge);
    io(r.staticEdge);
    io(r.modalFrame);
    io(r.disabled);
    io(r.setFocus);
    io(r.reserved8);
    io(r.reserved16);
    io(r.reserved);
    io(r.styleBits);
    io(r.values);
    io.pointerSlot();
    io.pointerSlot();
}

// VectorObjectRecord: 0 source rectangle, 16 units per inch, 20 metafile handle, 24 left, 28 top,
// 32 width, 36 height, 40 matrix, 72 interpolation, 76 antialias, 77 transparency level,
// 78 reserved (22).
template <typename Io, typename Record> void vectorFields(Io& io, Record& r) {
    io(r.sourceLeft);
    io(r.sourceTop);
    io(r.sourceRight);
    io(r.sourceBottom);
    io(r.unitsPerInch);
    io.pointerSlot();
    io(r.left);
    io(r.top);
    io(r.width);
    io(r.height);
    io(r.matrix);
    io(r.interpolation);
    io(r.antialias);
    io(r.transparencyLevel);
    io(r.reserved);
}

// NPImageObjectRecord: 0/4 array 0, 8/12 array 1, 16 alpha value, 20 transparency word,
// 24/28 array 2, 32/36 array 3, 40/44 palette (entries), 48 reserved (16); each array a count
// followed by its pointer slot.
template <typename Io, typename Counts, typename Record>
void npImageFields(Io& io, Counts& counts, Record& r) {
    const auto array = [&io, &counts](std::size_t index) {
        io(counts[index]);
        io.pointerSlot();
    };
    array(0);
    array(1);
    io(r.alphaValue);
    io(r.transparencyWord);
    for (std::size_t i = 2; i < counts.size(); ++i)
        array(i);
    io(r.reserved);
}

// Runs a record's field list and returns exactly the record's N bytes.
template <std::size_t N, typename Fields> std::array<std::uint8_t, N> recordBytes(Fields fields) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(N);
    FieldOut out(bytes);
    fields(out);
    assert(bytes.size() == N);
    return kpx::zeroPadded<N>(bytes);
}

// Reads a record's fields from its first N bytes; bytes past the input read as zero.
template <std::size_t N, typename Fields>
void readRecord(std::span<const std::uint8_t> bytes, Fields fields) {
    const auto padded = kpx::zeroPadded<N>(bytes);
    FieldIn in(padded);
    fields(in);
}

} // namespace

TextRecordBytes writeTextObjectRecord(const TextObjectRecord& r) {
    return recordBytes<kTextObjectRecordSize>([&r](FieldOut& out) { textFields(out, r); });
}

TextObjectRecord readTextObjectRecord(std::span<const std::uint8_t> bytes) {
    TextObjectRecord r;
    readRecord<kTextObjectRecordSize>(bytes, [&r](FieldIn& in) { textFields(in, r); });
    return r;
}

ControlRecordBytes writeControlObjectRecord(const ControlObjectRecord& r) {
    return recordBytes<kControlObjectRecordSize>([&r](FieldOut& out) { controlFields(out, r); });
}

ControlObjectRecord readControlObjectRecord(std::span<const std::uint8_t> bytes) {
    ControlObjectRecord r;
    readRecord<kControlObjectRecordSize>(bytes, [&r](FieldIn& in) { controlFields(in, r); });
    return r;
}

VectorRecordBytes writeVectorObjectRecord(const VectorObjectRecord& r) {
    return recordBytes<kVectorObjectRecordSize>([&r](FieldOut& out) { vectorFields(out, r); });
}

VectorObjectRecord readVectorObjectRecord(std::span<const std::uint8_t> bytes) {
    VectorObjectRecord r;
    readRecord<kVectorObjectRecordSize>(bytes, [&r](FieldIn& in) { vectorFields(in, r); });
    return r;
}

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
    return recordBytes<kNPImageObjectRecordSize>(
        [&r, &sizes](FieldOut& out) { npImageFields(out, sizes.counts, r); });
}

StoredNPImageRecord readNPImageObjectRecord(std::span<const std::uint8_t> bytes) {
    StoredNPImageRecord stored;
    readRecord<kNPImageObjectRecordSize>(
        bytes, [&stored](FieldIn& in) { npImageFields(in, stored.sizes.counts, stored.record); });
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
