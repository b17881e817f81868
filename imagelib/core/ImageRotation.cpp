#include "ImageRotation.h"

#include "ImageCreation.h"
#include "ImageLinks.h"
#include "ImageTable.h"
#include "NearestColor.h"
#include "PixelAccess.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// Cosine and negated sine, scaled by 1024, of the angles (k + 1.07) x 360 / 256 degrees; the
// last step is exactly no turn.
constexpr std::array<std::int32_t, 256> kCosine = {
    1023,  1022,  1021,  1019,  1016,  1013,  1009,  1004,  999,   993,   986,   979,   972,
    964,   955,   945,   935,   925,   914,   902,   890,   877,   864,   850,   836,   821,
    806,   790,   774,   758,   740,   723,   704,   686,   668,   648,   629,   609,   588,
    567,   546,   525,   503,   481,   459,   436,   413,   390,   367,   343,   320,   296,
    271,   247,   223,   198,   173,   149,   124,   99,    74,    48,    23,    -2,    -27,
    -52,   -77,   -102,  -127,  -152,  -177,  -201,  -226,  -251,  -275,  -299,  -323,  -347,
    -370,  -393,  -417,  -439,  -462,  -484,  -506,  -528,  -549,  -570,  -591,  -611,  -631,
    -651,  -670,  -689,  -707,  -725,  -743,  -760,  -777,  -793,  -808,  -824,  -838,  -852,
    -866,  -879,  -892,  -904,  -915,  -926,  -937,  -947,  -956,  -965,  -973,  -980,  -987,
    -994,  -1000, -1005, -1009, -1013, -1017, -1019, -1021, -1023, -1024, -1023, -1023, -1023,
    -1021, -1019, -1016, -1013, -1009, -1004, -999,  -993,  -986,  -979,  -972,  -964,  -955,
    -945,  -935,  -925,  -914,  -902,  -890,  -877,  -864,  -850,  -836,  -821,  -806,  -790,
    -774,  -758,  -740,  -723,  -705,  -686,  -668,  -648,  -629,  -609,  -588,  -567,  -546,
    -525,  -503,  -481,  -459,  -436,  -413,  -390,  -367,  -343,  -320,  -296,  -271,  -247,
    -223,  -198,  -173,  -149,  -124,  -99,   -74,   -48,   -23,   0,     27,    52,    77,
    102,   127,   152,   177,   201,   226,   251,   275,   299,   323,   347,   370,   393,
    417,   439,   462,   484,   506,   528,   549,   570,   591,   611,   631,   651,   670,
    689,   707,   725,   743,   760,   777,   793,   808,   824,   838,   852,   866,   879,
    892,   904,   915,   926,   937,   947,   956,   965,   973,   980,   987,   994,   1000,
    1005,  1009,  1013,  1017,  1019,  1021,  1023,  1024,  1024,
};
constexpr std::array<std::int32_t, 256> kSine = {
    -28,   -53,   -77,   -102,  -127,  -152,  -177,  -201,  -226,  -251,  -275,  -299,  -323,
    -347,  -370,  -393,  -417,  -439,  -462,  -484,  -506,  -528,  -549,  -570,  -591,  -611,
    -631,  -651,  -670,  -689,  -707,  -725,  -743,  -760,  -777,  -793,  -808,  -824,  -838,
    -852,  -866,  -879,  -892,  -904,  -915,  -926,  -937,  -947,  -956,  -965,  -973,  -980,
    -987,  -994,  -1000, -1005, -1009, -1013, -1017, -1019, -1021, -1023, -1024, -1023, -1023,
    -1023, -1021, -1019, -1016, -1013, -1009, -1004, -999,  -993,  -986,  -979,  -972,  -964,
    -955,  -945,  -935,  -925,  -914,  -902,  -890,  -877,  -864,  -850,  -836,  -821,  -806,
    -790,  -774,  -758,  -740,  -723,  -705,  -686,  -668,  -648,  -629,  -609,  -588,  -567,
    -546,  -525,  -503,  -481,  -459,  -436,  -413,  -390,  -367,  -343,  -320,  -296,  -271,
    -247,  -223,  -198,  -173,  -149,  -124,  -99,   -74,   -48,   -23,   1,     26,    52,
    77,    102,   127,   152,   177,   201,   226,   251,   275,   299,   323,   347,   370,
    393,   417,   439,   462,   484,   506,   528,   549,   570,   591,   611,   631,   651,
    670,   689,   707,   725,   743,   760,   777,   793,   808,   824,   838,   852,   866,
    879,   892,   904,   915,   926,   937,   947,   956,   965,   973,   980,   987,   994,
    1000,  1005,  1009,  1013,  1017,  1019,  1021,  1023,  1024,  1023,  1024,  1023,  1021,
    1019,  1016,  1013,  1009,  1004,  999,   993,   986,   979,   972,   964,   955,   945,
    935,   925,   914,   902,   890,   877,   864,   850,   836,   821,   806,   790,   774,
    758,   740,   723,   705,   686,   668,   648,   629,   609,   588,   567,   546,   525,
    503,   481,   459,   436,   413,   390,   367,   343,   320,   296,   271,   247,   223,
    198,   173,   149,   124,   99,    74,    48,    23,    0,
};

