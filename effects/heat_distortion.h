#pragma once
// ZT_HeatDistortion: the picture shimmers as over hot air, through a bump
// map scrolled by a ripple clock of its own.

#include <cstdint>

#include "effects/screen_effect.h"

namespace glimmer {

class ZT_HeatDistortion : public ZT_FX_Constructor {
  GLIMMER_LAYER_KIND(ZT_HeatDistortion)

 public:
  ZT_HeatDistortion();
  // Ripple speed, strength, bump scale, then the screen-effect part.
  void Serialize(Archive& ar, int32_t version) override;

  MediaSpeedParam rippleSpeed{50, 0.001f, 0.0f};
  UINTSclaleTo<float> strength{50, 0.002f, 0.0f};
  UINTSclaleTo<float> bumpScale{50, -0.009f, 1.0f};  // 0 gives 1.0, 100 gives 0.1
};

class HeatDistortion : public FxKind<ZT_HeatDistortion> {
 public:
  using FxKind::FxKind;
  float RippleTime() const { return rippleTime_; }
  void Restart() override;

 protected:
  void Prepare() override;
  void AdvanceFx(float t) override;
  void SetParameters(ZT_ABRender& renderer) override;

 private:
  TexturePtr bump_;
  float rippleTime_ = 0, ripplePrevious_ = 0;
};

}  // namespace glimmer
