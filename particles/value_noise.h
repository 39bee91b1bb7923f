#pragma once
// Octave value noise over a 2D integer lattice, walked along its second
// coordinate: the noise of the particles' noise waves.

#include <cstdint>

namespace glimmer {

// The lattice value N(x, y) in (−1, 1], in 32-bit unsigned arithmetic
// (wrapping, never overflowing a signed type).
double LatticeNoise(int32_t x, int32_t y);
// N smoothed over its 3 × 3 neighbourhood (corners / 16, sides / 8, centre / 4).
double SmoothedNoise(int32_t x, int32_t y);
// The smoothed lattice interpolated at (u, v) with the weight 3t² − 2t³,
// first along u, then along v.
double InterpolatedNoise(double u, double v);

struct ValueNoise {
  double persistence = 0.5;
  double frequency = 1.0;
  double amplitude = 1.0;
  int32_t octaves = 3;
  int32_t seed = 2;

  // A seed s² + 2 from one draw s = rand() mod 32767.
  static int32_t DrawSeed();
  // Σ persistence^k × InterpolatedNoise(seed, seed + τ × frequency × 2^k).
  double Total(double tau) const;
};

}  // namespace glimmer
