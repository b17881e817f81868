#include "metafile/WmfToEmf.h"
#include "metafile/EmfPlayer.h"
#include "metafile/EnhMetafile.h"
#include "metafile/WinMetafile.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstring>
#include <functional>
#include <vector>

namespace {

using kfm::metafile::convertWmfToEmf;
using kfm::metafile::EmfPlayResult;
using kfm::metafile::EmfPlayStatus;
using kfm::metafile::playEmf;
using kfm::metafile::readEmfHeader;

class WmfToEmf : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!QGuiApplication::instance()) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            static int argc = 1;
            static char name[] = "platform_tests";
            static char* argv[] = {name, nullptr};
            static QGuiApplication app(argc, argv);
        }
    }
    static std::vector<std::uint8_t> drawing() {
        return kfm::test::readFileBytes(kfm::test::testDataPath("metafile/drawing.wmf"));
    }
};

// The converted drawing: its size follows the placeable box (82 pixels at 72 per inch), every
// record plays and the red disc is drawn.
TEST_F(WmfToEmf, ConvertedDrawingPlaysAtTheSizeOfItsBox) {
    const auto converted = convertWmfToEmf(drawing());
    ASSERT_FALSE(converted.emf.empty());
    const auto header = readEmfHeader(converted.emf);
    ASSERT_TRUE(header);
    EXPECT_NEAR(header->framePixels().width(), 109, 1); // the same box at 96 per inch
    QImage image(82, 82, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const EmfPlayResult played = playEmf(converted.emf, painter, QRectF(image.rect()));
    painter.end();
    EXPECT_EQ(played.status, EmfPlayStatus::Ok);
    EXPECT_EQ(played.malformed, 0u);
    EXPECT_EQ(played.skipped, 0u);
    EXPECT_EQ(image.pixelColor(60, 60), QColor(Qt::red));
}

void putU16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
    std::memcpy(b.data() + at, &v, 2);
}
void putU32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    std::memcpy(b.data() + at, &v, 4);
}

// Damaged files give no EMF: a zero "inch", an empty box, a broken header, record sizes of 0 or
// past the end, truncation.
TEST_F(WmfToEmf, DamagedFilesGiveNothing) {
    struct Case {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> damage;
    } cases[] = {
        {"empty", [](auto& b) { b.clear(); }},
        {"zero units per inch", [](auto& b) { putU16(b, 14, 0); }},
        {"empty box", [](auto& b) { putU16(b, 10, 0), putU16(b, 6, 0); }},
        {"header words", [](auto& b) { putU16(b, 24, 7); }},
        {"first record size 0", [](auto& b) { putU32(b, 40, 0); }},
        {"record size past end", [](auto& b) { putU32(b, 40, 0x7FFFFFFF); }},
        {"truncated before the header ends", [](auto& b) { b.resize(30); }},
    };
    for (const Case& c : cases) {
        auto bytes = drawing();
        c.damage(bytes);
        EXPECT_TRUE(convertWmfToEmf(bytes).emf.empty()) << c.name;
    }
}

// A polygon whose count runs past its record is left out; the rest converts.
TEST_F(WmfToEmf, RecordsWithCountsPastTheirSizeAreLeftOut) {
    auto bytes = drawing();
    const std::vector<std::uint8_t> polygon = {5, 0, 0, 0, 0x24, 0x03, 0xFF, 0x7F, 0, 0};
    bytes.insert(bytes.begin() + 40, polygon.begin(), polygon.end());
    const auto converted = convertWmfToEmf(bytes);
    ASSERT_FALSE(converted.emf.empty());
    EXPECT_EQ(converted.skipped, convertWmfToEmf(drawing()).skipped + 1);
}

// The records of the drawing without its placeable header.
std::vector<std::uint8_t> drawingRecords() {
    auto bytes = kfm::test::readFileBytes(kfm::test::testDataPath("metafile/drawing.wmf"));
    bytes.erase(bytes.begin(), bytes.begin() + 22);
    return bytes;
}

// A Windows metafile handle holds records that start with a metafile header; a placeable file,
// a cut header and other bytes make none.
TEST_F(WmfToEmf, MetafileHandlesHoldPlainRecords) {
    const auto records = drawingRecords();
    const HMETAFILE metafile = SetMetaFileBitsEx(UINT(records.size()), records.data());
    ASSERT_NE(metafile, nullptr);
    ASSERT_EQ(GetMetaFileBitsEx(metafile, 0, nullptr), records.size());
    std::vector<std::uint8_t> back(records.size());
    EXPECT_EQ(GetMetaFileBitsEx(metafile, UINT(back.size() - 1), back.data()), 0u);
    EXPECT_EQ(GetMetaFileBitsEx(metafile, UINT(back.size()), back.data()), records.size());
    EXPECT_EQ(back, records);
    const HMETAFILE copy = CopyMetaFileA(metafile, nullptr);
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(DeleteMetaFile(metafile));
    EXPECT_EQ(copy->bytes(), records);
    EXPECT_EQ(CopyMetaFileA(copy, "copy.wmf"), nullptr);
    EXPECT_TRUE(DeleteMetaFile(copy));
    EXPECT_FALSE(DeleteMetaFile(nullptr));

    const auto file = drawing();
    const std::vector<std::uint8_t> cut(records.begin(), records.begin() + 17);
    const std::vector<std::uint8_t> garbage(64, 0xFF);
    for (const auto* bytes : {&file, &cut, &garbage})
        EXPECT_EQ(SetMetaFileBitsEx(UINT(bytes->size()), bytes->data()), nullptr);
    EXPECT_EQ(SetMetaFileBitsEx(0, nullptr), nullptr);
}

// The picture's extents size the enhanced metafile in 0.01 mm; without them (or in another
// mapping mode) the records' own window extent does.
TEST_F(WmfToEmf, WindowsMetafilePicturesConvertAtTheirExtents) {
    const auto records = drawingRecords();
    const auto frameOf = [&](const METAFILEPICT* picture) {
        const HENHMETAFILE emf =
            SetWinMetaFileBits(UINT(records.size()), records.data(), nullptr, picture);
        EXPECT_NE(emf, nullptr);
        const auto header = emf ? readEmfHeader(emf->bytes()) : std::nullopt;
        DeleteEnhMetaFile(emf);
        return header ? header->frame : QRect();
    };
    const METAFILEPICT sized{MM_ANISOTROPIC, 5080, 2540, nullptr};
    EXPECT_NEAR(frameOf(&sized).width(), 5080, 30);
    EXPECT_NEAR(frameOf(&sized).height(), 2540, 30);
    const METAFILEPICT unsized{MM_ANISOTROPIC, 0, 0, nullptr};
    const METAFILEPICT otherMode{1, 5080, 2540, nullptr};
    const QRect own = frameOf(nullptr);
    EXPECT_GT(own.width(), 0);
    EXPECT_EQ(frameOf(&unsized), own);
    EXPECT_EQ(frameOf(&otherMode), own);
    const auto file = drawing();
    EXPECT_EQ(SetWinMetaFileBits(UINT(file.size()), file.data(), nullptr, &sized), nullptr);
}

} // namespace
