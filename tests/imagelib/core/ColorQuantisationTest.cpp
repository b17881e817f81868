#include "ColorQuantisation.h"
#include "ImageCreation.h"
#include "ImageTable.h"
#include "PaletteSearch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <set>
#include <thread>
#include <vector>

namespace {

struct Colour {
    int r, g, b;
    bool operator==(const Colour&) const = default;
    bool operator<(const Colour& o) const { return std::tie(r, g, b) < std::tie(o.r, o.g, o.b); }
};

// Pixel access with y counted from the top.
std::uint8_t* pixelAt(KpxHandle image, int x, int y) {
    const int bpp = KPXbpp(image);
    std::uint8_t* row = KPXGetBits(image) + (KPXHeight(image) - 1 - y) * KPXGetScanBytes(image);
    return row + (bpp == 24 ? 3 * x : x);
}

void setRgb(KpxHandle image, int x, int y, Colour c) {
    std::uint8_t* p = pixelAt(image, x, y);
    p[0] = static_cast<std::uint8_t>(c.b);
    p[1] = static_cast<std::uint8_t>(c.g);
    p[2] = static_cast<std::uint8_t>(c.r);
}

Colour entry(KpxHandle image, int index) {
    const RGBQUAD& q = KPXGetBitmapInfoHeader(image)->bmiColors[index];
    return {q.rgbRed, q.rgbGreen, q.rgbBlue};
}

void setEntry(KpxHandle image, int index, Colour c) {
    RGBQUAD& q = KPXGetBitmapInfoHeader(image)->bmiColors[index];
    q = {static_cast<BYTE>(c.b), static_cast<BYTE>(c.g), static_cast<BYTE>(c.r), 0};
}

int indexAt(KpxHandle image, int x, int y) {
    return *pixelAt(image, x, y);
}
Colour mappedColour(KpxHandle image, int x, int y) {
    return entry(image, indexAt(image, x, y));
}

void setTransparentIndex(KpxHandle image, int index) {
    kpx::ImageLock record(image, kKpxWrite);
    record->transparency[0] = KpxTransparentEntry{0, 0, index, 0, 1, 0, 0};
    record->transparencyCount = 1;
}

KpxTransparentEntry firstTransparency(KpxHandle image, int* count) {
    kpx::ImageLock record(image, kKpxRead);
    *count = record->transparencyCount;
    return record->transparency[0];
}

// Images deleted at the end of a test.
struct Images {
    std::vector<KpxHandle> handles;
    KpxHandle make(int w, int h, int depth) {
        const KpxHandle image = KPXCreateImage(w, h, depth);
        handles.push_back(image);
        return image;
    }
    ~Images() {
        for (const KpxHandle h : handles)
            KPXDeleteImage(h);
    }
};

// A deterministic photo-like picture: smooth gradients, a disc and a bit of noise.
void paintPhoto(KpxHandle image) {
    const int w = KPXWidth(image);
    const int h = KPXHeight(image);
    std::uint32_t seed = 12345;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = static_cast<int>((seed >> 24) % 9) - 4;
            Colour c{x * 255 / w, y * 255 / h, (x + y) * 127 / (w + h) + 64};
            const int dx = x - w / 2;
            const int dy = y - h / 2;
            if (dx * dx + dy * dy < w * h / 16)
                c = {220, 180 - y, 40};
            c = {std::clamp(c.r + noise, 0, 255), std::clamp(c.g + noise, 0, 255),
                 std::clamp(c.b - noise, 0, 255)};
            setRgb(image, x, y, c);
        }
}

