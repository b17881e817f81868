#include "ObjectRecordBytes.h"
#include "ObjectRecordCompare.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace kfm::records;

namespace {

using Bytes = std::vector<std::uint8_t>;

// Bytes at one offset of a stored record, written out by hand from the record layout.
struct Patch {
    std::size_t offset;
    Bytes bytes;
};

Bytes build(std::size_t size, const std::vector<Patch>& patches) {
    Bytes out(size, 0);
    for (const Patch& p : patches) {
        EXPECT_LE(p.offset + p.bytes.size(), size);
        std::copy(p.bytes.begin(), p.bytes.end(), out.begin() + static_cast<long>(p.offset));
    }
    return out;
}

template <std::size_t N> Bytes toVector(const std::array<std::uint8_t, N>& a) {
    return Bytes(a.begin(), a.end());
}

// Doubles little-endian: 1.0, -1.0, 0.5, 2.0.
const Bytes kOne = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
const Bytes kMinusOne = {0, 0, 0, 0, 0, 0, 0xF0, 0xBF};
const Bytes kHalf = {0, 0, 0, 0, 0, 0, 0xE0, 0x3F};
const Bytes kTwo = {0, 0, 0, 0, 0, 0, 0x00, 0x40};

TextObjectRecord sampleText() {
    TextObjectRecord r;
    r.left = -10;
    r.top = 0x01020304;
    r.color = RGB(0x11, 0x22, 0x33);
    r.shadowColor = RGB(0x44, 0x55, 0x66);
    r.shadowXOffset = -3;
    r.shadowYOffset = 7;
    r.shadowTransp = 50;
    r.isShadowBlur = 1;
    r.antialias = 1;
    r.kern = 2;
    r.font.lfHeight = -24;
    r.font.lfWidth = 0;
    r.font.lfEscapement = 900;
    r.font.lfOrientation = 0x7F;
    r.font.lfWeight = 700;
    r.font.lfItalic = 1;
    r.font.lfUnderline = 2;
    r.font.lfStrikeOut = 3;
    r.font.lfCharSet = 238; // Central European: the text bytes are code page 1250
    r.font.lfOutPrecision = 5;
    r.font.lfClipPrecision = 6;
    r.font.lfQuality = 4;
    r.font.lfPitchAndFamily = 0x22;
    std::strcpy(r.font.lfFaceName, "Arial");
    r.matrix[0] = -1.0;
    r.matrix[1] = 0.5;
    r.matrix[2] = 2.0;
    r.matrix[3] = 1.0;
    r.interpolation = 4;
    r.isShadow = 1;
    r.transparencyLevel = 30;
    r.reserved[0] = 0xAB;
    r.reserved[17] = 0xCD;
    r.text = std::string("\xC8\x65sk\xE1", 5);
    return r;
}

const std::vector<Patch> kSampleTextBytes = {
    {0, {0xF6, 0xFF, 0xFF, 0xFF}},
    {4, {0x04, 0x03, 0x02, 0x01}},
    {8, {0x11, 0x22, 0x33, 0x00}},
    {12, {0x44, 0x55, 0x66, 0x00}},
    {16, {0xFD, 0xFF, 0xFF, 0xFF}},
    {20, {0x07, 0x00, 0x00, 0x00}},
    {24, {50, 1, 1, 2}},
    {28, {0xE8, 0xFF, 0xFF, 0xFF}},      // lfHeight
    {36, {0x84, 0x03, 0x00, 0x00}},      // lfEscapement
    {40, {0x7F, 0x00, 0x00, 0x00}},      // lfOrientation
    {44, {0xBC, 0x02, 0x00, 0x00}},      // lfWeight
    {48, {1, 2, 3, 238, 5, 6, 4, 0x22}}, // the eight font bytes
    {56, {'A', 'r', 'i', 'a', 'l'}},     // face name, NUL-padded to 32
    {88, kMinusOne},
    {96, kHalf},
    {104, kTwo},
    {112, kOne},
    {120, {4, 0, 0, 0}},
    {124, {1, 30}},
    {126, {0xAB}},
    {143, {0xCD}},
    // 144: the text pointer slot stays zero
};

} // namespace

