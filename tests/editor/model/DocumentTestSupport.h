#pragma once
// A fixture for the document: a fresh document over the program-wide animation, the registry
// and the temporary folder in test folders, and helpers that build animations and compare them.

#include "ModelTestSupport.h"
#include "TestSupport.h"

#include "FrameChain.h"
#include "GIFAnimDoc.h"
#include "LibraryFrameFiles.h"
#include "ObjectRecordCompare.h"
#include "UndoHistory.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

class DocumentFixture : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        const char* previous = std::getenv("TMPDIR");
        previousTmp_ = previous ? previous : "";
        hadTmp_ = previous != nullptr;
        setenv("TMPDIR", tempFolder.path().c_str(), 1);
        g_nSaveMode = 1;
        g_bPreviewPlaying = 0;
        g_Settings = ProgramSettings{};
        doc = std::make_unique<CGIFAnimDoc>();
        ASSERT_TRUE(doc->OnNewDocument());
        shellFake.sent.clear();
    }
    void TearDown() override {
        doc.reset();
        TheUndoHistory().Reset();
        if (hadTmp_)
            setenv("TMPDIR", previousTmp_.c_str(), 1);
        else
            unsetenv("TMPDIR");
        g_nSaveMode = 1;
        ModelTest::TearDown();
    }

    // An 8-bit frame whose pixels follow a pattern of the seed, with a 16-colour palette.
    CObjFrame& addPatternFrame(int left, int top, int width, int height, int seed) {
        CObjFrame& f = addFrame(left, top, width, height, 8);
        const auto image = static_cast<KpxHandle>(f.GetImage());
        BITMAPINFO* info = KPXGetBitmapInfoHeader(image);
        for (int i = 0; i < 256; ++i)
            info->bmiColors[i] =
                RGBQUAD{static_cast<BYTE>(i * 16 + seed), static_cast<BYTE>(255 - i * 16),
                        static_cast<BYTE>(i * 7), 0};
        std::uint8_t* bits = KPXGetBits(image);
        const int row = KPXGetScanBytes(image);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                bits[y * row + x] = static_cast<std::uint8_t>((x + 2 * y + seed) % 16);
        KPXFillDIBColorTable(image);
        return f;
    }

    static std::string readFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void writeFile(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

public:
    // The colour (0x00RRGGBB) of a pixel, x from the left and y from the top.
    static std::uint32_t pixelColour(KpxHandle image, int x, int y) {
        const int bpp = KPXbpp(image);
        const int height = KPXHeight(image);
        const std::uint8_t* row =
            KPXGetBits(image) + static_cast<std::size_t>(height - 1 - y) * KPXGetScanBytes(image);
        if (bpp >= 24) {
            const std::uint8_t* p = row + x * (bpp / 8);
            return (p[2] << 16) | (p[1] << 8) | p[0];
        }
        int index = 0;
        if (bpp == 8)
            index = row[x];
        else if (bpp == 4)
            index = (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
        else
            index = (row[x >> 3] >> (7 - (x & 7))) & 1;
        const RGBQUAD c = KPXGetBitmapInfoHeader(image)->bmiColors[index];
        return (c.rgbRed << 16) | (c.rgbGreen << 8) | c.rgbBlue;
    }

protected:
    static bool samePixels(KpxHandle a, KpxHandle b) {
        if (KPXWidth(a) != KPXWidth(b) || KPXHeight(a) != KPXHeight(b))
            return false;
        for (int y = 0; y < KPXHeight(a); ++y)
            for (int x = 0; x < KPXWidth(a); ++x)
                if (pixelColour(a, x, y) != pixelColour(b, x, y))
                    return false;
        return true;
    }

    kfm::test::ScopedRegistry registry;
    kfm::test::TempDir tempFolder;
    kfm::test::TempDir files;
    std::unique_ptr<CGIFAnimDoc> doc;

private:
    std::string previousTmp_;
    bool hadTmp_ = false;
};
