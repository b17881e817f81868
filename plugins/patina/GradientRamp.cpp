#include "GradientRamp.h"

#include <algorithm>
#include <cmath>

namespace kfm::patina {

namespace {

constexpr int kStoredVersion = 3;
// The count of the oldest layout, which stores none.
constexpr int kFirstVersionCount = 8;

double channelOf(std::uint32_t colour, int shift) {
    return static_cast<double>((colour >> shift) & 255u);
}

// A value that should be a whole number may sit just below it after the running additions;
// the run's last entry must be the marker's own colour.
std::uint32_t channelValue(double value) {
    return static_cast<std::uint32_t>(std::clamp(std::floor(value + 1e-9), 0.0, 255.0));
}

// Fills count entries from `first` with the running values from c1 towards c2 in `steps` steps.
void fillRun(std::array<std::uint32_t, 256>& ramp, int first, int count, std::uint32_t c1,
             std::uint32_t c2, int steps) {
    double value[3];
    double step[3];
    for (int c = 0; c < 3; ++c) {
        value[c] = channelOf(c1, 8 * c);
        step[c] = (channelOf(c2, 8 * c) - value[c]) / steps;
    }
    for (int j = first; j < first + count && j < 256; ++j) {
        std::uint32_t colour = 0;
        for (int c = 0; c < 3; ++c) {
            value[c] += step[c];
            colour |= channelValue(value[c]) << (8 * c);
        }
        if (j >= 0)
            ramp[static_cast<std::size_t>(j)] = colour;
    }
}

} // namespace

GradientRamp::GradientRamp() {
    SetGradient(0x000000, 0xFFFFFF, 0x000000, -1.0f);
}

void GradientRamp::SetGradient(std::uint32_t c1, std::uint32_t c2, std::uint32_t c3, float t) {
    if (std::isnan(t))
        t = -1.0f;
    c1 &= 0xFFFFFFu;
    c2 &= 0xFFFFFFu;
    c3 &= 0xFFFFFFu;
    const int count = t > 0 ? 3 : 2;
    markers_.assign(static_cast<std::size_t>(count), GradientMarker{});
    for (int i = 0; i < count; ++i)
        markers_[static_cast<std::size_t>(i)].position = 255 * i / (count - 1);
    markers_.front().colour = c1;
    markers_.back().colour = c2;
    if (t > 0) {
        const int middle = std::clamp(
            static_cast<int>(std::trunc(std::min((count - 2) * t, 1.0f))) + 1, 1, count - 2);
        markers_[static_cast<std::size_t>(middle)].colour = c3;
        markers_[static_cast<std::size_t>(middle)].position =
            static_cast<int>(std::clamp(std::trunc(t * 255.0), 0.0, 255.0));
    }
    if (t == -1.0f) {
        fillRun(ramp_, 0, 256, c1, c2, 256);
        return;
    }
    const int first = static_cast<int>(std::clamp(std::trunc(t * 256.0), 0.0, 256.0));
    fillRun(ramp_, 0, first, c1, c3, std::max(first, 1));
    fillRun(ramp_, first, 256 - first, c3, c2, std::max(256 - first, 1));
}

void GradientRamp::UpdateRamp() {
    if (markers_.empty())
        return;
    markers_.front().position = std::clamp(markers_.front().position, 0, 255);
    for (std::size_t i = 1; i < markers_.size(); ++i) {
        std::int32_t& p = markers_[i].position;
        if (p < 0 || p > 255)
            p = std::clamp(markers_[i - 1].position + 1, 0, 255);
    }
    for (std::size_t i = 0; i + 1 < markers_.size(); ++i) {
        const int p = markers_[i].position;
        const int q = markers_[i + 1].position;
        if (q < p)
            continue;
        fillRun(ramp_, p, q - p + 1, markers_[i].colour, markers_[i + 1].colour, q - p + 1);
    }
}

std::optional<int> GradientRamp::InsertMarker(int position, std::uint32_t colour) {
    if (static_cast<int>(markers_.size()) >= kMaxMarkers)
        return std::nullopt;
    position = std::clamp(position, 0, 255);
    const auto at = std::find_if(markers_.begin(), markers_.end(),
                                 [position](const auto& m) { return m.position >= position; });
    const auto inserted = markers_.insert(at, GradientMarker{position, colour & 0xFFFFFFu});
    UpdateRamp();
    return static_cast<int>(inserted - markers_.begin());
}

bool GradientRamp::DeleteMarker(int index) {
    if (index <= 0 || index >= static_cast<int>(markers_.size()) - 1)
        return false;
    markers_.erase(markers_.begin() + index);
    UpdateRamp();
    return true;
}

bool GradientRamp::SetMarkerColour(int index, std::uint32_t colour) {
    if (index < 0 || index >= static_cast<int>(markers_.size()))
        return false;
    markers_[static_cast<std::size_t>(index)].colour = colour & 0xFFFFFFu;
    UpdateRamp();
    return true;
}

bool GradientRamp::MoveMarker(int index, int position) {
    if (index <= 0 || index >= static_cast<int>(markers_.size()) - 1)
        return false;
    const auto i = static_cast<std::size_t>(index);
    markers_[i].position = std::clamp(position, markers_[i - 1].position, markers_[i + 1].position);
    UpdateRamp();
    return true;
}

void GradientRamp::Store(LittleEndianWriter& out) const {
    out.u32(kStoredVersion);
    out.u32(static_cast<std::uint32_t>(markers_.size()));
    for (const GradientMarker& m : markers_) {
        out.u32(static_cast<std::uint32_t>(m.position));
        out.u32(m.colour);
    }
}

bool GradientRamp::Load(LittleEndianReader& in) {
    const auto version = static_cast<std::int32_t>(in.u32());
    const std::uint32_t count = version > 1 ? in.u32() : kFirstVersionCount;
    if (!in.ok() || count < kMinMarkers || count > kMaxMarkers)
        return false;
    std::vector<GradientMarker> markers;
    for (std::uint32_t i = 0; i < count; ++i) {
        GradientMarker m;
        m.position = static_cast<std::int32_t>(in.u32());
        m.colour = in.u32() & 0xFFFFFFu;
        const bool kept = version >= kStoredVersion || in.u32() != 0;
        if (kept)
            markers.push_back(m);
    }
    if (!in.ok() || !ValidMarkers(markers))
        return false;
    markers_ = std::move(markers);
    UpdateRamp();
    return true;
}

bool GradientRamp::ValidMarkers(const std::vector<GradientMarker>& markers) {
    if (markers.size() < kMinMarkers || markers.size() > kMaxMarkers)
        return false;
    std::int32_t previous = 0;
    for (const GradientMarker& m : markers) {
        if (m.position < previous || m.position > 255)
            return false;
        previous = m.position;
    }
    return true;
}

} // namespace kfm::patina
