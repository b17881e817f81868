// Previews of vector and document files: the bitmaps that RIFF drawings, EPS and Illustrator
// files, kvp pictures and KTF drawings carry, and the drawn preview of a metafile. The fixtures
// are made here: pictures saved by the library as BMP or TIFF and wrapped in each file's layout.
#include "Bitra5.h"

#include "ImageTable.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

class VectorPreviews : public ::testing::Test {
protected:
    void SetUp() override { liveBefore = KpxLiveImageCount(); }
    void TearDown() override { EXPECT_EQ(KpxLiveImageCount(), liveBefore); }
    // The preview of the bytes written to a file of this name, fitted into the box.
    KpxHandle previewOf(const std::string& name, const Bytes& bytes, int box = 40,
                        std::int32_t offset = 0) {
        const std::string path = dir.file(name);
        EXPECT_TRUE(kfm::test::writeFileBytes(path, bytes));
        return KDRLoadImagePreviewOffset(path.c_str(), offset, box, box, 0);
    }
    kfm::test::TempDir dir;
    int liveBefore = 0;
};

void append(Bytes& to, const Bytes& more) {
    to.insert(to.end(), more.begin(), more.end());
}
void appendText(Bytes& to, const std::string& text) {
    to.insert(to.end(), text.begin(), text.end());
}
void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
Bytes u32(std::uint32_t v) {
    Bytes b(4);
    put32(b, 0, v);
    return b;
}
Bytes tag(const char* fourCc) {
    return Bytes(fourCc, fourCc + 4);
}

// The colour of pixel (x, y), counted from the top.
COLORREF pixelAt(KpxHandle image, int x, int y) {
    return static_cast<COLORREF>(KPXSuckColor(image, x, y, x, y));
}

bool near(COLORREF a, COLORREF b, int tolerance = 2) {
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255)) >
            tolerance)
            return false;
    return true;
}

