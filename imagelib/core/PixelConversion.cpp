#include "PixelConversion.h"

#include "Dithering.h"
#include "ImageRecord.h"
#include "LibraryPalettes.h"
#include "PixelAccess.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <numeric>

namespace kpx {
namespace {

// 4-bit fill-in colours by palette position: table A from 11, table B from 8.
constexpr Rgb kFillA[5] = {
    {255, 255, 255}, {0, 0, 0}, {128, 128, 128}, {192, 192, 192}, {255, 255, 255}};
constexpr Rgb kFillB[8] = {{255, 255, 255}, {0, 0, 0},   {128, 128, 128}, {192, 192, 192},
                           {255, 255, 255}, {255, 0, 0}, {0, 255, 0},     {0, 0, 255}};

Rgb fromEntry(const PALETTEENTRY& e) {
    return Rgb{e.peRed, e.peGreen, e.peBlue};
}

// Level of a channel in the popularity histogram: v >> 3, rounded up by bit 2, at most 31.
int level5(int v) {
    return std::min(31, (v >> 3) + ((v & 4) ? 1 : 0));
}
// Level of a channel in the 4096-bin histogram: v >> 4, rounded up by bit 3, at most 15.
int level4(int v) {
    return std::min(15, (v >> 4) + ((v & 8) ? 1 : 0));
}

// Indices 0..n-1 ordered by count, largest first; equal counts keep ascending order.
template <typename Count> std::vector<int> byPopularity(const std::vector<Count>& counts) {
    std::vector<int> order(counts.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return counts[a] > counts[b]; });
    return order;
}

// The colours of a source in popularity order: palette entries for palette sources (all of
// them), histogram bin colours for true-colour sources (as many as wanted).
Palette popularColours(const PixelSurface& source, int wanted, KpxRowProgress& progress) {
    Palette chosen;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(source.width) * 3);
    if (source.hasPalette()) {
        std::vector<std::uint32_t> counts(static_cast<std::size_t>(source.colorCount), 0);
        for (int y = 0; y < source.height; ++y) {
            const std::uint8_t* in = source.row(y);
            for (int x = 0; x < source.width; ++x) {
                const int index = indexAt(in, x, source.bitCount);
                if (index < source.colorCount)
                    ++counts[index];
            }
            progress.step();
        }
        for (const int index : byPopularity(counts))
            chosen.push_back(source.colors[index]);
        return chosen;
    }
    std::vector<std::uint32_t> counts(32768, 0);
    for (int y = 0; y < source.height; ++y) {
        expandRowToBgr(source, y, row.data());
        for (int x = 0; x < source.width; ++x) {
            const std::uint8_t* p = &row[static_cast<std::size_t>(x) * 3];
            ++counts[level5(p[0]) | level5(p[1]) << 5 | level5(p[2]) << 10];
        }
        progress.step();
    }
    const std::vector<int> order = byPopularity(counts);
    for (int i = 0; i < wanted && i < 32768; ++i) {
        const int bin = order[i];
        chosen.push_back(Rgb{static_cast<std::uint8_t>((bin >> 10) * 8),
                             static_cast<std::uint8_t>(((bin >> 5) & 31) * 8),
                             static_cast<std::uint8_t>((bin & 31) * 8)});
    }
    return chosen;
}

bool isBright(const Rgb& c) {
    return c.red > 180 || c.green > 180 || c.blue > 180;
}

// Inverse-table index of every pixel of a true-colour or palette row.
void mapRowThroughTable(const PixelSurface& source, int y, const KpxInverseColorTable& inverse,
                        std::uint8_t* work, std::uint8_t* out, int depth) {
    expandRowToBgr(source, y, work);
    for (int x = 0; x < source.width; ++x) {
        const std::uint8_t* p = work + static_cast<std::size_t>(x) * 3;
        setIndexAt(out, x, depth, inverse.lookup(p[2], p[1], p[0]));
    }
}

} // namespace

Palette defaultPalette(int depth) {
    Palette p;
    if (depth == 1) {
        p = {Rgb{0, 0, 0}, Rgb{255, 255, 255}};
    } else if (depth == 4) {
        for (int i = 0; i < 16; ++i)
            p.push_back(fromEntry(KPXGetWindows16Palette()[i]));
    } else if (depth == 8) {
        for (int i = 0; i < 256; ++i)
            p.push_back(fromEntry(KPXGetHardPalette()[i]));
    }
    return p;
}

