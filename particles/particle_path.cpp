#include "particles/particle_path.h"

#include <bit>

#include "params/param_serialization.h"
#include "params/path_cursor.h"
#include "params/random_source.h"
#include "store/archive.h"

namespace glimmer {

void QVX_ParticlePath::Serialize(Archive& ar, int32_t) {
  Field(ar, "path", path);
  Field(ar, "rate", rate.rate);
  Field(ar, "speed", speed);
  Field(ar, "speedJitter", speedJitter);
  Field(ar, "width", width);
  Field(ar, "noise", noise);
  Field(ar, "frequency", frequency);
  Field(ar, "startLevel", startLevel);
  Field(ar, "endLevel", endLevel);
  Field(ar, "startFraction", startFraction);
  Field(ar, "endFraction", endFraction);
  SerializeBase<QVX_ParticleSystemCtrl>(ar, *this);
  if (ar.IsReading()) path.Rebuild();
}

namespace {

// The age routine: the particle walks along the path by its jittered
// speed, offset sideways by its wander; its age counts pixels travelled and
// it dies at the path's end. State: the cursor (sample, distance into it)
// and the speed factor.
bool TrackPath(const RoutineSlot& slot, Particle& p, float* state, float dt) {
  const auto& s = *static_cast<const QVX_ParticlePath*>(slot.context);
  const float step = state[2] * dt * s.speed.Scaled();
  p.age += step;
  PathCursor cursor(&s.path.Samples);
  cursor.Index = std::bit_cast<int32_t>(state[0]);
  cursor.Offset = state[1];
  const float lateral = p.prm[6] * p.aux[2] * float(s.width.Value());
  const bool on = cursor.MoveByOffset(step, lateral, p.position, p.velocity);
  state[0] = std::bit_cast<float>(cursor.Index);
  state[1] = cursor.Offset;
  return on;
}

}  // namespace

void ParticlePathSystem::BuildRoutines() {
  QVX_ParticlePath& s = settings();
  s.path.Rebuild();
  const float length = s.path.TotalLength;
  engine_.SetAgeRoutine(&TrackPath, &s, 3);
  // The wander on prm[6]: noise, or a sine whose frequency sign and phase
  // each particle draws.
  if (s.noise.Value() != 0) {
    // The noise keeps half the amplitude it is given (1).
    wander_ = engine_.AddRoutine(
        {.kind = RoutineKind::Perlin, .index = 6, .k = {s.frequency.Scaled(), 0.5f, 0.0f}}, 2);
  } else {
    wander_ = engine_.AddRoutine({.kind = RoutineKind::Harmonic, .index = 6, .k = {1.0f, 0.0f}}, 2);
  }
  // The spread opens over the start and closes over the end.
  const bool ramps = s.startFraction.Value() < s.endFraction.Value();
  const float a = ramps ? s.startLevel.Scaled() : 0, b = ramps ? s.endLevel.Scaled() : 0;
  engine_.AddRoutine({.kind = RoutineKind::IncrementM,
                      .index = 6,
                      .k = {a, 1.0f, 0.0f, s.startFraction.Scaled() * length}});
  engine_.AddRoutine({.kind = RoutineKind::IncrementM,
                      .index = 6,
                      .k = {1.0f, b, s.endFraction.Scaled() * length, length}});
  engine_.AddAppearanceRoutines();
}

float ParticlePathSystem::WarmUpTime() const {
  return settings().path.TotalLength / settings().speed.Scaled();
}

bool ParticlePathSystem::Emit(float dt, size_t) {
  const QVX_ParticlePath& s = settings();
  const int32_t n = settings().rate.Count(Visibility() * dt);
  if (n <= 0 || s.path.Points.size() < 2 || s.path.Samples.size() < 2) return true;
  const D3DXVECTOR3 start = s.path.Points.front()->Value();
  const float length = s.path.TotalLength;
  const float m = s.speedJitter.Scaled();
  for (int32_t k = 0; k < n; ++k) {
    if (!engine_.Spawn(start)) break;
    const size_t i = engine_.Count() - 1;
    Particle& p = engine_.At(i);
    if (s.noise.Value() != 0) {
      p.aux[2] = 1.0f;
      engine_.StartNoise(i, wander_);
    } else {
      p.aux[2] = RandomUniform(-0.5f, 0.5f);
      const float f = s.frequency.Scaled();
      engine_.StartHarmonic(i, wander_, NextRandom() % 2 == 0 ? f : -f);
    }
    float* track = engine_.State(i, engine_.AgeRoutine());
    track[0] = std::bit_cast<float>(int32_t(0));
    track[1] = 0;
    track[2] = 2.0f - RandomUniform(m, 1);
    engine_.InitFromAppearance(i, length);
  }
  return true;
}

GLIMMER_REGISTER_LAYER_KIND(QVX_ParticlePath, ParticlePathSystem)

}  // namespace glimmer
