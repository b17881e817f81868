#pragma once
// The colour distance of the histogram quantiser and the nearest-entry search over a palette
// that its refinement and its mapping pass share (namespace kpx::quantiser, whose colour types
// are the quantiser's own).

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace kpx::quantiser {

// The red-mean weighted colour distance of the quantiser, scaled by 32.
inline int quantiserDistance(int r1, int g1, int b1, int r2, int g2, int b2) {
    const int rbar = (r1 + r2) >> 1;
    const int dr = r1 - r2;
    const int dg = g1 - g2;
    const int db = b1 - b2;
    return (((512 + rbar) * dr * dr) >> 3) + 128 * dg * dg + (((767 - rbar) * db * db) >> 3);
}

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    int channel(int axis) const { return axis == 0 ? r : (axis == 1 ? g : b); }
    bool operator==(const Rgb&) const = default;
};

inline int quantiserDistance(const Rgb& a, const Rgb& b) {
    return quantiserDistance(a.r, a.g, a.b, b.r, b.g, b.b);
}

// One distinct colour of a picture and its pixel count.
struct Colour {
    std::uint8_t r;
    std::uint8_t g;
    std::uint8_t b;
    std::uint32_t count;
    int channel(int axis) const { return axis == 0 ? r : (axis == 1 ? g : b); }
    std::uint32_t key() const { return (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b; }
    Rgb rgb() const { return {r, g, b}; }
};

// What a search found: the nearest entry and its distance; whether another entry lies exactly
// as near; and, from nearestWithMargin, a lower bound on the square root of the distance of
// every other entry.
struct NearestEntry {
    int index = 0;
    int distance = 0;
    bool tied = false;
    double othersRoot = 0;
};

// Nearest-palette search: for every entry, the other entries by ascending distance from it (or
// only the nearest few in that order, and the rest after them; a search that runs past those
// checks the rest one by one). The distances between the entries are computed once (and again
// only for entries that change colour); each entry's list is made when a search first starts
// from it.
class PaletteSearch {
public:
    // Slack widens the search bound: 1.5 makes the search exact under the red-mean distance,
    // whose channel weights vary by at most half; 1.0 is near enough for refinement. The
    // excluded entry (-1 for none) is never an answer. At most 256 entries. sortedNeighbours
    // bounds how much of each list is kept in order: a list that changes often is cheaper to
    // keep up to date when only its head is.
    PaletteSearch(std::vector<Rgb> palette, int excluded, double slack = 1.5,
                  std::size_t sortedNeighbours = SIZE_MAX);
    PaletteSearch(const PaletteSearch&) = delete;
    PaletteSearch& operator=(const PaletteSearch&) = delete;

    // New colours for the same entries. The lists already made are brought up to date when next
    // used, which costs little when the entries moved a little.
    void recolour(const std::vector<Rgb>& palette);

    // The nearest entry to a colour, searching from entry start outwards. Equal distances keep
    // the lower index. The search stops once the next listed entry lies so far from the start
    // that it cannot be nearer than the best one found.
    NearestEntry nearest(const Rgb& c, int start) const;
    // The same search carried on until the second nearest entry is known as well, so that the
    // result bounds how much nearer the colour is to its entry than to any other (the
    // refinement keeps a colour's entry while the entries move less than that).
    NearestEntry nearestWithMargin(const Rgb& c, int start) const;

    // The distance between two entries.
    int distance(int i, int j) const {
        return distances_[static_cast<std::size_t>(i) * palette_.size() +
                          static_cast<std::size_t>(j)];
    }
    // The entries nearest to entry i in ascending order of distance, i itself among them: the
    // sorted head of its list, neighbourCount(i) of them.
    int neighbourCount(int i) const;
    int neighbour(int i, int k) const;

    const Rgb& colour(int index) const { return palette_[static_cast<std::size_t>(index)]; }
    int size() const { return static_cast<int>(palette_.size()); }
    bool usable() const { return firstUsable_ >= 0; }

private:
    static constexpr std::uint32_t kNoRow = UINT32_MAX;

    void computeDistances(std::size_t i);
    const std::uint32_t* row(std::size_t i) const;
    void buildRow(std::size_t i) const;
    void refreshRow(std::size_t i) const;
    template <bool kMargin> NearestEntry search(const Rgb& c, int start) const;

    std::vector<Rgb> palette_;
    int excluded_;
    double slack_;
    std::size_t sortedNeighbours_;
    std::vector<int> distances_; // size() x size()
    int firstUsable_ = -1;
    unsigned version_ = 0; // counts the recolourings
    // Per entry a row of size() keys (distance and index, see the source), the first
    // sortedNeighbours_ of them in ascending order, the rest not below them; an excluded entry's
    // row is empty. A row's
    // length is kNoRow until it is made; rowVersion_ says for which colours it was made.
    mutable std::vector<std::uint32_t> neighbours_;
    mutable std::vector<std::uint32_t> rowLength_;
    mutable std::vector<unsigned> rowVersion_;
    std::vector<unsigned> changedAt_; // per entry the version of its last new colour
    std::vector<std::pair<unsigned, std::uint32_t>> changes_; // (version, entry) in order
    mutable std::vector<std::uint8_t> positions_; // per row, where each entry's key lies
    mutable std::vector<double> nearestOther_;    // the distance of each row's second key
};

} // namespace kpx::quantiser
