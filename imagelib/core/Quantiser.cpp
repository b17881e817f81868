#include "Quantiser.h"

#include "PackedRows.h"
#include "PaletteRefinement.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace kpx {

namespace {

using quantiser::Colour;
using quantiser::NearestEntry;
using quantiser::PaletteSearch;
using quantiser::quantiserDistance;
using quantiser::RefinedEntry;
using quantiser::refinePalette;
using quantiser::Rgb;

std::uint8_t clampByte(int v) {
    return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

// Full-resolution colour histogram: 32 x 32 x 32 buckets of 8 x 8 x 8 counters, each bucket
// allocated on first use. Once the palette is known, every counter holds palette index + 1, so
// the same structure is the colour-to-index cache of the mapping pass.
class ColourHistogram {
public:
    ColourHistogram() : buckets_(kBuckets) {}

    std::uint32_t& at(int r, int g, int b) {
        auto& bucket = buckets_[bucketOf(r, g, b)];
        if (!bucket) {
            bucket = std::make_unique<Bucket>();
            occupied_[static_cast<std::size_t>(((r >> 3) << 5) | (g >> 3))] |= 1u << (b >> 3);
        }
        return (*bucket)[cellOf(r, g, b)];
    }

    std::uint32_t find(int r, int g, int b) const {
        const auto& bucket = buckets_[bucketOf(r, g, b)];
        return bucket ? (*bucket)[cellOf(r, g, b)] : 0;
    }

    // Every occupied colour in ascending order of red, then green, then blue.
    std::vector<Colour> colourList() const {
        std::vector<Colour> list;
        for (int r = 0; r < 256; ++r) {
            for (int g5 = 0; g5 < 32; ++g5) {
                const std::uint32_t occupied =
                    occupied_[static_cast<std::size_t>(((r >> 3) << 5) | g5)];
                if (!occupied)
                    continue;
                const int rowBase = ((r >> 3) << 10) | (g5 << 5);
                for (int g3 = 0; g3 < 8; ++g3) {
                    const int cellBase = ((r & 7) << 6) | (g3 << 3);
                    for (std::uint32_t rest = occupied; rest; rest &= rest - 1) {
                        const int b5 = std::countr_zero(rest);
                        const Bucket& bucket = *buckets_[static_cast<std::size_t>(rowBase | b5)];
                        if (emptyRun(&bucket[static_cast<std::size_t>(cellBase)]))
                            continue;
                        for (int b3 = 0; b3 < 8; ++b3) {
                            const std::uint32_t n = bucket[static_cast<std::size_t>(cellBase | b3)];
                            if (n)
                                list.push_back({static_cast<std::uint8_t>(r),
                                                static_cast<std::uint8_t>((g5 << 3) | g3),
                                                static_cast<std::uint8_t>((b5 << 3) | b3), n});
                        }
                    }
                }
            }
        }
        return list;
    }

    // A counter value near a colour that is not in the histogram: the first occupied counter of
    // its own bucket, else of the first existing neighbouring bucket (offsets in lexicographic
    // order, red slowest). 0 when there is none.
    std::uint32_t occupiedNear(int r, int g, int b) const {
        const int br = r >> 3;
        const int bg = g >> 3;
        const int bb = b >> 3;
        if (const auto& own = buckets_[(br << 10) | (bg << 5) | bb])
            return firstOccupied(*own);
        for (int dr = -1; dr <= 1; ++dr)
            for (int dg = -1; dg <= 1; ++dg)
                for (int db = -1; db <= 1; ++db) {
                    const int nr = br + dr;
                    const int ng = bg + dg;
                    const int nb = bb + db;
                    if ((dr | dg | db) == 0 || nr < 0 || ng < 0 || nb < 0 || nr > 31 || ng > 31 ||
                        nb > 31)
                        continue;
                    if (const auto& bucket = buckets_[(nr << 10) | (ng << 5) | nb])
                        return firstOccupied(*bucket);
                }
        return 0;
    }

    template <typename F> void forEachCounter(F&& f) {
        for (auto& bucket : buckets_)
            if (bucket)
                for (auto& counter : *bucket)
                    if (counter)
                        f(counter);
    }

private:
    static constexpr int kBuckets = 32 * 32 * 32;
    using Bucket = std::array<std::uint32_t, 512>;

    static int bucketOf(int r, int g, int b) {
        return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
    }
    static int cellOf(int r, int g, int b) { return ((r & 7) << 6) | ((g & 7) << 3) | (b & 7); }
    // Whether the 8 counters of one run of blue are all 0.
    static bool emptyRun(const std::uint32_t* counters) {
        std::uint64_t words[4];
        std::memcpy(words, counters, sizeof words);
        return (words[0] | words[1] | words[2] | words[3]) == 0;
    }
    static std::uint32_t firstOccupied(const Bucket& bucket) {
        for (const std::uint32_t n : bucket)
            if (n)
                return n;
        return 0;
    }

    std::vector<std::unique_ptr<Bucket>> buckets_;
    // Per (red >> 3, green >> 3) the buckets that exist, one bit per blue >> 3.
    std::array<std::uint32_t, 32 * 32> occupied_{};
};

// One palette entry in the making: a set of colours with its weight, mean and ranges.
struct Box {
    int fixedIndex = -1;
    bool splittable = true;
    std::vector<Colour> colours;
    std::vector<Colour> ties; // colours that lie as near to another box (after refinement)
    std::uint64_t weight = 0;
    Rgb mean;    // truncated weighted mean, for splitting
    Rgb average; // rounded weighted mean
    std::array<int, 3> range{};
    int failures = 0;
    int failedAxis = -1;
    bool reserved = false; // the transparent entry: no colours, never a match
    Rgb colour;            // final palette colour

    void computeStatistics() {
        std::uint64_t sum[3] = {0, 0, 0};
        int lo[3] = {255, 255, 255};
        int hi[3] = {0, 0, 0};
        weight = 0;
        for (const Colour& c : colours) {
            weight += c.count;
            for (int axis = 0; axis < 3; ++axis) {
                const int v = c.channel(axis);
                sum[axis] += std::uint64_t{c.count} * static_cast<std::uint64_t>(v);
                lo[axis] = std::min(lo[axis], v);
                hi[axis] = std::max(hi[axis], v);
            }
        }
        if (weight == 0) {
            range = {0, 0, 0};
            return;
        }
        // The splitting mean is truncated, so that a channel with a range always has colours
        // above it; the palette colour is the rounded mean.
        auto truncated = [this](std::uint64_t s) { return static_cast<int>(s / weight); };
        auto rounded = [this](std::uint64_t s) {
            return static_cast<int>((s + weight / 2) / weight);
        };
        mean = {truncated(sum[0]), truncated(sum[1]), truncated(sum[2])};
        average = {rounded(sum[0]), rounded(sum[1]), rounded(sum[2])};
        for (int axis = 0; axis < 3; ++axis)
            range[axis] = hi[axis] - lo[axis];
    }
};

// Reciprocals of the luminance weights 0.2989, 0.5866 and 0.1144.
constexpr double kSplitWeights[3] = {3.345600535296086, 1.7047391749062393, 8.741258741258742};
constexpr double kSideLimit = 0.66;
constexpr int kMaxFailures = 3;

int splitAxis(const Box& box) {
    std::array<int, 3> r = box.range;
    if (box.failedAxis >= 0)
        r[box.failedAxis] = 0;
    if (r[0] > r[1] && r[0] > r[2])
        return 0;
    return r[1] < r[2] ? 2 : 1;
}

// One attempt at cutting a box between two seed colours. Fills the two halves and returns true,
// or returns false for a failed attempt.
bool splitBetweenSeeds(const Box& box, Box& first, Box& second) {
    const int axis = splitAxis(box);
    const int mean = box.mean.channel(axis);
    const Colour* above = nullptr;
    const Colour* below = nullptr;
    for (const Colour& c : box.colours) {
        const Colour*& seed = c.channel(axis) > mean ? above : below;
        if (!seed || c.count > seed->count)
            seed = &c;
    }
    if (!above || !below || above->key() == below->key())
        return false;
    double d[3];
    double m[3];
    for (int k = 0; k < 3; ++k) {
        d[k] = (above->channel(k) - below->channel(k)) * kSplitWeights[k];
        m[k] = (above->channel(k) + below->channel(k)) / 2.0;
    }
    const double limit = kSideLimit * static_cast<double>(box.weight);
    std::uint64_t firstWeight = 0;
    first.colours.clear();
    second.colours.clear();
    for (const Colour& c : box.colours) {
        const double dot = (c.r - m[0]) * d[0] + (c.g - m[1]) * d[1] + (c.b - m[2]) * d[2];
        if (dot > 0 && static_cast<double>(firstWeight) < limit) {
            first.colours.push_back(c);
            firstWeight += c.count;
        } else {
            second.colours.push_back(c);
        }
    }
    return !first.colours.empty() && !second.colours.empty();
}

// Merges a box's colours into another, keeping the list in ascending colour order.
void mergeInto(Box& target, Box& source) {
    std::vector<Colour> merged;
    merged.reserve(target.colours.size() + source.colours.size());
    std::merge(target.colours.begin(), target.colours.end(), source.colours.begin(),
               source.colours.end(), std::back_inserter(merged),
               [](const Colour& a, const Colour& b) { return a.key() < b.key(); });
    target.colours = std::move(merged);
    target.computeStatistics();
}

// First pass: split the heaviest splittable box between two seeds until enough boxes exist.
void splitBySeeds(std::vector<Box>& boxes, std::size_t wanted) {
    // Bounds the rare split-and-merge cycles that do not add a box.
    int mergesLeft = 4 * static_cast<int>(wanted) + 16;
    while (boxes.size() < wanted) {
        // The heaviest splittable box of at least two colours.
        auto it = boxes.end();
        for (auto b = boxes.begin(); b != boxes.end(); ++b)
            if (b->splittable && b->colours.size() >= 2 &&
                (it == boxes.end() || b->weight > it->weight))
                it = b;
        if (it == boxes.end())
            break;
        Box first;
        Box second;
        if (!splitBetweenSeeds(*it, first, second)) {
            it->failedAxis = splitAxis(*it);
            if (++it->failures >= kMaxFailures)
                it->splittable = false;
            continue;
        }
        const std::size_t at = static_cast<std::size_t>(it - boxes.begin());
        first.computeStatistics();
        second.computeStatistics();
        boxes[at] = std::move(first);
        boxes.push_back(std::move(second));
        const std::size_t halves[2] = {at, boxes.size() - 1};
        for (int h = 1; h >= 0 && mergesLeft > 0; --h) {
            const std::size_t half = halves[h];
            for (std::size_t i = 0; i < boxes.size(); ++i) {
                if (i == halves[0] || i == halves[1] || boxes[i].fixedIndex >= 0 ||
                    !(boxes[i].mean == boxes[half].mean))
                    continue;
                mergeInto(boxes[i], boxes[half]);
                boxes.erase(boxes.begin() + static_cast<std::ptrdiff_t>(half));
                --mergesLeft;
                break;
            }
        }
    }
    std::stable_sort(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) {
        if (a.splittable != b.splittable)
            return a.splittable;
        return a.weight > b.weight;
    });
}

// Second pass: cut boxes of several colours at the mean of the channel that halves their
// weight best, until enough boxes exist or none can be cut.
void cutAtMeans(std::vector<Box>& boxes, std::size_t wanted) {
    bool cut = true;
    while (boxes.size() < wanted && cut) {
        cut = false;
        for (std::size_t i = 0; i < boxes.size() && boxes.size() < wanted; ++i) {
            Box& box = boxes[i];
            if (box.colours.size() < 2)
                continue;
            // Ties go to green, then blue, then red.
            constexpr int kOrder[3] = {1, 2, 0};
            int axis = -1;
            std::uint64_t bestGap = 0;
            for (const int a : kOrder) {
                const int mean = box.mean.channel(a);
                std::uint64_t low = 0;
                for (const Colour& c : box.colours)
                    if (c.channel(a) <= mean)
                        low += c.count;
                const std::uint64_t twice = 2 * low;
                const std::uint64_t gap =
                    twice > box.weight ? twice - box.weight : box.weight - twice;
                if (axis < 0 || gap < bestGap) {
                    axis = a;
                    bestGap = gap;
                }
            }
            const int mean = box.mean.channel(axis);
            Box upper;
            std::vector<Colour> lower;
            for (const Colour& c : box.colours)
                (c.channel(axis) <= mean ? lower : upper.colours).push_back(c);
            if (lower.empty() || upper.colours.empty())
                continue;
            box.colours = std::move(lower);
            box.computeStatistics();
            upper.computeStatistics();
            boxes.push_back(std::move(upper));
            cut = true;
        }
    }
}

// Gives each fixed leading entry to the free box nearest to it. While the palette has room
// (fewer boxes than colours), an entry that matches no box exactly gets an empty box of its own
// instead, so that a picture with few colours keeps them beside the fixed ones; an entry that
// finds no free box gets one too, so that every fixed entry keeps its place in the palette.
void placeFixedEntries(std::vector<Box>& boxes, const RGBQUAD* table, int fixed, int transparent,
                       std::size_t colours) {
    for (int f = 0; f < fixed; ++f) {
        if (f == transparent)
            continue;
        const Rgb colour{table[f].rgbRed, table[f].rgbGreen, table[f].rgbBlue};
        Box* nearest = nullptr;
        int best = 0;
        for (Box& box : boxes) {
            if (box.fixedIndex >= 0)
                continue;
            const int d = quantiserDistance(box.colour, colour);
            if (!nearest || d < best) {
                nearest = &box;
                best = d;
            }
        }
        const bool room = boxes.size() < colours;
        if (!nearest || (best > 0 && room)) {
            if (!room && boxes.size() >= 256)
                continue;
            nearest = &boxes.emplace_back();
            nearest->splittable = false;
        }
        nearest->fixedIndex = f;
        nearest->colour = colour;
    }
}

// Palette order: boxes by fixed index, those without one after all fixed ones, heavier first
// within equal keys.
void sortForPalette(std::vector<Box>& boxes) {
    std::stable_sort(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) {
        const unsigned ka = static_cast<unsigned>(a.fixedIndex);
        const unsigned kb = static_cast<unsigned>(b.fixedIndex);
        if (ka != kb)
            return ka < kb;
        return a.weight > b.weight;
    });
}

