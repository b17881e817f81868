#include "Bitra5.h"

#include "TestSupport.h"
#include "clipboard/Clipboard.h"
#include "gdi/DeviceContext.h"
#include "gdi/DibSection.h"
#include "memory/GlobalMemory.h"
#include "metafile/WinMetafile.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& b, std::size_t at, int v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

// A plain metafile header with no records but the end record.
Bytes plainMetafile() {
    Bytes b(18 + 6, 0);
    put16(b, 0, 1);
    put16(b, 2, 9);
    put16(b, 4, 0x0300);
    put16(b, 6, 12);
    put16(b, 18, 3); // the end record: size 3 words, function 0
    return b;
}

// The same under a placeable header of the box at the given units per inch.
Bytes placeable(int right, int bottom, int unitsPerInch) {
    Bytes b(22, 0);
    put16(b, 0, 0xCDD7);
    put16(b, 2, 0x9AC6);
    put16(b, 10, right);
    put16(b, 12, bottom);
    put16(b, 14, unitsPerInch);
    const Bytes plain = plainMetafile();
    b.insert(b.end(), plain.begin(), plain.end());
    return b;
}

int headerWord(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8);
}

TEST(VectorFormats, ListsTheFormatsInTheirOrders) {
    EXPECT_EQ(KDRCountImportFormats(), 14);
    EXPECT_EQ(KDRCountExportFormats(), 9);
    const int expectedExport[] = {1010, 1020, 1041, 1070, 1080, 1081, 1090, 1100, 1110};
    KpxFormatEntry entry{};
    for (int i = 0; i < 9; ++i) {
        ASSERT_EQ(KDREnumerateExportFormats(i, &entry), 1);
        EXPECT_EQ(entry.formatId, expectedExport[i]) << i;
    }
    EXPECT_EQ(KDREnumerateExportFormats(9, &entry), 0);
    EXPECT_EQ(KDREnumerateImportFormats(-1, &entry), 0);
    ASSERT_EQ(KDREnumerateImportFormats(13, &entry), 1);
    EXPECT_EQ(entry.formatId, 1130);
    ASSERT_EQ(KDRGetFormatName(1010, &entry), 1);
    EXPECT_STREQ(entry.extension, ".wmf");
    EXPECT_STRNE(entry.name, "");
    for (const int id : {1000, 2000, 1009, 1131})
        EXPECT_EQ(KDRGetFormatName(id, &entry), 0) << id;
}

TEST(VectorFormats, RecognisesByContentOverExtension) {
    const kfm::test::TempDir dir;
    Bytes kvp(16, 0);
    put16(kvp, 0, 666);
    put16(kvp, 2, 3);
    Bytes ktf(92, 0);
    put16(ktf, 4, 0x5ADD);
    put16(ktf, 6, 0xD401);
    put16(ktf, 8, 0x5678);
    put16(ktf, 10, 0x1234);
    const struct {
        const char* name;
        Bytes bytes;
        int format;
    } cases[] = {
        {"a.dat", placeable(100, 100, 1000), 1010},
        {"b.eps", plainMetafile(), 1010},
        {"c.bin", kvp, 1030},
        {"d.ktf", ktf, 1040},
        {"e.cdr", Bytes(4, 0), 1060},
        {"f.ktf", Bytes(8, 0), 1041},
        {"g.txt", Bytes(8, 0), 0},
        {"*.wmf", placeable(1, 1, 1), 0},
    };
    for (const auto& c : cases) {
        const std::string path = dir.file(c.name);
        ASSERT_TRUE(kfm::test::writeFileBytes(path, c.bytes));
        EXPECT_EQ(KDRGetFormatFile(path.c_str()), c.format) << c.name;
    }
    EXPECT_EQ(KDRGetFormatFileExt("picture.PLT"), 1080);
    EXPECT_EQ(KDRGetFormatFileExt("picture"), 0);
}