constexpr double kDegreesToIndex = 0.71111;
constexpr int kFixedShift = 10; // positions of the free rotation in 1/1024 pixel

bool rotatableDepth(int bitsPerPixel) {
    return bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 || bitsPerPixel == 24;
}

void callProgress(KpxProgressProc progress) {
    if (progress)
        progress();
}

// Copies pixel fx of one row to pixel tx of another, packed pixels staying whole.
template <int Bits>
void copyPixel(const std::uint8_t* from, std::int32_t fx, std::uint8_t* to, std::int32_t tx) {
    if constexpr (Bits >= 8) {
        constexpr std::size_t n = Bits / 8;
        std::memcpy(to + static_cast<std::size_t>(tx) * n, from + static_cast<std::size_t>(fx) * n,
                    n);
    } else {
        kpx::setIndexAt(to, tx, Bits, kpx::indexAt(from, fx, Bits));
    }
}

enum class QuarterTurn { Clockwise, HalfTurn, CounterClockwise };

QuarterTurn quarterTurnOf(int angle) {
    if (angle == 90 || angle == -270)
        return QuarterTurn::Clockwise;
    if (angle == 180 || angle == -180)
        return QuarterTurn::HalfTurn;
    return QuarterTurn::CounterClockwise;
}

// Every source pixel to its place in the turned target, source row by source row.
template <int Bits>
void turnPixels(const KpxImageRecord& source, KpxImageRecord& target, QuarterTurn turn,
                KpxProgressProc progress) {
    const std::int32_t w = source.width();
    const std::int32_t h = source.height();
    std::vector<std::uint8_t*> rows(static_cast<std::size_t>(target.height()));
    for (std::int32_t y = 0; y < target.height(); ++y)
        rows[static_cast<std::size_t>(y)] = kpx::pictureRow(target, y);
    for (std::int32_t sy = 0; sy < h; ++sy) {
        callProgress(progress);
        const std::uint8_t* in = kpx::pictureRow(source, sy);
        switch (turn) {
        case QuarterTurn::Clockwise: // the row becomes a column, its left end at the top
            for (std::int32_t sx = 0; sx < w; ++sx)
                copyPixel<Bits>(in, sx, rows[static_cast<std::size_t>(sx)], h - 1 - sy);
            break;
        case QuarterTurn::HalfTurn:
            for (std::int32_t sx = 0; sx < w; ++sx)
                copyPixel<Bits>(in, sx, rows[static_cast<std::size_t>(h - 1 - sy)], w - 1 - sx);
            break;
        case QuarterTurn::CounterClockwise: // its left end at the bottom
            for (std::int32_t sx = 0; sx < w; ++sx)
                copyPixel<Bits>(in, sx, rows[static_cast<std::size_t>(w - 1 - sx)], sy);
            break;
        }
    }
}

