#include "PaletteRefinement.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace kpx::quantiser {

namespace {

// Pictures of more colours than this are refined over cells of 4 x 4 x 4 colour values, which
// costs little precision and much time; a few rounds over the exact colours follow.
constexpr std::size_t kGroupColoursAbove = 100000;
constexpr int kCellBits = 6;
constexpr std::size_t kCells = std::size_t{1} << (3 * kCellBits);
// Rounds before the first move of entries, and after each move; the exact rounds that follow
// grouped ones.
constexpr int kFirstRounds = 6;
constexpr int kRoundsAfterMove = 3;
constexpr int kExactRounds = 3;
// A run of rounds ends early once no more than one member in this many changes its entry.
constexpr std::size_t kSettledShare = 1000;
// Moves of entries: at most this many; the first may move a quarter of the free entries, and a
// move that does not lower the error halves how many the next may move.
constexpr int kMoves = 12;
constexpr int kFirstMoveShare = 4;
// A cluster cut in two along its main axis loses about this share of its variance along that
// axis (2 / pi for a normal distribution), and the two halves' means lie about this many
// standard deviations from the cluster's mean.
constexpr double kSplitGain = 0.6;
constexpr double kSplitOffset = 0.8;
// A cluster whose variance along its main axis is below this is one colour.
constexpr double kSmallestSpread = 0.5;
// The assignments' searches keep this many of each entry's neighbours in order.
constexpr std::size_t kSortedNeighbours = 64;
// The entries an entry's members could join when it is given up: its nearest few.
constexpr int kReleasePartners = 16;

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// A colour, or a cell of close colours, taking part in the refinement: its weight, the weighted
// sums of its channels, its mean, the entry it belongs to, and bounds on the square roots of
// the distances to that entry (at most) and to every other entry (at least). While the entries
// move less than the gap between the bounds, the member keeps its entry without a search.
struct Member {
    double weight = 0;
    std::array<double, 3> sum{};
    Rgb mean;
    int entry = 0;
    double near = 0;
    double others = 0;
};

Member memberOf(std::uint64_t weight, std::uint64_t r, std::uint64_t g, std::uint64_t b,
                int entry) {
    const std::uint64_t half = weight / 2;
    Member m;
    m.weight = static_cast<double>(weight);
    m.sum = {static_cast<double>(r), static_cast<double>(g), static_cast<double>(b)};
    m.mean = {static_cast<int>((r + half) / weight), static_cast<int>((g + half) / weight),
              static_cast<int>((b + half) / weight)};
    m.entry = entry;
    return m;
}

std::vector<Member> exactMembers(std::span<const Colour> colours, std::span<const int> entryOf) {
    std::vector<Member> members;
    members.reserve(colours.size());
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const Colour& c = colours[i];
        const std::uint64_t n = c.count;
        members.push_back(memberOf(n, n * c.r, n * c.g, n * c.b, entryOf[i]));
    }
    return members;
}

std::size_t cellOf(const Colour& c) {
    constexpr int kShift = 8 - kCellBits;
    return (std::size_t{c.r} >> kShift << (2 * kCellBits)) |
           (std::size_t{c.g} >> kShift << kCellBits) | (std::size_t{c.b} >> kShift);
}

// The colours gathered into cells; cellMember receives each cell's member. A cell's member
// starts in the entry of the cell's first colour.
std::vector<Member> cellMembers(std::span<const Colour> colours, std::span<const int> entryOf,
                                std::vector<int>& cellMember) {
    struct Sums {
        std::uint64_t weight = 0, r = 0, g = 0, b = 0;
        int entry = 0;
    };
    std::vector<Sums> sums;
    cellMember.assign(kCells, -1);
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const Colour& c = colours[i];
        int& slot = cellMember[cellOf(c)];
        if (slot < 0) {
            slot = static_cast<int>(sums.size());
            sums.push_back({0, 0, 0, 0, entryOf[i]});
        }
        Sums& s = sums[static_cast<std::size_t>(slot)];
        s.weight += c.count;
        s.r += std::uint64_t{c.count} * c.r;
        s.g += std::uint64_t{c.count} * c.g;
        s.b += std::uint64_t{c.count} * c.b;
    }
    std::vector<Member> members;
    members.reserve(sums.size());
    for (const Sums& s : sums)
        members.push_back(memberOf(s.weight, s.r, s.g, s.b, s.entry));
    return members;
}

