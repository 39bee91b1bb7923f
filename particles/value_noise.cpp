#include "particles/value_noise.h"

#include <cmath>

#include "params/random_source.h"

namespace glimmer {

double LatticeNoise(int32_t x, int32_t y) {
  uint32_t n = static_cast<uint32_t>(x) + 57u * static_cast<uint32_t>(y);
  n = (n << 13) ^ n;
  const uint32_t m = (n * (n * n * 15731u + 789221u) + 1376312589u) & 0x7FFFFFFFu;
  return 1.0 - static_cast<double>(m) / 1073741824.0;
}

double SmoothedNoise(int32_t x, int32_t y) {
  // Neighbours wrap like the lattice itself.
  const auto N = [](int64_t a, int64_t b) {
    return LatticeNoise(static_cast<int32_t>(static_cast<uint32_t>(a)),
                        static_cast<int32_t>(static_cast<uint32_t>(b)));
  };
  const double corners = N(int64_t{x} - 1, int64_t{y} - 1) + N(int64_t{x} + 1, int64_t{y} - 1) +
                         N(int64_t{x} - 1, int64_t{y} + 1) + N(int64_t{x} + 1, int64_t{y} + 1);
  const double sides =
      N(int64_t{x} - 1, y) + N(int64_t{x} + 1, y) + N(x, int64_t{y} - 1) + N(x, int64_t{y} + 1);
  return corners / 16 + sides / 8 + N(x, y) / 4;
}

namespace {

double Smooth(double t) {
  return 3 * t * t - 2 * t * t * t;
}

// int() of a double as a 32-bit lattice coordinate; values beyond the
// lattice wrap instead of being undefined.
int32_t LatticeCoordinate(double u) {
  const double t = std::trunc(u);
  if (!std::isfinite(t)) return 0;
  return static_cast<int32_t>(
      static_cast<uint32_t>(static_cast<int64_t>(std::fmod(t, 4294967296.0))));
}

}  // namespace

double InterpolatedNoise(double u, double v) {
  const int32_t iu = LatticeCoordinate(u), iv = LatticeCoordinate(v);
  const double hu = Smooth(u - std::trunc(u)), hv = Smooth(v - std::trunc(v));
  // The lattice values around the cell, once each: columns iu − 1 … iu + 2
  // (the last only when u lies inside the cell), rows iv − 1 … iv + 2.
  const int columns = hu != 0 ? 4 : 3;
  double n[4][4];
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < columns; ++c) {
      n[r][c] = LatticeNoise(static_cast<int32_t>(static_cast<uint32_t>(iu) + uint32_t(c) - 1u),
                             static_cast<int32_t>(static_cast<uint32_t>(iv) + uint32_t(r) - 1u));
    }
  }
  // SmoothedNoise at (iu + c, iv + r) from those values, summed in its order.
  const auto smoothed = [&n](int c, int r) {
    const double corners = n[r][c] + n[r][c + 2] + n[r + 2][c] + n[r + 2][c + 2];
    const double sides = n[r + 1][c] + n[r + 1][c + 2] + n[r][c + 1] + n[r + 2][c + 1];
    return corners / 16 + sides / 8 + n[r + 1][c + 1] / 4;
  };
  // At a whole u the second column has weight 0 and is left out.
  const double a = hu != 0 ? smoothed(0, 0) * (1 - hu) + smoothed(1, 0) * hu : smoothed(0, 0);
  const double b = hu != 0 ? smoothed(0, 1) * (1 - hu) + smoothed(1, 1) * hu : smoothed(0, 1);
  return a * (1 - hv) + b * hv;
}

int32_t ValueNoise::DrawSeed() {
  const int32_t s = NextRandom() % 32767;
  return s * s + 2;
}

double ValueNoise::Total(double tau) const {
  double total = 0, weight = 1, scale = 1;
  for (int32_t k = 0; k < octaves; ++k) {
    total += weight * InterpolatedNoise(seed, seed + tau * frequency * scale);
    weight *= persistence;
    scale *= 2;
  }
  return total;
}

}  // namespace glimmer
