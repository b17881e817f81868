#pragma once
// The plug-ins' random generator and seed rule. The generator state is one 32-bit word of this
// library; each plug-in links its own copy of the library (with hidden symbols), so each has its
// own word. Everything drawn from it is reproducible from a seed.

#include <cstdint>

namespace kfm::noise {

// Sets the generator state.
void SeedRandom(std::uint32_t state);
// state = state x 214013 + 2531011 (modulo 2^32); the result is bits 16..30 of it, 0..32767.
int NextRandom();

// The calendar time in seconds; tests put a fixed clock in its place.
using NoiseClock = std::int64_t (*)();
// Makes the seed rule read this clock; null restores the system clock.
void SetNoiseClock(NoiseClock clock);

// The seed a clock seed stands for: the clock's seconds modulo 32767, and 32767 in place of 0
// (0 asks for a new seed, so a seed of 0 could never be reproduced).
int ClockSeed();

// The seed rule: -1 leaves the generator running where it stands and returns -1; 0 seeds with
// ClockSeed() and returns it; any other value seeds with itself and is returned unchanged.
int SeedNoise(int seed);

} // namespace kfm::noise