// A picture whose top half has one colour and bottom half another, saved in a format.
Bytes savedPicture(const kfm::test::TempDir& dir, int width, int height, COLORREF top,
                   COLORREF bottom, int format) {
    const KpxHandle image = KPXCreateImage(width, height, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF c = y < height / 2 ? top : bottom;
            std::uint8_t* p = KPXGetBits(image) +
                              static_cast<std::size_t>(height - 1 - y) * KPXGetScanBytes(image) +
                              static_cast<std::size_t>(x) * 3;
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    const std::string path = dir.file("saved" + std::to_string(format));
    EXPECT_EQ(KPXSaveImage(image, path.c_str(), format, 1, 0, nullptr), 1);
    KPXDeleteImage(image);
    return kfm::test::readFileBytes(path);
}

constexpr int kBmp = 40;
constexpr int kTiff = 30;
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// A packed DIB: a BMP file without its 14-byte file header.
Bytes packedDib(const kfm::test::TempDir& dir, int width, int height, COLORREF top,
                COLORREF bottom) {
    Bytes bmp = savedPicture(dir, width, height, top, bottom, kBmp);
    bmp.erase(bmp.begin(), bmp.begin() + 14);
    return bmp;
}

Bytes chunk(const char* id, const Bytes& data) {
    Bytes c = tag(id);
    append(c, u32(static_cast<std::uint32_t>(data.size())));
    append(c, data);
    return c;
}

Bytes riff(const char* form, const std::vector<Bytes>& chunks) {
    Bytes b = tag("RIFF");
    append(b, u32(0));
    append(b, tag(form));
    for (const Bytes& c : chunks)
        append(b, c);
    put32(b, 4, static_cast<std::uint32_t>(b.size() - 8));
    return b;
}

Bytes dispChunk(const Bytes& dib, std::uint32_t format = 8) {
    Bytes data = u32(format);
    append(data, dib);
    return chunk("DISP", data);
}

// A "page" list: its type, 28 bytes of its own, the picture and 4 bytes more (the list's size
// counts 36 bytes besides the picture).
Bytes pageList(const Bytes& dib) {
    Bytes data = tag("page");
    append(data, Bytes(28, 0x11));
    append(data, dib);
    append(data, Bytes(4, 0x22));
    return chunk("LIST", data);
}

void expectTopAndBottom(KpxHandle preview, COLORREF top, COLORREF bottom) {
    ASSERT_NE(preview, 0);
    EXPECT_TRUE(near(pixelAt(preview, KPXWidth(preview) / 2, 0), top));
    EXPECT_TRUE(near(pixelAt(preview, KPXWidth(preview) / 2, KPXHeight(preview) - 1), bottom));
}

TEST_F(VectorPreviews, RiffDrawingsShowTheirDisplayPicture) {
    const Bytes dib = packedDib(dir, 20, 10, kRed, kBlue);
    const Bytes version = chunk("vrsn", {0x2C, 0x01});
    // The display chunk after others, and as the last chunk of the file.
    const KpxHandle cdr =
        previewOf("a.cdr", riff("CDR9", {version, chunk("fill", Bytes(10, 1)), dispChunk(dib)}));
    ASSERT_NE(cdr, 0);
    EXPECT_EQ(KPXWidth(cdr), 40);
    EXPECT_EQ(KPXHeight(cdr), 20);
    EXPECT_EQ(KPXbpp(cdr), 24);
    expectTopAndBottom(cdr, kRed, kBlue);
    KPXDeleteImage(cdr);
    const KpxHandle cmx = previewOf("b.cmx", riff("CMX1", {dispChunk(dib), version}));
    expectTopAndBottom(cmx, kRed, kBlue);
    KPXDeleteImage(cmx);
}

TEST_F(VectorPreviews, APageListStandsInForAMissingDisplayChunk) {
    // 4 x 77 pixels of 24 bits make 964 DIB bytes: a list of size 1000.
    const Bytes dib = packedDib(dir, 4, 77, kBlue, kRed);
    ASSERT_EQ(dib.size(), 964u);
    const Bytes list = pageList(dib);
    ASSERT_EQ(list.size(), 1008u);
    const KpxHandle preview = previewOf("page.cdr", riff("CDR6", {chunk("doc ", {1, 2}), list}));
    ASSERT_NE(preview, 0);
    EXPECT_EQ(KPXHeight(preview), 40);
    expectTopAndBottom(preview, kBlue, kRed);
    KPXDeleteImage(preview);
}

TEST_F(VectorPreviews, DamagedRiffDrawingsGiveNoPreview) {
    const Bytes dib = packedDib(dir, 8, 8, kRed, kRed);
    Bytes pastTheEnd = dispChunk(dib);
    put32(pastTheEnd, 4, static_cast<std::uint32_t>(dib.size() + 4 + 100));
    Bytes hugeChunk = chunk("junk", {});
    put32(hugeChunk, 4, 0xFFFFFFF0u);
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"other-form.cdr", riff("WAVE", {dispChunk(dib)})},
        {"format-word-not-dib.cdr", riff("CDR9", {dispChunk(dib, 2), pageList(dib)})},
        {"empty-display.cdr", riff("CDR9", {chunk("DISP", {})})},
        {"display-word-only.cdr", riff("CDR9", {chunk("DISP", u32(8))})},
        {"display-past-end.cdr", riff("CDR9", {pastTheEnd})},
        {"short-page.cdr",
         riff("CDR9", {chunk("LIST", Bytes{'p', 'a', 'g', 'e', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                           0,   0,   0,   0,   0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})})},
        {"huge-chunk.cdr", riff("CDR9", {hugeChunk, dispChunk(dib)})},
        {"no-riff.cdr", Bytes(64, 0)},
    };
    for (const auto& c : cases) {
        const KpxHandle preview = previewOf(c.name, c.bytes);
        EXPECT_EQ(preview, 0) << c.name;
        KPXDeleteImage(preview);
    }
    // Cut anywhere, a good file gives its picture or nothing.
    const Bytes good = riff("CDR9", {chunk("vrsn", {1, 0}), dispChunk(dib)});
    for (std::size_t n = 0; n < good.size(); n += 7) {
        const KpxHandle preview = previewOf("cut.cdr", Bytes(good.begin(), good.begin() + n));
        if (preview) {
            EXPECT_EQ(KPXWidth(preview), 40) << n;
        }
        KPXDeleteImage(preview);
    }
}