// A white field with soft-edged, shaded coloured discs: one colour of great weight and many
// light blends at the edges, where a palette cut by weight alone leaves large errors.
void paintDiscs(KpxHandle image) {
    const int w = KPXWidth(image);
    const int h = KPXHeight(image);
    struct Disc {
        double x, y, radius;
        Colour colour;
    } const discs[] = {{0.3, 0.4, 0.22, {220, 30, 40}},
                       {0.62, 0.55, 0.2, {30, 60, 200}},
                       {0.45, 0.7, 0.15, {240, 200, 20}},
                       {0.8, 0.25, 0.12, {20, 150, 60}}};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double c[3] = {255, 255, 255};
            for (const Disc& d : discs) {
                const double dx = x / double(w) - d.x;
                const double dy = y / double(h) - d.y;
                const double cover =
                    std::clamp((d.radius - std::sqrt(dx * dx + dy * dy)) * w / 3.0, 0.0, 1.0);
                const double shade = 1.0 - 0.25 * std::clamp(-dx / d.radius, -1.0, 1.0);
                const int own[3] = {d.colour.r, d.colour.g, d.colour.b};
                for (int k = 0; k < 3; ++k)
                    c[k] = c[k] * (1 - cover) + std::min(own[k] * shade, 255.0) * cover;
            }
            setRgb(image, x, y,
                   {static_cast<int>(std::lround(c[0])), static_cast<int>(std::lround(c[1])),
                    static_cast<int>(std::lround(c[2]))});
        }
}

// The mean squared error per channel of a quantised picture.
double meanSquaredError(KpxHandle source, KpxHandle quantised) {
    const int w = KPXWidth(source);
    const int h = KPXHeight(source);
    double sum = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = pixelAt(source, x, y);
            const Colour m = mappedColour(quantised, x, y);
            sum += (p[2] - m.r) * (p[2] - m.r) + (p[1] - m.g) * (p[1] - m.g) +
                   (p[0] - m.b) * (p[0] - m.b);
        }
    return sum / (3.0 * w * h);
}

const Colour kFew[5] = {{10, 20, 30}, {250, 0, 0}, {0, 250, 0}, {128, 128, 128}, {255, 255, 255}};

void paintFew(KpxHandle image) {
    for (int y = 0; y < KPXHeight(image); ++y)
        for (int x = 0; x < KPXWidth(image); ++x)
            setRgb(image, x, y, kFew[(x * 3 + y) % 5]);
}

} // namespace

TEST(FineColorConvert, FewerColoursThanWantedAreKeptExactlyInEveryMode) {
    for (const int mode : {0, 1, 2, 3}) {
        SCOPED_TRACE(mode);
        Images images;
        const KpxHandle src = images.make(13, 7, 24);
        const KpxHandle dst = images.make(13, 7, 8);
        paintFew(src);
        ASSERT_EQ(KPXFineColorConvert(dst, src, 0, 256, mode, 0, nullptr, 0), 1);
        std::set<int> used;
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 13; ++x) {
                EXPECT_EQ(mappedColour(dst, x, y), kFew[(x * 3 + y) % 5]);
                used.insert(indexAt(dst, x, y));
            }
        EXPECT_EQ(used.size(), 5u);
        int count = 0;
        firstTransparency(dst, &count);
        EXPECT_EQ(count, 0);
    }
}

TEST(FineColorConvert, OneColourIsTreatedAsTwo) {
    Images images;
    const KpxHandle src = images.make(10, 10, 24);
    const KpxHandle dst = images.make(10, 10, 8);
    paintFew(src);
    ASSERT_EQ(KPXFineColorConvert(dst, src, 0, 1, 0, 0, nullptr, 0), 1);
    std::set<int> used;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            used.insert(indexAt(dst, x, y));
    EXPECT_EQ(used.size(), 2u);
    EXPECT_LE(*used.rbegin(), 1);
}

TEST(FineColorConvert, ReducesAPhotoToTheWantedCountWithFallingError) {
    double previousError = 1e9;
    for (const int colours : {16, 64, 256}) {
        SCOPED_TRACE(colours);
        Images images;
        const KpxHandle src = images.make(64, 48, 24);
        const KpxHandle dst = images.make(64, 48, 8);
        paintPhoto(src);
        ASSERT_EQ(KPXFineColorConvert(dst, src, 0, colours, 0, 0, nullptr, 0), 1);
        std::set<int> used;
        double error = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                used.insert(indexAt(dst, x, y));
                const std::uint8_t* p = pixelAt(src, x, y);
                const Colour m = mappedColour(dst, x, y);
                error += (p[2] - m.r) * (p[2] - m.r) + (p[1] - m.g) * (p[1] - m.g) +
                         (p[0] - m.b) * (p[0] - m.b);
            }
        error /= 64 * 48 * 3;
        EXPECT_LE(*used.rbegin(), colours - 1);
        EXPECT_GE(static_cast<int>(used.size()), colours * 3 / 4);
        EXPECT_LT(error, previousError * 0.6);
        previousError = error;
    }
    // The noise alone has a variance of about 7 per channel; 256 colours come near it.
    EXPECT_LT(previousError, 20.0);
}

