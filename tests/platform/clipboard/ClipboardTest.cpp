// The desktop clipboard through the clipboard functions: what this program puts as other
// programs read it (QClipboard and QMimeData), what other programs put as this program reads it,
// damaged data from other programs, the ownership of handles, and a second process.

#include "clipboard/Clipboard.h"
#include "clipboard/DropFiles.h"
#include "gdi/DibSection.h"
#include "memory/GlobalMemory.h"
#include "metafile/EnhMetafile.h"
#include "metafile/WinMetafile.h"
#include "metafile/WmfToEmf.h"

#include "EmfFixtures.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QClipboard>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QProcess>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

QByteArray toQByteArray(const Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

HGLOBAL globalOf(const QByteArray& bytes) {
    const HGLOBAL block = GlobalAlloc(GHND, static_cast<std::size_t>(bytes.size()));
    std::memcpy(GlobalLock(block), bytes.constData(), static_cast<std::size_t>(bytes.size()));
    GlobalUnlock(block);
    return block;
}

QByteArray bytesOf(HANDLE handle) {
    const auto block = static_cast<HGLOBAL>(handle);
    const auto* bytes = static_cast<const char*>(GlobalLock(block));
    QByteArray copy(bytes, static_cast<qsizetype>(GlobalSize(block)));
    GlobalUnlock(block);
    return copy;
}

// A 3 x 2 packed DIB of 8 bits with a 4-colour table: index (x + y) % 4 at column x of row y
// counted from the top.
QByteArray paletteDib() {
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = 3;
    h.biHeight = 2;
    h.biPlanes = 1;
    h.biBitCount = 8;
    h.biSizeImage = 8;
    h.biClrUsed = 4;
    const RGBQUAD colours[4] = {{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}, {9, 8, 7, 0}};
    QByteArray dib(reinterpret_cast<const char*>(&h), sizeof h);
    dib.append(reinterpret_cast<const char*>(colours), sizeof colours);
    const char rows[8] = {1, 2, 3, 0, 0, 1, 2, 0}; // bottom row first
    dib.append(rows, sizeof rows);
    return dib;
}

QImage paletteDibPicture() {
    QImage picture(3, 2, QImage::Format_RGB32);
    const QRgb colours[4] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(7, 8, 9)};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            picture.setPixel(x, y, colours[(x + y) % 4]);
    return picture;
}

QByteArray pngOf(const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

bool samePixels(const QImage& a, const QImage& b) {
    return a.size() == b.size() &&
           a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

// The BMP file of a packed DIB whose pixels follow its 40-byte header and colour table.
QByteArray bmpFileOf(const QByteArray& dib) {
    BITMAPINFOHEADER h{};
    std::memcpy(&h, dib.constData(), sizeof h);
    const DWORD colours = h.biBitCount <= 8 ? (h.biClrUsed ? h.biClrUsed : 1u << h.biBitCount) : 0;
    const BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(14 + dib.size()), 0, 0,
                                static_cast<DWORD>(14 + 40 + 4 * colours)};
    return QByteArray(reinterpret_cast<const char*>(&file), sizeof file) + dib;
}

QImage pictureOfDib(const QByteArray& dib) {
    return QImage::fromData(bmpFileOf(dib), "BMP");
}

class DesktopClipboard : public ::testing::Test {
protected:
    static void SetUpTestSuite() { kfm::test::ensureGuiApplication(); }
    void TearDown() override { empty(); }

    static QClipboard& desktop() { return *QGuiApplication::clipboard(); }
    static UINT framesFormat() { return RegisterClipboardFormatA("KeldoFlimmer5"); }

    // Puts data as this program's Copy does: open, empty, set each, close.
    static void put(const std::vector<std::pair<UINT, HANDLE>>& items, bool emptyFirst = true) {
        ASSERT_TRUE(OpenClipboard(nullptr));
        if (emptyFirst) {
            ASSERT_TRUE(EmptyClipboard());
        }
        for (const auto& [format, data] : items)
            ASSERT_EQ(SetClipboardData(format, data), data);
        ASSERT_TRUE(CloseClipboard());
    }
    // Another program puts the forms.
    static void putForeign(const std::vector<std::pair<QString, QByteArray>>& forms) {
        auto* data = new QMimeData;
        for (const auto& [type, bytes] : forms)
            data->setData(type, bytes);
        desktop().setMimeData(data);
    }
    static void empty() {
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
    }
    // The bytes of a global-memory format as this program reads them.
    static QByteArray read(UINT format) {
        EXPECT_TRUE(OpenClipboard(nullptr));
        const HANDLE data = GetClipboardData(format);
        const QByteArray bytes = data ? bytesOf(data) : QByteArray();
        CloseClipboard();
        return bytes;
    }
};

TEST(ClipboardWithoutApplication, FailsCleanly) {
    if (QCoreApplication::instance())
        GTEST_SKIP() << "an earlier test of this run made a GUI application";
    EXPECT_FALSE(OpenClipboard(nullptr));
    EXPECT_FALSE(EmptyClipboard());
    EXPECT_FALSE(CloseClipboard());
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_DIB));
    EXPECT_EQ(GetClipboardData(CF_DIB), nullptr);
    const HGLOBAL block = globalOf(paletteDib());
    EXPECT_EQ(SetClipboardData(CF_DIB, block), nullptr);
    GlobalFree(block); // refused: still the caller's
    EXPECT_GE(RegisterClipboardFormatA("KeldoFlimmer5"), 0xC000u);
}

