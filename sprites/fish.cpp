#include "sprites/fish.h"

#include <cmath>

#include "params/random_source.h"
#include "sprites/sprite_array.h"
#include "store/archive.h"

namespace glimmer {

void ZT_FishConstructor::Serialize(Archive& ar, int32_t) {
  Field(ar, "speedX", speedX);
  Field(ar, "speedY", speedY);
  SerializeBase<ZT_BaseSpriteProp>(ar, *this);
}

void ZT_FishConstructor::SpawnSprite(SpriteRecord& r) {
  r.direction = {0, 0, 0};
  const float vx = RandomUniform(-speedX, speedX);
  const float vy = RandomUniform(-speedY, speedY);
  r.velocity = {vx, vy, 0};
  r.position = RandomPointInBounds();
  ApplySizeRule(r);
  r.colour = ColourFor(r.alphaFactor);
  // The picture faces right: a fish swimming left is mirrored.
  if (r.velocity.x < 0) r.halfWidth = -r.halfWidth;
}

void ZT_FishConstructor::MoveSprite(SpriteRecord& r) {
  r.position.x += r.velocity.x * frameStep;
  r.position.y += r.velocity.y * frameStep;
  // Turn only once completely outside.
  const float hw = std::fabs(r.halfWidth);
  if (Left() > r.position.x + hw) {
    r.velocity.x = std::fabs(r.velocity.x);
    r.halfWidth = hw;
    changed = true;
  } else if (r.position.x - hw > Right()) {
    r.velocity.x = -std::fabs(r.velocity.x);
    r.halfWidth = -hw;
    changed = true;
  }
  if (Top() > r.position.y - r.halfHeight) {
    r.velocity.y = std::fabs(r.velocity.y);
    changed = true;
  } else if (r.position.y + r.halfHeight > Bottom()) {
    r.velocity.y = -std::fabs(r.velocity.y);
    changed = true;
  }
  // Now and then a new pace, keeping the heading (real seconds).
  if (lastTime - r.timeMark > 1) {
    r.timeMark = lastTime;
    if (OddDraw()) {
      const float vx = std::copysign(RandomUniform(-speedX, speedX), r.velocity.x);
      const float vy = RandomUniform(-speedY, speedY);
      r.velocity = {vx, vy, 0};
      changed = true;
    }
  }
}

GLIMMER_REGISTER_SPRITE_KIND(ZT_FishConstructor)

}  // namespace glimmer
