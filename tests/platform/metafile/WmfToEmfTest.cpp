#include "metafile/WmfToEmf.h"
#include "metafile/EmfPlayer.h"

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

} // namespace
