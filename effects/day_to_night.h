#pragma once
// ZT_DayToNight: the picture darkens, cools and loses colour as the layer
// fades in: day turning to night.

#include <cstdint>

#include "effects/screen_effect.h"
#include "params/colour_params.h"

namespace glimmer {

class ZT_DayToNight : public ZT_FX_Constructor {
  GLIMMER_LAYER_KIND(ZT_DayToNight)

 public:
  ZT_DayToNight();
  // The multiplied colour, the soft-light colour (hue, saturation and
  // brightness, three uint32), the desaturation; then the screen-effect part.
  void Serialize(Archive& ar, int32_t version) override;

  SmartCOLORREF colour{0x806040};
  SmartColorHSB softLight;
  UINTSclaleTo<float> desaturation{60, 0.01f, 0.0f};
};

class DayToNight : public FxKind<ZT_DayToNight> {
 public:
  using FxKind::FxKind;

 protected:
  void SetParameters(ZT_ABRender& renderer) override;
};

}  // namespace glimmer
