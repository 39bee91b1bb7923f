#pragma once
// ZT_UnderwaterFX: the finished slide seen through moving water. Embedded in
// the underwater slide (read there by fixed class), never a layer by itself.

#include <cstdint>

#include "effects/screen_effect.h"

namespace glimmer {

class ZT_UnderwaterFX : public ZT_FX_Constructor {
  GLIMMER_LAYER_KIND(ZT_UnderwaterFX, 1)

 public:
  // Effect 88 of the shared module, speed value 25.
  ZT_UnderwaterFX();
  // Amplitude, frequency, then the screen-effect part.
  void Serialize(Archive& ar, int32_t version) override;

  UINTSclaleTo<float> amplitude{50, 0.000125f, 0.0f};
  UINTSclaleTo<float> frequency{50, 0.002f, 0.001f};
};

class UnderwaterFX : public FxKind<ZT_UnderwaterFX> {
 public:
  using FxKind::FxKind;

 protected:
  // The slide draws it over the finished slide: always the effect quad.
  FxMode DrawMode() const override { return FxMode::Quad; }
  void SetParameters(ZT_ABRender& renderer) override;
};

}  // namespace glimmer
