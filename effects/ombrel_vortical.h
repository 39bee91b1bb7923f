#pragma once
// ZT_OmbrelVortical: ripples winding round the centre in a spiral, like
// water swirling down a drain, on an ellipse that can be squeezed and
// turned.

#include <cstdint>

#include "effects/screen_effect.h"

namespace glimmer {

class ZT_OmbrelVortical : public ZT_CentralBased {
  GLIMMER_LAYER_KIND(ZT_OmbrelVortical)

 public:
  ZT_OmbrelVortical();
  // Strength, ellipse, turning sense, ellipse angle; then the centre-based
  // part. The screen effect's scale sets the ripples' spacing.
  void Serialize(Archive& ar, int32_t version) override;

  // The ripples' push: u × 0.002 (× 0.02 of the slide in the shader).
  UINTSclaleTo<float> strength{50, 0.002f, 0.0f};
  // The ellipse's height over its width: u × 0.01 + 0.5 (50: a circle;
  // 0.5 to 1.5).
  UINTSclaleTo<float> ellipse{50, 0.01f, 0.5f};
  // 0: the spiral winds anticlockwise; non-zero: clockwise.
  MediaParamT<int32_t> clockwise;
  // The ellipse's turn, degrees.
  MediaParamT<uint32_t> ellipseAngle;
};

class OmbrelVortical : public FxKind<ZT_OmbrelVortical> {
 public:
  using FxKind::FxKind;

 protected:
  void SetParameters(ZT_ABRender& renderer) override;
};

}  // namespace glimmer
