#pragma once
// ZT_RainConstructor: a fast downward flow of streaks whose opacity pulses,
// each drop starting again elsewhere when it fades out.

#include "sprites/flow.h"

namespace glimmer {

class ZT_RainConstructor : public ZT_FlowConstructor {
  GLIMMER_LAYER_KIND(ZT_RainConstructor)

 public:
  // Falling fast, half to full size, along the flow.
  ZT_RainConstructor();
  // The flow part only.
  void Serialize(Archive& ar, int32_t version) override;
  void SpawnSprite(SpriteRecord& r) override;
  void MoveSprite(SpriteRecord& r) override;
};

}  // namespace glimmer
