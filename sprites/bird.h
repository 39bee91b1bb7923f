#pragma once
// ZT_BirdConstructor: fish rules with a brisk minimum pace both ways: a
// slow bird speeds up to at least 70 % of the speed on each axis, keeping
// its heading.

#include "sprites/fish.h"

namespace glimmer {

class ZT_BirdConstructor : public ZT_FishConstructor {
  GLIMMER_LAYER_KIND(ZT_BirdConstructor)

 public:
  // The fish part only.
  void Serialize(Archive& ar, int32_t version) override;
  void MoveSprite(SpriteRecord& r) override;
};

}  // namespace glimmer