TEST(FineColorConvert, PlacesEntriesWhereTheErrorIsOnAFlatFieldWithSoftEdges) {
    // A palette cut by pixel count alone spends its entries on the white field and the discs'
    // insides (errors about 5.8 and 3.4 here); refined, the edges get entries too.
    struct Case {
        int colours;
        double most;
    } const cases[] = {{128, 4.0}, {256, 1.5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.colours);
        Images images;
        const KpxHandle src = images.make(200, 150, 24);
        const KpxHandle dst = images.make(200, 150, 8);
        paintDiscs(src);
        ASSERT_EQ(KPXFineColorConvert(dst, src, 0, c.colours, 0, 0, nullptr, 0), 1);
        EXPECT_LT(meanSquaredError(src, dst), c.most);
    }
}

TEST(FineColorConvert, EveryPixelTakesItsNearestEntryAndTiesTheLowerIndex) {
    // Fixed entries 2 and 3 have one colour: the pixels nearest to it lie as near to both.
    Images images;
    struct Case {
        int width, height, colours, fixed;
        void (*paint)(KpxHandle);
    } const cases[] = {{64, 48, 16, 0, paintPhoto},
                       {100, 75, 64, 0, paintDiscs},
                       {100, 75, 256, 0, paintDiscs},
                       {64, 48, 32, 8, paintPhoto}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.colours << " colours, " << c.fixed << " fixed");
        const KpxHandle src = images.make(c.width, c.height, 24);
        const KpxHandle dst = images.make(c.width, c.height, 8);
        c.paint(src);
        for (int i = 0; i < c.fixed; ++i)
            setEntry(dst, i, i == 3 ? entry(dst, 2) : Colour{i * 30, 255 - i * 30, 128});
        ASSERT_EQ(KPXFineColorConvert(dst, src, 0, c.colours, 0, c.fixed, nullptr, 0), 1);
        int wrong = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const std::uint8_t* p = pixelAt(src, x, y);
                int nearest = 0;
                int best = INT32_MAX;
                for (int i = 0; i < c.colours; ++i) {
                    const Colour e = entry(dst, i);
                    const int d =
                        kpx::quantiser::quantiserDistance(p[2], p[1], p[0], e.r, e.g, e.b);
                    if (d < best) {
                        best = d;
                        nearest = i;
                    }
                }
                wrong += indexAt(dst, x, y) != nearest;
            }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(FineColorConvert, FixedLeadingEntriesKeepTheirColoursAndPlaces) {
    struct Case {
        int colours;
        int fixed;
        bool fewColours;
    };
    for (const Case c : {Case{64, 16, false}, Case{16, 8, true}, Case{8, 8, true}}) {
        SCOPED_TRACE(c.fixed);
        Images images;
        const KpxHandle src = images.make(40, 30, 24);
        const KpxHandle dst = images.make(40, 30, 8);
        c.fewColours ? paintFew(src) : paintPhoto(src);
        for (int i = 0; i < c.fixed; ++i)
            setEntry(dst, i, {i * 13, 255 - i * 7, (i * 50) & 255});
        setEntry(dst, 1, kFew[3]); // a fixed entry that is also a picture colour
        std::vector<Colour> before;
        for (int i = 0; i < c.fixed; ++i)
            before.push_back(entry(dst, i));
        ASSERT_EQ(KPXFineColorConvert(dst, src, 0, c.colours, 0, c.fixed, nullptr, 0), 1);
        for (int i = 0; i < c.fixed; ++i)
            EXPECT_EQ(entry(dst, i), before[i]) << "entry " << i;
        if (c.fewColours) {
            // Pixels of the fixed colour use that entry.
            EXPECT_EQ(indexAt(dst, 1, 0), 1); // (1 * 3 + 0) % 5 == 3
            if (c.colours > 8) {
                for (int y = 0; y < 30; ++y)
                    for (int x = 0; x < 40; ++x)
                        EXPECT_EQ(mappedColour(dst, x, y), kFew[(x * 3 + y) % 5]);
            }
        }
    }
}

