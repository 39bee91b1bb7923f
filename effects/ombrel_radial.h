#pragma once
// ZT_OmbrelRadial: round ripples running out from the centre (or in
// towards it), stronger along eight ribs, like rain on an opened umbrella.

#include <cstdint>

#include "effects/screen_effect.h"

namespace glimmer {

class ZT_OmbrelRadial : public ZT_CentralBased {
  GLIMMER_LAYER_KIND(ZT_OmbrelRadial)

 public:
  ZT_OmbrelRadial();
  // Strength; from version 2 the direction; then the centre-based part.
  // The screen effect's scale sets the ripples' spacing.
  void Serialize(Archive& ar, int32_t version) override;

  // The ripples' push: u × 0.002, as for straight ripples (× 0.02 of the
  // slide in the shader: 500 pushes 2 %).
  UINTSclaleTo<float> strength{50, 0.002f, 0.0f};
  // 0: the ripples run outwards (version 1's, which stores none);
  // non-zero: inwards.
  MediaParamT<int32_t> inwards;
};

class OmbrelRadial : public FxKind<ZT_OmbrelRadial> {
 public:
  using FxKind::FxKind;

 protected:
  void SetParameters(ZT_ABRender& renderer) override;
};

}  // namespace glimmer