// The background byte of a free rotation.
std::uint8_t backgroundByte(const KpxImageRecord& source, bool fillWhite) {
    const int bpp = source.bitCount();
    if (!fillWhite || bpp > 8)
        return 0xFF;
    const int white = kpx::nearestPaletteIndex(
        source.colors(), static_cast<int>(source.colorCount()), 255, 255, 255);
    return kpx::repeatedIndexByte(bpp, bpp == 1 ? (white != 0) : white);
}

// Nearest-neighbour mapping of every target pixel back into the source, in 1/1024 pixel.
template <int Bits>
void mapPixels(const KpxImageRecord& source, KpxImageRecord& target, kpx::AngleStep step,
               KpxProgressProc progress) {
    const std::int64_t ws = source.width();
    const std::int64_t hs = source.height();
    const std::int32_t wd = target.width();
    const std::int32_t hd = target.height();
    std::vector<const std::uint8_t*> sourceRows(static_cast<std::size_t>(hs));
    for (std::int32_t y = 0; y < hs; ++y)
        sourceRows[static_cast<std::size_t>(y)] = kpx::pictureRow(source, y);
    const std::int64_t hc = (wd - 1) / 2;
    const std::int64_t vc = (hd - 1) / 2;
    const std::int64_t l = step.sine;
    const std::int64_t m = step.cosine;
    std::int64_t rowStart = (hs / 2) * 1024 - vc * m - hc * l;
    std::int64_t columnStart = vc * l + (ws / 2) * 1024 - hc * m;
    for (std::int32_t ty = 0; ty < hd; ++ty) {
        std::uint8_t* out = kpx::pictureRow(target, ty);
        std::int64_t r = rowStart;
        std::int64_t v = columnStart;
        for (std::int32_t tx = 0; tx < wd; ++tx, r += l, v += m) {
            if (r < 0 || v < 0)
                continue;
            const std::int64_t sy = r >> kFixedShift;
            const std::int64_t sx = v >> kFixedShift;
            if (sy < hs && sx < ws)
                copyPixel<Bits>(sourceRows[static_cast<std::size_t>(sy)],
                                static_cast<std::int32_t>(sx), out, tx);
        }
        rowStart += m;
        columnStart -= l;
        callProgress(progress);
    }
}

template <template <int> class Job, class... Args> void byDepth(int bitsPerPixel, Args&&... args) {
    switch (bitsPerPixel) {
    case 1:
        Job<1>::run(args...);
        break;
    case 4:
        Job<4>::run(args...);
        break;
    case 8:
        Job<8>::run(args...);
        break;
    default:
        Job<24>::run(args...);
        break;
    }
}

template <int Bits> struct TurnJob {
    static void run(const KpxImageRecord& s, KpxImageRecord& t, QuarterTurn turn,
                    KpxProgressProc p) {
        turnPixels<Bits>(s, t, turn, p);
    }
};

template <int Bits> struct MapJob {
    static void run(const KpxImageRecord& s, KpxImageRecord& t, kpx::AngleStep step,
                    KpxProgressProc p) {
        mapPixels<Bits>(s, t, step, p);
    }
};

KpxHandle turnByQuarters(const KpxImageRecord& source, int angle, KpxProgressProc progress) {
    const QuarterTurn turn = quarterTurnOf(angle);
    const bool sideways = turn != QuarterTurn::HalfTurn;
    const KpxHandle result =
        kpx::createImageLike(source, sideways ? source.height() : source.width(),
                             sideways ? source.width() : source.height());
    if (!result)
        return 0;
    kpx::ImageLock target(result, kKpxWrite);
    byDepth<TurnJob>(source.bitCount(), source, *target.get(), turn, progress);
    return result;
}

