#include "params/animated_params.h"

#include "params/random_source.h"

namespace glimmer {

void MediaSpeedParam::Advance(float t) {
  if (t < LastTime) LastTime = t;
  float d = t - LastTime;
  LastTime = t;
  if (d > kMaxClockStep) d = kMaxClockStep;
  StepTime = d * Scaled();
  LocalTime += StepTime;
}

void MediaSpeedParam::Restart() {
  StepTime = LocalTime = LastTime = 0.0f;
}

float RandomRange::RandomValue() const {
  const uint32_t lo = Min.Value(), hi = Max.Value();
  uint32_t v = lo;
  if (lo < hi) v = static_cast<uint32_t>(NextRandom()) % (hi - lo + 1) + lo;
  return static_cast<float>(v) * 0.01f;
}

int32_t PerSecondCounter::Count(float t) {
  const int32_t n = detail::TruncateToInt32(Scaled() * (t - LastCount));
  if (n != 0) LastCount = t;
  return n;
}

int32_t PerSecondCounterRnd::Count(float t) {
  const int64_t m = 2 * int64_t{detail::TruncateToInt32(Scaled() * (t - LastCount))};
  if (m != 0) LastCount = t;
  const int32_t r = NextRandom();
  // Uniform in 0..m; a negative m (time going back) counts nothing.
  return m > 0 ? static_cast<int32_t>(r % (m + 1)) : 0;
}

float QVX_JitterParam::Sample(float r) const {
  const float k = Spread.Scaled();
  return ((1.0f - k) * r + k) * Scaled();
}

}  // namespace glimmer