TEST(TextObjectRecordBytes, WritesEveryFieldAtItsOffset) {
    const auto bytes = writeTextObjectRecord(sampleText());
    EXPECT_EQ(toVector(bytes), build(kTextObjectRecordSize, kSampleTextBytes));
}

TEST(TextObjectRecordBytes, ReadsBackEveryField) {
    const Bytes stored = build(kTextObjectRecordSize, kSampleTextBytes);
    const TextObjectRecord r = readTextObjectRecord(stored);
    TextObjectRecord expected = sampleText();
    expected.text.reset(); // the text travels beside the record
    EXPECT_TRUE(recordsEqual(r, expected));
    EXPECT_FALSE(r.text.has_value());
    EXPECT_EQ(r.reserved, expected.reserved);
    EXPECT_EQ(r.font.lfCharSet, 238);
    EXPECT_STREQ(r.font.lfFaceName, "Arial");
    EXPECT_EQ(toVector(writeTextObjectRecord(r)), stored);
}

TEST(TextObjectRecordBytes, TextNeverEntersTheRecord) {
    // Texts of one sub-block's length and one byte more; the stored record is the same.
    TextObjectRecord base = sampleText();
    base.text.reset();
    const auto reference = writeTextObjectRecord(base);
    for (const std::size_t length : {std::size_t{0}, std::size_t{255}, std::size_t{256}}) {
        TextObjectRecord r = base;
        r.text = std::string(length, '\xE9');
        EXPECT_EQ(writeTextObjectRecord(r), reference) << length;
    }
}

TEST(TextObjectRecordBytes, DefaultRecordHoldsTheIdentityMatrix) {
    const auto bytes = writeTextObjectRecord(TextObjectRecord{});
    EXPECT_EQ(toVector(bytes), build(kTextObjectRecordSize, {{88, kOne}, {112, kOne}}));
}

TEST(ObjectRecordBytes, ShortInputReadsAsZeroAndLongInputIsCut) {
    Bytes shortInput = {0x05, 0x00, 0x00, 0x00, 0x09};
    const TextObjectRecord t = readTextObjectRecord(shortInput);
    EXPECT_EQ(t.left, 5);
    EXPECT_EQ(t.top, 9);
    EXPECT_EQ(t.matrix[0], 0.0);
    EXPECT_EQ(toVector(writeTextObjectRecord(t)),
              build(kTextObjectRecordSize, {{0, {5}}, {4, {9}}}));

    Bytes longInput(200, 0);
    longInput[100] = 0x42; // the first byte past the record
    longInput[150] = 0xFF;
    const VectorObjectRecord v = readVectorObjectRecord(longInput);
    EXPECT_EQ(v.reserved.back(), 0);
    EXPECT_EQ(toVector(writeVectorObjectRecord(v)), Bytes(kVectorObjectRecordSize, 0));

    const ControlObjectRecord empty = readControlObjectRecord({});
    EXPECT_EQ(toVector(writeControlObjectRecord(empty)), Bytes(kControlObjectRecordSize, 0));
}

namespace {

ControlObjectRecord sampleControl() {
    ControlObjectRecord r;
    r.type = 20;
    r.clientEdge = 1;
    r.staticEdge = 2;
    r.modalFrame = 3;
    r.disabled = 4;
    r.setFocus = 5;
    r.reserved8 = 0x66;
    r.reserved16 = 0x7788;
    r.reserved = {0x01, 0x02, 0x03, 0x04};
    r.styleBits = 0x80000001u;
    for (std::size_t i = 0; i < r.values.size(); ++i)
        r.values[i] = static_cast<std::int32_t>(i) - 2;
    r.text = "";
    r.caption = "OK";
    return r;
}

std::vector<Patch> sampleControlBytes() {
    std::vector<Patch> p = {
        {0, {20, 0, 0, 0}}, {4, {1, 2, 3, 4, 5, 0x66}}, {10, {0x88, 0x77}},
        {12, {1, 0, 0, 0}}, {16, {2, 0, 0, 0}},         {20, {3, 0, 0, 0}},
        {24, {4, 0, 0, 0}}, {28, {0x01, 0, 0, 0x80}},
    };
    for (std::size_t i = 0; i < 16; ++i) {
        const auto v = static_cast<std::uint32_t>(static_cast<std::int32_t>(i) - 2);
        p.push_back({32 + 4 * i,
                     {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                      static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)}});
    }
    return p; // 96 and 100: the two string slots stay zero
}

} // namespace

