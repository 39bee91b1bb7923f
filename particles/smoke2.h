#pragma once
// ZT_PtclSmoke2: the stream laid along the bottom of its frame: particles
// leave the bottom edge sideways, drifting apart like smoke along the ground.

#include "particles/stream.h"

namespace glimmer {

class ZT_PtclSmoke2 : public ZT_StreamPtclSys {
  GLIMMER_LAYER_KIND(ZT_PtclSmoke2)

 public:
  // Its own fields, then the stream's part.
  void Serialize(Archive& ar, int32_t version) override;

  MediaParamT<uint32_t> reserved1, reserved2;  // stored, no behaviour
  MediaParamT<int32_t> reserved3;              // stored, no behaviour
};

class Smoke2System : public StreamSystem {
 public:
  explicit Smoke2System(const ZT_PtclSmoke2& constructor)
      : StreamSystem(std::make_unique<ZT_PtclSmoke2>(constructor)) {}

 protected:
  // The stream's placement with both edges moved onto the bottom edge.
  void PlaceDefault(float width, float height) override;
};

}  // namespace glimmer
