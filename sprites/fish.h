#pragma once
// ZT_FishConstructor: sprites that swim back and forth, leaving the picture
// completely before they turn, bouncing off the top and bottom, and changing
// pace now and then. The base of birds and ghosts.

#include "scene/layer_kind.h"
#include "sprites/base_sprite_prop.h"

namespace glimmer {

class ZT_FishConstructor : public ZT_ParticleSystemCtrl {
  GLIMMER_LAYER_KIND(ZT_FishConstructor)

 public:
  // Speed x, speed y, then the sprite part.
  void Serialize(Archive& ar, int32_t version) override;
  void SpawnSprite(SpriteRecord& r) override;
  void MoveSprite(SpriteRecord& r) override;

  float speedX = 80, speedY = 50;  // pixels per second
};

}  // namespace glimmer
