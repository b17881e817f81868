#pragma once
// Tables and curves of the texture generators.

#include <array>

namespace kfm::noise {

// sin(i x 0.01) for i = 0..628, the texture generators' sine (filled once, on first use).
inline constexpr int kSineTableSize = 629;
const std::array<double, kSineTableSize>& SineTable();

// The ring profile: with t the fraction of p / 128 (0 <= t < 1, also for negative p), it rises
// smoothly (3u² - 2u³) from 0 to 255 over t < 0.83 and falls back over the remaining 0.17;
// truncated, 0..255.
int RingProfile(int position);

} // namespace kfm::noise
