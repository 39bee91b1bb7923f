#pragma once
// ZT_PerspectiveFX: the picture tilts about the line like a board hinged
// there: one side leans away and shrinks towards a vanishing line, the
// other comes closer; held or swinging.

#include <cstdint>

#include "effects/screen_effect.h"

namespace glimmer {

class ZT_PerspectiveFX : public ZT_LineBased {
  GLIMMER_LAYER_KIND(ZT_PerspectiveFX)

 public:
  ZT_PerspectiveFX();
  // Tilt, shading; from version 2 the motion, from 3 the swing; then the
  // line-based part.
  void Serialize(Archive& ar, int32_t version) override;

  // The tilt: u × 0.02 per slide fraction from the hinge (50: the side
  // half a slide away is drawn from twice as far).
  UINTSclaleTo<float> tilt{40, 0.02f, 0.0f};
  // How much the side leaning away darkens: u × 0.01.
  UINTSclaleTo<float> shading{30, 0.01f, 0.0f};
  // The motion, a wave shape: 2 triangle, 3 sine, 4 noise; any other
  // value (and version 1, which stores none) holds the tilt.
  MediaParamT<int32_t> motion;
  // The share of the tilt that swings with the motion, u × 0.01: 100
  // swings from −tilt to +tilt. Versions 1 and 2 store none: 100.
  UINTSclaleTo<float> swing{100, 0.01f, 0.0f};
};

class PerspectiveFX : public FxKind<ZT_PerspectiveFX> {
 public:
  using FxKind::FxKind;

 protected:
  void SetParameters(ZT_ABRender& renderer) override;
};

}  // namespace glimmer
