#pragma once
// ZT_LightFX_II: a coloured light laid over the picture inside the mask,
// blended by one of five techniques, steady, pulsing or flickering.

#include <cstdint>

#include "effects/screen_effect.h"

namespace glimmer {

class ZT_LightFX_II : public ZT_FX_Constructor {
  GLIMMER_LAYER_KIND(ZT_LightFX_II)

 public:
  ZT_LightFX_II();
  // Strength, colour, blend; from version 2 the pulse; then the
  // screen-effect part.
  void Serialize(Archive& ar, int32_t version) override;

  // How much of the blended light shows: u × 0.01, so 100 is all of it.
  UINTSclaleTo<float> strength{60, 0.01f, 0.0f};
  // The light's colour, a COLORREF (0x00BBGGRR); a warm orange.
  MediaParamT<int32_t> colour{0x0040A0FF};
  // 0 normal, 1 screen, 2 colour dodge, 3 linear dodge (add), 4 sum (the
  // colour's difference from mid grey added: it can darken too); any other
  // value blends normally.
  MediaParamT<int32_t> blend;
  // 0 steady; 1 pulses with the clock, (sin t + 1) ÷ 2; 2 and above
  // flickers with octave noise. Version 1 stores none: steady.
  MediaParamT<int32_t> pulse;
};

class LightFX_II : public FxKind<ZT_LightFX_II> {
 public:
  using FxKind::FxKind;
  // The technique the blend setting selects.
  static const char* BlendTechnique(int32_t blend);

 protected:
  void SetParameters(ZT_ABRender& renderer) override;
};

}  // namespace glimmer