// Frames converted in turn to a common palette of fixed entries (as the optimiser converts an
// animation) map exactly as each converted alone, also when another palette came in between:
// what one conversion leaves for the next never changes an answer.
TEST(FineColorConvert, ConversionsInTurnMapAsEachAlone) {
    const auto convert = [](void (*paint)(KpxHandle), int seed) {
        Images images;
        const KpxHandle src = images.make(48, 36, 24);
        const KpxHandle dst = images.make(48, 36, 8);
        paint(src);
        for (int i = 0; i < 256; ++i)
            setEntry(dst, i, {(i * 37 + seed) & 255, (i * 11 + 3 * seed) & 255, (255 - i) & 255});
        EXPECT_EQ(KPXFineColorConvert(dst, src, 0, 256, 0, 256, nullptr, 0), 1);
        std::vector<int> indices;
        for (int y = 0; y < 36; ++y)
            for (int x = 0; x < 48; ++x)
                indices.push_back(indexAt(dst, x, y));
        return indices;
    };
    std::vector<int> discsAlone, discsInOther;
    std::thread([&] { discsAlone = convert(paintDiscs, 1); }).join();
    std::thread([&] { discsInOther = convert(paintDiscs, 2); }).join();
    const std::vector<int> photo = convert(paintPhoto, 1);
    EXPECT_EQ(convert(paintDiscs, 1), discsAlone);
    EXPECT_EQ(convert(paintDiscs, 2), discsInOther);
    EXPECT_EQ(convert(paintDiscs, 1), discsAlone);
    EXPECT_NE(discsAlone, discsInOther);
    EXPECT_FALSE(photo.empty());
}

