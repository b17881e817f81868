#include "BitmapEffects.h"

#include "ImageTable.h"
#include "PixelAccess.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using kpx::EffectColor;
using kpx::EffectKernel;

constexpr int kCentre = 12;
constexpr int kAbove = 7;
constexpr int kLeft = 11;
constexpr int kRight = 13;
constexpr int kBelow = 17;

std::uint8_t toByte(int v) {
    return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

EffectColor limited(EffectColor c) {
    return {toByte(c.red), toByte(c.green), toByte(c.blue)};
}

// Emboss weights of a direction: above, left, right, below.
struct EmbossWeights {
    int direction;
    std::int16_t above;
    std::int16_t left;
    std::int16_t right;
    std::int16_t below;
};
constexpr EmbossWeights kEmbossWeights[] = {
    {kKpxEmbossTop, 1, 0, 0, -1},         {kKpxEmbossTopLeft, 1, 1, -1, -1},
    {kKpxEmbossTopRight, 1, -1, 1, -1},   {kKpxEmbossLeft, 0, 1, -1, 0},
    {kKpxEmbossRight, 0, -1, 1, 0},       {kKpxEmbossBottom, -1, 0, 0, 1},
    {kKpxEmbossBottomLeft, -1, 1, -1, 1}, {kKpxEmbossBottomRight, -1, -1, 1, 1},
};

// A non-zero weight: the row buffer it reads (0..4) and its byte offset in a padded row.
struct Tap {
    int row;
    int offset;
    int weight;
};

std::vector<Tap> tapsOf(const EffectKernel& kernel) {
    std::vector<Tap> taps;
    for (int i = 0; i < 25; ++i)
        if (kernel.weights[i] != 0)
            taps.push_back({i / 5, (i % 5) * 3, kernel.weights[i]});
    return taps;
}

// Five unfiltered rows around the row being filtered, each padded by two repeated pixels on
// either side; picture row r lives in slot r % 5.
class RowWindow {
public:
    RowWindow(std::uint8_t* const* rows, int width, int height)
        : rows_(rows), width_(width), height_(height),
          padded_(static_cast<std::size_t>(width + 4) * 3) {
        for (auto& slot : slots_)
            slot.resize(padded_);
    }
    void load(int y) {
        std::uint8_t* slot = slots_[y % 5].data();
        const std::uint8_t* row = rows_[y];
        std::copy(row, row + static_cast<std::size_t>(width_) * 3, slot + 6);
        for (int side = 0; side < 2; ++side) {
            std::copy(row, row + 3, slot + side * 3);
            std::copy(row + (width_ - 1) * 3, row + width_ * 3, slot + (width_ + 2 + side) * 3);
        }
    }
    // The padded row at offset dy (-2..2) from y, the edge row repeating.
    const std::uint8_t* around(int y, int dy) const {
        return slots_[std::clamp(y + dy, 0, height_ - 1) % 5].data();
    }

private:
    std::uint8_t* const* rows_;
    int width_;
    int height_;
    std::size_t padded_;
    std::array<std::vector<std::uint8_t>, 5> slots_;
};

// The division is by a constant for the common divisors, so the loop needs no division
// instruction.
template <int Divisor> int divided(int sum, int divisor) {
    if constexpr (Divisor > 0)
        return sum / Divisor;
    else
        return sum / divisor;
}

template <int Divisor>
void writeRow(const std::int32_t* sums, std::uint8_t* out, int width, const EffectKernel& kernel) {
    const int divisor = kernel.divisor == 0 ? 1 : kernel.divisor;
    const int blue = kernel.biasBlue;
    const int green = kernel.biasGreen;
    const int red = kernel.biasRed;
    for (int x = 0; x < width; ++x) {
        const std::int32_t* s = sums + x * 3;
        std::uint8_t* p = out + x * 3;
        if (kernel.grey) {
            const int grey = divided<Divisor>((s[0] + s[1] + s[2]) / 3, divisor);
            p[0] = toByte(grey + blue);
            p[1] = toByte(grey + green);
            p[2] = toByte(grey + red);
        } else {
            p[0] = toByte(divided<Divisor>(s[0], divisor) + blue);
            p[1] = toByte(divided<Divisor>(s[1], divisor) + green);
            p[2] = toByte(divided<Divisor>(s[2], divisor) + red);
        }
    }
}

using RowWriter = void (*)(const std::int32_t*, std::uint8_t*, int, const EffectKernel&);

RowWriter writerFor(const EffectKernel& kernel) {
    switch (kernel.divisor) {
    case 0:
    case 1:
        return writeRow<1>;
    case 3:
        return writeRow<3>;
    default:
        return writeRow<0>;
    }
}

// Kernels whose weights lie in the middle 3 x 3, without bias or grey, and whose sums fit 16
// bits take a path of 16-bit sums over whole rows, which the compiler turns into vector code.
// Its bytes are those of the general path: the same sums, divided towards zero, limited.
constexpr int kChunk = 16;

bool fitsSmallPath(const EffectKernel& kernel) {
    if (kernel.grey || kernel.biasRed || kernel.biasGreen || kernel.biasBlue ||
        !(kernel.divisor <= 1 || kernel.divisor == 3))
        return false;
    int magnitude = 0;
    for (int i = 0; i < 25; ++i) {
        const int row = i / 5;
        const int column = i % 5;
        const bool inner = row >= 1 && row <= 3 && column >= 1 && column <= 3;
        if (!inner && kernel.weights[i] != 0)
            return false;
        magnitude += std::abs(kernel.weights[i]);
    }
    return magnitude * 255 <= 32767;
}

// The middle 3 x 3 weights, row by row.
std::array<std::int16_t, 9> innerWeights(const EffectKernel& kernel) {
    std::array<std::int16_t, 9> w{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            w[r * 3 + c] = kernel.weights[(r + 1) * 5 + c + 1];
    return w;
}

template <int Divisor> std::uint8_t limitedQuotient(int sum) {
    return toByte(static_cast<std::int16_t>(sum) / Divisor);
}

// Filters `count` bytes from `at`: rows are the padded rows above, at and below the row, each
// pixel's left neighbour 3 bytes before it.
template <int Divisor>
void filterBytes(const std::uint8_t* const (&rows)[3], const std::array<std::int16_t, 9>& w,
                 std::uint8_t* out, int at, int count) {
    for (int i = at; i < at + count; ++i) {
        int sum = 0;
        for (int r = 0; r < 3; ++r)
            sum += w[r * 3] * rows[r][i] + w[r * 3 + 1] * rows[r][i + 3] +
                   w[r * 3 + 2] * rows[r][i + 6];
        out[i] = limitedQuotient<Divisor>(sum);
    }
}

// A whole row in chunks of a fixed size (so the loop is vectorised at every optimisation
// level), the rest byte by byte.
template <int Divisor>
void filterRowSmall(const std::uint8_t* const (&rows)[3], const std::array<std::int16_t, 9>& w,
                    std::uint8_t* out, int bytes) {
    int i = 0;
    for (; i + kChunk <= bytes; i += kChunk) {
        std::int16_t sums[kChunk];
        for (int k = 0; k < kChunk; ++k)
            sums[k] = static_cast<std::int16_t>(
                w[0] * rows[0][i + k] + w[1] * rows[0][i + k + 3] + w[2] * rows[0][i + k + 6] +
                w[3] * rows[1][i + k] + w[4] * rows[1][i + k + 3] + w[5] * rows[1][i + k + 6] +
                w[6] * rows[2][i + k] + w[7] * rows[2][i + k + 3] + w[8] * rows[2][i + k + 6]);
        for (int k = 0; k < kChunk; ++k) {
            const std::int16_t q = static_cast<std::int16_t>(sums[k] / Divisor);
            out[i + k] = static_cast<std::uint8_t>(q < 0 ? 0 : q > 255 ? 255 : q);
        }
    }
    filterBytes<Divisor>(rows, w, out, i, bytes - i);
}

} // namespace

EffectKernel kpx::sharpenKernel() {
    EffectKernel k;
    k.weights[kCentre] = 7;
    for (const int i : {6, 8, 16, 18})
        k.weights[i] = -1;
    k.divisor = 3;
    return k;
}

EffectKernel kpx::edgesKernel() {
    EffectKernel k;
    k.weights[kCentre] = 8;
    for (const int i : {6, 7, 8, 11, 13, 16, 17, 18})
        k.weights[i] = -1;
    return k;
}

bool kpx::embossKernel(int direction, COLORREF colour, EffectKernel* out) {
    for (const EmbossWeights& e : kEmbossWeights) {
        if (e.direction != direction)
            continue;
        EffectKernel k;
        k.weights[kAbove] = e.above;
        k.weights[kLeft] = e.left;
        k.weights[kRight] = e.right;
        k.weights[kBelow] = e.below;
        k.biasRed = GetRValue(colour);
        k.biasGreen = GetGValue(colour);
        k.biasBlue = GetBValue(colour);
        k.grey = true;
        *out = k;
        return true;
    }
    return false;
}

EffectColor kpx::brightnessContrast(EffectColor c, int brightness, int contrast) {
    const auto channel = [&](int v) {
        return (contrast + 128) * (v - 128) / 128 + brightness + 128;
    };
    return limited({channel(c.red), channel(c.green), channel(c.blue)});
}

kpx::HueSaturation::HueSaturation(int hue, int saturation, int brightness)
    : brightness_(brightness) {
    int h = hue % 360;
    if (h > 120) {
        forwardTurns_ = ((h - 1) / 120) % 3;
        h = (h - 1) % 120 + 1;
    } else if (h < 0) {
        const int turns = (119 - h) / 120;
        backTurns_ = turns % 3;
        h += 120 * turns;
    }
    const double w = (std::cos(h * 3.141596 / 120) + 1) / 2;
    for (int v = 0; v < 256; ++v) {
        ownShare_[v] = w * v;
        otherShare_[v] = (1 - w) * v;
    }
    const double f = saturation < 0 ? (saturation + 127) / 128.0 : saturation / 64.0 + 1;
    // Rounded to the nearest (halves up) on both sides of the average: truncating toward zero
    // would move every channel below the average up by one even at saturation 0.
    for (int d = -255; d <= 255; ++d)
        spread_[d + 255] = static_cast<int>(std::floor(f * d + 0.5));
}

EffectColor kpx::HueSaturation::apply(EffectColor c) const {
    for (int i = 0; i < forwardTurns_; ++i)
        c = {c.green, c.blue, c.red};
    for (int i = 0; i < backTurns_; ++i)
        c = {c.blue, c.red, c.green};
    const int r = static_cast<int>(otherShare_[c.green] + ownShare_[c.red] + 0.5);
    const int g = static_cast<int>(otherShare_[c.blue] + ownShare_[c.green] + 0.5);
    const int b = static_cast<int>(ownShare_[c.blue] + otherShare_[c.red] + 0.5);
    const int m = (r + g + b) / 3;
    const auto channel = [&](int v) { return m + spread_[v - m + 255] + brightness_; };
    return limited({channel(r), channel(g), channel(b)});
}

RGBQUAD kpx::tintRampEntry(COLORREF tint, int i) {
    const int r = GetRValue(tint);
    const int g = GetGValue(tint);
    const int b = GetBValue(tint);
    const int n = std::min({r, g, b});
    return RGBQUAD{static_cast<BYTE>(std::min(255, b - n + i)),
                   static_cast<BYTE>(std::min(255, g - n + i)),
                   static_cast<BYTE>(std::min(255, r - n + i)), 0};
}

void kpx::filterPicture(std::uint8_t* const* rows, int width, int height,
                        const EffectKernel& kernel, KpxRowProgress& progress) {
    if (width <= 0 || height <= 0)
        return;
    const std::vector<Tap> taps = tapsOf(kernel);
    const RowWriter write = writerFor(kernel);
    const bool small = fitsSmallPath(kernel);
    const std::array<std::int16_t, 9> inner = innerWeights(kernel);
    const auto filterRow = kernel.divisor == 3 ? filterRowSmall<3> : filterRowSmall<1>;
    const int bytes = width * 3;
    std::vector<std::int32_t> sums(static_cast<std::size_t>(bytes));
    RowWindow window(rows, width, height);
    for (int y = 0; y < std::min(2, height); ++y)
        window.load(y);
    for (int y = 0; y < height; ++y) {
        if (y + 2 < height)
            window.load(y + 2);
        if (small) {
            // The padded rows start two pixels left of the picture: from one pixel in, byte i
            // is the left neighbour of the row's byte i.
            const std::uint8_t* const lefts[3] = {window.around(y, -1) + 3, window.around(y, 0) + 3,
                                                  window.around(y, 1) + 3};
            filterRow(lefts, inner, rows[y], bytes);
            progress.step();
            continue;
        }
        std::fill(sums.begin(), sums.end(), 0);
        for (const Tap& tap : taps) {
            const std::uint8_t* source = window.around(y, tap.row - 2) + tap.offset;
            const int weight = tap.weight;
            std::int32_t* sum = sums.data();
            for (int i = 0; i < bytes; ++i)
                sum[i] += weight * source[i];
        }
        write(sums.data(), rows[y], width, kernel);
        progress.step();
    }
}

void kpx::mosaicPicture(std::uint8_t* const* rows, int width, int height, int size,
                        KpxRowProgress& progress) {
    progress.step();
    for (int top = 0; top < height; top += size) {
        const int bottom = std::min(height, top + size);
        for (int left = 0; left < width; left += size) {
            const int right = std::min(width, left + size);
            long sum[3] = {0, 0, 0};
            for (int y = top; y < bottom; ++y)
                for (int x = left; x < right; ++x)
                    for (int c = 0; c < 3; ++c)
                        sum[c] += rows[y][x * 3 + c];
            const long count = static_cast<long>(bottom - top) * (right - left);
            for (int y = top; y < bottom; ++y)
                for (int x = left; x < right; ++x)
                    for (int c = 0; c < 3; ++c)
                        rows[y][x * 3 + c] = static_cast<std::uint8_t>(sum[c] / count);
        }
        for (int y = top; y < bottom; ++y)
            progress.step();
    }
}

// -------------------- Whole images

namespace {

constexpr int kParameterLimit = 127;

bool inRange(int v, int low, int high) {
    return v >= low && v <= high;
}

// Picture row pointers of a locked 24-bit record, top first.
std::vector<std::uint8_t*> pictureRows(const KpxImageRecord& record) {
    std::vector<std::uint8_t*> rows(static_cast<std::size_t>(record.height()));
    for (int y = 0; y < record.height(); ++y)
        rows[y] = kpx::pictureRow(record, y);
    return rows;
}

// A per-colour operation on a copy: the colour table of palette images, every pixel of 24-bit
// images (progress once a row). 0 for other depths or a failed copy.
template <class Operation>
KpxHandle recoloured(KpxHandle copy, const Operation& operation, KpxRowCallback progress) {
    if (!copy)
        return 0;
    bool tableChanged = false;
    {
        kpx::ImageLock record(copy, kKpxWrite);
        const int bpp = record ? record->bitCount() : 0;
        if (!kpx::hasWholePixels(record.get()) ||
            !(bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24)) {
            record.unlock();
            KPXDeleteImage(copy);
            return 0;
        }
        if (bpp == 24) {
            for (int y = 0; y < record->height(); ++y) {
                std::uint8_t* p = kpx::pictureRow(*record.get(), y);
                for (int x = 0; x < record->width(); ++x, p += 3) {
                    const EffectColor c = operation(EffectColor{p[2], p[1], p[0]});
                    p[0] = static_cast<std::uint8_t>(c.blue);
                    p[1] = static_cast<std::uint8_t>(c.green);
                    p[2] = static_cast<std::uint8_t>(c.red);
                }
                if (progress)
                    progress();
            }
        } else {
            RGBQUAD* colors = record->colors();
            for (std::uint32_t i = 0; i < record->colorCount(); ++i) {
                const EffectColor c =
                    operation(EffectColor{colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue});
                colors[i] = RGBQUAD{static_cast<BYTE>(c.blue), static_cast<BYTE>(c.green),
                                    static_cast<BYTE>(c.red), 0};
            }
            tableChanged = true;
        }
    }
    if (tableChanged)
        KPXFillDIBColorTable(copy);
    return copy;
}

// Brightness and contrast through one table of 256 values.
struct BrightnessContrastTable {
    std::array<std::uint8_t, 256> table{};
    BrightnessContrastTable(int brightness, int contrast) {
        for (int v = 0; v < 256; ++v)
            table[v] = static_cast<std::uint8_t>(
                kpx::brightnessContrast({v, v, v}, brightness, contrast).red);
    }
    EffectColor operator()(EffectColor c) const {
        return {table[c.red], table[c.green], table[c.blue]};
    }
};

struct ColorBalance {
    int red;
    int green;
    int blue;
    EffectColor operator()(EffectColor c) const {
        return limited({c.red + red, c.green + green, c.blue + blue});
    }
};

KpxHandle copyOf(KpxHandle image) {
    return KPXCreateImageFrom(image, 0);
}

// A 24-bit copy: a plain copy of 24-bit images, a conversion of the others.
KpxHandle trueColorCopy(KpxHandle image) {
    if (KPXbpp(image) == 24)
        return copyOf(image);
    return KPXColorConvert(image, 24, kKpxDitherNone, kKpxPaletteFixed, 0, nullptr, nullptr);
}

// Runs work over the picture rows of a 24-bit copy; 0 when the copy fails.
template <class Work> KpxHandle onTrueColorCopy(KpxHandle image, const Work& work) {
    const KpxHandle copy = trueColorCopy(image);
    if (!copy)
        return 0;
    {
        kpx::ImageLock record(copy, kKpxWrite);
        if (kpx::hasWholePixels(record.get()) && record->bitCount() == 24) {
            std::vector<std::uint8_t*> rows = pictureRows(*record.get());
            work(rows.data(), record->width(), record->height());
            return copy;
        }
    }
    KPXDeleteImage(copy);
    return 0;
}

KpxHandle filtered(KpxHandle image, const EffectKernel& kernel, int passes,
                   KpxRowCallback callback) {
    return onTrueColorCopy(image, [&](std::uint8_t* const* rows, int width, int height) {
        KpxRowProgress progress{callback, 0, passes};
        for (int pass = 0; pass < passes; ++pass)
            kpx::filterPicture(rows, width, height, kernel, progress);
    });
}

KpxHandle tinted(KpxHandle image, int brightness, int contrast, COLORREF tint, int keepColours,
                 KpxRowCallback progress) {
    const KpxHandle base = keepColours ? copyOf(image)
                                       : KPXColorConvert(image, 8, kKpxDitherNone, kKpxPaletteFixed,
                                                         1, nullptr, progress);
    if (!base)
        return 0;
    if (KPXbpp(base) == 8) {
        {
            kpx::ImageLock record(base, kKpxWrite);
            if (record) {
                RGBQUAD* colors = record->colors();
                for (std::uint32_t i = 0; i < record->colorCount(); ++i)
                    colors[i] = kpx::tintRampEntry(tint, static_cast<int>(i));
            }
        }
        KPXFillDIBColorTable(base);
    }
    return recoloured(base, BrightnessContrastTable(brightness, contrast), progress);
}

KpxHandle twoColoured(KpxHandle image, int dither, COLORREF zero, COLORREF one,
                      KpxRowCallback progress) {
    const KpxHandle result = KPXbpp(image) == 1
                                 ? copyOf(image)
                                 : KPXColorConvert(image, 1, static_cast<short>(dither),
                                                   kKpxPaletteFixed, 0, nullptr, progress);
    if (!result)
        return 0;
    {
        kpx::ImageLock record(result, kKpxWrite);
        if (!record || record->colorCount() < 2) {
            record.unlock();
            KPXDeleteImage(result);
            return 0;
        }
        record->colors()[0] = RGBQUAD{GetBValue(zero), GetGValue(zero), GetRValue(zero), 0};
        record->colors()[1] = RGBQUAD{GetBValue(one), GetGValue(one), GetRValue(one), 0};
    }
    KPXFillDIBColorTable(result);
    return result;
}

KpxHandle negative(KpxHandle image) {
    const KpxHandle copy = copyOf(image);
    if (copy && !KPXInvert(copy)) {
        KPXDeleteImage(copy);
        return 0;
    }
    return copy;
}

KpxHandle blurred(KpxHandle image, int size) {
    const KpxHandle copy = trueColorCopy(image);
    if (copy && !IPLBlurCenter(copy, copy, size)) {
        KPXDeleteImage(copy);
        return 0;
    }
    return copy;
}

KpxHandle mosaic(KpxHandle image, int size, KpxRowCallback callback) {
    const int blockSize = std::min<int>(size, std::max<int>(1, KPXHeight(image)));
    return onTrueColorCopy(image, [&](std::uint8_t* const* rows, int width, int height) {
        KpxRowProgress progress{callback, 0, 1};
        kpx::mosaicPicture(rows, width, height, blockSize, progress);
    });
}

bool perColourParameter(int v) {
    return inRange(v, -kParameterLimit, kParameterLimit);
}

} // namespace

KpxHandle KPXApplyBitmapEffect(KpxHandle image, int effect, int p1, int p2, int p3, int value,
                               KpxRowCallback progress) {
    if (!image || KPXbpp(image) == 0)
        return 0;
    switch (effect) {
    case kKpxEffectTint:
        if (!perColourParameter(p1) || !perColourParameter(p2))
            return 0;
        return tinted(image, p1, p2, static_cast<COLORREF>(p3), value, progress);
    case kKpxEffectTwoColors:
        if (!inRange(p1, kKpxDitherNone, kKpxDitherFloydSteinberg))
            return 0;
        return twoColoured(image, p1, static_cast<COLORREF>(p2), static_cast<COLORREF>(p3),
                           progress);
    case kKpxEffectNegative:
        return negative(image);
    case kKpxEffectBrightness:
    case kKpxEffectBrightness2:
        if (!perColourParameter(p1) || !perColourParameter(p2))
            return 0;
        return recoloured(copyOf(image), BrightnessContrastTable(p1, p2), progress);
    case kKpxEffectColorBalance:
        if (!perColourParameter(p1) || !perColourParameter(p2) || !perColourParameter(p3))
            return 0;
        return recoloured(copyOf(image), ColorBalance{p1, p2, p3}, progress);
    case kKpxEffectHueSaturation: {
        if (!inRange(p1, -359, 359) || !perColourParameter(p2) || !perColourParameter(p3))
            return 0;
        const kpx::HueSaturation operation(p1, p2, p3);
        return recoloured(
            copyOf(image), [&](EffectColor c) { return operation.apply(c); }, progress);
    }
    case kKpxEffectSharpen:
        if (!inRange(p1, 1, 5))
            return 0;
        return filtered(image, kpx::sharpenKernel(), p1, progress);
    case kKpxEffectBlur:
        if (!inRange(p1, 1, 20))
            return 0;
        return blurred(image, p1);
    case kKpxEffectEmboss: {
        EffectKernel kernel;
        if (!kpx::embossKernel(p1, static_cast<COLORREF>(p3), &kernel))
            return 0;
        return filtered(image, kernel, 1, progress);
    }
    case kKpxEffectEdges: {
        if (!inRange(p1, 0, 1))
            return 0;
        const KpxHandle result = filtered(image, kpx::edgesKernel(), 1, progress);
        if (result && p1 == 1)
            KPXInvert(result);
        return result;
    }
    case kKpxEffectMosaic:
        if (!inRange(p1, 2, 50))
            return 0;
        return mosaic(image, p1, progress);
    default:
        return 0;
    }
}

KpxHandle KPXBitmapEffect_Bright(KpxHandle image, int value) {
    if (!image)
        return 0;
    // Beyond +-255 every channel is already at its limit.
    const int brightness = std::clamp(value, -255, 255);
    return recoloured(copyOf(image), BrightnessContrastTable(brightness, 0), nullptr);
}
