#include "particles/particle_tracer.h"

#include <cmath>
#include <span>
#include <string>

#include "params/param_serialization.h"
#include "params/random_source.h"
#include "store/archive.h"

namespace glimmer {

QVX_ParticleTracer::QVX_ParticleTracer(std::u16string layerName)
    : layerName_(std::move(layerName)), engine_(appearance, layerName_) {}

QVX_ParticleTracer::QVX_ParticleTracer(const QVX_ParticleTracer& o)
    : circle(o.circle),
      rate(o.rate),
      appearance(o.appearance),
      life(o.life),
      spread(o.spread),
      travel(o.travel),
      layerName_(o.layerName_),
      engine_(appearance, layerName_) {}

QVX_ParticleTracer& QVX_ParticleTracer::operator=(const QVX_ParticleTracer& o) {
  if (this == &o) return *this;
  circle = o.circle;
  rate = o.rate;
  appearance = o.appearance;
  life = o.life;
  spread = o.spread;
  travel = o.travel;
  engine_.ClearRoutines();
  built_ = false;
  return *this;
}

void QVX_ParticleTracer::Serialize(Archive& ar) {
  const int32_t v = ar.Version("version", kVersion);
  if (v < 1 || v > kVersion) {
    ar.Fail("trail emitter version " + std::to_string(v) + " is not one of 1 to " +
            std::to_string(kVersion));
  }
  if (v > 1) appearance.SerializeBlock(ar);
  Field(ar, "rate", rate.rate);
  Field(ar, "life", life);
  if (v < 2) Field(ar, "baseSize", appearance.baseSize);
  Field(ar, "spread", spread);
  Field(ar, "travel", travel);
  if (v < 4) {
    int32_t ignored = 0;
    Field(ar, "physicsSwitch", ignored);
    if (ar.IsReading()) appearance.flags.SetValue(appearance.flags.Value() | kPhysics);
  }
  if (v < 3 && ar.IsReading()) {
    appearance.sizeEnvelope.riseEnd.SetValue(0);
    appearance.sizeEnvelope.fallStart.SetValue(0);
    appearance.opacityEnvelope.riseEnd.SetValue(10);
    appearance.opacityEnvelope.fallStart.SetValue(0);
  }
  if (ar.IsReading()) built_ = false;
}

void QVX_ParticleTracer::BuildRoutines() {
  engine_.ClearRoutines();
  engine_.SetAgeRule(AgeRule::Constant);
  // Kinematics come first, so the appearance's air resistance (after it)
  // acts on no step: the force is cleared before every step.
  engine_.AddRoutine({.kind = RoutineKind::Kinematic});
  engine_.AddAppearanceRoutines();
  built_ = true;
}

void QVX_ParticleTracer::Launch(size_t i, const D3DXVECTOR3& origin, float size) {
  const float seconds = life.Scaled();
  engine_.InitFromAppearance(i, seconds);
  Particle& p = engine_.At(i);
  // Travel over a life: with no life there is no velocity to give.
  const float k = seconds > 0 ? travel.Scaled() / seconds : 0.0f;
  D3DXVECTOR3 v;
  if (travel.Scaled() > 0) {
    const float r = RandomUniform(0, size);
    v = RandomArcPoint(r, 0, 360) * k;
  } else {
    v = (p.Centre() - origin) * k;
  }
  const bool finite = std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
  p.velocity = finite ? v : D3DXVECTOR3{};
  p.rnd2 = 0;
}

void QVX_ParticleTracer::EmitTrails(float size, float dt, const ParticleEngine& parents) {
  if (!built_) BuildRoutines();
  if (life.Scaled() > 0) {
    for (size_t j = 0; j < parents.Count(); ++j) {
      const Particle& parent = parents.At(j);
      circle.position = parent.Centre();
      circle.diameter = spread.Scaled() * size * parent.rnd1;
      const int32_t n = rate.Count(dt);
      if (n <= 0) continue;
      if (births_.size() < size_t(n)) births_.resize(size_t(n));
      const std::span<D3DXVECTOR3> at(births_.data(), size_t(n));
      circle.Positions(at);
      const size_t first = engine_.Count();
      for (const D3DXVECTOR3& x : at) {
        if (!engine_.Spawn(x)) break;
      }
      for (size_t i = first; i < engine_.Count(); ++i) Launch(i, circle.position, size);
    }
  }
  engine_.StepAll(dt);
}

}  // namespace glimmer