// A DOS EPS binary header with its sections after it, then some PostScript.
Bytes binaryEps(const Bytes& wmf, const Bytes& tiff) {
    Bytes b(30, 0);
    b[0] = 0xC5;
    b[1] = 0xD0;
    b[2] = 0xD3;
    b[3] = 0xC6;
    const std::string postscript = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n";
    std::uint32_t at = 30;
    put32(b, 4, at);
    put32(b, 8, static_cast<std::uint32_t>(postscript.size()));
    at += static_cast<std::uint32_t>(postscript.size());
    if (!wmf.empty()) {
        put32(b, 12, at);
        put32(b, 16, static_cast<std::uint32_t>(wmf.size()));
        at += static_cast<std::uint32_t>(wmf.size());
    }
    if (!tiff.empty()) {
        put32(b, 20, at);
        put32(b, 24, static_cast<std::uint32_t>(tiff.size()));
    }
    b[28] = b[29] = 0xFF;
    appendText(b, postscript);
    append(b, wmf);
    append(b, tiff);
    return b;
}

TEST_F(VectorPreviews, EpsBinaryHeaderPrefersTheTiffSection) {
    const Bytes tiff = savedPicture(dir, 30, 30, kRed, kBlue, kTiff);
    const Bytes wmf = kfm::test::readFileBytes(kfm::test::testDataPath("metafile/drawing.wmf"));
    ASSERT_FALSE(wmf.empty());
    const KpxHandle both = previewOf("both.eps", binaryEps(wmf, tiff));
    ASSERT_NE(both, 0);
    EXPECT_EQ(KPXWidth(both), 40);
    expectTopAndBottom(both, kRed, kBlue);
    KPXDeleteImage(both);
    // At an offset of a larger file, and as an Illustrator file.
    Bytes padded(100, 0x55);
    append(padded, binaryEps({}, tiff));
    const KpxHandle atOffset = previewOf("inner.ai", padded, 40, 100);
    expectTopAndBottom(atOffset, kRed, kBlue);
    KPXDeleteImage(atOffset);

    // The metafile alone is drawn on white into the box.
    const KpxHandle drawn = previewOf("wmf.eps", binaryEps(wmf, {}), 60);
    ASSERT_NE(drawn, 0);
    EXPECT_EQ(KPXWidth(drawn), 60);
    EXPECT_EQ(KPXHeight(drawn), 60);
    int coloured = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x)
            coloured += pixelAt(drawn, x, y) != kWhite;
    EXPECT_GT(coloured, 60);
    KPXDeleteImage(drawn);
}

TEST_F(VectorPreviews, EpsSectionsOutsideTheFileAreNotRead) {
    const Bytes tiff = savedPicture(dir, 30, 30, kRed, kBlue, kTiff);
    Bytes beyond = binaryEps({}, tiff);
    put32(beyond, 20, static_cast<std::uint32_t>(beyond.size() + 10));
    Bytes huge = binaryEps(Bytes(40, 0), {});
    put32(huge, 12, 0xFFFFFF00u);
    Bytes shortWmf = binaryEps(Bytes(40, 0), {});
    for (const Bytes& bytes : {beyond, huge, shortWmf, Bytes(huge.begin(), huge.begin() + 20)}) {
        const KpxHandle preview = previewOf("bad.eps", bytes);
        EXPECT_EQ(preview, 0);
        KPXDeleteImage(preview);
    }
}

std::string hexOf(const Bytes& bytes, std::size_t perLine = 32) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % perLine == 0)
            out += i ? "\n%" : "%";
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out + "\n";
}

Bytes epsi(int width, int height, int depth, const Bytes& data, const char* end = "%%EndPreview") {
    Bytes b;
    appendText(b, "%!PS-Adobe-3.0 EPSF-3.0\r\n%%BoundingBox: 0 0 10 10\r\n%%BeginPreview: " +
                      std::to_string(width) + " " + std::to_string(height) + " " +
                      std::to_string(depth) + " 4\r\n");
    appendText(b, hexOf(data));
    appendText(b, std::string(end) + "\nshowpage\n");
    return b;
}