KpxHandle rotateFreely(const KpxImageRecord& source, int angle, bool fillWhite,
                       KpxProgressProc progress) {
    const kpx::AngleStep step = kpx::angleStep(kpx::angleIndex(angle));
    const kpx::RotatedSize size = kpx::freeRotationSize(source.width(), source.height(), step);
    const KpxHandle result = kpx::createImageLike(source, size.width, size.height);
    if (!result)
        return 0;
    kpx::ImageLock target(result, kKpxWrite);
    std::memset(target->bits, backgroundByte(source, fillWhite),
                static_cast<std::size_t>(target->rowBytes()) *
                    static_cast<std::size_t>(target->height()));
    byDepth<MapJob>(source.bitCount(), source, *target.get(), step, progress);
    return result;
}

} // namespace

int kpx::angleIndex(int degrees) {
    const double scaled = degrees * kDegreesToIndex;
    int index = static_cast<int>(std::copysign(std::floor(std::abs(scaled) + 0.5), scaled));
    if (index >= 256)
        index = 255;
    else if (index < -255)
        index = 1;
    return index < 0 ? index + 256 : index;
}

kpx::AngleStep kpx::angleStep(int index) {
    const auto k = static_cast<std::size_t>(index & 255);
    return AngleStep{kCosine[k], kSine[k]};
}

POINT kpx::rotatePoint(POINT point, POINT centre, AngleStep step) {
    const double cf = step.cosine / 1024.0;
    const double sf = step.sine / 1024.0;
    const double dx = static_cast<double>(point.x) - centre.x;
    const double dy = static_cast<double>(point.y) - centre.y;
    return POINT{static_cast<LONG>(centre.x + std::trunc(cf * dx) + std::trunc(sf * dy)),
                 static_cast<LONG>(centre.y + std::trunc(cf * dy) - std::trunc(sf * dx))};
}

kpx::RotatedSize kpx::freeRotationSize(std::int32_t width, std::int32_t height, AngleStep step) {
    const POINT o{0, 0};
    const POINT tl = rotatePoint(POINT{0, 0}, o, step);
    const POINT tr = rotatePoint(POINT{width, 0}, o, step);
    const POINT br = rotatePoint(POINT{width, height}, o, step);
    const POINT bl = rotatePoint(POINT{0, height}, o, step);
    const auto span = [](LONG a, LONG b) {
        return std::abs(static_cast<std::int64_t>(a) - static_cast<std::int64_t>(b)) + 2;
    };
    const bool cornerOnTop = (tl.y < tr.y && tl.y < bl.y) || (br.y < tr.y && br.y < bl.y);
    if (cornerOnTop)
        return RotatedSize{span(tr.x, bl.x), span(tl.y, br.y)};
    return RotatedSize{span(tl.x, br.x), span(tr.y, bl.y)};
}

KpxHandle kpx::rotatedMaskOf(KpxHandle mask, int angle) {
    {
        kpx::ImageLock record(mask, kKpxRead);
        if (!record || (record->bitCount() != 1 && record->bitCount() != 8))
            return 0;
        if (record->explicitTransparency)
            return static_cast<KpxHandle>(record->explicitTransparency);
    }
    KpxHandle rotated = KPXRotateImage(mask, angle, 0, nullptr);
    if (!rotated)
        return 0;
    {
        kpx::ImageLock record(mask, kKpxWrite);
        if (record && !record->explicitTransparency) {
            record->explicitTransparency = rotated;
            return rotated;
        }
    }
    // Gone, or another caller stored its rotation first.
    KPXDeleteImage(rotated);
    kpx::ImageLock record(mask, kKpxRead);
    return record ? static_cast<KpxHandle>(record->explicitTransparency) : 0;
}

void KPXRotateRect(int cx, int cy, int angle, POINT* p1, POINT* p2, POINT* p3, POINT* p4) {
    if (angle % 90 == 0)
        return;
    const kpx::AngleStep step = kpx::angleStep(kpx::angleIndex(angle % 360));
    const POINT centre{cx, cy};
    for (POINT* p : {p1, p2, p3, p4})
        if (p)
            *p = kpx::rotatePoint(*p, centre, step);
}