// The search over a palette that never answers its reserved entry, with the colour-to-index
// cache of that palette. The thread keeps the last one for the next image: converting every frame
// of an animation to one common palette asks for the same search frame after frame, and building
// it (and finding the nearest entry of each colour again) is most of such a conversion's work.
struct KeptMapping {
    std::vector<Rgb> palette;
    int reservedAt = -1;
    std::unique_ptr<PaletteSearch> search;
    // Index + 1 of every colour already mapped onto this palette.
    std::unique_ptr<ColourHistogram> indices;
};

KeptMapping& keptMapping(std::vector<Rgb> palette, int reservedAt) {
    thread_local KeptMapping kept;
    if (!kept.search || kept.reservedAt != reservedAt || kept.palette != palette) {
        kept.search.reset();
        kept.indices.reset();
        kept.search = std::make_unique<PaletteSearch>(palette, reservedAt, 1.5);
        kept.indices = std::make_unique<ColourHistogram>();
        kept.palette = std::move(palette);
        kept.reservedAt = reservedAt;
    }
    return kept;
}

const PaletteSearch& searchOverBoxes(const std::vector<Box>& boxes) {
    std::vector<Rgb> palette;
    int reservedAt = -1;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        palette.push_back(boxes[i].colour);
        if (boxes[i].reserved)
            reservedAt = static_cast<int>(i);
    }
    return *keptMapping(std::move(palette), reservedAt).search;
}

