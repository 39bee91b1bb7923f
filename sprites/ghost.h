#pragma once
// ZT_GhostConstructor: fish rules, fading with the time line and showing up
// somewhere else each time the line shows them again.

#include "sprites/fish.h"

namespace glimmer {

class ZT_GhostConstructor : public ZT_FishConstructor {
  GLIMMER_LAYER_KIND(ZT_GhostConstructor)

 public:
  // The fish part only; version 1 gets a random time line after loading.
  void Serialize(Archive& ar, int32_t version) override;
  void SpawnSprite(SpriteRecord& r) override;
  void MoveSprite(SpriteRecord& r) override;
  // Once a frame: whether the line shows the group again after hiding it.
  void Prepare() override;

  // Not stored.
  bool wasHidden = false;
  bool reappearing = false;
};

}  // namespace glimmer
