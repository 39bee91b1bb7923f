#pragma once
// Scaled sliders: a stored unsigned value whose derived value is
// T(float(value) × Scale + Offset). Scale and offset are set in code by the
// owner, never stored.

#include <cmath>
#include <cstdint>

#include "params/media_param.h"

namespace glimmer {

namespace detail {
// float → int32 truncation as the x86 conversion does it: out-of-range and
// NaN give 0x80000000.
inline int32_t TruncateToInt32(float f) {
  if (!(f >= -2147483648.0f && f < 2147483648.0f)) return INT32_MIN;
  return static_cast<int32_t>(f);
}
}  // namespace detail

template <class T>
class UINTSclaleTo : public MediaParamT<uint32_t> {
 public:
  UINTSclaleTo() { Recompute(); }
  UINTSclaleTo(uint32_t value, float scale, float offset) : scale_(scale), offset_(offset) {
    StoreValue(value);
  }
  UINTSclaleTo(const UINTSclaleTo& o)
      : MediaParamT<uint32_t>(o), scaled_(o.scaled_), scale_(o.scale_), offset_(o.offset_) {}
  UINTSclaleTo& operator=(const UINTSclaleTo& o) {
    scale_ = o.scale_;
    offset_ = o.offset_;
    Recompute();
    MediaParamT<uint32_t>::operator=(o);
    return *this;
  }

  T Scaled() const { return scaled_; }
  float Scale() const { return scale_; }
  float Offset() const { return offset_; }
  // Stores both and recomputes the derived value without notifying.
  void SetScale(float scale, float offset) {
    scale_ = scale;
    offset_ = offset;
    Recompute();
  }

 protected:
  void ValueStored() override { Recompute(); }

 private:
  void Recompute() {
    // The value converts exactly to double, rounds to single; then multiply
    // and add in single precision.
    const float f = static_cast<float>(static_cast<double>(Value()));
    const float r = f * scale_ + offset_;
    if constexpr (std::is_same_v<T, float>) {
      scaled_ = r;
    } else {
      scaled_ = static_cast<T>(static_cast<uint32_t>(detail::TruncateToInt32(r)) & 0xFFu);
    }
  }

  T scaled_{};
  float scale_ = 1.0f;
  float offset_ = 0.0f;
};

// A distinct class with the slider's behaviour.
template <class T>
class MediaFloat;
template <>
class MediaFloat<unsigned> : public UINTSclaleTo<float> {
 public:
  using UINTSclaleTo<float>::UINTSclaleTo;
};

// A stored float that steps by ±1.0.
class QVX_MediaFloat : public MediaParamT<float> {
 public:
  using MediaParamT<float>::MediaParamT;
  // Direction 0 adds 1.0, direction 1 subtracts 1.0; others do nothing.
  void StepValue(int direction, MediaControl* sender) override {
    if (direction != 0 && direction != 1) return;
    const float next = Value() + (direction == 0 ? 1.0f : -1.0f);
    if (next == Value()) return;
    StoreValue(next);
    NotifyControls(sender);
  }
};

}  // namespace glimmer