// The refinement after the cut: the boxes' colours are improved as palette entries (see
// PaletteRefinement.h), and every box then holds exactly the colours nearest to it, those that
// lie as near to another box also in its list of ties. False when there was nothing to refine.
bool refineBoxes(std::vector<Box>& boxes) {
    // Boxes of one colour each already hold the picture's own colours.
    if (std::none_of(boxes.begin(), boxes.end(), [](const Box& b) { return b.colours.size() > 1; }))
        return false;
    std::vector<Colour> colours;
    std::vector<int> entryOf;
    std::vector<RefinedEntry> palette;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        palette.push_back({boxes[i].colour, boxes[i].fixedIndex >= 0, boxes[i].reserved});
        colours.insert(colours.end(), boxes[i].colours.begin(), boxes[i].colours.end());
        entryOf.resize(colours.size(), static_cast<int>(i));
        boxes[i].colours.clear();
    }
    std::vector<bool> tied;
    refinePalette(colours, entryOf, palette, tied);
    for (std::size_t k = 0; k < colours.size(); ++k) {
        Box& box = boxes[static_cast<std::size_t>(entryOf[k])];
        box.colours.push_back(colours[k]);
        if (tied[k])
            box.ties.push_back(colours[k]);
    }
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        boxes[i].computeStatistics();
        boxes[i].colour = palette[i].colour;
    }
    return true;
}