// What the members nearest to one entry add up to.
struct EntryStats {
    double weight = 0;
    std::array<double, 3> sum{};

    void add(const Member& m) {
        weight += m.weight;
        sum[0] += m.sum[0];
        sum[1] += m.sum[1];
        sum[2] += m.sum[2];
    }
    std::array<double, 3> mean() const {
        return {sum[0] / weight, sum[1] / weight, sum[2] / weight};
    }
};

int squaredDifference(const Rgb& a, const Rgb& b) {
    const int dr = a.r - b.r;
    const int dg = a.g - b.g;
    const int db = a.b - b.b;
    return dr * dr + dg * dg + db * db;
}

Rgb roundedColour(const std::array<double, 3>& v) {
    auto channel = [](double x) {
        return static_cast<int>(std::clamp(std::floor(x + 0.5), 0.0, 255.0));
    };
    return {channel(v[0]), channel(v[1]), channel(v[2])};
}

// The main axis of a cluster (unit vector) and its variance along it, from the cluster's
// covariance, by power iteration from the axis of the largest variance.
struct Spread {
    std::array<double, 3> axis{};
    double variance = 0;
};

Spread mainSpread(const std::array<std::array<double, 3>, 3>& c) {
    std::size_t start = 0;
    for (std::size_t k = 1; k < 3; ++k)
        if (c[k][k] > c[start][start])
            start = k;
    std::array<double, 3> v{};
    v[start] = 1;
    double length = 0;
    for (int step = 0; step < 12; ++step) {
        std::array<double, 3> next{};
        for (std::size_t i = 0; i < 3; ++i)
            for (std::size_t j = 0; j < 3; ++j)
                next[i] += c[i][j] * v[j];
        length = std::sqrt(next[0] * next[0] + next[1] * next[1] + next[2] * next[2]);
        if (!(length > 0))
            return {};
        for (double& x : next)
            x /= length;
        v = next;
    }
    return {v, length};
}

// The covariance of each entry's members, for the given assignment.
std::vector<std::array<std::array<double, 3>, 3>>
covariances(const std::vector<Member>& members, const std::vector<int>& entries,
            const std::vector<EntryStats>& stats) {
    std::vector<std::array<double, 6>> squares(stats.size());
    for (std::size_t i = 0; i < members.size(); ++i) {
        const Member& m = members[i];
        const double w = m.weight;
        const double r = m.mean.r;
        const double g = m.mean.g;
        const double b = m.mean.b;
        auto& s = squares[static_cast<std::size_t>(entries[i])];
        s[0] += w * r * r;
        s[1] += w * g * g;
        s[2] += w * b * b;
        s[3] += w * r * g;
        s[4] += w * r * b;
        s[5] += w * g * b;
    }
    std::vector<std::array<std::array<double, 3>, 3>> result(stats.size());
    for (std::size_t e = 0; e < stats.size(); ++e) {
        if (stats[e].weight <= 0)
            continue;
        const auto m = stats[e].mean();
        const auto& s = squares[e];
        const double w = stats[e].weight;
        const double rg = s[3] / w - m[0] * m[1];
        const double rb = s[4] / w - m[0] * m[2];
        const double gb = s[5] / w - m[1] * m[2];
        result[e] = {{{s[0] / w - m[0] * m[0], rg, rb},
                      {rg, s[1] / w - m[1] * m[1], gb},
                      {rb, gb, s[2] / w - m[2] * m[2]}}};
    }
    return result;
}

// A palette with its error over the members and the assignment that gave it.
struct Snapshot {
    double error = kInfinity;
    std::vector<Rgb> colours;
    std::vector<EntryStats> stats;
    std::vector<int> entries; // per member
};