// A whole palette given (every entry fixed, as the optimiser's common palette is): each pixel
// takes the nearest entry other than the transparent one, the lower index on equal distances;
// error diffusion over a picture whose colours are all entries adds no error and maps them
// exactly; and the answers do not depend on what this thread converted before.
TEST(FineColorConvert, GivenPaletteMapsEachPixelToItsNearestEntry) {
    // Entries: the picture's five colours at shuffled places, each twice (the later copy must
    // never win), two entries equally near grey 100 (98 and 102 in every channel), and a ramp.
    const auto palette = [](int i) -> Colour {
        static const int kFewAt[5] = {7, 3, 250, 0, 130};
        for (int k = 0; k < 5; ++k)
            if (i == kFewAt[k] || i == kFewAt[k] + 1)
                return kFew[k];
        if (i == 20)
            return {98, 98, 98};
        if (i == 21)
            return {102, 102, 102};
        return {(i * 53) & 255, (i * 29 + 7) & 255, (i * 97 + 11) & 255};
    };
    const auto paintFewAndGrey = [](KpxHandle image) {
        for (int y = 0; y < KPXHeight(image); ++y)
            for (int x = 0; x < KPXWidth(image); ++x)
                setRgb(image, x, y, x % 6 == 5 ? Colour{100, 100, 100} : kFew[(x * 3 + y) % 5]);
    };
    // An 8-bit picture whose table holds a ramp, grey 100 and a copy of one palette entry.
    const auto paintIndexed = [](KpxHandle image) {
        for (int i = 0; i < 256; ++i)
            setEntry(image, i, {i, (i * 3) & 255, 255 - i});
        setEntry(image, 5, {100, 100, 100});
        setEntry(image, 6, kFew[2]);
        for (int y = 0; y < KPXHeight(image); ++y)
            for (int x = 0; x < KPXWidth(image); ++x)
                *pixelAt(image, x, y) = static_cast<std::uint8_t>((x * 7 + y * 3) & 255);
    };
    struct Case {
        const char* name;
        void (*paint)(KpxHandle);
        int depth;
        int colours;
        int transparent; // -1: none
        int mode;
        bool exact; // every picture colour is an entry: diffusion makes no error
    } const cases[] = {
        {"exact colours and ties", paintFewAndGrey, 24, 256, -1, 0, false},
        {"photo", paintPhoto, 24, 256, -1, 0, false},
        {"transparent entry holds a picture colour", paintFew, 24, 256, 3, 0, true},
        {"fewer colours, transparent entry past them", paintPhoto, 24, 200, 255, 0, false},
        {"8-bit source", paintIndexed, 8, 256, 4, 0, false},
        {"diffusion over exact colours", paintFew, 24, 256, -1, 2, true},
        {"diffusion over a photo", paintPhoto, 24, 256, 0, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto convert = [&](Images& images) {
            const KpxHandle src = images.make(37, 23, c.depth);
            const KpxHandle dst = images.make(37, 23, 8);
            c.paint(src);
            for (int i = 0; i < 256; ++i)
                setEntry(dst, i, palette(i));
            if (c.transparent >= 0)
                setTransparentIndex(dst, c.transparent);
            EXPECT_EQ(KPXFineColorConvert(dst, src, 0, c.colours, c.mode, c.colours, nullptr, 0),
                      1);
            return std::pair{src, dst};
        };
        Images images;
        std::pair<KpxHandle, KpxHandle> cold{};
        std::thread([&] { cold = convert(images); }).join();
        // The same conversion after others onto the same palette and onto another one.
        Images warmImages;
        const KpxHandle other = warmImages.make(37, 23, 24);
        paintDiscs(other);
        const KpxHandle otherDst = warmImages.make(37, 23, 8);
        for (int i = 0; i < 256; ++i)
            setEntry(otherDst, i, palette(i));
        ASSERT_EQ(KPXFineColorConvert(otherDst, other, 0, 256, 2, 256, nullptr, 0), 1);
        const auto [src, dst] = convert(warmImages);
        for (int i = 0; i < 256; ++i)
            ASSERT_EQ(entry(dst, i), palette(i)) << "entry " << i;
        int differ = 0;
        int wrong = 0;
        for (int y = 0; y < 23; ++y)
            for (int x = 0; x < 37; ++x) {
                differ += indexAt(dst, x, y) != indexAt(cold.second, x, y);
                if (c.mode != 0 && !c.exact)
                    continue;
                const std::uint8_t* p = pixelAt(src, x, y);
                const Colour shown = c.depth == 8 ? entry(src, *p) : Colour{p[2], p[1], p[0]};
                int nearest = -1;
                int best = INT_MAX;
                for (int i = 0; i < c.colours; ++i) {
                    const Colour e = palette(i);
                    const int d =
                        kpx::quantiser::quantiserDistance(shown.r, shown.g, shown.b, e.r, e.g, e.b);
                    if (i != c.transparent && d < best) {
                        best = d;
                        nearest = i;
                    }
                }
                wrong += indexAt(dst, x, y) != nearest;
            }
        EXPECT_EQ(differ, 0);
        EXPECT_EQ(wrong, 0);
    }
}

TEST(FineColorConvert, TransparentEntryIsReservedAndKeepsItsNumberAndColour) {
    for (const int t : {200, 3, 0}) {
        SCOPED_TRACE(t);
        Images images;
        const KpxHandle src = images.make(32, 32, 24);
        const KpxHandle dst = images.make(32, 32, 8);
        paintPhoto(src);
        setEntry(dst, t, {1, 2, 3});
        for (int i = 0; i < 8; ++i)
            if (i != t)
                setEntry(dst, i, {i * 30, i * 20, i * 10});
        setTransparentIndex(dst, t);
        ASSERT_EQ(KPXFineColorConvert(dst, src, 0, 32, 0, 8, nullptr, 0), 1);
        EXPECT_EQ(entry(dst, t), (Colour{1, 2, 3}));
        for (int i = 0; i < 8; ++i) {
            if (i != t) {
                EXPECT_EQ(entry(dst, i), (Colour{i * 30, i * 20, i * 10}));
            }
        }
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                EXPECT_NE(indexAt(dst, x, y), t);
                EXPECT_TRUE(indexAt(dst, x, y) < 32 || (t >= 32 && indexAt(dst, x, y) == t));
            }
        int count = 0;
        const KpxTransparentEntry e = firstTransparency(dst, &count);
        EXPECT_EQ(count, 1);
        EXPECT_EQ(e.mode, 1);
        EXPECT_EQ(e.blue, t);
    }
}