TEST(VectorFormats, PlaceableMetafileInfoLoadAndSave) {
    const kfm::test::TempDir dir;
    const std::string path = dir.file("box.wmf");
    ASSERT_TRUE(kfm::test::writeFileBytes(path, placeable(1000, 500, 1000)));
    KdrFileInfo info{};
    ASSERT_EQ(KDRGetInfoFile(path.c_str(), &info), 1);
    EXPECT_EQ(info.formatId, 1010);
    EXPECT_EQ(info.width, 1000);
    EXPECT_EQ(info.height, 500);
    EXPECT_EQ(info.extra, 1000);
    EXPECT_EQ(info.fileSize, 22 + 24);
    EXPECT_STRNE(info.description, "");

    const KdrHandle image = KDRLoadImage(path.c_str(), 0);
    ASSERT_GT(image, 0);
    EXPECT_EQ(KDRWidth(image), 1000);
    EXPECT_EQ(KDRHeight(image), 500);
    // 25.4 mm by 12.7 mm come back as 1000 by 500 thousandths of an inch.
    const std::string saved = dir.file("saved.wmf");
    ASSERT_EQ(KDRSaveImage(image, saved.c_str(), 1010, 0), 1);
    const Bytes written = kfm::test::readFileBytes(saved);
    ASSERT_EQ(written.size(), 22u + 24u);
    EXPECT_EQ(headerWord(written, 10), 1000);
    EXPECT_EQ(headerWord(written, 12), 500);
    EXPECT_EQ(headerWord(written, 14), 1000);
    int checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= headerWord(written, 2 * i);
    EXPECT_EQ(headerWord(written, 20), checksum);
    EXPECT_EQ(KDRSaveImage(image, saved.c_str(), 1020, 0), 0);
    EXPECT_EQ(KDRDeleteImage(image), 1);
    EXPECT_EQ(KDRDeleteImage(image), 0);
}

// Boxes beyond the header's range are halved together until both fit.
TEST(VectorFormats, LargeBoxesAreHalvedOnSave) {
    const kfm::test::TempDir dir;
    const struct {
        int right, bottom, units, savedRight, savedBottom;
    } cases[] = {{11811, 7874, 1000, 11811, 7874}, {20000, 5000, 500, 20000, 5000}};
    for (const auto& c : cases) {
        const std::string path = dir.file("big.wmf");
        ASSERT_TRUE(kfm::test::writeFileBytes(path, placeable(c.right, c.bottom, c.units)));
        const KdrHandle image = KDRLoadImage(path.c_str(), 0);
        ASSERT_GT(image, 0);
        const std::string saved = dir.file("big-saved.wmf");
        ASSERT_EQ(KDRSaveImage(image, saved.c_str(), 1010, 0), 1);
        const Bytes written = kfm::test::readFileBytes(saved);
        EXPECT_EQ(headerWord(written, 10), c.savedRight) << c.right;
        EXPECT_EQ(headerWord(written, 12), c.savedBottom) << c.right;
        KDRDeleteImage(image);
    }
}

// A plain metafile has no size of its own: it is saved plain, never under an empty box.
TEST(VectorFormats, PlainMetafileSavesPlain) {
    const kfm::test::TempDir dir;
    const std::string path = dir.file("plain.wmf");
    ASSERT_TRUE(kfm::test::writeFileBytes(path, plainMetafile()));
    const KdrHandle image = KDRLoadImage(path.c_str(), 0);
    ASSERT_GT(image, 0);
    const std::string saved = dir.file("plain-saved.wmf");
    ASSERT_EQ(KDRSaveImage(image, saved.c_str(), 1010, 0), 1);
    EXPECT_EQ(kfm::test::readFileBytes(saved), plainMetafile());
    KDRDeleteImage(image);
}

TEST(VectorFormats, HandlesTakeTheLowestFreeId) {
    const kfm::test::TempDir dir;
    const std::string path = dir.file("one.wmf");
    ASSERT_TRUE(kfm::test::writeFileBytes(path, placeable(10, 10, 96)));
    const KdrHandle a = KDRLoadImage(path.c_str(), 0);
    const KdrHandle b = KDRLoadImage(path.c_str(), 0);
    ASSERT_GT(a, 0);
    ASSERT_GT(b, a);
    KDRDeleteImage(a);
    const KdrHandle c = KDRLoadImage(path.c_str(), 0);
    EXPECT_EQ(c, a);
    KDRDeleteImage(b);
    KDRDeleteImage(c);
}

TEST(VectorFormats, OtherFormatsAndDamagedFilesDoNotLoad) {
    const kfm::test::TempDir dir;
    const Bytes whole = placeable(10, 10, 96);
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"drawing.cdr", Bytes(64, 1)},
        {"cut.wmf", Bytes(whole.begin(), whole.begin() + 10)},
        {"notwmf.wmf", Bytes(64, 7)},
        {"empty.wmf", Bytes()},
    };
    for (const auto& c : cases) {
        const std::string path = dir.file(c.name);
        ASSERT_TRUE(kfm::test::writeFileBytes(path, c.bytes));
        EXPECT_EQ(KDRLoadImage(path.c_str(), 0), 0) << c.name;
    }
    EXPECT_EQ(KDRLoadImage(nullptr, 0), 0);
    EXPECT_EQ(KDRStretchDraw(nullptr, 0, 0, 10, 10, 99), 0);
    EXPECT_EQ(KDRWidth(99), 0);
}

