#pragma once
// The markers of the colour ramp and the 256 colours computed from them: 2 to 64 markers with
// positions 0..255 (the first at 0, the last at 255) and colours 0x00BBGGRR; each ramp entry
// lies on the straight run between the two markers around it. The gradient control edits it;
// preset files store it.

#include "LittleEndian.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace kfm::patina {

inline constexpr int kMinMarkers = 2;
inline constexpr int kMaxMarkers = 64;

struct GradientMarker {
    std::int32_t position = 0;
    std::uint32_t colour = 0;
    bool operator==(const GradientMarker&) const = default;
};

class GradientRamp {
public:
    // Black to white (SetGradient(black, white, -1)).
    GradientRamp();

    // Two markers (three with t > 0) spread evenly, coloured c1 and c2 at the ends and c3 at
    // position truncate(t·255) in the middle; the ramp is filled directly: with t = -1 one run
    // from c1 to c2 over the 256 entries, otherwise a run from c1 to c3 over truncate(t·256)
    // entries and from c3 to c2 over the rest. Each entry is the running value after its step,
    // so entry 0 is one step above c1 and entry 255 is c2. A t that is not a number counts as -1.
    void SetGradient(std::uint32_t c1, std::uint32_t c2, std::uint32_t c3, float t);

    // Recomputes the ramp from the markers: positions outside 0..255 are mended (the first
    // clamped, a later one placed after the one before), then each pair of neighbours at p < q
    // fills entries p..q, per channel, with steps of (colour[i+1] - colour[i]) / (q - p + 1), so
    // entry q is the right marker's colour.
    void UpdateRamp();

    const std::vector<GradientMarker>& Markers() const { return markers_; }
    const std::array<std::uint32_t, 256>& Ramp() const { return ramp_; }

    // Inserts a marker before the first whose position is not smaller; false (nothing changed)
    // when there are 64 already. Returns the new marker's index.
    std::optional<int> InsertMarker(int position, std::uint32_t colour);
    // Deletes an inner marker; false for the first, the last or an index out of range.
    bool DeleteMarker(int index);
    // Recolours a marker; false for an index out of range.
    bool SetMarkerColour(int index, std::uint32_t colour);
    // Moves an inner marker, keeping it between its neighbours; false for the ends.
    bool MoveMarker(int index, int position);

    // Writes version 3, the count and each marker's position and colour.
    void Store(LittleEndianWriter& out) const;
    // Reads versions 1 to 3: the count (8 for version 1 and below), then each marker's
    // position and colour, and below version 3 one more word per marker, a marker whose word is
    // 0 being dropped. Refused (false, nothing changed) when the data ends early, when the
    // count is not 2..64, or when the kept markers are not 2..64 with positions 0..255 that
    // never fall.
    bool Load(LittleEndianReader& in);

    // 2..64 markers with positions 0..255 that never fall.
    static bool ValidMarkers(const std::vector<GradientMarker>& markers);

private:
    std::vector<GradientMarker> markers_;
    std::array<std::uint32_t, 256> ramp_{};
};

} // namespace kfm::patina