TEST(FineColorConvert, MaskedOutPixelsGetTheTransparentIndexAndAreNotCounted) {
    for (const bool named : {true, false}) {
        SCOPED_TRACE(named);
        Images images;
        const KpxHandle src = images.make(20, 10, 24);
        const KpxHandle dst = images.make(20, 10, 8);
        const KpxHandle mask = images.make(20, 10, 1);
        // Counted left half in greys, masked-out right half in pure red.
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 20; ++x) {
                setRgb(src, x, y, x < 10 ? Colour{x * 20, x * 20, x * 20} : Colour{255, 0, 0});
                if (x < 10)
                    pixelAt(mask, 0, y)[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
            }
        if (named)
            setTransparentIndex(dst, 5);
        ASSERT_EQ(KPXFineColorConvert(dst, src, mask, 16, 0, 0, nullptr, 0), 1);
        int count = 0;
        const int t = firstTransparency(dst, &count).blue;
        EXPECT_EQ(count, 1);
        EXPECT_EQ(t, named ? 5 : 15);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 20; ++x) {
                if (x >= 10) {
                    EXPECT_EQ(indexAt(dst, x, y), t);
                } else {
                    EXPECT_NE(indexAt(dst, x, y), t);
                    EXPECT_EQ(mappedColour(dst, x, y), (Colour{x * 20, x * 20, x * 20}));
                }
            }
    }
}

TEST(FineColorConvert, OpaquePixelsNeverTakeTheTransparentEntryThoughItsColourIsInThePicture) {
    // The transparent entry's colour is painted into the picture, so it is the exact nearest
    // colour of those pixels; they must get an entry of their own all the same.
    struct Case {
        const char* what;
        bool masked;
        int named; // transparent index set on the destination, -1 for none
        int colours;
        Colour transparentColour;
    };
    const Case cases[] = {
        {"mask, no index named", true, -1, 16, {250, 250, 250}},
        {"eight colours, index 7", false, 7, 8, {0, 0, 255}},
        {"mask, index 0 named", true, 0, 32, {128, 64, 160}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Images images;
        const KpxHandle src = images.make(40, 30, 24);
        const KpxHandle dst = images.make(40, 30, 8);
        const KpxHandle mask = c.masked ? images.make(40, 30, 1) : 0;
        paintPhoto(src);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                if (y < 8)
                    setRgb(src, x, y, c.transparentColour);
                if (mask && x < 32)
                    pixelAt(mask, 0, y)[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
            }
        const int t = c.named >= 0 ? c.named : c.colours - 1;
        setEntry(dst, t, c.transparentColour);
        if (c.named >= 0)
            setTransparentIndex(dst, c.named);
        ASSERT_EQ(KPXFineColorConvert(dst, src, mask, c.colours, 0, 0, nullptr, 0), 1);
        int count = 0;
        EXPECT_EQ(firstTransparency(dst, &count).blue, t);
        EXPECT_EQ(entry(dst, t), c.transparentColour);
        int opaqueAsTransparent = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                if (mask && x >= 32) {
                    EXPECT_EQ(indexAt(dst, x, y), t);
                    continue;
                }
                opaqueAsTransparent += indexAt(dst, x, y) == t;
            }
        EXPECT_EQ(opaqueAsTransparent, 0);
        // The painted band keeps its colour through an ordinary entry.
        EXPECT_EQ(mappedColour(dst, 3, 2), c.transparentColour);
    }
}

TEST(FineColorConvert, EightBitSourceLeavesOutItsTransparentIndex) {
    Images images;
    const KpxHandle src = images.make(16, 4, 8);
    const KpxHandle dst = images.make(16, 4, 8);
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 4; ++y)
            *pixelAt(src, x, y) = static_cast<std::uint8_t>(x % 4);
    setEntry(src, 0, {9, 9, 9});
    setEntry(src, 1, {200, 10, 10});
    setEntry(src, 2, {10, 200, 10});
    setEntry(src, 3, {10, 10, 200});
    setTransparentIndex(src, 0);
    setTransparentIndex(dst, 7);
    ASSERT_EQ(KPXFineColorConvert(dst, src, 0, 8, 0, 0, nullptr, 0), 1);
    for (int x = 0; x < 16; ++x) {
        if (x % 4 == 0) {
            EXPECT_EQ(indexAt(dst, x, 2), 7);
        } else {
            EXPECT_EQ(mappedColour(dst, x, 2), entry(src, x % 4));
        }
    }
}

