#include "sprites/flower.h"

#include <cmath>

#include "sprites/grass.h"
#include "sprites/sprite_array.h"
#include "store/archive.h"

namespace glimmer {

void ZT_FlowerConstructor::Serialize(Archive& ar, int32_t) {
  Field(ar, "amplitude", amplitude);
  SerializeBase<ZT_StatObjConstructor>(ar, *this);
}

uint32_t ZT_FlowerConstructor::ApplyVisibility(uint32_t c) const {
  return FadesWithTimeLine() ? ZT_BaseSpriteProp::ApplyVisibility(c) : c;
}

void ZT_FlowerConstructor::MoveSprite(SpriteRecord& r) {
  const float c = SwayLean(std::sin(animTime + r.velocity.y), amplitude);
  const float a = -float(rotation.Value()) * kPi / 180.0f;
  r.up = RotateZ({c, 1, 0}, a);
  const D3DXVECTOR3 centre{float(placement.ExtraA.Value()), float(placement.ExtraB.Value()), 0};
  r.position = centre - r.right * (r.halfHeight * c);
}

GLIMMER_REGISTER_SPRITE_KIND(ZT_FlowerConstructor)

}  // namespace glimmer
