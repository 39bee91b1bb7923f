#include "particles/burst.h"

#include <algorithm>
#include <cmath>

#include "params/param_serialization.h"
#include "params/random_source.h"
#include "particles/fountain.h"
#include "store/archive.h"

namespace glimmer {

void QVX_BurstPtclSys::Serialize(Archive& ar, int32_t version) {
  SerializeThrow(ar, version, true);
}

void QVX_BurstPtclSys::SerializeThrow(Archive& ar, int32_t version, bool hasTotal) {
  Field(ar, "point", point.position);
  if (hasTotal) Field(ar, "total", total);
  Field(ar, "speed", speed);
  Field(ar, "range", range);
  Field(ar, "threeD", threeD);
  Field(ar, "direction", direction);
  Field(ar, "spread", spread);
  uint32_t gravity = 0;
  int32_t gravityFlag = 0;
  if (version < 4) {
    Field(ar, "gravity", gravity);
    Field(ar, "gravityFlag", gravityFlag);
  }
  if (version > 1) {
    Field(ar, "offset", offset);
    Field(ar, "offsetRadius", offsetRadius);
  }
  SerializeBase<QVX_ParticleSystemCtrl>(ar, *this);
  if (!ar.IsReading()) return;
  if (version < 4) ApplyLegacyGravity(gravity, gravityFlag);
  if (version < 3) ApplyLegacyEnvelopes();
}

void QVX_BurstPtclSys::ApplyLegacyGravity(uint32_t gravity, int32_t flag) {
  appearance.gravity.SetValue(gravity);
  appearance.gravityMode.SetValue(flag != 0 ? 2 : 1);
  appearance.flags.SetValue(appearance.flags.Value() | kPhysics);
}

void QVX_BurstPtclSys::ApplyLegacyEnvelopes() {
  appearance.sizeEnvelope.riseEnd.SetValue(0);
  appearance.sizeEnvelope.fallStart.SetValue(100);
  appearance.opacityEnvelope.riseEnd.SetValue(10);
  appearance.opacityEnvelope.fallStart.SetValue(60);
}

template <class Ctor>
void BurstFamilyRuntime<Ctor>::BuildRoutines() {
  // The family always waves sideways when its appearance asks.
  ParticleAppearance& a = this->settings().appearance;
  a.flags.SetValue(a.flags.Value() | kLateralWaves);
  ParticleKindRuntime<Ctor>::BuildRoutines();
}

template <class Ctor>
void BurstFamilyRuntime<Ctor>::InitNewborn(size_t i) {
  const QVX_BurstPtclSys& s = this->settings();
  ParticleEngine& engine = this->engine_;
  const float v = s.speed.Scaled(), r = float(s.range.Value());
  // Life r ÷ v: a burst of no speed stays where it was thrown, for ever.
  engine.InitFromAppearance(i, v > 0 ? r / v : INFINITY);
  Particle& p = engine.At(i);
  const float a = float(s.direction.Value()), spread = float(s.spread.Value());
  const float radius = float(s.offsetRadius.Value());
  const bool cone = s.threeD.Value() != 0;
  const auto aim = [&](float rr, float a0, float a1) {
    return cone ? RandomConePoint(rr, a0, a1) : RandomArcPoint(rr, a0, a1);
  };
  if (s.offset.Value() == 0) {
    const D3DXVECTOR3 d = aim(1, a - spread / 2, a + spread / 2);
    p.velocity = d;
    p.position = p.position + d * RandomUniform(0, radius);
  } else {
    p.position = p.position + aim(RandomUniform(0, radius), 0, 360);
    // Aimed at the focal point where the spread's edges meet. A full turn
    // puts it infinitely far along the direction, so every particle flies
    // that way; without a spread or a radius they fly out at random.
    const float half = spread / 2 * 3.14159265358979f / 180.0f;
    const float sine = std::sin(half);
    const D3DXVECTOR4& dir = s.direction.Direction();
    const D3DXVECTOR3 along{dir.x, -dir.y, dir.z};
    if (spread != 0 && radius != 0 && std::fabs(sine) <= 1e-3f) {
      p.velocity = Length(along) > 0 ? Normalize(along) : D3DXVECTOR3{0, 0, 0};
    } else if (spread != 0 && radius != 0) {
      const D3DXVECTOR3 to = s.point.position + along * (radius / sine) - p.position;
      p.velocity = Length(to) > 0 ? Normalize(to) : D3DXVECTOR3{0, 0, 0};
    } else {
      p.velocity = aim(1, a - spread / 2, a + spread / 2);
    }
  }
  p.velocity = p.velocity * v;
  p.rnd2 = 0;
}

template <class Ctor>
void BurstFamilyRuntime<Ctor>::Births(size_t n) {
  ParticleEngine& engine = this->engine_;
  for (size_t k = 0; k < n; ++k) {
    if (!engine.Spawn(this->settings().point.position)) break;
    InitNewborn(engine.Count() - 1);
  }
}

template class BurstFamilyRuntime<QVX_BurstPtclSys>;
template class BurstFamilyRuntime<QVX_FontainPtclSys>;

void BurstSystem::Restart() {
  RestartEmpty();
  emitted_ = 0;
}

bool BurstSystem::Emit(float, size_t) {
  Births(DueOfTotal(settings().total.Value(), emitted_));
  return true;
}

GLIMMER_REGISTER_LAYER_KIND(QVX_BurstPtclSys, BurstSystem)

}  // namespace glimmer