TEST(FineColorConvert, SourceMayBeTheDestination) {
    Images images;
    const KpxHandle image = images.make(12, 12, 8);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            *pixelAt(image, x, y) = static_cast<std::uint8_t>(x * 12 + y);
    std::vector<Colour> original;
    for (int i = 0; i < 256; ++i)
        original.push_back(entry(image, i));
    ASSERT_EQ(KPXFineColorConvert(image, image, 0, 256, 0, 0, nullptr, 0), 1);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(mappedColour(image, x, y), original[x * 12 + y]);
}

TEST(FineColorConvert, PaletteOnlyLeavesThePixelsAlone) {
    // No fixed entries: the palette is chosen for the picture; all 256 fixed: it is given and
    // stays as it is.
    for (const int fixed : {0, 256}) {
        SCOPED_TRACE(fixed);
        Images images;
        const KpxHandle src = images.make(9, 9, 24);
        const KpxHandle dst = images.make(9, 9, 8);
        paintFew(src);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 9; ++x)
                *pixelAt(dst, x, y) = static_cast<std::uint8_t>(100 + x + y);
        for (int i = 0; i < 5; ++i)
            setEntry(dst, i, {1, 1, 1});
        std::vector<Colour> before;
        for (int i = 0; i < 256; ++i)
            before.push_back(entry(dst, i));
        ASSERT_EQ(KPXFineColorConvert(dst, src, 0, 256, 2, fixed, nullptr, 1), 1);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 9; ++x)
                EXPECT_EQ(indexAt(dst, x, y), 100 + x + y);
        if (fixed == 0) {
            std::set<Colour> palette;
            for (int i = 0; i < 5; ++i)
                palette.insert(entry(dst, i));
            EXPECT_EQ(palette, std::set<Colour>(std::begin(kFew), std::end(kFew)));
        } else {
            for (int i = 0; i < 256; ++i)
                EXPECT_EQ(entry(dst, i), before[static_cast<std::size_t>(i)]) << "entry " << i;
        }
    }
}

TEST(FineColorConvert, ErrorDiffusionMixesTwoColoursIntoAnAverage) {
    for (const int mode : {0, 2, 3}) {
        SCOPED_TRACE(mode);
        Images images;
        const KpxHandle src = images.make(32, 32, 24);
        const KpxHandle dst = images.make(32, 32, 8);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                setRgb(src, x, y, {96, 96, 96});
        setEntry(dst, 0, {0, 0, 0});
        setEntry(dst, 1, {255, 255, 255});
        ASSERT_EQ(KPXFineColorConvert(dst, src, 0, 2, mode, 2, nullptr, 0), 1);
        int white = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                white += mappedColour(dst, x, y) == Colour{255, 255, 255};
        if (mode == 0) {
            EXPECT_EQ(white, 0);
        } else {
            EXPECT_NEAR(white / 1024.0, 96.0 / 255.0, 0.05);
        }
    }
}

TEST(FineColorConvert, ReportsProgressUpToTwentyAndLeaksNothing) {
    static std::vector<std::pair<int, int>> calls;
    calls.clear();
    const int live = KpxLiveImageCount();
    {
        Images images;
        const KpxHandle src = images.make(30, 30, 24);
        const KpxHandle dst = images.make(30, 30, 8);
        paintPhoto(src);
        ASSERT_EQ(KPXFineColorConvert(
                      dst, src, 0, 64, 3, 0,
                      [](int step, int total) { calls.emplace_back(step, total); }, 0),
                  1);
    }
    EXPECT_EQ(KpxLiveImageCount(), live);
    ASSERT_FALSE(calls.empty());
    for (std::size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].second, 20);
        if (i) {
            EXPECT_GT(calls[i].first, calls[i - 1].first);
        }
    }
    EXPECT_EQ(calls.back().first, 20);
}

