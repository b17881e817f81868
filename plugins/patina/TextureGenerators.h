#pragma once
// The generators of the texture families. Each writes the canvas's noise grid and returns the
// seed in force; the base function is already in the work grid.

#include "NoiseCanvas.h"

namespace kfm::patina {

using kfm::noise::CNoiseCanvas;

// Family 1: layered cubic value noise repeating with periods 32 to 256, through the table
// T[i] = truncate(255 - p^max(i - cover, 0)·255).
int CloudGenerator(CNoiseCanvas& canvas, int seed, int cover, double sharpness);
// Family 2: octave noise crossed with sine stripes of frequency factor d0.
int StripeGenerator(CNoiseCanvas& canvas, int seed, int octaves, double d0, bool absolute);
// Family 3, variant 0: rings around the centre distorted by two noises.
int RingGenerator(CNoiseCanvas& canvas, int seed, int octaves, int ringFrequency,
                  bool squaredLength);
// Family 3, variant 1: the base function read at a position moved by two noises.
int DisplacedBaseGenerator(CNoiseCanvas& canvas, int seed, int octaves, int baseFunction, int zoom);
// Family 3, variant 2: vertical sine stripes, value truncate((sin(x'·0.03125) + 1)·100 + 55),
// read at x' = x + (A - 128)·amount / 4 with A an octave noise.
int NoisyStripesGenerator(CNoiseCanvas& canvas, int seed, int octaves, int amount,
                          bool squaredLength);
// Family 3, variant 3: sine rings around the centre, value truncate((sin(r'·0.0625) + 1)·100 +
// 55), read at the distance r' = r + (A - 128)·amount / 4 from the centre, A an octave noise.
int NoisyRingsGenerator(CNoiseCanvas& canvas, int seed, int octaves, int amount,
                        bool squaredLength);
// Family 3, variant 4: sine waves along the noise plus a fine second noise.
int WaveGenerator(CNoiseCanvas& canvas, int seed, int octaves, int waveFrequency);
// Family 0, variant 5: octave noise doubled in size and read at an offset of B / 256 of the size.
int DisplacedNoiseGenerator(CNoiseCanvas& canvas, int seed, int frequency, int octaves);
// Family 0, variant 9: 4 x 4 random cells doubled with cubic steps, each level perturbed with
// half the amplitude of the one before, repeated over the canvas.
int BlockNoiseGenerator(CNoiseCanvas& canvas, int seed);

} // namespace kfm::patina