TEST(ControlObjectRecordBytes, RoundTripsWithAnEmptyFirstText) {
    const Bytes expected = build(kControlObjectRecordSize, sampleControlBytes());
    EXPECT_EQ(toVector(writeControlObjectRecord(sampleControl())), expected);

    ControlObjectRecord r = readControlObjectRecord(expected);
    EXPECT_FALSE(r.text.has_value());
    EXPECT_FALSE(r.caption.has_value());
    EXPECT_EQ(r.reserved8, 0x66);
    EXPECT_EQ(r.reserved16, 0x7788);
    r.text = "";
    r.caption = "OK";
    EXPECT_TRUE(recordsEqual(r, sampleControl()));
    EXPECT_EQ(toVector(writeControlObjectRecord(r)), expected);
}

namespace {

VectorObjectRecord sampleVector() {
    VectorObjectRecord r;
    r.sourceLeft = -1;
    r.sourceTop = 2;
    r.sourceRight = 300;
    r.sourceBottom = 0x10000;
    r.unitsPerInch = 1440;
    r.left = 7;
    r.top = -8;
    r.width = 640;
    r.height = 480;
    r.matrix[0] = 0.5;
    r.matrix[1] = -1.0;
    r.matrix[2] = 1.0;
    r.matrix[3] = 2.0;
    r.interpolation = 2;
    r.antialias = 1;
    r.transparencyLevel = 99;
    r.reserved[21] = 0x5A;
    return r;
}

const std::vector<Patch> kSampleVectorBytes = {
    {0, {0xFF, 0xFF, 0xFF, 0xFF}},
    {4, {2, 0, 0, 0}},
    {8, {0x2C, 0x01, 0, 0}},
    {12, {0, 0, 1, 0}},
    {16, {0xA0, 0x05}}, // 20: the metafile handle slot
    {24, {7, 0, 0, 0}},
    {28, {0xF8, 0xFF, 0xFF, 0xFF}},
    {32, {0x80, 0x02}},
    {36, {0xE0, 0x01}},
    {40, kHalf},
    {48, kMinusOne},
    {56, kOne},
    {64, kTwo},
    {72, {2, 0, 0, 0}},
    {76, {1, 99}},
    {99, {0x5A}},
};

} // namespace

TEST(VectorObjectRecordBytes, RoundTripsAndLeavesTheMetafileOut) {
    VectorObjectRecord r = sampleVector();
    const auto emf = kfm::test::smallestMetafileBytes();
    r.metafile.reset(SetEnhMetaFileBits(static_cast<UINT>(emf.size()), emf.data()));
    const Bytes expected = build(kVectorObjectRecordSize, kSampleVectorBytes);
    EXPECT_EQ(toVector(writeVectorObjectRecord(r)), expected);

    const VectorObjectRecord back = readVectorObjectRecord(expected);
    EXPECT_FALSE(back.metafile);
    EXPECT_TRUE(recordsEqual(back, r)); // the metafile takes no part in equality
    EXPECT_EQ(back.reserved, r.reserved);
}

namespace {

NPImageObjectRecord npRecord(bool a0, bool a1, bool a2, bool a3) {
    NPImageObjectRecord r;
    if (a0)
        r.pixels24 = Bytes(300, 0x24);
    if (a1)
        r.alpha = Bytes(100, 0xA1);
    r.alphaValue = 128;
    r.transparencyWord = 0x01000005;
    if (a2)
        r.maskPixels = {1, 2, 3};
    if (a3) {
        r.pixels8 = Bytes(510, 0x08);
        for (int i = 0; i < 256; ++i)
            r.palette.push_back(static_cast<std::int32_t>(0x00010203u * static_cast<unsigned>(i)));
    }
    r.reserved[3] = 0xDEADBEEF;
    return r;
}

// Reads a stored record and its arrays back the way a block reader does: the counts from the
// record, the arrays in their stored order.
NPImageObjectRecord readBack(const NPImageRecordBytes& bytes,
                             const std::vector<Bytes>& arraysInOrder) {
    StoredNPImageRecord stored = readNPImageObjectRecord(bytes);
    const auto order = stored.sizes.storedOrder();
    EXPECT_EQ(order.size(), arraysInOrder.size());
    for (std::size_t i = 0; i < order.size() && i < arraysInOrder.size(); ++i) {
        EXPECT_EQ(arraysInOrder[i].size(), stored.sizes.byteCount(order[i]));
        setNPImageArray(stored.record, order[i], arraysInOrder[i]);
    }
    return stored.record;
}

} // namespace