TEST_F(VectorPreviews, EpsiHexPreviewsAreReadTopRowFirst) {
    // 16 x 16, 1 bit: two bytes a row; the file's 1 bits are black, the top half is black.
    Bytes oneBit(32, 0x00);
    std::fill(oneBit.begin(), oneBit.begin() + 16, 0xFF);
    const KpxHandle mono = previewOf("mono.eps", epsi(16, 16, 1, oneBit), 32);
    ASSERT_NE(mono, 0);
    EXPECT_EQ(KPXWidth(mono), 32);
    expectTopAndBottom(mono, kBlack, kWhite);
    KPXDeleteImage(mono);

    // 8 bits of grey: the stored value 0x40 is a grey of 0xBF.
    const KpxHandle grey = previewOf("grey.eps", epsi(20, 20, 8, Bytes(400, 0x40)), 20);
    ASSERT_NE(grey, 0);
    EXPECT_TRUE(near(pixelAt(grey, 10, 10), RGB(0xBF, 0xBF, 0xBF)));
    KPXDeleteImage(grey);

    // 2 bits: four grey levels; 0xE4 holds the samples 3, 2, 1, 0 (white after the inversion
    // is 3 - sample: 0, 1, 2, 3 = black, dark, light, white).
    const KpxHandle levels =
        previewOf("levels.eps", epsi(16, 16, 2, Bytes(64, 0xE4), "%%EndImage"), 16);
    ASSERT_NE(levels, 0);
    EXPECT_TRUE(near(pixelAt(levels, 0, 5), RGB(0, 0, 0)));
    EXPECT_TRUE(near(pixelAt(levels, 1, 5), RGB(85, 85, 85)));
    EXPECT_TRUE(near(pixelAt(levels, 2, 5), RGB(170, 170, 170)));
    EXPECT_TRUE(near(pixelAt(levels, 3, 5), kWhite));
    KPXDeleteImage(levels);

    // More data than rows: the rest is not stored anywhere.
    const KpxHandle surplus = previewOf("surplus.eps", epsi(15, 15, 8, Bytes(5000, 0x00)), 15);
    ASSERT_NE(surplus, 0);
    EXPECT_TRUE(near(pixelAt(surplus, 7, 7), kWhite));
    KPXDeleteImage(surplus);
}

TEST_F(VectorPreviews, EpsiOutsideItsLimitsIsIgnored) {
    const struct {
        int width, height, depth;
    } cases[] = {{10, 10, 1}, {501, 20, 1}, {20, 501, 8}, {20, 20, 3}, {20, 20, 16}, {-20, 20, 1}};
    for (const auto& c : cases) {
        const KpxHandle preview = previewOf("limits.eps", epsi(c.width, c.height, c.depth, {1, 2}));
        EXPECT_EQ(preview, 0) << c.width << "x" << c.height << "x" << c.depth;
        KPXDeleteImage(preview);
    }
    // The announcing line beyond the first 5000 bytes is not looked for.
    Bytes late;
    appendText(late, "%!PS\n" + std::string(5000, ' ') + "\n");
    append(late, epsi(16, 16, 1, Bytes(32, 0)));
    const KpxHandle preview = previewOf("late.eps", late);
    EXPECT_EQ(preview, 0);
    KPXDeleteImage(preview);
}

Bytes aiFile(int width, int height, int bits, const Bytes& data) {
    Bytes b;
    appendText(b, "%!PS-Adobe-3.0\n%%Creator: test\n%AI7_Thumbnail: " + std::to_string(width) +
                      " " + std::to_string(height) + " " + std::to_string(bits) + "\n");
    appendText(b, "%%BeginData: " + std::to_string(data.size()) + " Hex Bytes\n");
    appendText(b, hexOf(data, 64));
    appendText(b, "%%EndData\n%%EndComments\n");
    return b;
}

// A palette whose entry i is (i, 255 - i, 7).
Bytes rampPalette() {
    Bytes p;
    for (int i = 0; i < 256; ++i)
        append(p, {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), 7});
    return p;
}