TEST_F(DesktopClipboard, WorksOnlyWhileOpen) {
    const HGLOBAL block = globalOf("frames");
    EXPECT_EQ(SetClipboardData(framesFormat(), block), nullptr);
    EXPECT_FALSE(EmptyClipboard());
    EXPECT_FALSE(CloseClipboard());
    EXPECT_EQ(GetClipboardData(framesFormat()), nullptr);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(OpenClipboard(nullptr)); // the owner opening again
    EXPECT_EQ(SetClipboardData(framesFormat(), nullptr), nullptr);
    EXPECT_EQ(SetClipboardData(framesFormat(), block), block);
    EXPECT_TRUE(CloseClipboard());
    EXPECT_FALSE(CloseClipboard());
}

// Copy of a vector frame: the frames block first, then the picture, then the metafile.
TEST_F(DesktopClipboard, OtherProgramsReadEveryFormatThisProgramPuts) {
    const QByteArray block("\x9a\x02\0\0frames\0", 11);
    const Bytes emf = kfm::test::EmfBuilder(4, 3).solidBrush(0xFF).rectangle(0, 0, 4, 3).finish();
    put({{framesFormat(), globalOf(block)}});
    put({{CF_DIB, globalOf(paletteDib())}}, false);
    put({{CF_ENHMETAFILE, SetEnhMetaFileBits(UINT(emf.size()), emf.data())}}, false);

    const QMimeData* data = desktop().mimeData();
    ASSERT_NE(data, nullptr);
    const QStringList formats = data->formats();
    ASSERT_FALSE(formats.isEmpty());
    EXPECT_EQ(formats.first(), "application/x-keldoflimmer5");
    for (const char* type : {"image/png", "image/bmp", "image/x-emf", "image/emf"})
        EXPECT_TRUE(formats.contains(type)) << type;
    EXPECT_LT(formats.indexOf("image/png"), formats.indexOf("image/x-emf"));

    EXPECT_EQ(data->data("application/x-keldoflimmer5"), block);
    EXPECT_EQ(data->data("image/x-emf"), toQByteArray(emf));
    EXPECT_EQ(data->data("image/emf"), toQByteArray(emf));
    const QByteArray bmp = data->data("image/bmp");
    EXPECT_TRUE(bmp.startsWith("BM"));
    EXPECT_EQ(bmp.mid(14), paletteDib());
    EXPECT_TRUE(samePixels(QImage::fromData(bmp, "BMP"), paletteDibPicture()));
    EXPECT_TRUE(samePixels(QImage::fromData(data->data("image/png"), "PNG"), paletteDibPicture()));
    EXPECT_TRUE(samePixels(desktop().image(), paletteDibPicture()));
}

