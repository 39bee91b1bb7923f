#pragma once
// ZT_MoveFX: the picture slides along the direction inside the mask,
// gliding on or swinging back and forth, optionally smeared along its motion.

#include <cstdint>

#include "effects/screen_effect.h"

namespace glimmer {

class ZT_MoveFX : public ZT_DirectionBased {
  GLIMMER_LAYER_KIND(ZT_MoveFX)

 public:
  ZT_MoveFX();
  // From version 2 the swing, from 3 the smear; then the direction-based
  // part. The strength (u × 0.004) is slides travelled per clock unit:
  // 50 moves a fifth of the slide a second at the usual speed.
  void Serialize(Archive& ar, int32_t version) override;

  // 0: the picture glides on for ever (it repeats mirrored, so without
  // seams); non-zero: it swings back and forth over one slide.
  MediaParamT<int32_t> swing;
  // The smear along the motion: u × 0.001 of the slide (100: a tenth).
  UINTSclaleTo<float> smear{0, 0.001f, 0.0f};
};

class MoveFX : public GridlessFxKind<ZT_MoveFX> {
 public:
  using GridlessFxKind::GridlessFxKind;

 protected:
  void SetParameters(ZT_ABRender& renderer) override;
};

}  // namespace glimmer