class Refinement {
public:
    explicit Refinement(const std::vector<RefinedEntry>& entries) : entries_(entries) {
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (entries[i].reserved)
                reserved_ = static_cast<int>(i);
    }

    const Snapshot& best() const { return best_; }

    // A new set of members: the error and the members' last assignment no longer count.
    void startOver() {
        best_ = Snapshot{kInfinity, best_.colours, {}, {}};
        lastColours_.clear();
    }

    // Rounds of: every member to its nearest entry, every free entry to the mean of its
    // members; at most `rounds`, fewer once the members settle.
    void settle(std::vector<Member>& members, std::vector<Rgb> colours, int rounds) {
        for (int round = 0; round < rounds; ++round) {
            std::vector<EntryStats> stats;
            std::size_t moved = 0;
            const double error = assign(members, colours, stats, moved);
            if (error < best_.error)
                keep(members, error, colours, stats);
            if (round > 0 && moved * kSettledShare <= members.size())
                break;
            colours = centroids(colours, stats);
        }
    }

    // Moves up to `most` entries from where they cost least to give up into the clusters whose
    // error is largest, then settles. True when the error fell.
    bool moveEntries(std::vector<Member>& members, int most) {
        std::vector<Rgb> colours = centroids(best_.colours, best_.stats);
        if (!plan(members, colours, most))
            return false;
        const double before = best_.error;
        settle(members, std::move(colours), kRoundsAfterMove);
        return best_.error < before;
    }

    // Every colour to its nearest entry of the best palette, exactly; tied[i] says whether
    // another entry lies as near to colour i.
    void assignExactly(std::span<const Colour> colours, std::span<int> entryOf,
                       std::vector<bool>& tied) const {
        const PaletteSearch search(best_.colours, reserved_);
        tied.assign(colours.size(), false);
        if (!search.usable())
            return;
        for (std::size_t i = 0; i < colours.size(); ++i) {
            const NearestEntry found = search.nearest(colours[i].rgb(), entryOf[i]);
            entryOf[i] = found.index;
            tied[i] = found.tied;
        }
    }

private:
    bool movable(std::size_t i) const { return !entries_[i].fixed && !entries_[i].reserved; }

    void keep(const std::vector<Member>& members, double error, const std::vector<Rgb>& colours,
              const std::vector<EntryStats>& stats) {
        best_.error = error;
        best_.colours = colours;
        best_.stats = stats;
        best_.entries.resize(members.size());
        for (std::size_t i = 0; i < members.size(); ++i)
            best_.entries[i] = members[i].entry;
    }

    // How far each entry moved since the last assignment and how far the entries moved that
    // its members could now be nearer to (square roots of distances). A member lies within
    // reach (its entry's farthest member plus the entry's move) of its entry; an entry more
    // than three reaches from its entry lies two reaches from the member and is not nearer.
    struct Moves {
        std::vector<double> own;
        std::vector<double> around;
        std::vector<double> reach;
    };

    Moves movesSinceLastAssignment(const std::vector<Rgb>& colours,
                                   const PaletteSearch& search) const {
        const std::size_t n = colours.size();
        Moves moves{std::vector<double>(n, 0.0), std::vector<double>(n, 0.0),
                    std::vector<double>(n, 0.0)};
        std::vector<std::size_t> moved;
        for (std::size_t j = 0; j < n; ++j)
            if (!(colours[j] == lastColours_[j])) {
                moves.own[j] =
                    std::sqrt(static_cast<double>(quantiserDistance(colours[j], lastColours_[j])));
                if (static_cast<int>(j) != reserved_)
                    moved.push_back(j);
            }
        for (std::size_t a = 0; a < n; ++a) {
            moves.reach[a] = lastReach_[a] + moves.own[a];
            const double relevant = 9.0 * moves.reach[a] * moves.reach[a];
            for (const std::size_t j : moved)
                if (j != a && moves.own[j] > moves.around[a] &&
                    search.distance(static_cast<int>(a), static_cast<int>(j)) < relevant)
                    moves.around[a] = moves.own[j];
        }
        return moves;
    }

