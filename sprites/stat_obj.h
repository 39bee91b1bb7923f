#pragma once
// ZT_StatObjConstructor: one picture placed in a rectangle, turned by its
// rotation. The base of the flower and the discharge.

#include "scene/layer_kind.h"
#include "sprites/base_sprite_prop.h"

namespace glimmer {

class ZT_StatObjConstructor : public ZT_ParticleSystemCtrl {
  GLIMMER_LAYER_KIND(ZT_StatObjConstructor)

 public:
  // The placement rectangle, the rotation, in version 1 the flips; then the
  // sprite part.
  void Serialize(Archive& ar, int32_t version) override;
  // At the rectangle's centre, turned; the rectangle becomes the turned
  // sprite's box.
  void SpawnSprite(SpriteRecord& r) override;
  std::array<D3DXVECTOR3, 4> GetBoundsQuad() const override;
  bool HitTest(float x, float y) const override;

  MediaRectangle placement;           // left, right, top, bottom, centre x, centre y
  MediaParamT<uint32_t> rotation{0};  // degrees
};

}  // namespace glimmer