Palette popularityPalette(const PixelSurface& source, int depth, int count, bool dithered,
                          bool reserved, KpxRowProgress& progress) {
    const Palette chosen = popularColours(source, count, progress);
    // A palette source shorter than a position takes its entry 0 there.
    const auto chosenAt = [&](int i) {
        if (i < static_cast<int>(chosen.size()))
            return chosen[i];
        return source.colors[0];
    };
    const int r = reserved ? 1 : 0;
    Palette palette(static_cast<std::size_t>(count));
    if (depth == 1) {
        palette[0] = Rgb{0, 0, 0};
        palette[1] = Rgb{255, 255, 255};
        const int candidates = source.hasPalette() ? static_cast<int>(chosen.size()) : 2;
        for (int i = 0; i < candidates && i < static_cast<int>(chosen.size()); ++i) {
            if (isBright(chosen[i])) {
                palette[1] = chosen[i];
                break;
            }
        }
        return palette;
    }
    if (depth == 4) {
        const int k = (dithered ? 9 : 12) - r;
        for (int p = 0; p < count; ++p)
            palette[p] = p < k ? chosenAt(p) : dithered ? kFillB[p - 8] : kFillA[p - 11];
        return palette;
    }
    const PALETTEENTRY* cube = colorCube64();
    const int k = (dithered ? 192 : 240) - r;
    for (int p = 0; p < count; ++p) {
        if (p < k)
            palette[p] = chosenAt(p);
        else if (!dithered)
            palette[p] = fromEntry(KPXGetHardPalette()[p]);
        else if (p >= 192)
            palette[p] = fromEntry(cube[p - 192]);
        else
            // Position 191 with a reserved entry: the cube's white, which the reserved last
            // position would otherwise leave out of the palette.
            palette[p] = fromEntry(cube[63]);
    }
    return palette;
}

void convertPixels(const PixelSurface& source, const PixelSurface& target,
                   const ConversionPlan& plan, KpxRowProgress& progress) {
    const int n = static_cast<int>(plan.palette.size());
    const bool trueColourSource = !source.hasPalette();
    std::vector<std::uint8_t> work(static_cast<std::size_t>(source.width) * 3);

    if (plan.targetDepth == 24) {
        for (int y = 0; y < source.height; ++y) {
            expandRowToBgr(source, y, target.row(y));
            progress.step();
        }
        return;
    }
    if (plan.grey) {
        const int top = plan.reserved ? 254 : 255;
        std::array<std::uint8_t, 256> map{};
        for (int i = 0; i < 256; ++i) {
            const Rgb& c = source.colors[i];
            map[i] =
                static_cast<std::uint8_t>(std::min(top, luminance(c.red, c.green, c.blue) / 100));
        }
        for (int y = 0; y < source.height; ++y) {
            std::uint8_t* out = target.row(y);
            if (trueColourSource) {
                expandRowToBgr(source, y, work.data());
                for (int x = 0; x < source.width; ++x) {
                    const std::uint8_t* p = &work[static_cast<std::size_t>(x) * 3];
                    out[x] =
                        static_cast<std::uint8_t>(std::min(top, luminance(p[2], p[1], p[0]) / 100));
                }
            } else {
                const std::uint8_t* in = source.row(y);
                for (int x = 0; x < source.width; ++x)
                    out[x] = map[indexAt(in, x, source.bitCount)];
            }
            progress.step();
        }
        return;
    }
    if (trueColourSource || plan.dither != 0) {
        KpxInverseColorTable inverse;
        inverse.build(plan.palette.data(), n);
        if (plan.dither == 1) {
            ditherOrdered(source, target, plan.palette, inverse, progress);
        } else if (plan.dither >= 2) {
            diffuseErrors(source, target, plan.palette, inverse,
                          plan.dither == 2 ? DiffusionKernel::FloydSteinberg
                                           : DiffusionKernel::Burkes,
                          progress);
        } else {
            for (int y = 0; y < source.height; ++y) {
                mapRowThroughTable(source, y, inverse, work.data(), target.row(y), target.bitCount);
                progress.step();
            }
        }
        return;
    }
    std::array<std::uint8_t, 256> map{};
    for (int i = 0; i < 256; ++i) {
        const Rgb& c = source.colors[i];
        map[i] = static_cast<std::uint8_t>(
            nearestPaletteIndex(plan.palette.data(), n, c.red, c.green, c.blue));
    }
    for (int y = 0; y < source.height; ++y) {
        const std::uint8_t* in = source.row(y);
        std::uint8_t* out = target.row(y);
        for (int x = 0; x < source.width; ++x)
            setIndexAt(out, x, target.bitCount, map[indexAt(in, x, source.bitCount)]);
        progress.step();
    }
}

