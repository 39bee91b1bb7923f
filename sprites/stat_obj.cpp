#include "sprites/stat_obj.h"

#include <cmath>

#include "params/param_serialization.h"
#include "params/scaled_slider.h"
#include "sprites/sprite_array.h"

namespace glimmer {

void ZT_StatObjConstructor::Serialize(Archive& ar, int32_t version) {
  Field(ar, "placement", placement);
  Field(ar, "rotation", rotation);
  if (version == 1 && ar.StoresVersions()) {
    Field(ar, "flipV", flipV);
    Field(ar, "flipH", flipH);
  }
  SerializeBase<ZT_BaseSpriteProp>(ar, *this);
}

void ZT_StatObjConstructor::SpawnSprite(SpriteRecord& r) {
  r.position = {float(placement.ExtraA.Value()), float(placement.ExtraB.Value()), 0};
  ApplySizeRule(r);
  r.colour = ColourFor(r.alphaFactor);
  const float a = -float(rotation.Value()) * kPi / 180.0f;
  r.right = RotateZ({1, 0, 0}, a);
  r.up = RotateZ({0, 1, 0}, a);
  const float dx = std::fabs(r.halfWidth * r.right.x) + std::fabs(r.halfHeight * r.up.x);
  const float dy = std::fabs(r.halfHeight * r.up.y) + std::fabs(r.halfWidth * r.right.y);
  placement.Left.SetValue(detail::TruncateToInt32(r.position.x - dx));
  placement.Right.SetValue(detail::TruncateToInt32(r.position.x + dx));
  placement.Top.SetValue(detail::TruncateToInt32(r.position.y - dy));
  placement.Bottom.SetValue(detail::TruncateToInt32(r.position.y + dy));
}

std::array<D3DXVECTOR3, 4> ZT_StatObjConstructor::GetBoundsQuad() const {
  const float l = float(placement.Left.Value()), r = float(placement.Right.Value());
  const float t = float(placement.Top.Value()), b = float(placement.Bottom.Value());
  return {{{l, b, 0}, {l, t, 0}, {r, b, 0}, {r, t, 0}}};
}

bool ZT_StatObjConstructor::HitTest(float x, float y) const {
  return x >= float(placement.Left.Value()) && x <= float(placement.Right.Value()) &&
         y >= float(placement.Top.Value()) && y <= float(placement.Bottom.Value());
}

GLIMMER_REGISTER_SPRITE_KIND(ZT_StatObjConstructor)

}  // namespace glimmer