// Standard 8 x 8 ordered-dither matrix, row by row.
constexpr std::uint8_t kBayer8[64] = {
    0,  32, 8,  40, 2,  34, 10, 42, 48, 16, 56, 24, 50, 18, 58, 26, 12, 44, 4,  36, 14, 46,
    6,  38, 60, 28, 52, 20, 62, 30, 54, 22, 3,  35, 11, 43, 1,  33, 9,  41, 51, 19, 59, 27,
    49, 17, 57, 25, 15, 47, 7,  39, 13, 45, 5,  37, 63, 31, 55, 23, 61, 29, 53, 21};

class Quantiser {
public:
    explicit Quantiser(const QuantiserJob& job) : job_(job) {}

    bool run() {
        if (paletteGiven())
            return mapOntoGivenPalette();
        if (!countColours())
            return false;
        report(2);
        std::vector<Box> boxes(1);
        boxes[0].colours = histogram_->colourList();
        boxes[0].computeStatistics();
        report(4);
        const int colours = std::clamp(job_.colours, 2, std::min(256, job_.destColorCount));
        const int transparent = job_.transparentIndex;
        const std::size_t wanted = static_cast<std::size_t>(colours - (transparent >= 0 ? 1 : 0));
        splitBySeeds(boxes, wanted);
        report(8);
        cutAtMeans(boxes, wanted);
        report(10);
        for (Box& box : boxes)
            box.colour = box.average;
        if (transparent >= 0) {
            Box& reserved = boxes.emplace_back();
            reserved.fixedIndex = transparent;
            reserved.splittable = false;
            reserved.reserved = true;
            const RGBQUAD& q = job_.destColors[transparent];
            reserved.colour = {q.rgbRed, q.rgbGreen, q.rgbBlue};
        }
        placeFixedEntries(boxes, job_.destColors, std::clamp(job_.fixed, 0, colours), transparent,
                          static_cast<std::size_t>(colours));
        report(11);
        const bool nearestKnown = refineBoxes(boxes);
        sortForPalette(boxes);
        report(12);
        buildRemap(boxes);
        if (!job_.paletteOnly) {
            const PaletteSearch& search = searchOverBoxes(boxes);
            if (search.usable()) {
                indexHistogram(boxes, search, nearestKnown);
                report(14);
                mapPixels(search);
            }
        }
        writePalette(boxes);
        report(kQuantiserProgressTotal);
        return true;
    }

private:
    int paletteColours() const {
        return std::clamp(job_.colours, 2, std::min(256, job_.destColorCount));
    }

