#pragma once
// ZT_PtclSmoke3: the spray as drifting smoke over an area.

#include "particles/spray.h"

namespace glimmer {

class ZT_PtclSmoke3 : public QVX_SprayPtclSys {
  GLIMMER_LAYER_KIND(ZT_PtclSmoke3)

 public:
  // Its own fields, then the spray's part.
  void Serialize(Archive& ar, int32_t version) override;

  MediaParamT<uint32_t> reserved;  // stored, no behaviour
};

class SmokeSpraySystem : public SpraySystem {
 public:
  explicit SmokeSpraySystem(const ZT_PtclSmoke3& constructor)
      : SpraySystem(std::make_unique<ZT_PtclSmoke3>(constructor)) {}
};

}  // namespace glimmer
