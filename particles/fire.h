#pragma once
// ZT_PtclFire: a fountain of flames that speed up along their emission
// direction (by the appearance's gravity) instead of falling.

#include "particles/fountain.h"

namespace glimmer {

class ZT_PtclFire : public QVX_FontainPtclSys {
  GLIMMER_LAYER_KIND(ZT_PtclFire)

 public:
  // Its own fields, then the fountain's part.
  void Serialize(Archive& ar, int32_t version) override;

  MediaParamT<int32_t> reservedFlag;  // stored, no behaviour
  MediaParamT<uint32_t> reserved1;    // stored, no behaviour
  MediaParamT<uint32_t> reserved2;    // stored, no behaviour
  MediaParamT<uint32_t> reserved3;    // stored, no behaviour
};

class FireFountainSystem : public FountainSystem {
 public:
  explicit FireFountainSystem(const ZT_PtclFire& constructor)
      : FountainSystem(std::make_unique<ZT_PtclFire>(constructor)) {}

 protected:
  // The fountain's newborn, then an acceleration of the appearance's
  // gravity along the emission direction.
  void InitNewborn(size_t i) override;
};

}  // namespace glimmer
