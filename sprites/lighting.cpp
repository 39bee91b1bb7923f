#include "sprites/lighting.h"

#include "params/param_serialization.h"
#include "params/random_source.h"
#include "params/smart_timing.h"
#include "sprites/sprite_array.h"

namespace glimmer {

ZT_LightingConstructor::ZT_LightingConstructor() {
  timing.SetValue(int32_t(TimingKind::Random));
}

void ZT_LightingConstructor::Serialize(Archive& ar, int32_t version) {
  if (version >= 2) {
    Field(ar, "minDelay", minDelay);
    Field(ar, "maxDelay", maxDelay);
  }
  SerializeBase<ZT_BaseSpriteProp>(ar, *this);
  if (!ar.IsReading()) return;
  timing.Flags &= ~1;
  timing.SetValue(int32_t(TimingKind::Random));
}

void ZT_LightingConstructor::SpawnSprite(SpriteRecord& r) {
  ApplySizeRule(r);
  r.position = RandomPointInsideBounds(r);
  const float a = RandomUniform(-kPi / 8, kPi / 8);
  const float side = OddDraw() ? -1.0f : 1.0f;
  r.right = RotateZ({side, 0, 0}, a);
  r.up = RotateZ({0, 1, 0}, a);
  r.alphaFactor = 0;
}

float ZT_LightingConstructor::NextDelay() const {
  const uint32_t lo = minDelay.Value(), hi = maxDelay.Value();
  uint64_t d = lo;
  // The range counts wide: 0 .. 0xFFFFFFFF holds 2^32 values, not 0.
  if (lo < hi) d += uint64_t(NextRandom()) % (uint64_t(hi) - lo + 1);
  return float(double(d) * 0.01);
}

void ZT_LightingConstructor::MoveSprite(SpriteRecord& r) {
  if (r.alphaFactor != 0) {
    r.alphaFactor -= 6 * frameStep;
    if (motionTime - r.timeMark > 0.15f) {
      r.timeMark = motionTime;
      if (OddDraw()) r.alphaFactor = 1;  // a flicker back to full
    }
  } else if (r.waitTime < lastTime - r.timeMark) {
    r.timeMark = lastTime;
    SpawnSprite(r);
    r.alphaFactor = 1;
    r.timeMark = motionTime;
  }
  if (r.alphaFactor < 0) {
    r.alphaFactor = 0;
    r.timeMark = lastTime;
    r.waitTime = NextDelay();
  }
  r.colour = ColourFor(r.alphaFactor);
}

GLIMMER_REGISTER_SPRITE_KIND(ZT_LightingConstructor)

}  // namespace glimmer
