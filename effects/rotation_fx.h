#pragma once
// ZT_RotationFX: the picture turns about the centre inside the mask.

#include <cstdint>

#include "effects/screen_effect.h"

namespace glimmer {

class ZT_RotationFX : public ZT_CentralBased {
  GLIMMER_LAYER_KIND(ZT_RotationFX)

 public:
  ZT_RotationFX();
  // Zoom, opacity, the turning sense; then the centre-based part. The
  // angle is the clock (speed u × 0.005 radians a second).
  void Serialize(Archive& ar, int32_t version) override;

  // The turning picture's size: u × 0.01 (100: as it is; below 5 counts as 5).
  UINTSclaleTo<float> zoom{100, 0.01f, 0.0f};
  // How much of the turning picture shows over the still one: u × 0.01.
  UINTSclaleTo<float> opacity{100, 0.01f, 0.0f};
  // 0: anticlockwise; non-zero: clockwise (the angle −fxTime).
  MediaParamT<int32_t> clockwise;
};

class RotationFX : public GridlessFxKind<ZT_RotationFX> {
 public:
  using GridlessFxKind::GridlessFxKind;
  float Angle() const { return angle_; }

 protected:
  void AdvanceFx(float t) override;
  void SetParameters(ZT_ABRender& renderer) override;

 private:
  float angle_ = 0;
};

}  // namespace glimmer
