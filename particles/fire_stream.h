#pragma once
// ZT_PtclFireStream: the fountain as a jet of fire.

#include "particles/fountain.h"

namespace glimmer {

class ZT_PtclFireStream : public QVX_FontainPtclSys {
  GLIMMER_LAYER_KIND(ZT_PtclFireStream)

 public:
  // Its own fields, then the fountain's part.
  void Serialize(Archive& ar, int32_t version) override;

  MediaParamT<uint32_t> reserved;  // stored, no behaviour
};

class FireStreamSystem : public FountainSystem {
 public:
  explicit FireStreamSystem(const ZT_PtclFireStream& constructor)
      : FountainSystem(std::make_unique<ZT_PtclFireStream>(constructor)) {}
};

}  // namespace glimmer