    // Every entry the palette may use is a caller's fixed entry: the boxes would end as exactly
    // those entries (each fixed entry claims a box of its own), so the palette stays as given and
    // every colour goes to its nearest entry, the lower index on equal distances.
    bool paletteGiven() const { return job_.fixed >= paletteColours(); }

    // The given palette's mapping, through the colour-to-index cache the thread keeps for it.
    bool mapOntoGivenPalette() {
        if (!anyCounted())
            return false;
        const int colours = paletteColours();
        const int transparent = job_.transparentIndex;
        std::vector<Rgb> palette;
        palette.reserve(static_cast<std::size_t>(colours));
        for (int i = 0; i < colours; ++i) {
            const RGBQUAD& q = job_.destColors[i];
            palette.push_back({q.rgbRed, q.rgbGreen, q.rgbBlue});
        }
        KeptMapping& kept =
            keptMapping(std::move(palette), transparent < colours ? transparent : -1);
        report(12);
        for (int i = 0; i < 256; ++i)
            remap_[i] = static_cast<std::uint8_t>(i);
        if (!job_.paletteOnly && kept.search->usable()) {
            indices_ = kept.indices.get();
            report(14);
            mapPixels(*kept.search);
        }
        report(kQuantiserProgressTotal);
        return true;
    }

    bool anyCounted() const {
        for (int y = 0; y < job_.height; ++y) {
            const std::uint8_t* src = sourceRow(y);
            const std::uint8_t* mask = maskRow(y);
            for (int x = 0; x < job_.width; ++x)
                if (counted(src, mask, x))
                    return true;
        }
        return false;
    }

    void report(int step) {
        if (job_.progress)
            job_.progress(step, kQuantiserProgressTotal);
    }

    const std::uint8_t* sourceRow(int y) const {
        return job_.sourceBits + static_cast<std::size_t>(y) * job_.sourceRowBytes;
    }

    bool counted(const std::uint8_t* src, const std::uint8_t* mask, int x) const {
        if (job_.sourceBitCount == 8)
            return src[x] != job_.sourceTransparent;
        return !mask || indexAt(mask, x, 1) != 0;
    }

