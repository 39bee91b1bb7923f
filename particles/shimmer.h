#pragma once
// ZT_Shimmer: the spray as glints that sparkle in and out.

#include "particles/spray.h"

namespace glimmer {

class ZT_Shimmer : public QVX_SprayPtclSys {
  GLIMMER_LAYER_KIND(ZT_Shimmer)

 public:
  // The spray's part only.
  void Serialize(Archive& ar, int32_t version) override;
};

class ShimmerSystem : public SpraySystem {
 public:
  explicit ShimmerSystem(const ZT_Shimmer& constructor)
      : SpraySystem(std::make_unique<ZT_Shimmer>(constructor)) {}
};

}  // namespace glimmer
