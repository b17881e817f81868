#include "metafile/EmfPlayer.h"

#include "EmfFixtures.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace {

using kfm::metafile::EmfPlayResult;
using kfm::metafile::EmfPlayStatus;
using kfm::metafile::playEmf;
using kfm::metafile::readEmfHeader;

// Text needs the font database, which needs a GUI application.
class EmfPlayer : public ::testing::Test {
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

    static QImage render(const std::vector<std::uint8_t>& emf, QSize size,
                         EmfPlayResult* result = nullptr) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        const EmfPlayResult played = playEmf(emf, painter, QRectF(QPointF(0, 0), size));
        painter.end();
        if (result)
            *result = played;
        return image;
    }
};

// Share of pixels whose largest channel difference exceeds the tolerance.
double differingShare(const QImage& a, const QImage& b, int tolerance) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    std::size_t differing = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
            const int d = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                    std::abs(qBlue(p) - qBlue(q))});
            differing += d > tolerance;
        }
    return double(differing) / (double(x.width()) * x.height());
}

void putU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    std::memcpy(bytes.data() + at, &value, 4);
}

// The Windows renderings of the same drawing. GDI draws without anti-aliasing and so does the
// player here; shape edges may still fall one pixel apart. Tolerance: a pixel differs when a
// channel is off by more than 32; at most 2% of the pixels may differ at full size, 3.5% in the
// 82 x 164 rendering, where the one-pixel edge shifts weigh more.
TEST_F(EmfPlayer, MatchesTheWindowsRenderingsOfTheDrawing) {
    const auto emf = kfm::test::readFileBytes(kfm::test::testDataPath("metafile/drawing.emf"));
    struct Case {
        const char* reference;
        double share;
    } cases[] = {{"metafile/drawing_emf_ref.png", 0.02},
                 {"metafile/drawing_emf_ref_72_144.png", 0.035}};
    for (const Case& c : cases) {
        const QImage reference(
            QString::fromStdString(kfm::test::testDataPath(c.reference).string()));
        ASSERT_FALSE(reference.isNull()) << c.reference;
        EmfPlayResult result;
        const QImage image = render(emf, reference.size(), &result);
        EXPECT_EQ(result.status, EmfPlayStatus::Ok);
        EXPECT_EQ(result.malformed, 0u);
        EXPECT_LE(differingShare(image, reference, 32), c.share) << c.reference;
    }
}

// The same rectangle, L shape and texts in every mapping mode: each plays every record, and
// each draws something inside the frame.
TEST_F(EmfPlayer, PlaysEveryMappingMode) {
    for (const char* mode : {"text", "lometric", "himetric", "loenglish", "hienglish", "twips",
                             "isotropic", "anisotropic"}) {
        const auto emf = kfm::test::readFileBytes(
            kfm::test::testDataPath(std::string("metafile/test_mm_") + mode + "_ref.emf"));
        ASSERT_FALSE(emf.empty()) << mode;
        EmfPlayResult result;
        const QImage image = render(emf, QSize(200, 200), &result);
        EXPECT_EQ(result.status, EmfPlayStatus::Ok) << mode;
        EXPECT_EQ(result.malformed, 0u) << mode;
        EXPECT_GT(result.played, 10u) << mode;
        QImage white(image.size(), image.format());
        white.fill(Qt::white);
        EXPECT_GT(differingShare(image, white, 0), 0.001) << mode;
    }
}

// A record type the player does not know is skipped and counted; the rest still draws.
TEST_F(EmfPlayer, SkipsAndCountsUnknownRecords) {
    auto emf = kfm::test::readFileBytes(kfm::test::testDataPath("metafile/drawing.emf"));
    const std::size_t headerSize = emf[4] | (emf[5] << 8);
    const std::vector<std::uint8_t> unknown = {0xE7, 0x03, 0, 0, 12, 0, 0, 0, 1, 2, 3, 4};
    emf.insert(emf.begin() + static_cast<std::ptrdiff_t>(headerSize), unknown.begin(),
               unknown.end());
    EmfPlayResult result;
    const QImage image = render(emf, QSize(82, 82), &result);
    EXPECT_EQ(result.status, EmfPlayStatus::Ok);
    EXPECT_EQ(result.skipped, 1u);
    QImage white(image.size(), image.format());
    white.fill(Qt::white);
    EXPECT_GT(differingShare(image, white, 0), 0.01);
}

// Damaged streams: the header is refused, or the chain stops cleanly, or the record with bad
// counts is skipped as malformed.
TEST_F(EmfPlayer, DamagedStreamsFailCleanly) {
    const auto good = kfm::test::readFileBytes(kfm::test::testDataPath("metafile/drawing.emf"));
    const std::size_t header = good[4] | (good[5] << 8);
    struct Case {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> damage;
        EmfPlayStatus status;
        bool malformed;
    } cases[] = {
        {"empty", [](auto& b) { b.clear(); }, EmfPlayStatus::NotEmf, false},
        {"truncated header", [](auto& b) { b.resize(60); }, EmfPlayStatus::NotEmf, false},
        {"header size past end", [](auto& b) { putU32(b, 4, 0x7FFFFFF0); }, EmfPlayStatus::NotEmf,
         false},
        {"inverted frame and bounds",
         [](auto& b) {
             for (std::size_t at = 8; at < 40; at += 4)
                 putU32(b, at, at % 16 == 8 || at % 16 == 12 ? 0 : 0xFFFFFF00u);
         },
         EmfPlayStatus::NotEmf, false},
        {"record size 0", [&](auto& b) { putU32(b, header + 4, 0); }, EmfPlayStatus::Damaged,
         false},
        {"record size past end", [&](auto& b) { putU32(b, header + 4, 0xFFFFFFF0u); },
         EmfPlayStatus::Damaged, false},
        {"truncated in a record", [&](auto& b) { b.resize(header + 6); }, EmfPlayStatus::Damaged,
         false},
    };
    for (const Case& c : cases) {
        auto bytes = good;
        c.damage(bytes);
        EmfPlayResult result;
        render(bytes, QSize(64, 64), &result);
        EXPECT_EQ(result.status, c.status) << c.name;
    }
    // Bounds and frame running backwards over the whole 32-bit range: their widths do not fit
    // 32 bits, so the header is refused before any size is formed.
    const auto backwards =
        kfm::test::readFileBytes(kfm::test::testDataPath("metafile/damaged-backwards-bounds.emf"));
    ASSERT_FALSE(backwards.empty());
    EXPECT_FALSE(readEmfHeader(backwards));
    EmfPlayResult result;
    render(backwards, QSize(64, 64), &result);
    EXPECT_EQ(result.status, EmfPlayStatus::NotEmf);
}

