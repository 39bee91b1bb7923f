#include "sprites/rain.h"

#include "params/random_source.h"
#include "sprites/sprite_array.h"
#include "store/archive.h"

namespace glimmer {

ZT_RainConstructor::ZT_RainConstructor() {
  direction.StoreValue(270);
  speed = 2000;
  scaleMin = 0.5f;
  scaleMax = 1.0f;
  orientation.StoreValue(1);
}

void ZT_RainConstructor::Serialize(Archive& ar, int32_t) {
  SerializeBase<ZT_FlowConstructor>(ar, *this);
}

void ZT_RainConstructor::SpawnSprite(SpriteRecord& r) {
  FlowSpawn(r);
  r.alphaFactor = RandomUnit();
  ApplySizeRule(r);
  r.colour = ColourFor(r.alphaFactor);
  if (orientation.Value() == 1) {
    // The streak picture stands upright: a quarter turn back from the flow.
    SetAxesAlongFlow(r);
    r.right = RotateZ(r.right, 1.5f * kPi);
    r.up = RotateZ(r.up, 1.5f * kPi);
  }
}

void ZT_RainConstructor::MoveSprite(SpriteRecord& r) {
  // The edges see an opaque drop.
  const float alpha = r.alphaFactor;
  r.alphaFactor = 1;
  FlowMove(r);
  r.alphaFactor = alpha;
  PulseAlpha(r, true);
  r.colour = ColourFor(r.alphaFactor);
}

GLIMMER_REGISTER_SPRITE_KIND(ZT_RainConstructor)

}  // namespace glimmer
