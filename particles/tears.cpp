#include "particles/tears.h"

#include "store/archive.h"

namespace glimmer {

void QVX_Tears::Serialize(Archive& ar, int32_t) {
  SerializeBase<QVX_ShootingLine>(ar, *this);
}

GLIMMER_REGISTER_LAYER_KIND(QVX_Tears, TearsSystem)

}  // namespace glimmer
