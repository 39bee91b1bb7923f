#pragma once
// ZT_BoundControl: what one edge of a flowing stream does with a sprite that
// reaches it: wrap to the opposite edge with a fade (mode 0), bounce on
// contact (1), or bounce after leaving with a pause (2). Four are embedded
// in each flow, one per edge.

#include <cstdint>

#include "sprites/base_sprite_prop.h"
#include "store/stored_item.h"

namespace glimmer {

enum class Edge : int32_t { Top = 0, Bottom = 1, Left = 2, Right = 3 };

class ZT_BoundControl : public ZT_IOF_Item {
  GLIMMER_STORED_CLASS(ZT_BoundControl, 1)

 public:
  // Mode, fade-out and fade-in times, pause minimum and maximum (ms).
  void Serialize(Archive& ar, int32_t version) override;

  // True when this edge handled the record this frame (the caller skips
  // the remaining edges).
  bool ApplyEdge(SpriteRecord& r, const ZT_ParticleSystemCtrl& owner) const;

  MediaParamT<int32_t> mode;
  uint32_t fadeOutMs = 0, fadeInMs = 0, pauseMinMs = 0, pauseMaxMs = 0;
  Edge edge = Edge::Top;  // set by the owning flow

 private:
  // The sprite lies completely outside this edge.
  bool Gone(const SpriteRecord& r, const ZT_ParticleSystemCtrl& o) const;
  // The sprite's edge crosses this bound.
  bool Touching(const SpriteRecord& r, const ZT_ParticleSystemCtrl& o) const;
  void Engage(SpriteRecord& r) const { r.edgeState = int32_t(edge); }
  void FlipDirection(SpriteRecord& r) const;
  // Keeps the sprite within `outside` half sizes beyond the bounds on this
  // edge's axis (0: inside), nudged one pixel inwards.
  void Clamp(SpriteRecord& r, const ZT_ParticleSystemCtrl& o, float outside) const;
  void StartPause(SpriteRecord& r, const ZT_ParticleSystemCtrl& o) const;
};

}  // namespace glimmer
