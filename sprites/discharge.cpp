#include "sprites/discharge.h"

#include "params/random_source.h"
#include "sprites/sprite_array.h"
#include "store/archive.h"

namespace glimmer {

void ZT_DischargeConstructor::Serialize(Archive& ar, int32_t) {
  SerializeBase<ZT_StatObjConstructor>(ar, *this);
}

uint32_t ZT_DischargeConstructor::NextFrame(uint32_t index) {
  const uint32_t n = Frames();
  // One frame has no other to choose: no draw, no endless search.
  if (n < 2) return 0;
  // Drawing until the frame differs, within a bound that the sequence
  // never needs in practice.
  for (int tries = 0; tries < 256; ++tries) {
    const uint32_t next = uint32_t(NextRandom()) % n;
    if (next != index) return next;
  }
  return (index + 1) % n;
}

GLIMMER_REGISTER_SPRITE_KIND(ZT_DischargeConstructor)

}  // namespace glimmer