    Rgb pixel(const std::uint8_t* src, int x) const {
        if (job_.sourceBitCount == 24)
            return {src[3 * x + 2], src[3 * x + 1], src[3 * x]};
        if (src[x] >= job_.sourceColorCount)
            return {};
        const RGBQUAD& q = job_.sourceColors[src[x]];
        return {q.rgbRed, q.rgbGreen, q.rgbBlue};
    }

    const std::uint8_t* maskRow(int y) const {
        return job_.sourceBitCount == 24 && job_.maskBits
                   ? job_.maskBits + static_cast<std::size_t>(y) * job_.maskRowBytes
                   : nullptr;
    }

    bool countColours() {
        histogram_ = std::make_unique<ColourHistogram>();
        indices_ = histogram_.get();
        ColourHistogram& histogram = *histogram_;
        std::uint64_t total = 0;
        for (int y = 0; y < job_.height; ++y) {
            const std::uint8_t* src = sourceRow(y);
            const std::uint8_t* mask = maskRow(y);
            std::uint32_t lastKey = 0xFFFFFFFF;
            std::uint32_t* last = nullptr;
            for (int x = 0; x < job_.width; ++x) {
                if (!counted(src, mask, x))
                    continue;
                const Rgb c = pixel(src, x);
                const std::uint32_t key = (c.r << 16) | (c.g << 8) | c.b;
                if (key != lastKey) {
                    last = &histogram.at(c.r, c.g, c.b);
                    lastKey = key;
                }
                ++*last;
                ++total;
            }
        }
        return total > 0;
    }

    // Box order is palette order, except that the reserved transparent entry keeps its number:
    // it trades places with whatever box landed on that number.
    void buildRemap(const std::vector<Box>& boxes) {
        for (int i = 0; i < 256; ++i)
            remap_[i] = static_cast<std::uint8_t>(i);
        const int t = job_.transparentIndex;
        if (t < 0)
            return;
        for (std::size_t i = 0; i < boxes.size(); ++i)
            if (boxes[i].fixedIndex == t) {
                std::swap(remap_[i], remap_[t]);
                break;
            }
    }

    // Every colour of the picture gets the index of its nearest entry; equal distances keep the
    // lower index. When the boxes hold exactly their nearest colours, only ties are searched.
    void indexHistogram(const std::vector<Box>& boxes, const PaletteSearch& search,
                        bool nearestKnown) {
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            const auto index = static_cast<int>(i);
            for (const Colour& c : boxes[i].colours)
                histogram_->at(c.r, c.g, c.b) = static_cast<std::uint32_t>(
                    (nearestKnown ? index : search.nearest(c.rgb(), index).index) + 1);
            for (const Colour& c : boxes[i].ties)
                histogram_->at(c.r, c.g, c.b) =
                    static_cast<std::uint32_t>(search.nearest(c.rgb(), index).index + 1);
        }
    }

    // The index of a colour, from the histogram; a colour it does not hold yet (made by
    // dithering) is searched for and added. The last colour asked for is remembered, since
    // neighbouring pixels often share one.
    int lookup(const Rgb& c, const PaletteSearch& search) {
        if (c == lastLookedUp_)
            return lastIndex_;
        lastLookedUp_ = c;
        if (const std::uint32_t known = indices_->find(c.r, c.g, c.b)) {
            lastIndex_ = static_cast<int>(known) - 1;
            return lastIndex_;
        }
        const std::uint32_t near = indices_->occupiedNear(c.r, c.g, c.b);
        lastIndex_ = search.nearest(c, near ? static_cast<int>(near) - 1 : 0).index;
        indices_->at(c.r, c.g, c.b) = static_cast<std::uint32_t>(lastIndex_) + 1;
        return lastIndex_;
    }

    void mapPixels(const PaletteSearch& search);
    void mapNearest(const PaletteSearch& search);
    void mapIndices(const PaletteSearch& search, std::uint8_t transparentOut);
    void writePalette(const std::vector<Box>& boxes);

    const QuantiserJob& job_;
    // Made by the count (a given palette's mapping needs none): its table of buckets alone is
    // larger than a small frame.
    std::unique_ptr<ColourHistogram> histogram_;
    // The colour-to-index cache of the mapping: the histogram, or the kept cache of a given
    // palette.
    ColourHistogram* indices_ = nullptr;
    std::array<std::uint8_t, 256> remap_{};
    Rgb lastLookedUp_{-1, -1, -1};
    int lastIndex_ = 0;
};

