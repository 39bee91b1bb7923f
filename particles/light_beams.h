#pragma once
// ZT_LightBeams: the fountain as beams of light.

#include "particles/fountain.h"

namespace glimmer {

class ZT_LightBeams : public QVX_FontainPtclSys {
  GLIMMER_LAYER_KIND(ZT_LightBeams)

 public:
  // The fountain's part only.
  void Serialize(Archive& ar, int32_t version) override;
};

class LightBeamsSystem : public FountainSystem {
 public:
  explicit LightBeamsSystem(const ZT_LightBeams& constructor)
      : FountainSystem(std::make_unique<ZT_LightBeams>(constructor)) {}
};

}  // namespace glimmer