TEST_F(DesktopClipboard, ThisProgramReadsBackWhatItPut) {
    const HGLOBAL block = globalOf("frames");
    const HGLOBAL dib = globalOf(paletteDib());
    put({{framesFormat(), block}, {CF_DIB, dib}});
    EXPECT_TRUE(IsClipboardFormatAvailable(framesFormat()));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP)); // made from the DIB, as on Windows
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_ENHMETAFILE));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_HDROP));
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(GetClipboardData(framesFormat()), block); // the handle that was set
    EXPECT_EQ(GetClipboardData(CF_DIB), dib);
    const auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(GetClipboardData(CF_BITMAP), bitmap); // the same until the clipboard closes
    DIBSECTION section{};
    ASSERT_TRUE(GetDibSectionInfo(bitmap, &section));
    EXPECT_EQ(section.dsBm.bmWidth, 3);
    EXPECT_EQ(section.dsBmih.biBitCount, 8);
    EXPECT_EQ(std::memcmp(section.dsBm.bmBits, paletteDib().constData() + 56, 8), 0);
    EXPECT_EQ(GetClipboardData(CF_ENHMETAFILE), nullptr);
    CloseClipboard();
}

TEST_F(DesktopClipboard, ABitmapIsOfferedAsItsPicture) {
    const QByteArray dib = paletteDib();
    void* bits = nullptr;
    const HBITMAP bitmap =
        CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(dib.constData()),
                         DIB_RGB_COLORS, &bits, nullptr, 0);
    std::memcpy(bits, dib.constData() + 56, 8);
    put({{CF_BITMAP, bitmap}});
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));
    EXPECT_EQ(read(CF_DIB), dib);
    EXPECT_TRUE(samePixels(desktop().image(), paletteDibPicture()));
}

TEST_F(DesktopClipboard, DroppedFilesTravelAsUriList) {
    const std::vector<std::string> paths = {"/tmp/one frame.gif", "/tmp/zwei-\xc3\xbc.png"};
    put({{CF_HDROP, kfm::clipboard::makeDropFilesBlock(paths)}});
    const QList<QUrl> urls = desktop().mimeData()->urls();
    ASSERT_EQ(urls.size(), 2);
    EXPECT_EQ(urls[0].toLocalFile().toStdString(), paths[0]);
    EXPECT_EQ(urls[1].toLocalFile().toStdString(), paths[1]);

    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile("/tmp/a.gif"), QUrl("https://example.org/b.gif"),
                   QUrl::fromLocalFile("/tmp/c d.bmp")});
    desktop().setMimeData(data);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_HDROP));
    const QByteArray drop = read(CF_HDROP);
    EXPECT_EQ(kfm::clipboard::dropFilesNames(reinterpret_cast<const std::uint8_t*>(drop.data()),
                                             static_cast<std::size_t>(drop.size())),
              (std::vector<std::string>{"/tmp/a.gif", "/tmp/c d.bmp"}));

    auto* remote = new QMimeData;
    remote->setUrls({QUrl("https://example.org/b.gif")});
    desktop().setMimeData(remote);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_HDROP));
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(GetClipboardData(CF_HDROP), nullptr); // no local file: no drop record
    CloseClipboard();
}

TEST_F(DesktopClipboard, FramesOfAnotherEditorArriveAsTheirBlock) {
    const QByteArray block("\x9a\x02\0\0other editor\0", 17);
    putForeign({{"application/x-keldoflimmer5", block}});
    EXPECT_TRUE(IsClipboardFormatAvailable(framesFormat()));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_DIB));
    EXPECT_EQ(read(framesFormat()), block);
}

struct ForeignPicture {
    const char* name;
    QString type;
    QByteArray bytes;
    int bitCount;   // of the packed DIB this program reads
    QImage picture; // what it shows; null: not compared (a lossy form)
};

