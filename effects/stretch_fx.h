#pragma once
// ZT_StretchFX: the picture stretches away from the line (or along it),
// as if pulled, steadily or breathing with the clock.

#include <cstdint>

#include "effects/screen_effect.h"

namespace glimmer {

class ZT_StretchFX : public ZT_LineBased {
  GLIMMER_LAYER_KIND(ZT_StretchFX)

 public:
  ZT_StretchFX();
  // Axis, stretch, breathing; then the line-based part.
  void Serialize(Archive& ar, int32_t version) override;

  // 0: away from the line, across it; non-zero: along the line, away from
  // the cross line through the centre.
  MediaParamT<int32_t> axis;
  // The stretch: the picture grows 1 + u × 0.01 times (100: twice).
  UINTSclaleTo<float> stretch{50, 0.01f, 0.0f};
  // The share of the stretch that breathes with the clock, (sin t + 1) ÷ 2:
  // u × 0.01 (0 steady).
  UINTSclaleTo<float> breathing{50, 0.01f, 0.0f};
};

class StretchFX : public FxKind<ZT_StretchFX> {
 public:
  using FxKind::FxKind;

 protected:
  void SetParameters(ZT_ABRender& renderer) override;
};

}  // namespace glimmer