TEST(FineColorConvert, RejectsImagesThatDoNotFitTogether) {
    Images images;
    const KpxHandle rgb = images.make(8, 8, 24);
    const KpxHandle dst = images.make(8, 8, 8);
    const KpxHandle dst24 = images.make(8, 8, 24);
    const KpxHandle small = images.make(8, 7, 8);
    const KpxHandle four = images.make(8, 8, 4);
    const KpxHandle mask = images.make(8, 8, 1);
    const KpxHandle mask8 = images.make(8, 8, 8);
    const KpxHandle maskSmall = images.make(4, 8, 1);
    paintFew(rgb);
    struct Case {
        const char* what;
        KpxHandle dst, src, mask;
    };
    const Case cases[] = {
        {"no destination", 0, rgb, 0},          {"no source", dst, 0, 0},
        {"unknown handle", 999, rgb, 0},        {"24-bit destination", dst24, rgb, 0},
        {"size differs", small, rgb, 0},        {"4-bit source", dst, four, 0},
        {"8-bit mask", dst, rgb, mask8},        {"mask size differs", dst, rgb, maskSmall},
        {"mask is destination", dst, rgb, dst}, {"all pixels masked out", dst, rgb, mask},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KPXFineColorConvert(c.dst, c.src, c.mask, 16, 0, 0, nullptr, 0), 0) << c.what;
    // Out-of-range arguments are cut into range.
    EXPECT_EQ(KPXFineColorConvert(dst, rgb, 0, 100000, 7, -4, nullptr, 0), 1);
    EXPECT_EQ(KPXFineColorConvert(dst, rgb, 0, -5, 0, 1000, nullptr, 0), 1);
}

TEST(PaletteAsImage, ShowsEachEntryAsAStripeThreePixelsWide) {
    PALETTEENTRY palette[256];
    for (int i = 0; i < 256; ++i)
        palette[i] = {static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i / 2),
                      0};
    EXPECT_EQ(KPXGetPaletteAsImage(nullptr), 0);
    const KpxHandle image = KPXGetPaletteAsImage(palette);
    ASSERT_NE(image, 0);
    EXPECT_EQ(KPXWidth(image), 768);
    EXPECT_EQ(KPXHeight(image), 48);
    for (const int y : {0, 47})
        for (const int x : {0, 2, 3, 383, 767}) {
            const std::uint8_t* p = pixelAt(image, x, y);
            const PALETTEENTRY& e = palette[x / 3];
            EXPECT_EQ((Colour{p[2], p[1], p[0]}), (Colour{e.peRed, e.peGreen, e.peBlue}));
        }
    KPXDeleteImage(image);
}

TEST(GrayScaleRGB, UsesTheRoundedUpWeightedSum) {
    Images images;
    const KpxHandle src = images.make(4, 1, 24);
    const KpxHandle dst = images.make(4, 1, 24);
    const Colour in[4] = {{255, 255, 255}, {0, 0, 0}, {100, 0, 0}, {10, 20, 30}};
    for (int x = 0; x < 4; ++x)
        setRgb(src, x, 0, in[x]);
    ASSERT_EQ(KPXRGB2GrayScaleRGB(dst, src), 1);
    const int expected[4] = {255, 0, 23, 19}; // 22.2 -> 23; 2.22 + 14.14 + 2.13 = 18.49 -> 19
    for (int x = 0; x < 4; ++x) {
        const std::uint8_t* p = pixelAt(dst, x, 0);
        EXPECT_EQ((Colour{p[2], p[1], p[0]}), (Colour{expected[x], expected[x], expected[x]})) << x;
    }
    const KpxHandle eight = images.make(4, 1, 8);
    const KpxHandle wide = images.make(5, 1, 24);
    EXPECT_EQ(KPXRGB2GrayScaleRGB(eight, src), 0);
    EXPECT_EQ(KPXRGB2GrayScaleRGB(dst, eight), 0);
    EXPECT_EQ(KPXRGB2GrayScaleRGB(wide, src), 0);
    EXPECT_EQ(KPXRGB2GrayScaleRGB(0, src), 0);
}