// The drawing plays into the rectangle of a memory DC.
TEST(VectorFormats, DrawsAWindowsMetafileIntoTheRectangle) {
    const std::string path = kfm::test::testDataPath("metafile/drawing.wmf").string();
    const KdrHandle image = KDRLoadImage(path.c_str(), 0);
    ASSERT_GT(image, 0);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 64;
    info.bmiHeader.biHeight = 64;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::memset(bits, 0xFF, kfm::gdi::dibRowBytes(64, 24) * 64);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP previous = SelectBitmap(dc, bitmap);
    EXPECT_EQ(KDRStretchDraw(dc, 0, 0, 32, 64, image), 1);
    SelectBitmap(dc, previous);
    DeleteDC(dc);
    // The drawing lands in the left half: most of its ink lies left of x = 32.
    const auto* p = static_cast<const std::uint8_t*>(bits);
    int left = 0, right = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const std::uint8_t* px = p + y * kfm::gdi::dibRowBytes(64, 24) + 3 * x;
            const bool inked = px[0] != 0xFF || px[1] != 0xFF || px[2] != 0xFF;
            (x < 32 ? left : right) += inked;
        }
    EXPECT_GT(left, 50);
    EXPECT_GT(left, 2 * right);
    DeleteBitmap(bitmap);
    KDRDeleteImage(image);
}

// A loaded picture of the file's bytes; the handle is deleted at the end of the scope.
struct LoadedPicture {
    LoadedPicture(const kfm::test::TempDir& dir, const Bytes& bytes) {
        const std::string path = dir.file("picture.wmf");
        EXPECT_TRUE(kfm::test::writeFileBytes(path, bytes));
        handle = KDRLoadImage(path.c_str(), 0);
    }
    ~LoadedPicture() { KDRDeleteImage(handle); }
    KdrHandle handle = 0;
};

Bytes recordsOf(HMETAFILE metafile) {
    Bytes bits(GetMetaFileBitsEx(metafile, 0, nullptr));
    GetMetaFileBitsEx(metafile, static_cast<UINT>(bits.size()), bits.data());
    return bits;
}

// The metafile picture: mode 8, extents the size in 0.01 mm (none for a plain metafile), and a
// metafile of the records that the caller owns.
TEST(VectorFormats, GivesItsMetafilePicture) {
    const kfm::test::TempDir dir;
    const struct {
        const char* name;
        Bytes bytes;
        LONG xExt, yExt;
    } cases[] = {
        {"placeable", placeable(1000, 500, 1000), 2540, 1270},
        {"placeable of 299 mm", placeable(2990, 2990, 254), 0, 0},
        {"plain", plainMetafile(), 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const LoadedPicture picture(dir, c.bytes);
        ASSERT_GT(picture.handle, 0);
        METAFILEPICT result{};
        ASSERT_EQ(KDRGetMetafile(&result, picture.handle), 1);
        EXPECT_EQ(result.mm, 8);
        EXPECT_EQ(result.xExt, c.xExt);
        EXPECT_EQ(result.yExt, c.yExt);
        ASSERT_NE(result.hMF, nullptr);
        EXPECT_EQ(recordsOf(result.hMF), plainMetafile());
        EXPECT_TRUE(DeleteMetaFile(result.hMF));
    }
    METAFILEPICT result{};
    EXPECT_EQ(KDRGetMetafile(&result, 99), 0);
    EXPECT_EQ(result.hMF, nullptr);
    const LoadedPicture picture(dir, placeable(10, 10, 96));
    EXPECT_EQ(KDRGetMetafile(nullptr, picture.handle), 0);
}

class VectorClipboard : public ::testing::Test {
protected:
    static void SetUpTestSuite() { kfm::test::ensureGuiApplication(); }
    void TearDown() override {
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
    }
    static void putForeign(const char* type, const Bytes& bytes) {
        auto* data = new QMimeData;
        data->setData(type, QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                       static_cast<qsizetype>(bytes.size())));
        QGuiApplication::clipboard()->setMimeData(data);
    }
};

