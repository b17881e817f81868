#include "PaletteSearch.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kpx::quantiser {

namespace {

// A list key: half the distance above the entry's index. Half the distance (at most about 10.5
// million) and an index below 256 fit 32 bits; halving rounds down, so a bound check against
// twice the stored value never stops a search early.
constexpr int kIndexBits = 8;
constexpr std::uint32_t kIndexMask = (1u << kIndexBits) - 1;
// A row that is brought up to date after more changes than this is sorted anew.
constexpr std::ptrdiff_t kMostRekeyed = 24;

std::uint32_t neighbourKey(int distance, std::size_t index) {
    return (static_cast<std::uint32_t>(distance >> 1) << kIndexBits) |
           static_cast<std::uint32_t>(index);
}

double keyDistance(std::uint32_t key) {
    return 2.0 * static_cast<double>(key >> kIndexBits);
}

} // namespace

PaletteSearch::PaletteSearch(std::vector<Rgb> palette, int excluded, double slack,
                             std::size_t sortedNeighbours)
    : palette_(std::move(palette)), excluded_(excluded), slack_(slack),
      sortedNeighbours_(sortedNeighbours) {
    palette_.resize(std::min<std::size_t>(palette_.size(), kIndexMask + 1));
    const std::size_t n = palette_.size();
    distances_.resize(n * n);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i; j < n; ++j)
            distances_[i * n + j] = distances_[j * n + i] =
                quantiserDistance(palette_[i], palette_[j]);
    neighbours_.resize(n * n);
    rowLength_.assign(n, kNoRow);
    rowVersion_.assign(n, 0);
    changedAt_.assign(n, 0);
    positions_.resize(n * n);
    nearestOther_.assign(n, 0);
    for (std::size_t i = 0; i < n && firstUsable_ < 0; ++i)
        if (static_cast<int>(i) != excluded_)
            firstUsable_ = static_cast<int>(i);
}

void PaletteSearch::computeDistances(std::size_t i) {
    const std::size_t n = palette_.size();
    for (std::size_t j = 0; j < n; ++j)
        distances_[i * n + j] = distances_[j * n + i] = quantiserDistance(palette_[i], palette_[j]);
}

void PaletteSearch::recolour(const std::vector<Rgb>& palette) {
    if (palette.size() != palette_.size())
        return;
    const unsigned next = version_ + 1;
    for (std::size_t i = 0; i < palette.size(); ++i)
        if (!(palette[i] == palette_[i])) {
            palette_[i] = palette[i];
            computeDistances(i);
            changedAt_[i] = next;
            changes_.push_back({next, static_cast<std::uint32_t>(i)});
            version_ = next;
        }
}

const std::uint32_t* PaletteSearch::row(std::size_t i) const {
    if (rowLength_[i] == kNoRow)
        buildRow(i);
    else if (rowVersion_[i] != version_)
        refreshRow(i);
    return &neighbours_[i * palette_.size()];
}

int PaletteSearch::neighbourCount(int i) const {
    if (i < 0 || i >= size())
        return 0;
    row(static_cast<std::size_t>(i));
    return static_cast<int>(
        std::min(sortedNeighbours_, std::size_t{rowLength_[static_cast<std::size_t>(i)]}));
}

int PaletteSearch::neighbour(int i, int k) const {
    return static_cast<int>(row(static_cast<std::size_t>(i))[k] & kIndexMask);
}

void PaletteSearch::buildRow(std::size_t i) const {
    const std::size_t n = palette_.size();
    std::uint32_t* row = &neighbours_[i * n];
    std::size_t length = 0;
    if (static_cast<int>(i) != excluded_)
        for (std::size_t j = 0; j < n; ++j)
            if (static_cast<int>(j) != excluded_)
                row[length++] = neighbourKey(distances_[i * n + j], j);
    const std::size_t sorted = std::min(sortedNeighbours_, length);
    std::nth_element(row, row + sorted, row + length);
    std::sort(row, row + sorted);
    std::uint8_t* position = &positions_[i * n];
    for (std::size_t k = 0; k < length; ++k)
        position[row[k] & kIndexMask] = static_cast<std::uint8_t>(k);
    rowLength_[i] = static_cast<std::uint32_t>(length);
    rowVersion_[i] = version_;
    // The first listed entry is the entry itself (distance 0), unless another one has the same
    // colour and a lower index.
    nearestOther_[i] = length > 1 ? keyDistance(row[1]) : 0;
}