void Quantiser::mapPixels(const PaletteSearch& search) {
    if (job_.mode == kQuantiseNearest) {
        mapNearest(search);
        return;
    }
    const int w = job_.width;
    const int h = job_.height;
    const bool diffuse = job_.mode == kQuantiseFloydSteinberg || job_.mode == kQuantiseBurkes;
    const std::uint8_t transparentOut =
        job_.transparentIndex >= 0 ? static_cast<std::uint8_t>(job_.transparentIndex) : 0;
    // Two rows of 24-bit working values with two spare pixels on each side.
    constexpr int kPad = 2;
    std::vector<int> rows[2];
    auto loadRow = [&](std::vector<int>& row, int y) {
        row.assign(static_cast<std::size_t>(w + 2 * kPad) * 3, 0);
        if (y >= h)
            return;
        const std::uint8_t* src = sourceRow(y);
        for (int x = 0; x < w; ++x) {
            const Rgb c = pixel(src, x);
            int* v = &row[static_cast<std::size_t>(x + kPad) * 3];
            v[0] = c.r;
            v[1] = c.g;
            v[2] = c.b;
        }
    };
    auto spread = [](std::vector<int>& row, int x, const int* error, int numerator, int shift) {
        int* v = &row[static_cast<std::size_t>(x + kPad) * 3];
        for (int k = 0; k < 3; ++k) {
            const int share = shift ? (error[k] >> shift) : error[k] * numerator / 16;
            v[k] = std::clamp(v[k] + share, 0, 255);
        }
    };
    if (diffuse)
        loadRow(rows[0], 0);
    const int progressEvery = std::max(1, h / 5);
    int progressStep = 14;
    for (int y = 0; y < h; ++y) {
        std::vector<int>& cur = rows[y & 1];
        std::vector<int>& next = rows[(y + 1) & 1];
        if (diffuse)
            loadRow(next, y + 1);
        const std::uint8_t* src = sourceRow(y);
        const std::uint8_t* mask = maskRow(y);
        std::uint8_t* dst = job_.destBits + static_cast<std::size_t>(y) * job_.destRowBytes;
        const bool forward = (y & 1) == 0;
        const int step = forward ? 1 : -1;
        for (int i = 0; i < w; ++i) {
            const int x = forward ? i : w - 1 - i;
            if (!counted(src, mask, x)) {
                dst[x] = transparentOut;
                continue;
            }
            Rgb c;
            if (diffuse) {
                const int* v = &cur[static_cast<std::size_t>(x + kPad) * 3];
                c = {v[0], v[1], v[2]};
            } else {
                c = pixel(src, x);
            }
            if (job_.mode == kQuantiseOrdered) {
                const Rgb p = search.colour(lookup(c, search));
                const int t = kBayer8[(x & 7) * 8 + (y & 7)];
                auto push = [t](int v, int q) {
                    return std::abs(v - q) > t ? clampByte(2 * v - q) : v;
                };
                c = {push(c.r, p.r), push(c.g, p.g), push(c.b, p.b)};
            }
            const int index = lookup(c, search);
            dst[x] = remap_[index];
            if (!diffuse)
                continue;
            const Rgb& p = search.colour(index);
            const int error[3] = {c.r - p.r, c.g - p.g, c.b - p.b};
            if (job_.mode == kQuantiseFloydSteinberg) {
                spread(cur, x + step, error, 7, 0);
                spread(next, x - step, error, 3, 0);
                spread(next, x, error, 5, 0);
                spread(next, x + step, error, 1, 0);
            } else {
                spread(cur, x + step, error, 0, 2);
                spread(cur, x + 2 * step, error, 0, 3);
                spread(next, x - 2, error, 0, 4);
                spread(next, x - 1, error, 0, 3);
                spread(next, x, error, 0, 2);
                spread(next, x + 1, error, 0, 3);
                spread(next, x + 2, error, 0, 4);
            }
        }
        if ((y + 1) % progressEvery == 0 && progressStep < kQuantiserProgressTotal - 1)
            report(++progressStep);
    }
}

