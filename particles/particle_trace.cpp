#include "particles/particle_trace.h"

#include <algorithm>
#include <cmath>

#include "params/param_serialization.h"
#include "params/random_source.h"
#include "particles/emitters.h"
#include "platform/gpu/d3dx_math.h"
#include "store/archive.h"

namespace glimmer {
namespace {
constexpr float kRadiansPerDegree = 3.14159265358979f / 180.0f;
}

void QVX_ParticleTrace::Serialize(Archive& ar, int32_t) {
  Field(ar, "path", path);
  Field(ar, "count", count);
  Field(ar, "life", life);
  Field(ar, "scatter", scatter);
  Field(ar, "speed", speed);
  SerializeBase<QVX_ParticleSystemCtrl>(ar, *this);
  if (ar.IsReading()) path.Rebuild();
}

void ParticleTraceSystem::BuildRoutines() {
  QVX_ParticleTrace& s = settings();
  s.path.StepsPerSegment = 20;
  s.path.Rebuild();
  cursor_ = PathCursor(&s.path.Samples);
  ParticleKindRuntime::BuildRoutines();
}

void ParticleTraceSystem::Restart() {
  ParticleKindRuntime::Restart();
  cursor_ = PathCursor(&settings().path.Samples);
  travelled_ = 0;
  atStart_ = true;
}

void ParticleTraceSystem::Drop(const D3DXVECTOR3& point, const D3DXVECTOR3& direction) {
  const QVX_ParticleTrace& s = settings();
  if (!engine_.Spawn(point + RandomArcPoint(float(s.scatter.Value()), 0, 360))) return;
  const size_t i = engine_.Count() - 1;
  engine_.InitFromAppearance(i, s.life.Seconds());
  Particle& p = engine_.At(i);
  const float length = Length(direction);
  const D3DXVECTOR3 axis = length > 0 ? direction * (1.0f / length) : D3DXVECTOR3{1, 0, 0};
  // Turned once more, so the quad's x axis follows the path.
  if (s.appearance.rotationMode.Value() == 1) TurnAlong(p.orientCos, p.orientSin, axis);
  // Off the path in a ring around its direction.
  D3DXMATRIX ring;
  D3DXMatrixRotationAxis(&ring, &axis, RandomUniform(0, 360) * kRadiansPerDegree);
  const D3DXVECTOR3 out{0, 0, s.speed.Scaled()};
  D3DXVec3TransformNormal(&p.velocity, &out, &ring);
}

bool ParticleTraceSystem::Emit(float dt, size_t) {
  const QVX_ParticleTrace& s = settings();
  QVX_Timing* line = GetTiming().Line();
  const float length = s.path.TotalLength;
  const float cycle = line ? line->CycleLength() : 0.0f;
  const bool shown = !line || line->State() == TimeLineState::Shown;
  if (!shown || !(length > 0) || !(cycle > 0) || s.count.Value() <= 1 ||
      s.path.Samples.size() < 2) {
    cursor_ = PathCursor(&s.path.Samples);
    travelled_ = 0;
    atStart_ = true;
    return false;
  }
  D3DXVECTOR3 point, direction;
  // One drop where the tracer sets out (a step of no time does not set
  // out again).
  if (atStart_) {
    const PathSample& start = s.path.Samples.front();
    Drop(start.Position, start.Tangent);
    atStart_ = false;
  }
  travelled_ += length * dt / cycle;
  const float spacing = length / float(s.count.Value() - 1);
  // A step can cover at most one traversal's drops.
  for (uint32_t k = 0; travelled_ > spacing && k < s.count.Value(); ++k) {
    cursor_.MoveBy(spacing, point, direction);
    Drop(point, direction);
    travelled_ -= spacing;
  }
  travelled_ = std::min(travelled_, spacing);
  return false;
}

GLIMMER_REGISTER_LAYER_KIND(QVX_ParticleTrace, ParticleTraceSystem)

}  // namespace glimmer
