#include "particles/tree/followers.h"

#include <algorithm>

#include "params/param_serialization.h"
#include "params/random_source.h"
#include "store/archive.h"
#include "store/class_registry.h"

namespace glimmer {

void QVX_PSGeometry_Point::Serialize(Archive& ar, int32_t) {
  SerializeBase<QVX_PtclSys_Geometry>(ar, *this);
}

void QVX_PSGeometry_Point::BuildTable(TransformTable& t) {
  AddShared(t);
  t.Add<PtclTr_InheritAge>();
  t.Add<PtclTr_AgeTransform>(1, sizeEnvelope);
  t.Add<PtclTr_AgeTransform>(2, opacityEnvelope);
  t.Add<PtclTr_InheritVectorPrm>(3);
}

void QVX_PSGeometry_Point::Spawn(const ParticleHandle& parent, std::vector<TreeParticle*>& out) {
  TreeParticle* p = CreateParticle(parent);
  if (!p) return;
  InitRest(*p);
  out.push_back(p);
}

QVX_PSGeometry_Swarm::QVX_PSGeometry_Swarm() = default;
QVX_PSGeometry_Swarm::QVX_PSGeometry_Swarm(const QVX_PSGeometry_Swarm& o)
    : QVX_PtclSys_Geometry(o),
      boxWidth(o.boxWidth),
      boxHeight(o.boxHeight),
      speed(o.speed),
      frequency(o.frequency),
      duration(o.duration),
      count(o.count) {}

void QVX_PSGeometry_Swarm::Serialize(Archive& ar, int32_t) {
  Field(ar, "boxWidth", boxWidth);
  Field(ar, "boxHeight", boxHeight);
  Field(ar, "speed", speed);
  Field(ar, "frequency", frequency);
  Field(ar, "duration", duration);
  Field(ar, "count", count);
  SerializeBase<QVX_PtclSys_Geometry>(ar, *this);
}

void QVX_PSGeometry_Swarm::BuildTable(TransformTable& t) {
  AddShared(t);
  t.Add<PtclTr_Brownian>(context_);
  t.Add<PtclTr_InheritAge>();
  t.Add<PtclTr_AgeTransform>(1, sizeEnvelope);
  t.Add<PtclTr_AgeTransform>(2, opacityEnvelope);
}

void QVX_PSGeometry_Swarm::Spawn(const ParticleHandle& parent, std::vector<TreeParticle*>& out) {
  // The box about the geometry's position, relative to the parent.
  const D3DXVECTOR3 c = position.Value();
  const float hw = float(boxWidth.Value()) / 2, hh = float(boxHeight.Value()) / 2;
  context_.minimum = {c.x - hw, c.y - hh, 0};
  context_.maximum = {c.x + hw, c.y + hh, 0};
  context_.speed = speed.Scaled();
  context_.frequency = frequency.Scaled();
  context_.duration = duration.Scaled();
  const uint32_t n = std::min(count.Value(), kMaxCount);
  for (uint32_t k = 0; k < n; ++k) {
    TreeParticle* p = Allocate();
    if (!p) return;
    p->Initialise(parent);
    InitParticle(*p);
    const float x = RandomUniform(-hw, hw), y = RandomUniform(-hh, hh);
    p->position = c + D3DXVECTOR3{x, y, 0};
    InitRest(*p);
    out.push_back(p);
  }
}

void QVX_PSGeometry_Trace::Serialize(Archive& ar, int32_t) {
  SerializeBase<QVX_PtclSys_Geometry>(ar, *this);
}

void QVX_PSGeometry_Trace::BuildTable(TransformTable& t) {
  t.Add<PtclTr_MaxAge>(Linked().traceLife > 0 ? Linked().traceLife : 0.5f);
  AddShared(t);
  t.Add<PtclTr_AgeTransform>(1, Linked().traceSize ? *Linked().traceSize : sizeEnvelope);
  t.Add<PtclTr_AgeTransform>(2, Linked().traceOpacity ? *Linked().traceOpacity : opacityEnvelope);
}

void QVX_PSGeometry_Trace::Emit(float dt, TreeParticle& parent, std::vector<TreeParticle*>& out) {
  if (!(dt > 0)) return;
  const D3DXVECTOR3& v = parent.velocity;
  if (v.x == 0 && v.y == 0 && v.z == 0) return;
  TreeParticle* p = CreateParticle({});
  if (!p) return;
  p->position = parent.World() + position.Value();
  p->direction = parent.direction;
  InitRest(*p);
  out.push_back(p);
}

GLIMMER_REGISTER_CLASS(ItemRegistry, QVX_PSGeometry_Point)
GLIMMER_REGISTER_CLASS(ItemRegistry, QVX_PSGeometry_Swarm)
GLIMMER_REGISTER_CLASS(ItemRegistry, QVX_PSGeometry_Trace)

}  // namespace glimmer