TEST_F(DesktopClipboard, PicturesOfOtherProgramsArriveAsPackedDibs) {
    const QImage picture = paletteDibPicture();
    QImage translucent(2, 2, QImage::Format_ARGB32);
    translucent.fill(qRgba(10, 20, 30, 128));
    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QImage(64, 64, QImage::Format_RGB32).save(&buffer, "JPEG");
    }
    const ForeignPicture cases[] = {
        {"png", "image/png", pngOf(picture), 24, picture},
        {"png with alpha", "image/png", pngOf(translucent), 32, QImage()},
        {"bmp file", "image/bmp", bmpFileOf(paletteDib()), 8, picture},
        {"bare packed dib", "image/bmp", paletteDib(), 8, picture},
        {"jpeg", "image/jpeg", jpeg, 24, QImage()},
    };
    for (const ForeignPicture& c : cases) {
        SCOPED_TRACE(c.name);
        putForeign({{c.type, c.bytes}});
        EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));
        EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
        const QByteArray dib = read(CF_DIB);
        ASSERT_GE(dib.size(), 40);
        BITMAPINFOHEADER h{};
        std::memcpy(&h, dib.constData(), sizeof h);
        EXPECT_EQ(h.biBitCount, c.bitCount);
        if (c.bitCount == 8) { // a sound DIB passes as it stands
            EXPECT_EQ(dib, paletteDib());
        }
        if (!c.picture.isNull()) {
            EXPECT_TRUE(samePixels(pictureOfDib(dib), c.picture));
        }
        if (c.bitCount == 32) { // blue, green, red, alpha as they were
            EXPECT_EQ(dib.mid(40, 4), QByteArray("\x1e\x14\x0a\x80", 4));
        }
        ASSERT_TRUE(OpenClipboard(nullptr));
        const auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
        DIBSECTION section{};
        EXPECT_TRUE(GetDibSectionInfo(bitmap, &section));
        EXPECT_EQ(section.dsBm.bmWidth, h.biWidth);
        CloseClipboard();
    }

    // A picture a Qt program puts as its image.
    auto* data = new QMimeData;
    data->setImageData(picture);
    desktop().setMimeData(data);
    EXPECT_TRUE(samePixels(pictureOfDib(read(CF_DIB)), picture));
}

TEST_F(DesktopClipboard, MetafilesOfOtherProgramsArriveAsEnhancedMetafiles) {
    const Bytes emf = kfm::test::EmfBuilder(5, 5).solidBrush(0xFF00).rectangle(0, 0, 5, 5).finish();
    for (const char* type : {"image/x-emf", "image/emf"}) {
        SCOPED_TRACE(type);
        putForeign({{type, toQByteArray(emf)}});
        EXPECT_TRUE(IsClipboardFormatAvailable(CF_ENHMETAFILE));
        EXPECT_FALSE(IsClipboardFormatAvailable(CF_METAFILEPICT));
        ASSERT_TRUE(OpenClipboard(nullptr));
        const auto metafile = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE));
        ASSERT_NE(metafile, nullptr);
        EXPECT_EQ(metafile->bytes(), emf);
        CloseClipboard();
    }

    const Bytes wmf = kfm::test::readFileBytes(kfm::test::testDataPath("metafile/drawing.wmf"));
    ASSERT_FALSE(wmf.empty());
    putForeign({{"image/x-wmf", toQByteArray(wmf)}});
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_METAFILEPICT));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_ENHMETAFILE)); // converted, as on Windows
    ASSERT_TRUE(OpenClipboard(nullptr));
    const auto converted = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE));
    ASSERT_NE(converted, nullptr);
    EXPECT_TRUE(converted->hasValidHeader());
    CloseClipboard();
}

// The bytes other programs read and write for a Windows metafile picture.
QByteArray placeableWmf(int right, int bottom, int unitsPerInch, const QByteArray& records) {
    kfm::metafile::WmfPlaceableBox box;
    box.right = right;
    box.bottom = bottom;
    box.unitsPerInch = unitsPerInch;
    return toQByteArray(kfm::metafile::placeableHeaderOf(box)) + records;
}

