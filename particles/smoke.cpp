#include "particles/smoke.h"

#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

void ZT_PtclSmoke::Serialize(Archive& ar, int32_t) {
  Field(ar, "reserved", reserved);
  Field(ar, "wind", wind);
  SerializeBase<QVX_FontainPtclSys>(ar, *this);
}

void SmokeFountainSystem::BuildRoutines() {
  ParticleAppearance& a = settings().appearance;
  const float wind = static_cast<const ZT_PtclSmoke&>(settings()).wind.Scaled();
  engine_.AddRoutine(
      {.kind = RoutineKind::Wind, .k = {a.airResistance.Scaled()}, .vector = {wind, 0, 0}});
  a.flags.SetValue(a.flags.Value() & ~kPhysics);
  FountainSystem::BuildRoutines();
}

GLIMMER_REGISTER_LAYER_KIND(ZT_PtclSmoke, SmokeFountainSystem)

}  // namespace glimmer
