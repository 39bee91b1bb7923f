#include "sprites/bird.h"

#include <cmath>

#include "params/random_source.h"
#include "sprites/sprite_array.h"
#include "store/archive.h"

namespace glimmer {

void ZT_BirdConstructor::Serialize(Archive& ar, int32_t) {
  SerializeBase<ZT_FishConstructor>(ar, *this);
}

void ZT_BirdConstructor::MoveSprite(SpriteRecord& r) {
  ZT_FishConstructor::MoveSprite(r);
  // The pace is raised keeping the heading: a bird climbing stays climbing
  // (raising the signed value would turn every slow bird downwards, and
  // birds would gather on the lower bound).
  const float vy = std::fabs(r.velocity.y);
  if (vy < 0.7f * speedY)
    r.velocity.y = std::copysign(vy * 0.3f / 0.7f + 0.7f * speedY, r.velocity.y);
  if (std::fabs(r.velocity.x) < 0.7f * speedX) {
    r.velocity.x = std::copysign(RandomUniform(0.7f * speedX, speedX), r.velocity.x);
  }
}

GLIMMER_REGISTER_SPRITE_KIND(ZT_BirdConstructor)

}  // namespace glimmer