// A 2 x 1 picture of 32 bits, red then blue, drawn by StretchDIBits from the source rectangle
// onto the destination rectangle of a 4 x 2 picture.
std::vector<std::uint8_t> stretchedDib(int xDest, int cxDest, int xSrc, int cxSrc) {
    const auto u = [](int v) { return static_cast<std::uint32_t>(v); };
    return kfm::test::EmfBuilder(4, 2)
        .words(81,
               {0,  0,          3,   1, u(xDest), 0,          u(xSrc),   0, u(cxSrc),   1,
                80, 40,         120, 8, 0,        0x00CC0020, u(cxDest), 2, 40,         2,
                1,  0x00200001, 0,   8, 0,        0,          0,         0, 0x00FF0000, 0x000000FF})
        .finish();
}

// Destinations given right to left mirror the picture; a source reaching past the picture
// draws only the part inside it, onto the matching part of the destination.
TEST_F(EmfPlayer, StretchedPicturesMirrorAndStayInsideTheirSource) {
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255), white = qRgb(255, 255, 255);
    const struct {
        const char* name;
        int xDest, cxDest, xSrc, cxSrc;
        QRgb left, right;
    } cases[] = {
        {"as given", 0, 4, 0, 2, red, blue},
        {"right to left", 4, -4, 0, 2, blue, red},
        {"source right to left", 0, 4, 2, -2, blue, red},
        {"source past the picture", 0, 4, 0, 4, red, white},
        {"source before the picture", 0, 4, -2, 4, white, blue},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EmfPlayResult result;
        const QImage image =
            render(stretchedDib(c.xDest, c.cxDest, c.xSrc, c.cxSrc), QSize(4, 2), &result);
        EXPECT_EQ(result.status, EmfPlayStatus::Ok);
        EXPECT_EQ(image.pixel(0, 0), c.left);
        EXPECT_EQ(image.pixel(3, 1), c.right);
    }
    // A damaged file whose mirrored picture once made Qt read outside it plays without a fault.
    const auto damaged =
        kfm::test::readFileBytes(kfm::test::testDataPath("metafile/damaged-mirrored-dib.emf"));
    ASSERT_FALSE(damaged.empty());
    render(damaged, QSize(64, 64));
}

// Counts that would read past the record (or overflow when multiplied) make the record
// malformed; it is skipped and the picture plays on.
TEST_F(EmfPlayer, RecordsWithCountsPastTheirSizeAreMalformed) {
    auto emf = kfm::test::readFileBytes(kfm::test::testDataPath("metafile/drawing.emf"));
    const std::size_t header = emf[4] | (emf[5] << 8);
    struct Case {
        const char* name;
        std::vector<std::uint32_t> words; // the record after type and size
        std::uint32_t type;
    } cases[] = {
        {"polyline16 count", {0, 0, 10, 10, 0x40000001u, 0}, 87},
        {"polygon count overflow", {0, 0, 10, 10, 0x20000000u, 0}, 3},
        {"polypolygon16 counts", {0, 0, 10, 10, 2, 3, 0xFFFFFFFFu, 4, 0, 0}, 91},
        {"text string offset", {0, 0, 10, 10, 1, 0, 0, 0, 0, 5, 0xFFFFFF00u, 0, 0, 0, 0, 0, 0}, 84},
        {"clip region count", {32, 5, 32, 1, 0x10000000u, 0, 0, 0, 0, 0}, 75},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> record(8 + c.words.size() * 4);
        putU32(record, 0, c.type);
        putU32(record, 4, static_cast<std::uint32_t>(record.size()));
        for (std::size_t i = 0; i < c.words.size(); ++i)
            putU32(record, 8 + i * 4, c.words[i]);
        auto bytes = emf;
        bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(header), record.begin(),
                     record.end());
        EmfPlayResult result;
        render(bytes, QSize(64, 64), &result);
        EXPECT_EQ(result.status, EmfPlayStatus::Ok) << c.name;
        EXPECT_EQ(result.malformed, 1u) << c.name;
    }
}

TEST_F(EmfPlayer, ReadsTheHeader) {
    const auto emf = kfm::test::readFileBytes(kfm::test::testDataPath("metafile/drawing.emf"));
    const auto header = readEmfHeader(emf);
    ASSERT_TRUE(header);
    EXPECT_GT(header->framePixels().width(), 0);
    EXPECT_GT(header->handleCount, 0u);
}

} // namespace
