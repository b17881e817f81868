#include "VectorRender.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "Geometry.h"
#include "ImageUtilities.h"
#include "gdi/DeviceContext.h"
#include "metafile/EnhMetafile.h"

namespace {

constexpr int kSupersampling = 4;
// Work images beyond these are refused before anything is allocated: library sizes are 16-bit,
// and two plays of 2^26 pixels already take 384 MB.
constexpr int kLargestWorkSide = 16000;
constexpr std::int64_t kLargestWorkPixels = std::int64_t{1} << 26;

bool workSizeAllowed(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kLargestWorkSide && height <= kLargestWorkSide &&
           width * height <= kLargestWorkPixels;
}

bool hasDepth(KpxHandle image, int depth) {
    return image && KPXbpp(image) == depth;
}

bool sameSize(KpxHandle a, KpxHandle b) {
    return KPXWidth(a) == KPXWidth(b) && KPXHeight(a) == KPXHeight(b);
}

// An image's rows, looked up once: each library call takes the image's lock.
struct Rows {
    explicit Rows(KpxHandle image) : bits(KPXGetBits(image)), stride(KPXGetScanBytes(image)) {}
    std::uint8_t* operator[](int row) const {
        return bits + static_cast<std::size_t>(row) * stride;
    }
    std::uint8_t* bits;
    int stride;
};

// A 24-bit image with every byte set to the grey level.
ScopedImage makeGreyImage(int width, int height, std::uint8_t level) {
    ScopedImage image(KPXCreateImage(width, height, 24));
    if (image.get())
        std::memset(KPXGetBits(image.get()), level,
                    static_cast<std::size_t>(KPXGetScanBytes(image.get())) * height);
    return image;
}

bool rgbIs(const std::uint8_t* pixel, COLORREF colour) {
    return pixel[0] == GetBValue(colour) && pixel[1] == GetGValue(colour) &&
           pixel[2] == GetRValue(colour);
}

// Calls mark(row, x) for each pixel where a has colourA and b has colourB.
template <typename Mark>
void forEachColorPair(KpxHandle a, KpxHandle b, COLORREF colourA, COLORREF colourB, Mark mark) {
    const int width = KPXWidth(a);
    const int height = KPXHeight(a);
    const Rows rowsA(a);
    const Rows rowsB(b);
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* pa = rowsA[row];
        const std::uint8_t* pb = rowsB[row];
        for (int x = 0; x < width; ++x)
            if (rgbIs(pa + 3 * x, colourA) && rgbIs(pb + 3 * x, colourB))
                mark(row, x);
    }
}

bool colourPairInputs(KpxHandle a, KpxHandle b) {
    return hasDepth(a, 24) && hasDepth(b, 24) && sameSize(a, b);
}

bool playInto(HENHMETAFILE metafile, KpxHandle image, const RECT& playRect) {
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return false;
    const HBITMAP previous = SelectBitmap(dc, KPXGetBitmap(image));
    if (metafile)
        PlayEnhMetaFile(dc, metafile, &playRect);
    SelectBitmap(dc, previous);
    DeleteDC(dc);
    return true;
}

struct Plays {
    ScopedImage first{};  // on grey 128
    ScopedImage second{}; // on grey 192
};

// Both plays into width x height images; empty images when one cannot be made.
Plays playTwice(HENHMETAFILE metafile, int width, int height, const RECT& playRect) {
    Plays plays{makeGreyImage(width, height, 0x80), makeGreyImage(width, height, 0xC0)};
    if (!plays.first.get() || !plays.second.get() ||
        !playInto(metafile, plays.first.get(), playRect) ||
        !playInto(metafile, plays.second.get(), playRect))
        return {};
    return plays;
}

int roundUpToFour(int value) {
    return (value + 3) / 4 * 4;
}