KpxHandle KPXRotateImage(KpxHandle image, int angle, int fillWhite, KpxProgressProc progress) {
    if (!image)
        return 0;
    angle %= 360;
    if (angle == 0)
        return KPXCreateImageFrom(image, 0);
    kpx::ImageLock source(image, kKpxRead);
    if (!kpx::hasWholePixels(source.get()) || !rotatableDepth(source->bitCount()))
        return 0;
    if (angle % 90 == 0)
        return turnByQuarters(*source.get(), angle, progress);
    return rotateFreely(*source.get(), angle, fillWhite != 0, progress);
}

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;
// Cubic interpolation with smoothed edges.
constexpr int kFreeTurnInterpolation = kKpxIplCubic | kKpxIplSmoothEdge;

bool isWholeTurn(double angle) {
    return angle == 0 || angle == 360 || angle == -360;
}

bool isQuarterTurn(double angle) {
    for (const double quarter : {90.0, 180.0, 270.0, -90.0, -180.0, -270.0})
        if (angle == quarter)
            return true;
    return false;
}

// Where the source's top-left, top-right, bottom-right and bottom-left corners land when a
// width x height picture is turned by the angle, moved so that the smallest coordinates are 0,
// and the size of the picture that holds them.
struct TurnedCorners {
    double quad[4][2];
    std::int64_t width;
    std::int64_t height;
};

TurnedCorners turnedCorners(std::int32_t width, std::int32_t height, double angle) {
    const double s = std::sin(-angle * kRadiansPerDegree);
    const double c = std::cos(-angle * kRadiansPerDegree);
    const double w = width;
    const double h = height;
    // Twice the corners' coordinates, halved with integer division after rounding.
    const double doubled[4][2] = {{w - w * c - h * s, h - h * c + w * s},
                                  {w + w * c - h * s, h - h * c - w * s},
                                  {w * c + w + h * s, h + h * c - w * s},
                                  {h * s + w - w * c, h * c + w * s + h}};
    std::int64_t corner[4][2];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 2; ++j)
            corner[i][j] = static_cast<std::int64_t>(std::trunc(doubled[i][j] + 0.5)) / 2;
    std::int64_t minX = corner[0][0], maxX = minX, minY = corner[0][1], maxY = minY;
    for (const auto& p : corner) {
        minX = std::min(minX, p[0]);
        maxX = std::max(maxX, p[0]);
        minY = std::min(minY, p[1]);
        maxY = std::max(maxY, p[1]);
    }
    TurnedCorners turned{{}, maxX - minX, maxY - minY};
    for (int i = 0; i < 4; ++i) {
        turned.quad[i][0] = static_cast<double>(corner[i][0] - minX);
        turned.quad[i][1] = static_cast<double>(corner[i][1] - minY);
    }
    return turned;
}

} // namespace

KpxHandle KPXRotateImageEx(KpxHandle image, double angle) {
    if (!image || !std::isfinite(angle))
        return 0;
    if (isWholeTurn(angle))
        return KPXCreateImageFrom(image, 0);
    if (isQuarterTurn(angle))
        return KPXRotateImage(image, static_cast<int>(angle), 0, nullptr);
    std::int32_t width = 0, height = 0, depth = 0;
    {
        kpx::ImageLock source(image, kKpxRead);
        if (!kpx::hasWholePixels(source.get()))
            return 0;
        width = source->width();
        height = source->height();
        depth = source->bitCount();
    }
    const TurnedCorners turned = turnedCorners(width, height, angle);
    // Checked before anything is made: the 24-bit copy of a large source costs as much as the
    // target.
    if (!kpx::isImageSize(turned.width, turned.height))
        return 0;
    kpx::ScopedImage target(
        KPXCreateImage(static_cast<int>(turned.width), static_cast<int>(turned.height), 24));
    if (!target)
        return 0;
    {
        kpx::ImageLock pixels(target.get(), kKpxWrite);
        std::memset(pixels->bits, 0xFF,
                    static_cast<std::size_t>(pixels->rowBytes()) *
                        static_cast<std::size_t>(pixels->height()));
    }
    const kpx::ScopedImage converted(
        depth == 24
            ? 0
            : KPXColorConvert(image, 24, kKpxDitherNone, kKpxPaletteFixed, 0, nullptr, nullptr));
    if (depth != 24 && !converted)
        return 0;
    const KpxHandle source = depth == 24 ? image : converted.get();
    if (!IPLWarpPerspectiveQ(source, target.get(), 0, turned.quad, kFreeTurnInterpolation))
        return 0;
    return target.release();
}