    double assign(std::vector<Member>& members, const std::vector<Rgb>& colours,
                  std::vector<EntryStats>& stats, std::size_t& moved) {
        if (search_)
            search_->recolour(colours);
        else
            search_.emplace(colours, reserved_, 1.0, kSortedNeighbours);
        const PaletteSearch& search = *search_;
        stats.assign(colours.size(), EntryStats{});
        if (!search.usable())
            return kInfinity;
        const bool bounded = lastColours_.size() == colours.size();
        const Moves moves = bounded ? movesSinceLastAssignment(colours, search) : Moves{};
        std::vector<double> reach(colours.size(), 0.0);
        double error = 0;
        for (Member& m : members) {
            const auto from = static_cast<std::size_t>(m.entry);
            bool kept = false;
            if (bounded) {
                m.near += moves.own[from];
                m.others = std::min(m.others - moves.around[from], 2.0 * moves.reach[from]);
                kept = m.near < m.others;
                if (!kept) {
                    m.near =
                        std::sqrt(static_cast<double>(quantiserDistance(m.mean, colours[from])));
                    kept = m.near < m.others;
                }
            }
            if (!kept) {
                const NearestEntry found = search.nearestWithMargin(m.mean, m.entry);
                moved += found.index != m.entry;
                m.entry = found.index;
                m.near = std::sqrt(static_cast<double>(found.distance));
                m.others = found.othersRoot;
            }
            const auto at = static_cast<std::size_t>(m.entry);
            reach[at] = std::max(reach[at], m.near);
            stats[at].add(m);
            error += m.weight * squaredDifference(m.mean, colours[at]);
        }
        lastColours_ = colours;
        lastReach_ = std::move(reach);
        return error;
    }

    std::vector<Rgb> centroids(std::vector<Rgb> colours,
                               const std::vector<EntryStats>& stats) const {
        for (std::size_t i = 0; i < colours.size() && i < stats.size(); ++i)
            if (movable(i) && stats[i].weight > 0)
                colours[i] = roundedColour(stats[i].mean());
        return colours;
    }

    // Where a cluster's members go when its entry is given up, and what that adds to the error:
    // the increase when the cluster merges with that of one of the nearest entries (or joins a
    // fixed entry). An entry without members costs nothing.
    struct Release {
        double cost = 0;
        std::size_t entry = 0;
        std::size_t partner = 0;
    };

    Release releaseOf(std::size_t i, const std::vector<Rgb>& colours,
                      const PaletteSearch& search) const {
        const EntryStats& s = best_.stats[i];
        Release release{0, i, i};
        if (s.weight <= 0)
            return release;
        release.cost = kInfinity;
        const auto m = s.mean();
        const int count = std::min(search.neighbourCount(static_cast<int>(i)), kReleasePartners);
        for (int k = 0; k < count; ++k) {
            const auto j = static_cast<std::size_t>(search.neighbour(static_cast<int>(i), k));
            if (j == i || static_cast<int>(j) == reserved_)
                continue;
            const EntryStats& o = best_.stats[j];
            std::array<double, 3> n{};
            double share = s.weight;
            if (movable(j)) {
                if (o.weight <= 0)
                    continue;
                n = o.mean();
                share = s.weight * o.weight / (s.weight + o.weight);
            } else {
                n = {double(colours[j].r), double(colours[j].g), double(colours[j].b)};
            }
            const double dr = m[0] - n[0];
            const double dg = m[1] - n[1];
            const double db = m[2] - n[2];
            const double cost = share * (dr * dr + dg * dg + db * db);
            if (cost < release.cost)
                release = {cost, i, j};
        }
        return release;
    }

