#pragma once
// ZT_FlowConstructor: a stream of sprites moving in one direction with a
// wandering sideways drift; each edge of the bounds wraps, bounces or
// bounces after a pause (ZT_BoundControl). The base of rain.

#include <array>

#include "params/scaled_slider.h"
#include "scene/layer_kind.h"
#include "sprites/bound_control.h"

namespace glimmer {

class ZT_FlowConstructor : public ZT_ParticleSystemCtrl {
  GLIMMER_LAYER_KIND(ZT_FlowConstructor)

 public:
  ZT_FlowConstructor();

  // Direction, lateral speed, drift change rate, speed; the orientation
  // (a flag in version 2, a mode from version 3); from version 4 the four
  // edges (top, bottom, left, right); then the sprite part.
  void Serialize(Archive& ar, int32_t version) override;
  void SpawnSprite(SpriteRecord& r) override;
  void MoveSprite(SpriteRecord& r) override;
  // Count below 2: all; otherwise as many as the time line's visibility shows.
  uint32_t SpriteCount() const override;
  // The main and lateral vectors of the direction.
  void Prepare() override;

  MediaParamT<uint32_t> direction{0};  // degrees, 0 towards +x, 90 up
  MediaFloat<unsigned> lateralSpeed{0, 3.0f, 0.0f};
  MediaFloat<unsigned> driftRate{0, 0.25f, 0.0f};  // drift changes per second
  float speed = 0;                                 // pixels per second
  MediaParamT<int32_t> orientation;      // 0 upright, 1 along the flow, 2/3 facing the motion
  std::array<ZT_BoundControl, 4> edges;  // top, bottom, left, right

  // Not stored.
  D3DXVECTOR3 mainVector{0, 0, 0}, lateralVector{0, 1, 0};

 protected:
  // The flow's own spawn and move rules.
  void FlowSpawn(SpriteRecord& r);
  void FlowMove(SpriteRecord& r);
  void SetAxesAlongFlow(SpriteRecord& r) const;

 private:
  void NameEdges();
};

}  // namespace glimmer
