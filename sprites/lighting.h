#pragma once
// ZT_LightingConstructor: lightning flashes at random places inside the
// bounds, each fading quickly, flickering back now and then, and followed by
// a dark pause of the minimum to maximum delay.

#include "scene/layer_kind.h"
#include "sprites/base_sprite_prop.h"

namespace glimmer {

class ZT_LightingConstructor : public ZT_ParticleSystemCtrl {
  GLIMMER_LAYER_KIND(ZT_LightingConstructor)

 public:
  // Flashes come and go on a random time line.
  ZT_LightingConstructor();
  // From version 2 the delays; then the sprite part. After loading, a
  // random time line again, with bit 0 of the timing flags cleared.
  void Serialize(Archive& ar, int32_t version) override;
  void SpawnSprite(SpriteRecord& r) override;
  void MoveSprite(SpriteRecord& r) override;
  // Flashes ignore the time line's visibility.
  uint32_t ApplyVisibility(uint32_t colour) const override { return colour; }
  // The dark pause in seconds: the minimum, or within minimum .. maximum.
  float NextDelay() const;

  MediaParamT<uint32_t> minDelay{100}, maxDelay{500};  // hundredths of a second
};

}  // namespace glimmer
