#pragma once
// ZT_PtclSmoke: a fountain of smoke carried by a sideways wind; neither
// gravity nor the appearance's air resistance acts on it (the air
// resistance is the coupling to the wind).

#include "particles/fountain.h"

namespace glimmer {

class ZT_PtclSmoke : public QVX_FontainPtclSys {
  GLIMMER_LAYER_KIND(ZT_PtclSmoke)

 public:
  // Its own fields, then the fountain's part.
  void Serialize(Archive& ar, int32_t version) override;

  MediaParamT<uint32_t> reserved;                // stored, no behaviour
  UINTSclaleTo<float> wind{50, 10.0f, -500.0f};  // pixels per second; u = 50 is calm
};

class SmokeFountainSystem : public FountainSystem {
 public:
  explicit SmokeFountainSystem(const ZT_PtclSmoke& constructor)
      : FountainSystem(std::make_unique<ZT_PtclSmoke>(constructor)) {}

 protected:
  // The wind first, then the fountain's routines without physics (cleared
  // on this runtime's own copy: the stored layer keeps its flag).
  void BuildRoutines() override;
};

}  // namespace glimmer