// New distances for the entries that changed colour since the row was made. Each new key of the
// sorted head moves to its place there, and a new key of the tail that belongs in the head
// trades places with the head's last key; when the head's last key grew, the whole tail is
// looked at. A row of many changes is made anew.
void PaletteSearch::refreshRow(std::size_t i) const {
    const std::size_t n = palette_.size();
    std::uint32_t* row = &neighbours_[i * n];
    std::uint8_t* position = &positions_[i * n];
    const std::size_t length = rowLength_[i];
    const std::size_t sorted = std::min(sortedNeighbours_, length);
    auto first = changes_.rbegin();
    auto last = first;
    while (last != changes_.rend() && last->first > rowVersion_[i])
        ++last;
    if (changedAt_[i] > rowVersion_[i] || last - first > kMostRekeyed) {
        buildRow(i);
        return;
    }
    auto trade = [&](std::size_t a, std::size_t b) {
        std::swap(row[a], row[b]);
        position[row[a] & kIndexMask] = static_cast<std::uint8_t>(a);
        position[row[b] & kIndexMask] = static_cast<std::uint8_t>(b);
    };
    // Moves the key at k (inside the head) to its place in the head.
    auto place = [&](std::size_t k) {
        for (; k > 0 && row[k] < row[k - 1]; --k)
            trade(k, k - 1);
        for (; k + 1 < sorted && row[k + 1] < row[k]; ++k)
            trade(k, k + 1);
    };
    auto lift = [&](std::size_t k) {
        if (row[k] < row[sorted - 1]) {
            trade(k, sorted - 1);
            place(sorted - 1);
        }
    };
    const std::uint32_t lastOfHead = sorted > 0 ? row[sorted - 1] : 0;
    for (auto change = first; change != last; ++change) {
        const std::size_t j = change->second;
        if (static_cast<int>(j) == excluded_)
            continue;
        const std::size_t k = position[j];
        row[k] = neighbourKey(distances_[i * n + j], j);
        if (k < sorted)
            place(k);
        else
            lift(k);
    }
    if (sorted > 0 && row[sorted - 1] > lastOfHead)
        for (std::size_t k = sorted; k < length; ++k)
            lift(k);
    rowVersion_[i] = version_;
    nearestOther_[i] = length > 1 ? keyDistance(row[1]) : 0;
}

NearestEntry PaletteSearch::nearest(const Rgb& c, int start) const {
    return search<false>(c, start);
}

NearestEntry PaletteSearch::nearestWithMargin(const Rgb& c, int start) const {
    return search<true>(c, start);
}

template <bool kMargin> NearestEntry PaletteSearch::search(const Rgb& c, int start) const {
    if (start < 0 || start >= size() || start == excluded_)
        start = firstUsable_;
    const auto from = static_cast<std::size_t>(start);
    const std::uint32_t* row = this->row(from);
    const int own = quantiserDistance(c, palette_[from]);
    const double ownRoot = std::sqrt(static_cast<double>(own));
    // No other entry lies within twice the distance to the start: the start is the nearest.
    if (4.0 * own * slack_ < nearestOther_[from])
        return {start, own, false, kMargin ? std::sqrt(nearestOther_[from]) - ownRoot : 0.0};
    int best = own;
    int bestIndex = start;
    bool tied = false;
    int second = std::numeric_limits<int>::max();
    auto boundOf = [&](int distance) {
        const double reach = ownRoot + std::sqrt(static_cast<double>(distance));
        return reach * reach * slack_;
    };
    double bound = kMargin ? std::numeric_limits<double>::infinity() : 4.0 * own * slack_;
    // The entries not looked at lie at least this far from the start.
    double unexamined = std::numeric_limits<double>::infinity();
    const std::size_t length = rowLength_[from];
    const std::size_t sorted = std::min(sortedNeighbours_, length);
    for (std::size_t k = 0; k < length; ++k) {
        if (k < sorted && keyDistance(row[k]) > bound) {
            unexamined = keyDistance(row[k]);
            break;
        }
        const int j = static_cast<int>(row[k] & kIndexMask);
        if (j == bestIndex)
            continue;
        const int dj = quantiserDistance(c, palette_[static_cast<std::size_t>(j)]);
        if (dj < best || (dj == best && j < bestIndex)) {
            tied = dj == best;
            second = best;
            best = dj;
            bestIndex = j;
            bound = boundOf(kMargin ? second : best);
        } else {
            tied = tied || dj == best;
            if (kMargin && dj < second) {
                second = dj;
                bound = boundOf(second);
            }
        }
    }
    if constexpr (!kMargin)
        return {bestIndex, best, tied, 0.0};
    return {bestIndex, best, tied,
            std::min(std::sqrt(static_cast<double>(second)), std::sqrt(unexamined) - ownRoot)};
}

} // namespace kpx::quantiser
