#pragma once
// ZT_PtclFog: a spray of slow, large, barely turning puffs drifting over
// the picture: fog. Its sliders are finer than the spray's (rate u × 0.01
// per second, speed u × 0.01 pixels per second, spin u × 0.0005) and it
// warms up for 8 s.

#include "particles/spray.h"

namespace glimmer {

class ZT_PtclFog : public QVX_SprayPtclSys {
  GLIMMER_LAYER_KIND(ZT_PtclFog)

 public:
  ZT_PtclFog();
  // Its own fields, then the spray's part.
  void Serialize(Archive& ar, int32_t version) override;

  MediaParamT<uint32_t> reserved;  // stored, no behaviour
};

class FogSystem : public SpraySystem {
 public:
  explicit FogSystem(const ZT_PtclFog& constructor)
      : SpraySystem(std::make_unique<ZT_PtclFog>(constructor)) {}

 protected:
  float WarmUpTime() const override { return 8.0f; }
};

}  // namespace glimmer