// Warps one play onto a grey twin of the rotated size; the uncovered corners keep the grey.
ScopedImage warpOntoGrey(KpxHandle played, std::uint8_t level, int width, int height,
                         const std::array<POINT, 4>& corners, int interpolation) {
    ScopedImage target = makeGreyImage(width, height, level);
    if (!target.get())
        return target;
    double quad[4][2];
    for (std::size_t i = 0; i < 4; ++i) {
        quad[i][0] = corners[i].x;
        quad[i][1] = corners[i].y;
    }
    if (!IPLWarpPerspectiveQ(played, target.get(), 0, quad, interpolation))
        target.reset(0);
    return target;
}

// Turns both plays by the angle; false when the turned size is refused or a warp fails.
bool rotatePlays(Plays& plays, int angle, int interpolation) {
    const int width = KPXWidth(plays.first.get());
    const int height = KPXHeight(plays.first.get());
    const auto corners = GetRotatedCorners(static_cast<float>(angle), width, height);
    int turnedWidth = width;
    int turnedHeight = height;
    GetRotatedSize(static_cast<float>(angle), turnedWidth, turnedHeight);
    turnedWidth = roundUpToFour(turnedWidth);
    turnedHeight = roundUpToFour(turnedHeight);
    if (!workSizeAllowed(turnedWidth, turnedHeight))
        return false;
    ScopedImage first =
        warpOntoGrey(plays.first.get(), 0x80, turnedWidth, turnedHeight, corners, interpolation);
    ScopedImage second =
        warpOntoGrey(plays.second.get(), 0xC0, turnedWidth, turnedHeight, corners, interpolation);
    if (!first.get() || !second.get())
        return false;
    plays.first = std::move(first);
    plays.second = std::move(second);
    return true;
}

// Full-size result: the first play with untouched pixels transparent.
KpxHandle finishPlain(Plays& plays) {
    ScopedImage mask(CreateColorPairMask4(plays.first.get(), plays.second.get(),
                                          kVectorFirstBackground, kVectorSecondBackground));
    if (!mask.get() || !IPLNot(mask.get(), mask.get()))
        return 0;
    KPXSetImageTransparentEx(plays.first.get(), mask.release());
    return plays.first.release();
}

// Anti-aliased result: the plays averaged down by the supersampling factor.
KpxHandle finishSupersampled(Plays& plays) {
    const int width = KPXWidth(plays.first.get()) / kSupersampling;
    const int height = KPXHeight(plays.first.get()) / kSupersampling;
    ScopedImage target(KPXCreateImage(width, height, 24));
    ScopedImage mask(CreateColorPairMask(plays.first.get(), plays.second.get(),
                                         kVectorFirstBackground, kVectorSecondBackground));
    ScopedImage transparency(CreateSolidImage(width, height, 0));
    if (!target.get() || !mask.get() || !transparency.get() ||
        !DownsampleSupersampled(plays.first.get(), mask.get(), target.get(), transparency.get()))
        return 0;
    KPXSetImageTransparentEx(target.get(), transparency.release());
    return target.release();
}

// Transparency of a block from its number of untouched subpixels (0..16).
std::uint8_t coverageTransparency(int untouched) {
    return untouched >= 16 ? 255 : static_cast<std::uint8_t>(untouched * 16);
}

// The set bits of the four mask bits of output pixel x in one mask row.
int untouchedInRow(const std::uint8_t* maskRow, int x) {
    const std::uint8_t byte = maskRow[x / 2];
    return std::popcount(static_cast<unsigned>(x % 2 == 0 ? byte >> 4 : byte & 0x0F));
}

