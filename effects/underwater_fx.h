#pragma once
// ZT_UnderwaterFX: the finished slide seen through moving water. Embedded in
// the underwater slide (read there by fixed class), never a layer by itself.

#include <cstdint>

#include "effects/screen_effect.h"

namespace glimmer {

class ZT_UnderwaterFX : public ZT_FX_Constructor {
  GLIMMER_LAYER_KIND(ZT_UnderwaterFX, 1)

 public:
  // Effect 88 of the shared module, speed value 25.
  ZT_UnderwaterFX();
  // Amplitude, frequency, then the screen-effect part.
  void Serialize(Archive& ar, int32_t version) override;

  UINTSclaleTo<float> amplitude{50, 0.000125f, 0.0f};
  UINTSclaleTo<float> frequency{50, 0.002f, 0.001f};
};

// It makes no grid: in technique mode 0 it draws nothing, in modes 1 and 2
// it covers the whole slide whatever its quad.
class UnderwaterFX : public GridlessFxKind<ZT_UnderwaterFX> {
 public:
  using GridlessFxKind::GridlessFxKind;

 protected:
  void SetParameters(ZT_ABRender& renderer) override;
};

}  // namespace glimmer
