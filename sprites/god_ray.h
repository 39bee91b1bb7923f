#pragma once
// ZT_GodRayConstructor: tall rays of light slanted at the ray angle,
// drifting sideways and pulsing.

#include "scene/layer_kind.h"
#include "sprites/base_sprite_prop.h"

namespace glimmer {

class ZT_GodRayConstructor : public ZT_ParticleSystemCtrl {
  GLIMMER_LAYER_KIND(ZT_GodRayConstructor)

 public:
  // The ray angle, then the sprite part.
  void Serialize(Archive& ar, int32_t version) override;
  void SpawnSprite(SpriteRecord& r) override;
  void MoveSprite(SpriteRecord& r) override;

  MediaParamT<uint32_t> angle{80};  // degrees; 90 stands upright
};

}  // namespace glimmer