TEST_F(VectorPreviews, IllustratorThumbnailsPlainAndRunLengthCoded) {
    // 20 x 10: the top five rows index 10, the bottom five index 200.
    Bytes plain = rampPalette();
    append(plain, Bytes(100, 10));
    append(plain, Bytes(100, 200));
    const KpxHandle a = previewOf("plain.ai", aiFile(20, 10, 8, plain));
    expectTopAndBottom(a, RGB(10, 245, 7), RGB(200, 55, 7));
    KPXDeleteImage(a);

    Bytes coded = rampPalette();
    appendText(coded, "RLE");
    append(coded, {0xFD, 100, 10, 0xFD, 99, 200, 200});
    const KpxHandle b = previewOf("coded.eps", aiFile(20, 10, 8, coded));
    expectTopAndBottom(b, RGB(10, 245, 7), RGB(200, 55, 7));
    KPXDeleteImage(b);

    // A run past the picture, too wide a picture, other depths and a short palette.
    Bytes overrun = rampPalette();
    appendText(overrun, "RLE");
    append(overrun, {0xFD, 150, 1, 0xFD, 60, 1});
    Bytes shortPalette(700, 1);
    for (const Bytes& bytes :
         {aiFile(20, 10, 8, overrun), aiFile(501, 10, 8, plain), aiFile(20, 10, 4, plain),
          aiFile(20, 10, 8, shortPalette), aiFile(0, 10, 8, plain)}) {
        const KpxHandle preview = previewOf("bad.ai", bytes);
        EXPECT_EQ(preview, 0);
        KPXDeleteImage(preview);
    }
}

Bytes kvpFile(int version) {
    Bytes b = {0x9A, 0x02, static_cast<std::uint8_t>(version), 0};
    append(b, Bytes(100, 0));
    for (int i = 0; i < 16; ++i)
        append(b, {static_cast<std::uint8_t>(i * 16), 0, static_cast<std::uint8_t>(255 - i * 16),
                   0}); // blue, green, red, reserved
    // Stored bottom row first: the lower 50 rows index 1, the upper 50 index 2.
    for (int row = 0; row < 100; ++row) {
        append(b, Bytes(50, row < 50 ? 0x11 : 0x22));
        append(b, {0, 0});
    }
    return b;
}

TEST_F(VectorPreviews, KvpPicturesCarryASixteenColourPreview) {
    const KpxHandle preview = previewOf("pic.kvp", kvpFile(3), 50);
    ASSERT_NE(preview, 0);
    EXPECT_EQ(KPXWidth(preview), 50);
    expectTopAndBottom(preview, RGB(255 - 32, 0, 32), RGB(255 - 16, 0, 16));
    KPXDeleteImage(preview);
    const Bytes good = kvpFile(0);
    for (const Bytes& bytes : {kvpFile(6), Bytes(good.begin(), good.end() - 1)}) {
        const KpxHandle none = previewOf("bad.kvp", bytes);
        EXPECT_EQ(none, 0);
        KPXDeleteImage(none);
    }
}

// A plain KTF header pointing to a BMP after it.
Bytes plainKtf(const Bytes& bmp, std::uint32_t word12 = 0) {
    Bytes b(92, 0);
    put32(b, 4, 0xD4015ADDu);
    put32(b, 8, 0x12345678u);
    put32(b, 12, word12);
    put32(b, 36, 92);
    append(b, bmp);
    return b;
}

// A zip archive of one member, stored or deflated.
Bytes zipOf(const std::string& name, const Bytes& content, bool deflated) {
    Bytes packed = content;
    if (deflated) {
        z_stream z{};
        deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        packed.assign(deflateBound(&z, static_cast<uLong>(content.size())), 0);
        z.next_in = const_cast<Bytef*>(content.data());
        z.avail_in = static_cast<uInt>(content.size());
        z.next_out = packed.data();
        z.avail_out = static_cast<uInt>(packed.size());
        deflate(&z, Z_FINISH);
        packed.resize(z.total_out);
        deflateEnd(&z);
    }
    Bytes b(30, 0);
    put32(b, 0, 0x04034B50u);
    b[4] = 20;
    b[8] = deflated ? 8 : 0;
    put32(b, 18, static_cast<std::uint32_t>(packed.size()));
    put32(b, 22, static_cast<std::uint32_t>(content.size()));
    b[26] = static_cast<std::uint8_t>(name.size());
    appendText(b, name);
    append(b, packed);
    return b;
}

