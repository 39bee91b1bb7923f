#pragma once
// ZT_FogConstructor: large soft sprites drifting within the bounds, turning
// slowly, their opacity pulsing.

#include "scene/layer_kind.h"
#include "sprites/base_sprite_prop.h"

namespace glimmer {

class ZT_FogConstructor : public ZT_ParticleSystemCtrl {
  GLIMMER_LAYER_KIND(ZT_FogConstructor)

 public:
  // Speed x, speed y, then the sprite part.
  void Serialize(Archive& ar, int32_t version) override;
  void SpawnSprite(SpriteRecord& r) override;
  void MoveSprite(SpriteRecord& r) override;

  float speedX = 40, speedY = 40;  // pixels per second
};

}  // namespace glimmer