int word(const QByteArray& bytes, int at) {
    return static_cast<std::uint8_t>(bytes[at]) | (static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

// A metafile picture goes out as a placeable WMF whose box is its size (finer units when they
// fit the header, coarser ones when they do not), or plain when it has no size; what other
// programs put comes back as a picture of the box's size.
TEST_F(DesktopClipboard, MetafilePicturesTravelAsPlaceableMetafiles) {
    Bytes file = kfm::test::readFileBytes(kfm::test::testDataPath("metafile/drawing.wmf"));
    ASSERT_GT(file.size(), 22u);
    const QByteArray records = toQByteArray(Bytes(file.begin() + 22, file.end()));
    const struct {
        const char* name;
        LONG mm, xExt, yExt;
        int right, bottom, units; // units 0: plain
    } cases[] = {
        {"small", MM_ANISOTROPIC, 2898, 1500, 2898, 1500, 2540},
        {"isotropic", MM_ISOTROPIC, 32767, 100, 32767, 100, 2540},
        {"beyond the header", MM_ANISOTROPIC, 100000, 50000, 25000, 12500, 635},
        {"no size", MM_ANISOTROPIC, 0, 0, 0, 0, 0},
        {"aspect ratio only", MM_ANISOTROPIC, -3, -2, 0, 0, 0},
        {"other mapping mode", 1, 300, 200, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const METAFILEPICT picture{
            c.mm, c.xExt, c.yExt,
            SetMetaFileBitsEx(UINT(records.size()), reinterpret_cast<const BYTE*>(records.data()))};
        ASSERT_NE(picture.hMF, nullptr);
        put({{CF_METAFILEPICT,
              globalOf(QByteArray(reinterpret_cast<const char*>(&picture), sizeof picture))}});
        const QByteArray offered = desktop().mimeData()->data("image/x-wmf");
        if (c.units == 0) {
            EXPECT_EQ(offered, records);
            continue;
        }
        EXPECT_EQ(offered, placeableWmf(c.right, c.bottom, c.units, records));
        int checksum = 0;
        for (int i = 0; i < 10; ++i)
            checksum ^= word(offered, 2 * i);
        EXPECT_EQ(word(offered, 20), checksum);
        // The enhanced metafile the desktop's Windows metafile converts into.
        EXPECT_TRUE(IsClipboardFormatAvailable(CF_ENHMETAFILE));
        ASSERT_TRUE(OpenClipboard(nullptr));
        EXPECT_NE(GetClipboardData(CF_ENHMETAFILE), nullptr);
        CloseClipboard();
    }

    // Placeable or plain from another program: a picture sized by the box, its records held.
    const struct {
        const char* name;
        QByteArray bytes;
        LONG xExt, yExt;
    } foreign[] = {
        {"drawing", toQByteArray(file), 2898, 2898},
        {"hundredths of a millimetre", placeableWmf(2898, 1500, 2540, records), 2898, 1500},
        {"coarse units", placeableWmf(25000, 12500, 635, records), 100000, 50000},
        {"plain", records, 0, 0},
    };
    for (const auto& f : foreign) {
        SCOPED_TRACE(f.name);
        putForeign({{"image/x-wmf", f.bytes}});
        EXPECT_TRUE(IsClipboardFormatAvailable(CF_METAFILEPICT));
        ASSERT_TRUE(OpenClipboard(nullptr));
        const HANDLE block = GetClipboardData(CF_METAFILEPICT);
        ASSERT_NE(block, nullptr);
        METAFILEPICT picture{};
        ASSERT_GE(GlobalSize(static_cast<HGLOBAL>(block)), sizeof picture);
        std::memcpy(&picture, GlobalLock(static_cast<HGLOBAL>(block)), sizeof picture);
        GlobalUnlock(static_cast<HGLOBAL>(block));
        EXPECT_EQ(picture.mm, MM_ANISOTROPIC);
        EXPECT_EQ(picture.xExt, f.xExt);
        EXPECT_EQ(picture.yExt, f.yExt);
        ASSERT_NE(picture.hMF, nullptr);
        EXPECT_EQ(toQByteArray(picture.hMF->bytes()), records);
        CloseClipboard();
    }
}

struct DamagedData {
    const char* name;
    QString type;
    QByteArray bytes;
    UINT format;
};

// A run-length DIB of a picture 5000 pixels square (which Qt would decode to 100 MB) whose 84
// bytes of rows are moves over the picture: 20 moves of 255 rows up, then the end of the bitmap.
QByteArray runLengthBomb(int bits) {
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = 5000;
    h.biHeight = 5000;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bits);
    h.biCompression = bits == 8 ? BI_RLE8 : BI_RLE4;
    h.biClrUsed = 2;
    QByteArray rows;
    for (int i = 0; i < 20; ++i)
        rows.append("\x00\x02\x00\xff", 4);
    rows.append("\x00\x01", 2);
    h.biSizeImage = static_cast<DWORD>(rows.size());
    const RGBQUAD colours[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    QByteArray dib(reinterpret_cast<const char*>(&h), sizeof h);
    dib.append(reinterpret_cast<const char*>(colours), sizeof colours);
    return dib + rows;
}

// Each kind of damage gives no handle and no crash; the type's presence may still be offered.
TEST_F(DesktopClipboard, DamagedDataOfOtherProgramsGiveNothing) {
    const QByteArray png = pngOf(paletteDibPicture());
    QByteArray hugeDib = paletteDib();
    const LONG huge = 0x7FFFFFFF;
    std::memcpy(hugeDib.data() + 4, &huge, 4);
    QByteArray lyingTable = paletteDib();
    const DWORD manyColours = 0x40000000;
    std::memcpy(lyingTable.data() + 32, &manyColours, 4);
    QByteArray pixelsPastTheEnd = bmpFileOf(paletteDib());
    const DWORD farOffset = 0x10000;
    std::memcpy(pixelsPastTheEnd.data() + 10, &farOffset, 4);
    QByteArray oddDepth = paletteDib();
    oddDepth[14] = 7;
    Bytes emf = kfm::test::EmfBuilder(5, 5).finish();
    const Bytes wmf = kfm::test::readFileBytes(kfm::test::testDataPath("metafile/drawing.wmf"));
    const DamagedData cases[] = {
        {"truncated png", "image/png", png.left(png.size() / 2), CF_DIB},
        {"garbage png", "image/png", QByteArray(300, '\x7f'), CF_DIB},
        {"empty png", "image/png", QByteArray(), CF_DIB},
        {"dib of huge width", "image/bmp", hugeDib, CF_DIB},
        {"dib of huge width as bitmap", "image/bmp", hugeDib, CF_BITMAP},
        {"dib with a lying colour count", "image/bmp", lyingTable, CF_DIB},
        {"dib of 7 bits", "image/bmp", oddDepth, CF_DIB},
        {"truncated dib", "image/bmp", paletteDib().left(60), CF_DIB},
        {"truncated bmp file", "image/bmp", bmpFileOf(paletteDib()).left(74), CF_BITMAP},
        {"bmp file with its pixels past the end", "image/bmp", pixelsPastTheEnd, CF_DIB},
        {"header only", "image/bmp", paletteDib().left(20), CF_DIB},
        {"bmp file cut in its header", "image/bmp", QByteArray("BM\x10\0", 4), CF_BITMAP},
        // Data far too small for the picture it claims is refused before it is decoded.
        {"rle8 dib of moves over a huge picture", "image/bmp", runLengthBomb(8), CF_DIB},
        {"rle4 dib of moves over a huge picture", "image/bmp", runLengthBomb(4), CF_DIB},
        {"rle8 bmp file of moves as bitmap", "image/bmp", bmpFileOf(runLengthBomb(8)), CF_BITMAP},
        {"rle8 bmp file under another picture type", "image/gif", bmpFileOf(runLengthBomb(8)),
         CF_DIB},
        {"emf without its signature", "image/x-emf", toQByteArray(emf).left(40), CF_ENHMETAFILE},
        {"garbage emf", "image/emf", QByteArray(200, '\x01'), CF_ENHMETAFILE},
        {"truncated wmf", "image/x-wmf", toQByteArray(wmf).left(30), CF_METAFILEPICT},
        {"garbage wmf as emf", "image/x-wmf", QByteArray(64, '\xff'), CF_ENHMETAFILE},
        {"wmf of an empty box", "image/x-wmf", placeableWmf(0, 0, 1000, toQByteArray(wmf).mid(22)),
         CF_METAFILEPICT},
        {"wmf records with a damaged header", "image/x-wmf",
         toQByteArray(wmf).mid(22).replace(2, 1, "\x07"), CF_METAFILEPICT},
    };
    for (const DamagedData& c : cases) {
        SCOPED_TRACE(c.name);
        putForeign({{c.type, c.bytes}});
        ASSERT_TRUE(OpenClipboard(nullptr));
        EXPECT_EQ(GetClipboardData(c.format), nullptr);
        CloseClipboard();
    }
}

TEST_F(DesktopClipboard, AddingWithoutEmptyingKeepsWhatIsThere) {
    putForeign({{"text/plain", "another program's text"}});
    put({{framesFormat(), globalOf("frames")}}, false);
    const QMimeData* data = desktop().mimeData();
    EXPECT_EQ(data->formats().first(), "application/x-keldoflimmer5");
    EXPECT_EQ(data->text(), "another program's text");
    put({{CF_DIB, globalOf(paletteDib())}}, false);
    EXPECT_EQ(desktop().mimeData()->text(), "another program's text");
    EXPECT_TRUE(IsClipboardFormatAvailable(framesFormat()));

    // Emptying takes everything away, from this program and the other.
    put({{CF_DIB, globalOf(paletteDib())}});
    EXPECT_FALSE(IsClipboardFormatAvailable(framesFormat()));
    EXPECT_FALSE(desktop().mimeData()->hasText());
}

TEST_F(DesktopClipboard, AnotherProgramReplacingTheContentEndsThisProgramsOwnership) {
    put({{framesFormat(), globalOf("frames")}, {CF_DIB, globalOf(paletteDib())}});
    putForeign({{"image/png", pngOf(paletteDibPicture())}});
    EXPECT_FALSE(IsClipboardFormatAvailable(framesFormat()));
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(GetClipboardData(framesFormat()), nullptr);
    const HANDLE dib = GetClipboardData(CF_DIB);
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(bytesOf(dib).at(14), 24); // the other program's picture, not this program's
    // Set again, the handle becomes the clipboard's for good: Close leaves it alone.
    EXPECT_EQ(SetClipboardData(CF_DIB, dib), dib);
    CloseClipboard();
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(GetClipboardData(CF_DIB), dib);
    EXPECT_EQ(bytesOf(dib).at(14), 24);
    CloseClipboard();
}

// Where the platform shares the clipboard between processes, a second program reads the frames
// block this one put. The offscreen platform keeps its clipboard within the process.
TEST_F(DesktopClipboard, ASecondProcessReadsTheFramesBlock) {
    const QByteArray block("\x9a\x02\0\0shared frames\0", 18);
    put({{framesFormat(), globalOf(block)}});
    QProcess peer;
    peer.start(QCoreApplication::applicationDirPath() + "/clipboard_peer", {"KeldoFlimmer5"});
    ASSERT_TRUE(peer.waitForStarted(kfm::test::kHangMilliseconds))
        << "clipboard_peer is built beside the tests";
    // The clipboard's owner answers the peer's requests from its event loop.
    QElapsedTimer timer;
    timer.start();
    while (peer.state() != QProcess::NotRunning && timer.elapsed() < kfm::test::kHangMilliseconds) {
        QCoreApplication::processEvents();
        peer.waitForFinished(20);
    }
    ASSERT_EQ(peer.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(peer.exitCode(), 0);
    const QByteArray seen = peer.readAllStandardOutput().trimmed();
    if (seen.isEmpty())
        GTEST_SKIP() << "the " << QGuiApplication::platformName().toStdString()
                     << " platform does not share the clipboard between processes";
    EXPECT_EQ(QByteArray::fromHex(seen), block);
}

} // namespace