void downsampleRow(const Rows& source, const Rows& mask, const Rows& target,
                   const Rows& transparency, int width, int row) {
    std::uint8_t* out = target[row];
    std::uint8_t* alpha = transparency[row];
    for (int x = 0; x < width; ++x) {
        int untouched = 0;
        std::uint32_t sum[3] = {0, 0, 0};
        std::uint32_t count = 0;
        for (int sub = 0; sub < kSupersampling; ++sub) {
            const int sourceRow = row * kSupersampling + sub;
            const std::uint8_t* maskRow = mask[sourceRow];
            const std::uint8_t* in = source[sourceRow];
            untouched += untouchedInRow(maskRow, x);
            for (int k = 0; k < kSupersampling; ++k) {
                const int sx = x * kSupersampling + k;
                if (maskRow[sx / 8] & (0x80 >> (sx % 8)))
                    continue;
                for (int c = 0; c < 3; ++c)
                    sum[c] += in[3 * sx + c];
                ++count;
            }
        }
        alpha[x] = coverageTransparency(untouched);
        if (count)
            for (int c = 0; c < 3; ++c)
                out[3 * x + c] = static_cast<std::uint8_t>(sum[c] / count);
    }
}

} // namespace

short CreateColorPairMask(KpxHandle a, KpxHandle b, COLORREF colourA, COLORREF colourB) {
    if (!colourPairInputs(a, b))
        return 0;
    ScopedImage mask(KPXCreateImage(KPXWidth(a), KPXHeight(a), 1));
    if (!mask.get())
        return 0;
    std::memset(KPXGetBits(mask.get()), 0,
                static_cast<std::size_t>(KPXGetScanBytes(mask.get())) * KPXHeight(a));
    const Rows rows(mask.get());
    forEachColorPair(a, b, colourA, colourB, [&](int row, int x) {
        rows[row][x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    });
    return mask.release();
}

short CreateColorPairMask4(KpxHandle a, KpxHandle b, COLORREF colourA, COLORREF colourB) {
    if (!colourPairInputs(a, b))
        return 0;
    ScopedImage mask(CreateSolidImage(KPXWidth(a), KPXHeight(a), 255));
    if (!mask.get())
        return 0;
    const Rows rows(mask.get());
    forEachColorPair(a, b, colourA, colourB, [&](int row, int x) { rows[row][x] = 0; });
    return mask.release();
}

int DownsampleSupersampled(KpxHandle source, KpxHandle mask, KpxHandle target,
                           KpxHandle transparency) {
    if (!hasDepth(source, 24) || !hasDepth(mask, 1) || !hasDepth(target, 24) ||
        !hasDepth(transparency, 8) || !sameSize(source, mask) || !sameSize(target, transparency) ||
        KPXWidth(source) != kSupersampling * KPXWidth(target) ||
        KPXHeight(source) != kSupersampling * KPXHeight(target))
        return 0;
    const Rows sourceRows(source), maskRows(mask), targetRows(target), alphaRows(transparency);
    const int width = KPXWidth(target);
    const int height = KPXHeight(target);
    for (int row = 0; row < height; ++row)
        downsampleRow(sourceRows, maskRows, targetRows, alphaRows, width, row);
    return 1;
}

short RenderMetafileImage(HENHMETAFILE metafile, RECT rect, int angle, int interpolation,
                          int mirrored, int antialias) {
    const std::int64_t w = std::int64_t{rect.right} - rect.left + 1;
    const std::int64_t h = std::int64_t{rect.bottom} - rect.top + 1;
    const int scale = antialias ? kSupersampling : 1;
    if (w <= 0 || h <= 0 || !workSizeAllowed(w * scale, h * scale))
        return 0;
    const int width = static_cast<int>(w * scale);
    const int height = static_cast<int>(h * scale);
    // The picture fills the whole work image, at four times the size it fills every subpixel.
    const RECT playRect{0, 0, width - 1, height - 1};
    Plays plays = playTwice(metafile, width, height, playRect);
    if (!plays.first.get())
        return 0;
    if (mirrored)
        angle = -angle;
    if (angle != 0 && !rotatePlays(plays, angle, interpolation))
        return 0;
    const KpxHandle result = antialias ? finishSupersampled(plays) : finishPlain(plays);
    if (result && mirrored)
        KPXFlipImage(result, 1);
    return result;
}
