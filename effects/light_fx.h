#pragma once
// ZT_LightFX: the picture brightens and dims: a slow breathing (mode 0), a
// blinking (1) or a flicker (2 and above).

#include <cstdint>

#include "effects/screen_effect.h"

namespace glimmer {

class ZT_LightFX : public ZT_FX_Constructor {
  GLIMMER_LAYER_KIND(ZT_LightFX)

 public:
  ZT_LightFX();
  // Strength, mode; then the screen-effect part.
  void Serialize(Archive& ar, int32_t version) override;

  UINTSclaleTo<float> strength{40, 0.01f, 0.0f};
  MediaParamT<int32_t> mode;
};

class LightFX : public GridlessFxKind<ZT_LightFX> {
 public:
  using GridlessFxKind::GridlessFxKind;
  // The light's level b in [0, 1] at the effect's clock.
  float Level() const;

 protected:
  void SetParameters(ZT_ABRender& renderer) override;
};

}  // namespace glimmer
