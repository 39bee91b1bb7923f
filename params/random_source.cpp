#include "params/random_source.h"

namespace glimmer {
namespace {
uint32_t g_state = 1;
}

int32_t NextRandom() {
  g_state = g_state * 214013u + 2531011u;
  return static_cast<int32_t>((g_state >> 16) & 0x7FFF);
}

void SeedRandom(uint32_t seed) {
  g_state = seed;
}
uint32_t RandomState() {
  return g_state;
}

float RandomUnit() {
  return static_cast<float>(NextRandom()) / 32767.0f;
}

float RandomUniform(float a, float b) {
  return static_cast<float>(NextRandom()) / 32767.0f * (b - a) + a;
}

int32_t RandomInt(int32_t lo, int32_t hi) {
  const int64_t span = int64_t{hi} - lo + 1;
  const int32_t r = NextRandom();
  return span > 0 ? static_cast<int32_t>(r % span + lo) : lo;
}

}  // namespace glimmer