TEST_F(VectorPreviews, KtfDrawingsPlainAndCompressed) {
    const Bytes bmp = savedPicture(dir, 16, 16, kBlue, kRed, kBmp);
    const KpxHandle plain = previewOf("plain.ktf", plainKtf(bmp), 16);
    expectTopAndBottom(plain, kBlue, kRed);
    KPXDeleteImage(plain);
    for (const bool deflated : {false, true}) {
        Bytes archive = zipOf("content.xml", Bytes(300, 'x'), deflated);
        append(archive, zipOf("Preview.bmp", bmp, deflated));
        archive.resize(std::max<std::size_t>(archive.size(), 92), 0);
        const KpxHandle packed = previewOf("packed.ktf", archive, 16);
        expectTopAndBottom(packed, kBlue, kRed);
        KPXDeleteImage(packed);
    }
    Bytes notBmp = plainKtf(bmp);
    notBmp[92] = 'X';
    Bytes pastEnd = plainKtf(bmp);
    put32(pastEnd, 36, 0x7FFFFFF0u);
    Bytes wrongSize = zipOf("preview.bmp", bmp, true);
    put32(wrongSize, 22, static_cast<std::uint32_t>(bmp.size() + 1));
    Bytes hugeSize = zipOf("preview.bmp", bmp, true);
    put32(hugeSize, 22, 0xFFFFFFF0u);
    Bytes cut = plainKtf(bmp);
    cut.resize(91);
    for (const Bytes& bytes : {plainKtf(bmp, 1), notBmp, pastEnd, wrongSize, hugeSize, cut}) {
        Bytes padded = bytes;
        padded.resize(std::max<std::size_t>(padded.size(), 92), 0);
        const KpxHandle none = previewOf("bad.ktf", padded);
        EXPECT_EQ(none, 0);
        KPXDeleteImage(none);
    }
}

TEST_F(VectorPreviews, MetafilesAreDrawnOnWhiteAndFitted) {
    const Bytes wmf = kfm::test::readFileBytes(kfm::test::testDataPath("metafile/drawing.wmf"));
    const KpxHandle drawn = previewOf("drawing.wmf", wmf, 30);
    ASSERT_NE(drawn, 0);
    EXPECT_EQ(KPXWidth(drawn), 30);
    int coloured = 0;
    for (int y = 0; y < KPXHeight(drawn); ++y)
        for (int x = 0; x < KPXWidth(drawn); ++x)
            coloured += pixelAt(drawn, x, y) != kWhite;
    EXPECT_GT(coloured, 30);
    KPXDeleteImage(drawn);

    // A placeable header with an empty box: the picture fills the preview instead of dividing
    // by its size of zero.
    Bytes empty = wmf;
    for (int i = 6; i < 14; ++i)
        empty[i] = 0;
    std::uint16_t checksum = 0;
    for (int i = 0; i < 20; i += 2)
        checksum ^= static_cast<std::uint16_t>(empty[i] | empty[i + 1] << 8);
    empty[20] = static_cast<std::uint8_t>(checksum);
    empty[21] = static_cast<std::uint8_t>(checksum >> 8);
    const KpxHandle unsized = previewOf("empty-box.wmf", empty, 30);
    ASSERT_NE(unsized, 0);
    EXPECT_EQ(KPXWidth(unsized), 30);
    EXPECT_EQ(KPXHeight(unsized), 30);
    KPXDeleteImage(unsized);

    // Nothing to draw, no box, no format.
    Bytes broken = wmf;
    broken.resize(40);
    for (const auto& [name, box] : {std::pair{"broken.wmf", 30}, std::pair{"drawing.wmf", 0},
                                    std::pair{"drawing.txt", 30}, std::pair{"other.dxf", 30}}) {
        const KpxHandle none =
            previewOf(name, name == std::string("broken.wmf") ? broken : wmf, box);
        EXPECT_EQ(none, 0) << name << " " << box;
        KPXDeleteImage(none);
    }
    EXPECT_EQ(KDRLoadImagePreviewOffset(nullptr, 0, 10, 10, 0), 0);
    EXPECT_EQ(KDRLoadImagePreviewOffset(dir.file("drawing.wmf").c_str(), -1, 10, 10, 0), 0);
}

TEST_F(VectorPreviews, DamagedFilesGiveNoPreviewOrAFittedOne) {
    const auto folder = kfm::test::testDataPath("preview-damaged");
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string extension = entry.path().extension().string();
        if (extension == ".md" || extension == ".py")
            continue;
        ++files;
        const KpxHandle preview = KDRLoadImagePreviewOffset(entry.path().c_str(), 0, 32, 24, 0);
        if (preview) {
            EXPECT_LE(KPXWidth(preview), 32) << entry.path();
            EXPECT_LE(KPXHeight(preview), 24) << entry.path();
        }
        KPXDeleteImage(preview);
    }
    EXPECT_GT(files, 0);
}

} // namespace
