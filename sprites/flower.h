#pragma once
// ZT_FlowerConstructor: a placed picture that sways about its bottom edge.

#include "sprites/stat_obj.h"

namespace glimmer {

class ZT_FlowerConstructor : public ZT_StatObjConstructor {
  GLIMMER_LAYER_KIND(ZT_FlowerConstructor)

 public:
  // The sway amplitude, then the placed picture's part.
  void Serialize(Archive& ar, int32_t version) override;
  void MoveSprite(SpriteRecord& r) override;
  // Fades with the time line only when its clock mode asks for fading.
  uint32_t ApplyVisibility(uint32_t colour) const override;

  float amplitude = 1.5f;  // degrees
};

}  // namespace glimmer
