#pragma once
// The one pseudo-random sequence of the whole player. Every random decision
// draws from it, in the order the drawing code states, so a show plays the
// same way on every start. Never seeded from the clock.

#include <cstdint>

namespace glimmer {

// Next integer in 0..32767: state = state × 214013 + 2531011, result =
// (state >> 16) & 0x7FFF. The state starts at 1.
int32_t NextRandom();
void SeedRandom(uint32_t seed);
uint32_t RandomState();

// r / 32767 in single precision.
float RandomUnit();
// r / 32767 × (b − a) + a.
float RandomUniform(float a, float b);
// r mod (hi − lo + 1) + lo.
int32_t RandomInt(int32_t lo, int32_t hi);

}  // namespace glimmer
