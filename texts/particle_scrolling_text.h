#pragma once
// ZT_ScrollingTex: a particle text whose picture scrolls through its quad
// along one axis, wrapping round; hidden, it starts again from the
// beginning.

#include "texts/particle_text.h"

namespace glimmer {

class ZT_ScrollingTex : public ZT_StaticText {
  GLIMMER_LAYER_KIND(ZT_ScrollingTex)

 public:
  // Scroll speed, direction, then the particle-text part.
  void Serialize(Archive& ar, int32_t version) override;
  void StepText(float step, bool hidden) override;
  D3DXVECTOR4 TextShift() const override { return {offsetU, offsetV, 0, 0}; }

  // Seconds for the picture to pass once; 0 stands still.
  MediaParamT<uint32_t> scrollSpeed{10};
  MediaParamT<int32_t> scrollDirection{0};  // 0 +u, 1 −u, 2 +v, 3 −v
  // Not stored: the offsets in picture lengths, each within [0, 1).
  float offsetU = 0, offsetV = 0;
};

}  // namespace glimmer
