#include "sprites/sparkle.h"

#include "params/random_source.h"
#include "sprites/sprite_array.h"
#include "store/archive.h"

namespace glimmer {

void ZT_SparkleConstructor::Serialize(Archive& ar, int32_t) {
  SerializeBase<ZT_BaseSpriteProp>(ar, *this);
}

void ZT_SparkleConstructor::SpawnSprite(SpriteRecord& r) {
  const float vx = RandomUniform(-25, 25);
  const float vy = RandomUniform(-25, 25);
  r.velocity = {vx, vy, 0};
  r.position = RandomPointInBounds();
  r.alphaFactor = RandomUnit();
}

void ZT_SparkleConstructor::MoveSprite(SpriteRecord& r) {
  r.position = r.position + r.velocity * frameStep;
  PulseAlpha(r, true);
  r.colour = ColourFor(r.alphaFactor);
  const float d = float(size.Value()) * r.scale * 0.25f;
  r.halfWidth = d * r.alphaFactor + d;
  r.halfHeight = r.halfWidth * 0.5f * r.alphaFactor + d;
}

GLIMMER_REGISTER_SPRITE_KIND(ZT_SparkleConstructor)

}  // namespace glimmer
