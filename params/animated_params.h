#pragma once
// Parameters that turn a stored integer into something that depends on time
// or chance: speed factors with a local clock, durations, random ranges,
// counts per second and random spreads. All are scaled sliders.

#include <cstdint>

#include "params/media_param.h"
#include "params/scaled_slider.h"

namespace glimmer {

// Frames never advance a clock by more than this many seconds.
inline constexpr float kMaxClockStep = 0.2f;

// A speed factor and the local clock it drives.
class MediaSpeedParam : public UINTSclaleTo<float> {
 public:
  MediaSpeedParam() : UINTSclaleTo<float>(1, 1.0f, 0.0f) {}
  MediaSpeedParam(uint32_t value, float scale, float offset)
      : UINTSclaleTo<float>(value, scale, offset) {}

  // Steps to outer time t: an earlier t restarts the step from there; the
  // step is clamped to kMaxClockStep, then scaled by the factor.
  void Advance(float t);
  void Restart();

  float StepTime = 0.0f;
  float LocalTime = 0.0f;
  float LastTime = 0.0f;
};

// A duration stored in hundredths of a second; Seconds() is its value in s.
class TimeParam : public UINTSclaleTo<float> {
 public:
  explicit TimeParam(uint32_t hundredths = 0) : UINTSclaleTo<float>(hundredths, 0.01f, 0.0f) {}
  float Seconds() const { return Scaled(); }
};

// A range of hundredths; RandomValue draws within it.
struct RandomRange {
  RandomRange(uint32_t min = 100, uint32_t max = 100) : Min(min), Max(max) {}
  MediaParamT<uint32_t> Min;
  MediaParamT<uint32_t> Max;

  // (NextRandom mod (Max − Min + 1) + Min) × 0.01 when Min < Max, else
  // Min × 0.01 (no draw).
  float RandomValue() const;
};

// A rate in events per second; Count(t) says how many events are due.
class PerSecondCounter : public UINTSclaleTo<float> {
 public:
  using UINTSclaleTo<float>::UINTSclaleTo;
  PerSecondCounter() = default;
  virtual ~PerSecondCounter() = default;

  // The whole events due since the last non-empty count; the leftover part
  // of an event is dropped when a count is made.
  virtual int32_t Count(float t);
  void Restart() { LastCount = 0.0f; }

  float LastCount = 0.0f;
};

// Counts at random around the rate: uniform in 0..2n, one draw per call.
class PerSecondCounterRnd : public PerSecondCounter {
 public:
  using PerSecondCounter::PerSecondCounter;
  int32_t Count(float t) override;
};

// A spread in percent whose Scaled() is the kept fraction 1 − p/100.
class QVX_JitterMediaPrm : public UINTSclaleTo<float> {
 public:
  explicit QVX_JitterMediaPrm(uint32_t percent = 0) : UINTSclaleTo<float>(percent, -0.01f, 1.0f) {}
};

// A base value with a random spread.
class QVX_JitterParam : public UINTSclaleTo<float> {
 public:
  QVX_JitterParam() : UINTSclaleTo<float>(0, 1.0f, 0.0f) {}
  QVX_JitterParam(uint32_t value, float scale, float offset, uint32_t spread = 0)
      : UINTSclaleTo<float>(value, scale, offset), Spread(spread) {}

  // ((1 − K) × r + K) × B, for the caller's uniform r in [0, 1].
  float Sample(float r) const;

  QVX_JitterMediaPrm Spread;
};

}  // namespace glimmer
