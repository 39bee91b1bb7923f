#pragma once
// ZT_GrassConstructor: blades standing on the bottom edge, swaying about
// their feet in a wave that runs across the picture.

#include "scene/layer_kind.h"
#include "sprites/base_sprite_prop.h"

namespace glimmer {

class ZT_GrassConstructor : public ZT_ParticleSystemCtrl {
  GLIMMER_LAYER_KIND(ZT_GrassConstructor)

 public:
  // The sway amplitude, then the sprite part.
  void Serialize(Archive& ar, int32_t version) override;
  void SpawnSprite(SpriteRecord& r) override;
  void MoveSprite(SpriteRecord& r) override;
  // Fades with the time line only when its clock mode asks for fading.
  uint32_t ApplyVisibility(uint32_t colour) const override;

  float amplitude = 3.0f;  // degrees
};

// The lean 1 ÷ tan(180 − (s × amplitude + 90)) of a blade swaying by s.
float SwayLean(float s, float amplitude);

}  // namespace glimmer
