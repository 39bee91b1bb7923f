#include "sprites/fog.h"

#include <cmath>

#include "params/random_source.h"
#include "sprites/sprite_array.h"
#include "store/archive.h"

namespace glimmer {

void ZT_FogConstructor::Serialize(Archive& ar, int32_t) {
  Field(ar, "speedX", speedX);
  Field(ar, "speedY", speedY);
  SerializeBase<ZT_BaseSpriteProp>(ar, *this);
}

void ZT_FogConstructor::SpawnSprite(SpriteRecord& r) {
  r.position = RandomPointInBounds();
  r.velocity.x = RandomUniform(-speedX, speedX);
  r.velocity.y = RandomUniform(-speedY, speedY);
  r.alphaFactor = RandomUnit();
  // The turn per frame, kept as its cosine and sine.
  const float a = RandomUniform(-0.004f, 0.004f);
  r.rotationCos = std::cos(a);
  r.rotationSin = std::sin(a);
}

void ZT_FogConstructor::MoveSprite(SpriteRecord& r) {
  r.position = r.position + r.velocity * frameStep;
  PulseAlpha(r, false);
  if (r.position.y > Bottom()) {
    r.velocity.y = -std::fabs(r.velocity.y);
  } else if (r.position.y < Top()) {
    r.velocity.y = std::fabs(r.velocity.y);
  }
  if (r.position.x < Left()) {
    r.velocity.x = std::fabs(r.velocity.x);
  } else if (r.position.x > Right()) {
    r.velocity.x = -std::fabs(r.velocity.x);
  }
  const auto turn = [&](const D3DXVECTOR3& v) {
    return D3DXVECTOR3{v.x * r.rotationCos - v.y * r.rotationSin,
                       v.x * r.rotationSin + v.y * r.rotationCos, v.z};
  };
  r.right = turn(r.right);
  r.up = turn(r.up);
  r.colour = ColourFor(r.alphaFactor);
}

GLIMMER_REGISTER_SPRITE_KIND(ZT_FogConstructor)

}  // namespace glimmer
