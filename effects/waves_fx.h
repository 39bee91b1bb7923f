#pragma once
// ZT_WavesFX: waves running across the picture in one direction, bending
// it as a flag in the wind or water under a breeze.

#include <cstdint>

#include "effects/screen_effect.h"

namespace glimmer {

class ZT_WavesFX : public ZT_FX_Constructor {
  GLIMMER_LAYER_KIND(ZT_WavesFX)

 public:
  ZT_WavesFX();
  // Amplitude, wavelength, direction, side; then the screen-effect part.
  void Serialize(Archive& ar, int32_t version) override;
  // d and n: the waves' direction, and the direction they displace in.
  void Vectors(D3DXVECTOR3& d, D3DXVECTOR3& n) const;

  UINTSclaleTo<float> amplitude{50, 0.00025f, 0.0f};
  UINTSclaleTo<float> wavelength{50, 0.0005f, 0.001f};
  MediaParamT<uint32_t> direction;
  MediaParamT<int32_t> side;
};

class WavesFX : public GridlessFxKind<ZT_WavesFX> {
 public:
  using GridlessFxKind::GridlessFxKind;

 protected:
  void SetParameters(ZT_ABRender& renderer) override;
};

}  // namespace glimmer