    // Plans the moves into colours (the centroids of the best palette); the number of entries
    // moved.
    int plan(const std::vector<Member>& members, std::vector<Rgb>& colours, int most) {
        struct Split {
            double gain;
            std::size_t entry;
            Spread spread;
        };
        search_->recolour(colours);
        const auto covariance = covariances(members, best_.entries, best_.stats);
        std::vector<Release> releases;
        std::vector<Split> splits;
        for (std::size_t i = 0; i < colours.size(); ++i) {
            if (!movable(i))
                continue;
            releases.push_back(releaseOf(i, colours, *search_));
            const EntryStats& s = best_.stats[i];
            if (s.weight <= 0)
                continue;
            const Spread spread = mainSpread(covariance[i]);
            if (spread.variance >= kSmallestSpread)
                splits.push_back({kSplitGain * spread.variance * s.weight, i, spread});
        }
        std::sort(releases.begin(), releases.end(),
                  [](const Release& a, const Release& b) { return a.cost < b.cost; });
        std::sort(splits.begin(), splits.end(),
                  [](const Split& a, const Split& b) { return a.gain > b.gain; });
        std::vector<bool> taken(colours.size(), false);
        int moves = 0;
        std::size_t r = 0;
        for (const Split& split : splits) {
            if (moves >= most)
                break;
            if (taken[split.entry])
                continue;
            while (r < releases.size() &&
                   (taken[releases[r].entry] || releases[r].entry == split.entry))
                ++r;
            if (r == releases.size() || releases[r].cost >= split.gain)
                break;
            const Release& release = releases[r++];
            const auto m = best_.stats[split.entry].mean();
            const double offset = kSplitOffset * std::sqrt(split.spread.variance);
            const auto& v = split.spread.axis;
            const Rgb up =
                roundedColour({m[0] + offset * v[0], m[1] + offset * v[1], m[2] + offset * v[2]});
            const Rgb down =
                roundedColour({m[0] - offset * v[0], m[1] - offset * v[1], m[2] - offset * v[2]});
            if (up == down)
                continue;
            colours[release.entry] = up;
            colours[split.entry] = down;
            // The entry that takes over the released one's members stays where it is.
            taken[release.entry] = taken[split.entry] = taken[release.partner] = true;
            ++moves;
        }
        return moves;
    }

    const std::vector<RefinedEntry>& entries_;
    int reserved_ = -1;
    Snapshot best_;
    // The palette of the last assignment and the farthest member of each entry.
    std::vector<Rgb> lastColours_;
    std::vector<double> lastReach_;
    // The search of the assignments, kept so that its neighbour lists follow the entries.
    std::optional<PaletteSearch> search_;
};

} // namespace

void refinePalette(std::span<const Colour> colours, std::span<int> entryOf,
                   std::vector<RefinedEntry>& palette, std::vector<bool>& tied) {
    tied.assign(colours.size(), false);
    if (colours.empty() || palette.empty())
        return;
    std::vector<Rgb> start;
    for (const RefinedEntry& e : palette)
        start.push_back(e.colour);
    const auto movable = std::count_if(palette.begin(), palette.end(), [](const RefinedEntry& e) {
        return !e.fixed && !e.reserved;
    });

    Refinement refinement(palette);
    const bool grouped = colours.size() > kGroupColoursAbove;
    std::vector<int> cellMember;
    std::vector<Member> members =
        grouped ? cellMembers(colours, entryOf, cellMember) : exactMembers(colours, entryOf);
    refinement.settle(members, start, kFirstRounds);
    int most = std::max(1, static_cast<int>(movable) / kFirstMoveShare);
    for (int move = 0; move < kMoves && most > 0; ++move)
        if (!refinement.moveEntries(members, most))
            most /= 2;
    if (grouped) {
        // The exact colours start in the best entry of their cell.
        const std::vector<int>& cellEntry = refinement.best().entries;
        for (std::size_t i = 0; i < colours.size(); ++i)
            entryOf[i] = cellEntry[static_cast<std::size_t>(cellMember[cellOf(colours[i])])];
        std::vector<Member> exact = exactMembers(colours, entryOf);
        refinement.startOver();
        refinement.settle(exact, refinement.best().colours, kExactRounds);
        for (std::size_t i = 0; i < colours.size(); ++i)
            entryOf[i] = refinement.best().entries[i];
    }
    refinement.assignExactly(colours, entryOf, tied);
    for (std::size_t i = 0; i < palette.size(); ++i)
        if (!palette[i].fixed && !palette[i].reserved)
            palette[i].colour = refinement.best().colours[i];
}

} // namespace kpx::quantiser