void convert24to8Popular(const PixelSurface& source, const PixelSurface& target, RGBQUAD* table) {
    const auto binOf = [](const std::uint8_t* p) {
        return level4(p[0]) | level4(p[1]) << 4 | level4(p[2]) << 8;
    };
    std::vector<std::uint32_t> counts(4096, 0);
    for (int y = 0; y < source.height; ++y) {
        const std::uint8_t* in = source.row(y);
        for (int x = 0; x < source.width; ++x)
            ++counts[binOf(in + static_cast<std::size_t>(x) * 3)];
    }
    std::array<Rgb, 256> palette{};
    const std::vector<int> order = byPopularity(counts);
    for (int i = 0; i < 192; ++i) {
        if (counts[order[i]] == 0) {
            // Out of colours: the rest repeat the last colour taken.
            palette[i] = i > 0 ? palette[i - 1] : Rgb{};
            continue;
        }
        const int bin = order[i];
        palette[i] = Rgb{static_cast<std::uint8_t>((bin >> 8) * 16),
                         static_cast<std::uint8_t>(((bin >> 4) & 15) * 16),
                         static_cast<std::uint8_t>((bin & 15) * 16)};
    }
    for (int i = 0; i < 64; ++i)
        palette[192 + i] = fromEntry(colorCube64()[i]);

    std::vector<std::uint8_t> binEntry(4096);
    for (int bin = 0; bin < 4096; ++bin) {
        const int red = (bin >> 8) * 16;
        const int green = ((bin >> 4) & 15) * 16;
        const int blue = (bin & 15) * 16;
        int best = 0;
        int bestDistance = 25500;
        for (int i = 0; i < 256; ++i) {
            const int d = std::abs(red - palette[i].red) + std::abs(green - palette[i].green) +
                          std::abs(blue - palette[i].blue);
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        binEntry[bin] = static_cast<std::uint8_t>(best);
    }
    for (int y = 0; y < source.height; ++y) {
        const std::uint8_t* in = source.row(y);
        std::uint8_t* out = target.row(y);
        for (int x = 0; x < source.width; ++x) {
            const std::uint8_t* p = in + static_cast<std::size_t>(x) * 3;
            out[x] = (p[0] == 255 && p[1] == 255 && p[2] == 255) ? 255 : binEntry[binOf(p)];
        }
    }
    for (int i = 0; i < 256; ++i)
        table[i] = RGBQUAD{palette[i].blue, palette[i].green, palette[i].red, 0};
}

void convert24to565(const PixelSurface& source, const PixelSurface& target) {
    std::memset(target.bits, 255, static_cast<std::size_t>(target.stride) * target.height);
    for (int y = 0; y < source.height; ++y) {
        const std::uint8_t* in = source.row(y);
        std::uint8_t* out = target.row(y);
        for (int x = 0; x < source.width; ++x) {
            const std::uint8_t* p = in + static_cast<std::size_t>(x) * 3;
            const int blue = p[0] < 245 ? (p[0] + 4) >> 3 : 31;
            const int green = p[1] < 247 ? (p[1] + 2) >> 2 : 63;
            const int red = p[2] < 245 ? (p[2] + 4) >> 3 : 31;
            const int pixel = red << 11 | green << 5 | blue;
            out[2 * x] = static_cast<std::uint8_t>(pixel & 0xFF);
            out[2 * x + 1] = static_cast<std::uint8_t>(pixel >> 8);
        }
    }
}

bool isFilledWith(const PixelSurface& surface, std::uint8_t value) {
    const std::size_t bytes = static_cast<std::size_t>(surface.width) * 3;
    for (int y = 0; y < surface.height; ++y) {
        const std::uint8_t* in = surface.row(y);
        if (std::any_of(in, in + bytes, [value](std::uint8_t b) { return b != value; }))
            return false;
    }
    return true;
}

bool fillThroughMask(const PixelSurface& surface, const PixelSurface& mask, std::uint32_t colour) {
    const int depth = surface.bitCount;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 24)
        return false;
    const std::uint8_t low = static_cast<std::uint8_t>(colour & 0xFF);
    for (int y = 0; y < surface.height; ++y) {
        std::uint8_t* out = surface.row(y);
        const std::uint8_t* bits = mask.row(y);
        if (depth == 1) {
            // Whole bytes at once: set the masked bits for index 1, clear them otherwise.
            for (int i = 0; i < (surface.width + 7) / 8; ++i)
                out[i] =
                    static_cast<std::uint8_t>(low == 1 ? (out[i] | bits[i]) : (out[i] & ~bits[i]));
            continue;
        }
        for (int x = 0; x < surface.width; ++x) {
            if (!indexAt(bits, x, 1))
                continue;
            if (depth == 24) {
                std::uint8_t* p = out + static_cast<std::size_t>(x) * 3;
                p[0] = static_cast<std::uint8_t>((colour >> 16) & 0xFF);
                p[1] = static_cast<std::uint8_t>((colour >> 8) & 0xFF);
                p[2] = low;
            } else {
                setIndexAt(out, x, depth, low);
            }
        }
    }
    return true;
}

} // namespace kpx