TEST(NPImageObjectRecordBytes, ArraysZeroAndTwo) {
    const NPImageObjectRecord r = npRecord(true, false, true, false);
    const auto bytes = writeNPImageObjectRecord(r);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(toVector(*bytes), build(kNPImageObjectRecordSize, {{0, {0x2C, 0x01}},
                                                                 {16, {0x80}},
                                                                 {20, {0x05, 0, 0, 0x01}},
                                                                 {24, {3}},
                                                                 {60, {0xEF, 0xBE, 0xAD, 0xDE}}}));

    const NPImageArraySizes sizes = npImageArraySizes(r);
    EXPECT_EQ(sizes.storedOrder(), (std::vector<int>{0, 2}));
    std::vector<Bytes> arrays;
    for (int index : sizes.storedOrder())
        arrays.push_back(npImageArrayBytes(r, index));
    const NPImageObjectRecord back = readBack(*bytes, arrays);
    EXPECT_TRUE(recordsEqual(back, r));
    EXPECT_EQ(back.alphaValue, 128);
    EXPECT_EQ(back.transparencyWord, 0x01000005);
    EXPECT_EQ(back.reserved, r.reserved);
}

TEST(NPImageObjectRecordBytes, ArraysOneAndThreeBringThePalette) {
    const NPImageObjectRecord r = npRecord(false, true, false, true);
    const auto bytes = writeNPImageObjectRecord(r);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(toVector(*bytes), build(kNPImageObjectRecordSize, {{8, {100}},
                                                                 {16, {0x80}},
                                                                 {20, {0x05, 0, 0, 0x01}},
                                                                 {32, {0xFE, 0x01}},
                                                                 {40, {0x00, 0x01}},
                                                                 {60, {0xEF, 0xBE, 0xAD, 0xDE}}}));

    const NPImageArraySizes sizes = npImageArraySizes(r);
    EXPECT_EQ(sizes.storedOrder(), (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(sizes.byteCount(4), 1024u);
    const Bytes palette = npImageArrayBytes(r, 4);
    ASSERT_EQ(palette.size(), 1024u);
    EXPECT_EQ((Bytes{palette[4], palette[5], palette[6], palette[7]}), (Bytes{3, 2, 1, 0}));

    const NPImageObjectRecord back =
        readBack(*bytes, {npImageArrayBytes(r, 1), npImageArrayBytes(r, 3), palette});
    EXPECT_TRUE(recordsEqual(back, r));
}

TEST(NPImageObjectRecordBytes, PaletteTravelsOnlyWithArrayThree) {
    NPImageArraySizes sizes;
    sizes.counts = {0, 0, 0, 0, 256};
    EXPECT_TRUE(sizes.storedOrder().empty());
    sizes.counts = {0, 0, 0, 10, 0};
    EXPECT_EQ(sizes.storedOrder(), (std::vector<int>{3}));
    // Counts are read as stored, even when they are far larger than any array that follows.
    const Bytes stored = build(kNPImageObjectRecordSize, {{40, {0xFF, 0xFF, 0xFF, 0xFF}}});
    const StoredNPImageRecord r = readNPImageObjectRecord(stored);
    EXPECT_EQ(r.sizes.counts[4], 0xFFFFFFFFu);
    EXPECT_EQ(r.sizes.byteCount(4), 4ull * 0xFFFFFFFFu);
    EXPECT_TRUE(r.record.palette.empty());
}

TEST(NPImageObjectRecordBytes, PartialPaletteEntryIsDropped) {
    NPImageObjectRecord r;
    setNPImageArray(r, 4, Bytes{1, 0, 0, 0, 2, 0, 0});
    EXPECT_EQ(r.palette, (std::vector<std::int32_t>{1}));
    setNPImageArray(r, 7, Bytes{1, 2, 3});
    EXPECT_TRUE(npImageArrayBytes(r, 7).empty());
}
