#include "sprites/god_ray.h"

#include "params/param_serialization.h"
#include "params/random_source.h"
#include "sprites/sprite_array.h"

namespace glimmer {

void ZT_GodRayConstructor::Serialize(Archive& ar, int32_t) {
  Field(ar, "angle", angle);
  SerializeBase<ZT_BaseSpriteProp>(ar, *this);
}

void ZT_GodRayConstructor::SpawnSprite(SpriteRecord& r) {
  r.velocity = {RandomUniform(-10, 10), 0, 0};
  r.position.x = RandomUniform(Left(), Right());
  r.position.y = (Bottom() - Top()) * 0.5f;
  r.halfWidth = float(size.Value()) * 0.5f;
  r.halfHeight = height * 0.5f;
  // Flat angles (0, 180, whole turns) have no finite slant: upright.
  const float a = float(angle.Value() % 360);
  r.up = {Cotangent((a < 180 ? 180.0f : 360.0f) - a), 1, 0};
  r.alphaFactor = RandomUnit();
}

void ZT_GodRayConstructor::MoveSprite(SpriteRecord& r) {
  if (motionTime - r.timeMark > 0.25f) {
    r.timeMark = motionTime;
    if (OddDraw()) r.velocity = {RandomUniform(-10, 10), 0, 0};
  }
  r.position = r.position + r.velocity * frameStep;
  PulseAlpha(r, true);
  r.colour = ColourFor(r.alphaFactor);
}

GLIMMER_REGISTER_SPRITE_KIND(ZT_GodRayConstructor)

}  // namespace glimmer
