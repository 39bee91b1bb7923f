#pragma once
// ZT_BendFX: the picture bends round the centre, as if twisted there: the
// twist is strongest at the centre and dies away at the radius, held or
// swaying back and forth.

#include <cstdint>

#include "effects/screen_effect.h"

namespace glimmer {

class ZT_BendFX : public ZT_CentralBased {
  GLIMMER_LAYER_KIND(ZT_BendFX)

 public:
  ZT_BendFX();
  // Angle, radius, sharpness; from version 2 the motion; then the
  // centre-based part.
  void Serialize(Archive& ar, int32_t version) override;

  // The twist at the centre: u × π ÷ 100 radians (100: half a turn).
  UINTSclaleTo<float> angle{40, 0.0314159265f, 0.0f};
  // Where the twist ends: u × 0.01 + 0.05 slide heights (0.05 to 1.05).
  UINTSclaleTo<float> radius{50, 0.01f, 0.05f};
  // How quickly the twist dies away from the centre: the exponent of the
  // falloff, u × 0.04 + 0.5 (0.5 to 4.5).
  UINTSclaleTo<float> sharpness{25, 0.04f, 0.5f};
  // The motion, a wave shape swaying the twist between −angle and +angle:
  // 2 triangle, 3 sine (version 1's, which stores none), 4 noise; any
  // other value holds it at the angle.
  MediaParamT<int32_t> motion{3};
};

class BendFX : public FxKind<ZT_BendFX> {
 public:
  using FxKind::FxKind;

 protected:
  void SetParameters(ZT_ABRender& renderer) override;
};

}  // namespace glimmer