// Without dithering every pixel takes the entry of its own colour, which depends on nothing
// else. An 8-bit source's indices are looked up once each; a 24-bit source's colours go through
// a small direct-mapped table first, which holds the few colours a frame shows where the colour
// cache itself is too large to stay near.
void Quantiser::mapNearest(const PaletteSearch& search) {
    const std::uint8_t transparentOut =
        job_.transparentIndex >= 0 ? static_cast<std::uint8_t>(job_.transparentIndex) : 0;
    if (job_.sourceBitCount == 8) {
        mapIndices(search, transparentOut);
        return;
    }
    constexpr std::uint32_t kNone = UINT32_MAX;
    constexpr int kRecentBits = 12;
    std::vector<std::uint32_t> recentValue(std::size_t{1} << kRecentBits, kNone);
    std::vector<std::uint8_t> recentOut(std::size_t{1} << kRecentBits);
    const auto slotOf = [](std::uint32_t value) {
        return (value * 0x9E3779B1u) >> (32 - kRecentBits);
    };
    const int progressEvery = std::max(1, job_.height / 5);
    int progressStep = 14;
    for (int y = 0; y < job_.height; ++y) {
        const std::uint8_t* src = sourceRow(y);
        const std::uint8_t* mask = maskRow(y);
        std::uint8_t* dst = job_.destBits + static_cast<std::size_t>(y) * job_.destRowBytes;
        for (int x = 0; x < job_.width; ++x) {
            if (!counted(src, mask, x)) {
                dst[x] = transparentOut;
                continue;
            }
            const std::uint32_t value = std::uint32_t{src[3 * x]} |
                                        (std::uint32_t{src[3 * x + 1]} << 8) |
                                        (std::uint32_t{src[3 * x + 2]} << 16);
            const std::uint32_t slot = slotOf(value);
            if (recentValue[slot] != value) {
                recentValue[slot] = value;
                recentOut[slot] = remap_[lookup(pixel(src, x), search)];
            }
            dst[x] = recentOut[slot];
        }
        if ((y + 1) % progressEvery == 0 && progressStep < kQuantiserProgressTotal - 1)
            report(++progressStep);
    }
}

// An 8-bit source: every index's entry found once, then each row through that table.
void Quantiser::mapIndices(const PaletteSearch& search, std::uint8_t transparentOut) {
    std::array<std::uint8_t, 256> entryOf{};
    for (int i = 0; i < 256; ++i) {
        const auto index = static_cast<std::uint8_t>(i);
        entryOf[index] =
            counted(&index, nullptr, 0) ? remap_[lookup(pixel(&index, 0), search)] : transparentOut;
    }
    const int progressEvery = std::max(1, job_.height / 5);
    int progressStep = 14;
    for (int y = 0; y < job_.height; ++y) {
        const std::uint8_t* src = sourceRow(y);
        std::uint8_t* dst = job_.destBits + static_cast<std::size_t>(y) * job_.destRowBytes;
        for (int x = 0; x < job_.width; ++x)
            dst[x] = entryOf[src[x]];
        if ((y + 1) % progressEvery == 0 && progressStep < kQuantiserProgressTotal - 1)
            report(++progressStep);
    }
}

void Quantiser::writePalette(const std::vector<Box>& boxes) {
    const int limit = std::min(256, job_.destColorCount);
    std::array<RGBQUAD, 256> table{};
    std::copy_n(job_.destColors, limit, table.begin());
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const int at = remap_[i];
        if (at < limit)
            table[at] = {clampByte(boxes[i].colour.b), clampByte(boxes[i].colour.g),
                         clampByte(boxes[i].colour.r), 0};
    }
    std::copy_n(table.begin(), limit, job_.destColors);
}

bool validJob(const QuantiserJob& job) {
    if (job.width <= 0 || job.height <= 0 || !job.sourceBits || !job.destBits || !job.destColors ||
        job.destColorCount < 2)
        return false;
    if (job.sourceBitCount == 24)
        return job.sourceRowBytes >= static_cast<std::size_t>(job.width) * 3 &&
               (!job.maskBits || job.maskRowBytes >= static_cast<std::size_t>(job.width + 7) / 8);
    if (job.sourceBitCount == 8)
        return job.sourceRowBytes >= static_cast<std::size_t>(job.width) &&
               (job.sourceColors || job.sourceColorCount == 0);
    return false;
}

} // namespace

bool quantiseImage(const QuantiserJob& job) {
    if (!validJob(job) || job.destRowBytes < static_cast<std::size_t>(job.width) ||
        job.transparentIndex >= job.destColorCount)
        return false;
    return Quantiser(job).run();
}

} // namespace kpx
