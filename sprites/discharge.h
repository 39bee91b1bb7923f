#pragma once
// ZT_DischargeConstructor: a placed picture whose sheet frames follow one
// another at random.

#include "sprites/stat_obj.h"

namespace glimmer {

class ZT_DischargeConstructor : public ZT_StatObjConstructor {
  GLIMMER_LAYER_KIND(ZT_DischargeConstructor)

 public:
  // The placed picture's part only.
  void Serialize(Archive& ar, int32_t version) override;
  // A random frame other than `index`; with a single frame, that frame.
  uint32_t NextFrame(uint32_t index) override;
};

}  // namespace glimmer