int KPXGetImageRotateAngle(KpxHandle image) {
    if (!image)
        return 0;
    kpx::ImageLock record(image, kKpxRead);
    return record ? record->rotateAngle : 0;
}

int KPXSetImageRotateAngle(KpxHandle image, int angle) {
    if (!image)
        return 0;
    std::int32_t derived = 0, mask = 0, explicitImage = 0;
    {
        kpx::ImageLock record(image, kKpxWrite);
        if (!record)
            return 0;
        record->rotateAngle = angle % 360;
        derived = std::exchange(record->derivedImage, 0);
        mask = record->maskImage;
        explicitImage = record->explicitTransparency;
    }
    // The cached rotations no longer fit the angle.
    if (derived)
        KPXDeleteImage(static_cast<KpxHandle>(derived));
    if (mask)
        KPXSetImageTransparentEx(static_cast<KpxHandle>(mask), 0);
    if (explicitImage)
        KPXSetImageTransparentEx(static_cast<KpxHandle>(explicitImage), 0);
    return 1;
}

KpxHandle KPXGetImageRotateImage(KpxHandle image) {
    if (!image)
        return 0;
    int angle = 0, width = 0, height = 0;
    {
        kpx::ImageLock record(image, kKpxRead);
        if (!record || record->rotateAngle == 0)
            return 0;
        if (record->derivedImage)
            return static_cast<KpxHandle>(record->derivedImage);
        angle = record->rotateAngle;
        width = record->width();
        height = record->height();
    }
    // Built without holding the image: the rotation locks it for reading itself.
    const KpxHandle rotated = KPXRotateImage(image, angle, 1, nullptr);
    const KpxHandle blank = KPXCreateImage(width, height, 1);
    const KpxHandle outline = blank ? KPXRotateImage(blank, angle, 0, nullptr) : 0;
    if (blank)
        KPXDeleteImage(blank);
    if (!rotated || !outline || !KPXSetImageTransparentEx(rotated, outline)) {
        if (outline)
            KPXDeleteImage(outline);
        if (rotated)
            KPXDeleteImage(rotated);
        return 0;
    }
    {
        kpx::ImageLock record(image, kKpxWrite);
        if (record && !record->derivedImage && record->rotateAngle == angle) {
            record->derivedImage = rotated;
            return rotated;
        }
    }
    // The image went, changed its angle or got a rotated copy from another caller meanwhile.
    KPXDeleteImage(rotated);
    kpx::ImageLock record(image, kKpxRead);
    return record ? static_cast<KpxHandle>(record->derivedImage) : 0;
}

KpxHandle KPXGetImageRotateImageMask(KpxHandle image, int angle) {
    if (!image)
        return 0;
    std::int32_t ownAngle = 0, derived = 0;
    {
        kpx::ImageLock record(image, kKpxRead);
        if (!record)
            return 0;
        ownAngle = record->rotateAngle;
        derived = record->derivedImage;
    }
    if (ownAngle == 0)
        return kpx::rotatedMaskOf(image, angle);
    if (!derived)
        return 0;
    kpx::ImageLock copy(static_cast<KpxHandle>(derived), kKpxRead);
    return copy ? static_cast<KpxHandle>(copy->explicitTransparency) : 0;
}
