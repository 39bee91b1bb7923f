#pragma once
// ZT_ExpandFX: the picture swells out from the centre like a lens being
// pushed towards the viewer, steadily or in waves.

#include <cstdint>

#include "effects/screen_effect.h"

namespace glimmer {

class ZT_ExpandFX : public ZT_CentralBased {
  GLIMMER_LAYER_KIND(ZT_ExpandFX)

 public:
  ZT_ExpandFX();
  // Amplitude, radius; from version 2 the motion; then the centre-based
  // part.
  void Serialize(Archive& ar, int32_t version) override;

  // The magnification at the centre: u × 0.006 (100: the middle drawn
  // from 40 % of its distance, 1.67 times larger).
  UINTSclaleTo<float> amplitude{50, 0.006f, 0.0f};
  // The swelling's radius: u × 0.01 + 0.05 slide heights (0.05 to 1.05).
  UINTSclaleTo<float> radius{40, 0.01f, 0.05f};
  // The motion, a wave shape: 2 triangle, 3 sine (version 1's, which
  // stores none), 4 noise, each from relaxed to fully swollen; any other
  // value holds the swelling steady.
  MediaParamT<int32_t> motion{3};
};

class ExpandFX : public GridlessFxKind<ZT_ExpandFX> {
 public:
  using GridlessFxKind::GridlessFxKind;

 protected:
  void SetParameters(ZT_ABRender& renderer) override;
};

}  // namespace glimmer
