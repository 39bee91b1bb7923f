#pragma once
// ZT_RadialWaveFX: rings of waves run out from the centre (or in towards
// it) over the picture, as from a stone dropped in a pond, fading with
// distance.

#include <cstdint>

#include "effects/screen_effect.h"

namespace glimmer {

class ZT_RadialWaveFX : public ZT_CentralBased {
  GLIMMER_LAYER_KIND(ZT_RadialWaveFX)

 public:
  ZT_RadialWaveFX();
  // Amplitude, wavelength; from version 2 the damping, from 3 the
  // direction; then the centre-based part.
  void Serialize(Archive& ar, int32_t version) override;

  // How far a crest pushes the picture: u × 0.0003 slide heights (50: 1.5 %).
  UINTSclaleTo<float> amplitude{50, 0.0003f, 0.0f};
  // From crest to crest: u × 0.002 + 0.02 slide heights (0.02 to 0.22).
  UINTSclaleTo<float> wavelength{30, 0.002f, 0.02f};
  // How fast the rings fade outwards: u × 0.05 (amplitude × e^(−d·r), r in
  // slide heights; 0 never fades). Version 1 stores none: 1.5.
  UINTSclaleTo<float> damping{30, 0.05f, 0.0f};
  // 0: the rings run outwards; non-zero: inwards. Versions 1 and 2 store
  // none: outwards.
  MediaParamT<int32_t> inwards;
};

class RadialWaveFX : public GridlessFxKind<ZT_RadialWaveFX> {
 public:
  using GridlessFxKind::GridlessFxKind;

 protected:
  void SetParameters(ZT_ABRender& renderer) override;
};

}  // namespace glimmer
