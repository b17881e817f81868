#include "Random.h"

#include <ctime>

namespace kfm::noise {

namespace {

std::uint32_t randomState = 1;

std::int64_t systemClock() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

NoiseClock noiseClock = systemClock;

} // namespace

void SeedRandom(std::uint32_t state) {
    randomState = state;
}

int NextRandom() {
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7FFF);
}

void SetNoiseClock(NoiseClock clock) {
    noiseClock = clock ? clock : systemClock;
}

int ClockSeed() {
    // A clock before 1970 still gives a seed in 1..32767.
    const auto seed = static_cast<int>((noiseClock() % 32767 + 32767) % 32767);
    return seed == 0 ? 32767 : seed;
}

int SeedNoise(int seed) {
    if (seed == -1)
        return -1;
    if (seed == 0)
        seed = ClockSeed();
    SeedRandom(static_cast<std::uint32_t>(seed));
    return seed;
}

} // namespace kfm::noise
