#include "sprites/grass.h"

#include <cmath>

#include "params/random_source.h"
#include "sprites/sprite_array.h"
#include "store/archive.h"

namespace glimmer {

float SwayLean(float s, float amplitude) {
  return Cotangent(180.0f - (s * amplitude + 90.0f));
}

void ZT_GrassConstructor::Serialize(Archive& ar, int32_t) {
  Field(ar, "amplitude", amplitude);
  SerializeBase<ZT_BaseSpriteProp>(ar, *this);
}

uint32_t ZT_GrassConstructor::ApplyVisibility(uint32_t c) const {
  return FadesWithTimeLine() ? ZT_BaseSpriteProp::ApplyVisibility(c) : c;
}

void ZT_GrassConstructor::SpawnSprite(SpriteRecord& r) {
  r.position.x = RandomUniform(Left(), Right());
  r.velocity.z = r.position.x;  // the foot
  r.position.y = Bottom() - r.halfHeight;
  r.velocity.y = RandomUniform(0, kPi / 2);  // the phase
  r.right = {OddDraw() ? -1.0f : 1.0f, 0, 0};
}

void ZT_GrassConstructor::MoveSprite(SpriteRecord& r) {
  const float phase = width > 0 ? r.position.x / width * 2 * kPi : 0.0f;
  const float c = SwayLean(std::sin(motionTime + r.velocity.y + phase), amplitude);
  r.up = {c, 1, 0};
  r.position.x = r.velocity.z - r.halfHeight * c;
}

GLIMMER_REGISTER_SPRITE_KIND(ZT_GrassConstructor)

}  // namespace glimmer
