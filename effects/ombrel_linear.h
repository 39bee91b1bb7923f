#pragma once
// ZT_OmbrelLinear: straight ripples running across the picture in one
// direction, as over rippling water.

#include "effects/screen_effect.h"

namespace glimmer {

class ZT_OmbrelLinear : public ZT_DirectionBased {
  GLIMMER_LAYER_KIND(ZT_OmbrelLinear)

 public:
  ZT_OmbrelLinear();
  // Nothing of its own: the direction-based part.
  void Serialize(Archive& ar, int32_t version) override;
};

class OmbrelLinear : public FxKind<ZT_OmbrelLinear> {
 public:
  using FxKind::FxKind;

 protected:
  void SetParameters(ZT_ABRender& renderer) override;
};

}  // namespace glimmer
