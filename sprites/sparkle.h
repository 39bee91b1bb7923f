#pragma once
// ZT_SparkleConstructor: slowly drifting sprites whose opacity pulses and
// whose size follows it; each starts again elsewhere when it fades out.

#include "scene/layer_kind.h"
#include "sprites/base_sprite_prop.h"

namespace glimmer {

class ZT_SparkleConstructor : public ZT_ParticleSystemCtrl {
  GLIMMER_LAYER_KIND(ZT_SparkleConstructor)

 public:
  // The sprite part only.
  void Serialize(Archive& ar, int32_t version) override;
  void SpawnSprite(SpriteRecord& r) override;
  void MoveSprite(SpriteRecord& r) override;
};

}  // namespace glimmer
