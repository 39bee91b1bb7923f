#include "particles/vortex.h"

#include <algorithm>
#include <cmath>

#include "params/param_serialization.h"
#include "params/random_source.h"
#include "store/archive.h"

namespace glimmer {

void QVX_VortexPtclSys::Serialize(Archive& ar, int32_t) {
  Field(ar, "rate", rate.rate);
  Field(ar, "centre", centre.position);
  Field(ar, "radialSpeed", radialSpeed);
  Field(ar, "tangentialSpeed", tangentialSpeed);
  Field(ar, "reverse", reverse);
  Field(ar, "arms", arms);
  Field(ar, "armCount", armCount);
  Field(ar, "twistSpeed", twistSpeed);
  Field(ar, "twistReverse", twistReverse);
  Field(ar, "reach", reach);
  SerializeBase<QVX_ParticleSystemCtrl>(ar, *this);
}

namespace {

// The swirl: outwards at the radial speed, around the centre at the
// tangential speed times the distance; nothing changes at the centre.
bool VortexVelocity(const RoutineSlot& slot, Particle& p, float*, float) {
  const auto& s = *static_cast<const QVX_VortexPtclSys*>(slot.context);
  const D3DXVECTOR3 d = p.position - s.centre.position;
  const float r = Length(d);
  if (!(r > 0)) return true;
  D3DXVECTOR3 t{d.y, -d.x, 0};
  if (s.reverse.Value() != 0) t = t * -1.0f;
  p.velocity = d * (s.radialSpeed.Scaled() / r) - t * s.tangentialSpeed.Scaled();
  return true;
}

}  // namespace

void VortexSystem::BuildRoutines() {
  ParticleKindRuntime::BuildRoutines();
  engine_.AddRoutine(
      {.kind = RoutineKind::Custom, .apply = &VortexVelocity, .context = &settings()});
}

void VortexSystem::Restart() {
  twist_ = 0;
  ParticleKindRuntime::Restart();
}

bool VortexSystem::Emit(float dt, size_t) {
  const QVX_VortexPtclSys& s = settings();
  twist_ = std::fmod(twist_ + s.twistSpeed.Scaled() * dt, 360.0f);
  const int32_t n = settings().rate.Count(Visibility() * dt);
  const float radial = s.radialSpeed.Scaled();
  // Without a radial speed nothing would ever leave the centre.
  if (n <= 0 || !(radial > 0)) return true;
  const float life = float(s.reach.Value()) / radial;
  const float width = float(s.arms.Spread.Value());
  float lo = float(s.arms.Value()) - width / 2, hi = float(s.arms.Value()) + width / 2;
  if (s.twistSpeed.Value() != 0) {
    const float turn = s.twistReverse.Value() != 0 ? twist_ : -twist_;
    lo += turn;
    hi += turn;
  }
  // No arm at all counts as one.
  const uint32_t armCount = std::max(1u, s.armCount.Value());
  for (int32_t k = 0; k < n; ++k) {
    if (!engine_.Spawn(s.centre.position)) break;
    const size_t i = engine_.Count() - 1;
    engine_.InitFromAppearance(i, life);
    const float h = float(uint32_t(NextRandom()) % armCount) * (360.0f / float(armCount));
    engine_.At(i).velocity = RandomArcPoint(radial, h + lo, h + hi);
  }
  return true;
}

GLIMMER_REGISTER_LAYER_KIND(QVX_VortexPtclSys, VortexSystem)

}  // namespace glimmer