// Copy then paste: the same records, the extents as the size, a picture with a size.
TEST_F(VectorClipboard, PicturesGoToTheClipboardAndComeBack) {
    const kfm::test::TempDir dir;
    const LoadedPicture copied(dir, placeable(1000, 500, 1000));
    ASSERT_GT(copied.handle, 0);
    ASSERT_EQ(KDRCopyImageToClipboard(nullptr, copied.handle, CF_METAFILEPICT, 1), 1);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_METAFILEPICT));
    EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasFormat("image/x-wmf"));

    const KdrHandle pasted = KDRCreateImageFromClipboard(nullptr);
    ASSERT_GT(pasted, 0);
    EXPECT_NE(pasted, copied.handle);
    EXPECT_EQ(KDRWidth(pasted), 2540);
    EXPECT_EQ(KDRHeight(pasted), 1270);
    METAFILEPICT picture{};
    ASSERT_EQ(KDRGetMetafile(&picture, pasted), 1);
    EXPECT_EQ(picture.xExt, 2540);
    EXPECT_EQ(picture.yExt, 1270);
    EXPECT_EQ(recordsOf(picture.hMF), plainMetafile());
    DeleteMetaFile(picture.hMF);
    // Saved with its size: 25.4 by 12.7 mm.
    const std::string saved = dir.file("pasted.wmf");
    ASSERT_EQ(KDRSaveImage(pasted, saved.c_str(), 1010, 0), 1);
    const Bytes written = kfm::test::readFileBytes(saved);
    ASSERT_EQ(written.size(), 22u + plainMetafile().size());
    EXPECT_EQ(headerWord(written, 10), 1000);
    EXPECT_EQ(headerWord(written, 12), 500);
    KDRDeleteImage(pasted);
}

// Only metafile pictures are served: other formats and bad handles leave the clipboard alone.
TEST_F(VectorClipboard, OtherFormatsAndBadHandlesLeaveTheClipboardAlone) {
    const kfm::test::TempDir dir;
    const LoadedPicture copied(dir, placeable(1000, 500, 1000));
    ASSERT_GT(copied.handle, 0);
    putForeign("text/plain", Bytes{'k', 'e', 'e', 'p'});
    for (const int format : {0, 2, 8, 14})
        EXPECT_EQ(KDRCopyImageToClipboard(nullptr, copied.handle, format, 1), 0) << format;
    EXPECT_EQ(KDRCopyImageToClipboard(nullptr, 99, CF_METAFILEPICT, 1), 0);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "keep");
    EXPECT_EQ(KDRCreateImageFromClipboard(nullptr), 0);
}

// A plain metafile from another program has no size: extents 0, and it is saved plain rather
// than under an empty box that no reader could size.
TEST_F(VectorClipboard, APictureWithoutSizeStaysWithoutOne) {
    const kfm::test::TempDir dir;
    const Bytes drawing = kfm::test::readFileBytes(kfm::test::testDataPath("metafile/drawing.wmf"));
    const Bytes records(drawing.begin() + 22, drawing.end());
    putForeign("image/x-wmf", records);
    const KdrHandle pasted = KDRCreateImageFromClipboard(nullptr);
    ASSERT_GT(pasted, 0);
    EXPECT_EQ(KDRWidth(pasted), 0);
    EXPECT_EQ(KDRHeight(pasted), 0);
    const std::string saved = dir.file("plain.wmf");
    ASSERT_EQ(KDRSaveImage(pasted, saved.c_str(), 1010, 0), 1);
    EXPECT_EQ(kfm::test::readFileBytes(saved), records);
    KDRDeleteImage(pasted);
}

// Damaged metafiles of other programs make no picture.
TEST_F(VectorClipboard, DamagedMetafilesOnTheClipboardMakeNothing) {
    const Bytes drawing = kfm::test::readFileBytes(kfm::test::testDataPath("metafile/drawing.wmf"));
    Bytes emptyBox = drawing;
    put16(emptyBox, 10, 0);
    const Bytes cases[] = {Bytes(drawing.begin(), drawing.begin() + 30), Bytes(64, 0xFF), emptyBox,
                           Bytes()};
    for (const Bytes& bytes : cases) {
        putForeign("image/x-wmf", bytes);
        EXPECT_EQ(KDRCreateImageFromClipboard(nullptr), 0) << bytes.size();
    }
}

TEST(VectorFormats, OutsideLibrariesAreCountedButNoneLoads) {
    EXPECT_EQ(KDRInitLibraries(), 1);
    EXPECT_EQ(KDRInitLibraries(), 2);
    EXPECT_EQ(KDRFreeLibraries(), 1);
    EXPECT_EQ(KDRFreeLibraries(), 0);
    EXPECT_EQ(KDRFreeLibraries(), 0);
    EXPECT_EQ(KDRBreakLoad(), 0);
}

} // namespace
