#pragma once
// ZT_WaterJet: the fountain as a jet of water.

#include "particles/fountain.h"

namespace glimmer {

class ZT_WaterJet : public QVX_FontainPtclSys {
  GLIMMER_LAYER_KIND(ZT_WaterJet)

 public:
  // The fountain's part only.
  void Serialize(Archive& ar, int32_t version) override;
};

class WaterJetSystem : public FountainSystem {
 public:
  explicit WaterJetSystem(const ZT_WaterJet& constructor)
      : FountainSystem(std::make_unique<ZT_WaterJet>(constructor)) {}
};

}  // namespace glimmer
