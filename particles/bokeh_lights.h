#pragma once
// ZT_BokehLights: the spray drawn as soft out-of-focus discs of light.

#include "particles/spray.h"

namespace glimmer {

class ZT_BokehLights : public QVX_SprayPtclSys {
  GLIMMER_LAYER_KIND(ZT_BokehLights)

 public:
  // Its own fields, then the spray's part.
  void Serialize(Archive& ar, int32_t version) override;

  MediaParamT<int32_t> reserved;  // stored, no behaviour
};

class BokehLightsSystem : public SpraySystem {
 public:
  explicit BokehLightsSystem(const ZT_BokehLights& constructor)
      : SpraySystem(std::make_unique<ZT_BokehLights>(constructor)) {}
};

}  // namespace glimmer
