#include "particles/tree/geometries.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "common/wide_string.h"
#include "params/param_serialization.h"
#include "params/path_cursor.h"
#include "params/random_source.h"
#include "particles/emitters.h"
#include "store/archive.h"
#include "store/class_registry.h"

namespace glimmer {

// ---- pool

TreeParticle* TreePool::Allocate() {
  if (live_.size() >= kMaxTreeParticlesPerGeometry) return nullptr;
  if (free_.empty()) {
    blocks_.push_back(std::make_unique<TreeParticle[]>(kBlock));
    TreeParticle* block = blocks_.back().get();
    for (size_t i = kBlock; i-- > 0;) free_.push_back(block + i);
  }
  TreeParticle* p = free_.back();
  free_.pop_back();
  live_.push_back(p);
  return p;
}

void TreePool::Sweep() {
  size_t kept = 0;
  for (TreeParticle* p : live_) {
    if (p->flags & kTreeParticleDead) {
      ++p->generation;  // handles on it are now empty
      free_.push_back(p);
    } else {
      live_[kept++] = p;
    }
  }
  live_.resize(kept);
}

void TreePool::Clear() {
  for (TreeParticle* p : live_) {
    ++p->generation;
    free_.push_back(p);
  }
  live_.clear();
}

// ---- geometry base

QVX_PtclSys_Geometry::QVX_PtclSys_Geometry() = default;

void QVX_PtclSys_Geometry::Serialize(Archive& ar, int32_t) {
  Field(ar, "name", name);
  Field(ar, "position", position);
  FieldWave(ar, "sizeWave", sizeWave);
  FieldWave(ar, "opacityWave", opacityWave);
  Field(ar, "size", size);
  Field(ar, "sizeJitter", size.Spread);
  Field(ar, "opacity", opacity);
  Field(ar, "opacityJitter", opacity.Spread);
  Field(ar, "sizeEnvelope", sizeEnvelope);
  Field(ar, "opacityEnvelope", opacityEnvelope);
  FieldWave(ar, "alongWave", alongWave);
  FieldWave(ar, "acrossWave", acrossWave);
  Field(ar, "spin", spin);
}

void QVX_PtclSys_Geometry::AddShared(TransformTable& t) {
  sharedFirst_ = t.Size();
  t.Add<PtclTr_JitterUpdater>(1, size);
  t.Add<PtclTr_JitterUpdater>(2, opacity);
  t.Add<PtclTr_Oscilator>(1, sizeWave, 1.0f);
  t.Add<PtclTr_Oscilator>(2, opacityWave, 1.0f);
  t.Add<PtclTr_Oscilator>(3, alongWave, 0.0f);
  t.Add<PtclTr_Oscilator>(4, acrossWave, 0.0f);
  t.Add<PtclTr_StandardSpin>(spin);
  sharedEnd_ = t.Size();
}

void QVX_PtclSys_Geometry::BuildTable(TransformTable& t) {
  AddShared(t);
}

const TransformTable& QVX_PtclSys_Geometry::Table() {
  TransformTable& t = table_.value;
  if (t.Empty()) {
    BuildTable(t);
    if (Linked().colours) t.Add<PtclTr_Color>(*Linked().colours);
  }
  return t;
}

void QVX_PtclSys_Geometry::Link(const LeafLink& link) {
  linked_.value = link;
  table_.value.Clear();  // rebuilt with the leaf's transforms
}

void QVX_PtclSys_Geometry::DrawCell(TreeParticle& p) const {
  const int32_t c = std::max(1, columns), r = std::max(1, rows);
  p.frame[0] = 1.0f / float(c);
  p.frame[1] = 1.0f / float(r);
  p.frame[2] = float(NextRandom() % c) * p.frame[0];
  p.frame[3] = float(NextRandom() % r) * p.frame[1];
}

void QVX_PtclSys_Geometry::SetGrid(int32_t c, int32_t r) {
  // A grid without columns or rows is one cell.
  columns = std::max(1, c);
  rows = std::max(1, r);
  for (TreeParticle* p : pool.Live()) DrawCell(*p);
}

void QVX_PtclSys_Geometry::InitParticle(TreeParticle& p) {
  DrawCell(p);
  Table().Init(p, sharedFirst_, sharedEnd_);
}

void QVX_PtclSys_Geometry::InitRest(TreeParticle& p) {
  const TransformTable& t = Table();
  t.Init(p, 0, sharedFirst_);
  t.Init(p, sharedEnd_, t.Size());
}

TreeParticle* QVX_PtclSys_Geometry::Allocate() {
  TreeParticle* p = pool.Allocate();
  if (!p && !capReported_) {
    std::cerr << "glimmer: the particle-tree geometry \"" << ToUtf8(name)
              << "\" asks for more than " << kMaxTreeParticlesPerGeometry
              << " particles; the others are not born\n";
    capReported_ = true;
  }
  return p;
}

TreeParticle* QVX_PtclSys_Geometry::CreateParticle(const ParticleHandle& parent) {
  TreeParticle* p = Allocate();
  if (!p) return nullptr;
  p->Initialise(parent);
  p->position = position.Value();
  InitParticle(*p);
  return p;
}

void QVX_PtclSys_Geometry::Step(float dt) {
  const TransformTable& t = Table();
  for (TreeParticle* p : pool.Live()) {
    p->ResetStep();
    p->age += dt;
    if (!p->parent.Empty()) {
      const TreeParticle* parent = p->parent.Get();
      if (!parent || (parent->flags & kTreeParticleDead)) {
        p->flags |= kTreeParticleDead;
        continue;
      }
    }
    if (!t.Apply(dt, *p)) p->flags |= kTreeParticleDead;
  }
  pool.Sweep();
}

// ---- emitters

QVX_PSGeometry_Emitter::QVX_PSGeometry_Emitter() = default;

void QVX_PSGeometry_Emitter::Serialize(Archive& ar, int32_t) {
  Field(ar, "life", life);
  Field(ar, "count", count);
  Field(ar, "duration", duration);
  Field(ar, "pause", pause);
  Field(ar, "delay", delay);
  Field(ar, "speed", speed);
  Field(ar, "speedJitter", speed.Spread);
  Field(ar, "attached", attached);
  SerializeBase<QVX_PtclSys_Geometry>(ar, *this);
}

uint32_t QVX_PSGeometry_Emitter::EmissionCount(float T, float dt) const {
  uint32_t n = count;
  if (n > kMaxTreeBurstCount) {
    if (!countReported_) {
      std::cerr << "glimmer: the particle-tree emitter \"" << ToUtf8(name) << "\" asks for " << n
                << " particles a burst; at most " << kMaxTreeBurstCount << " are born\n";
      countReported_ = true;
    }
    n = kMaxTreeBurstCount;
  }
  // In single precision, as the parent's age accumulates: the end of one
  // step is then exactly the start of the next and no birth is lost or
  // counted twice at a step's edge.
  const float d = duration, period = duration + pause;
  if (n == 0 || !(d > 0) || !(period > 0) || !std::isfinite(period) || !std::isfinite(T) ||
      !(dt >= 0) || !std::isfinite(dt)) {
    return 0;
  }
  const float e = T - delay;
  if (e < 0) return 0;
  const float g = std::fmod(e, period), interval = d / float(n), end = g + dt;
  if (!(d > end || g < d)) return 0;
  const float due = std::floor(std::min(end, d) / interval) - std::floor(g / interval);
  return due > 0 ? uint32_t(std::min(due, float(n))) : 0;
}

void QVX_PSGeometry_Emitter::BuildTable(TransformTable& t) {
  t.Add<PtclTr_MaxAge>(life);
  AddShared(t);
  AddOwn(t);
}

void QVX_PSGeometry_Emitter::Emit(float dt, TreeParticle& parent, std::vector<TreeParticle*>& out) {
  const uint32_t n = EmissionCount(parent.age, dt);
  const ParticleHandle handle = attached != 0 ? parent.Handle() : ParticleHandle{};
  const D3DXVECTOR3 at = attached != 0 ? position.Value() : parent.World() + position.Value();
  // The shared setup of every new particle first, then each one's own
  // direction, speed and transforms: the random draws come in that order.
  const size_t first = out.size();
  for (uint32_t k = 0; k < n; ++k) {
    TreeParticle* p = Allocate();
    if (!p) break;
    p->Initialise(handle);
    p->position = at;
    InitParticle(*p);
    out.push_back(p);
  }
  for (size_t k = first; k < out.size(); ++k) {
    Place(*out[k], parent);
    InitRest(*out[k]);
  }
}

namespace {
// A unit direction within ±spread/2 of `angle` degrees, turned by the
// parent's orientation.
D3DXVECTOR3 ArcDirection(float angle, float spread, bool cone, const TreeParticle& parent) {
  const D3DXVECTOR3 d = cone ? RandomConePoint(1, angle - spread / 2, angle + spread / 2)
                             : RandomArcPoint(1, angle - spread / 2, angle + spread / 2);
  D3DXVECTOR3 turned;
  D3DXVec3TransformNormal(&turned, &d, &parent.orientation);
  return turned;
}

void SetSpeed(TreeParticle& p, const QVX_JitterParam& speed) {
  const float s = RandomUniform(speed.Spread.Scaled(), 1.0f) * speed.Scaled();
  p.velocity = p.direction * s;
}

// The emitting kinds' own transforms: forces, kinematics, and the size and
// opacity their parent had at their birth.
void AddMotion(TransformTable& t, const ForceParams& forces) {
  t.Add<PtclTr_StandardForces>(forces);
  t.Add<PtclTr_Kinematic>();
  t.Add<PtclTr_PrmMultiplicator>(1);
  t.Add<PtclTr_PrmMultiplicator>(2);
}

void SetBirthLevels(const TransformTable& t, TreeParticle& p, const TreeParticle& parent,
                    const LifeEnvelope7& size, const LifeEnvelope7& opacity) {
  const size_t n = t.Size();
  // The two multiplicators are the last kind transforms before a leaf's colour.
  for (size_t i = 0, found = 0; i < n; ++i) {
    if (const auto* m = dynamic_cast<const PtclTr_PrmMultiplicator*>(&t.At(i))) {
      m->SetFactor(p, (found++ == 0 ? size : opacity).Level(parent.life));
    }
  }
}
}  // namespace

void QVX_PSGeomEmit_Point::Serialize(Archive& ar, int32_t) {
  Field(ar, "direction", direction);
  Field(ar, "spread", spread);
  Field(ar, "offset", offset);
  Field(ar, "cone", cone);
  Field(ar, "forces", forces);
  SerializeBase<QVX_PSGeometry_Emitter>(ar, *this);
}

void QVX_PSGeomEmit_Point::AddOwn(TransformTable& t) {
  AddMotion(t, forces);
}

void QVX_PSGeomEmit_Point::Place(TreeParticle& p, TreeParticle& parent) {
  p.direction = ArcDirection(float(direction.Value()), float(spread.Value()), cone != 0, parent);
  SetSpeed(p, speed);
  p.position = p.position + p.direction * RandomUniform(0, float(offset.Value()));
  SetBirthLevels(Table(), p, parent, sizeEnvelope, opacityEnvelope);
}

void QVX_PSGeomEmit_Sector::Serialize(Archive& ar, int32_t) {
  Field(ar, "sectorAngle", sectorAngle);
  Field(ar, "sectorWidth", sectorWidth);
  Field(ar, "radius", radius);
  Field(ar, "emissionAngle", emissionAngle);
  Field(ar, "emissionSpread", emissionSpread);
  Field(ar, "forces", forces);
  SerializeBase<QVX_PSGeometry_Emitter>(ar, *this);
}

void QVX_PSGeomEmit_Sector::AddOwn(TransformTable& t) {
  AddMotion(t, forces);
}

void QVX_PSGeomEmit_Sector::Place(TreeParticle& p, TreeParticle& parent) {
  const float a = float(sectorAngle.Value()), w = float(sectorWidth.Value());
  const float r = RandomUniform(0, float(radius.Value()));
  p.position = p.position + RandomArcPoint(r, a - w / 2, a + w / 2);
  p.direction =
      ArcDirection(float(emissionAngle.Value()), float(emissionSpread.Value()), false, parent);
  SetSpeed(p, speed);
  SetBirthLevels(Table(), p, parent, sizeEnvelope, opacityEnvelope);
}

void QVX_PSGeomEmit_Rect::Serialize(Archive& ar, int32_t) {
  Field(ar, "width", width);
  Field(ar, "height", height);
  Field(ar, "emissionAngle", emissionAngle);
  Field(ar, "emissionSpread", emissionSpread);
  Field(ar, "forces", forces);
  SerializeBase<QVX_PSGeometry_Emitter>(ar, *this);
}

void QVX_PSGeomEmit_Rect::AddOwn(TransformTable& t) {
  AddMotion(t, forces);
}

void QVX_PSGeomEmit_Rect::Place(TreeParticle& p, TreeParticle& parent) {
  const float w = float(width.Value()), h = float(height.Value());
  const float x = RandomUniform(-w / 2, w / 2);
  const float y = RandomUniform(-h / 2, h / 2);
  p.position = p.position + D3DXVECTOR3{x, y, 0};
  p.direction =
      ArcDirection(float(emissionAngle.Value()), float(emissionSpread.Value()), false, parent);
  SetSpeed(p, speed);
  SetBirthLevels(Table(), p, parent, sizeEnvelope, opacityEnvelope);
}

QVX_PSGeomEmit_Stream::QVX_PSGeomEmit_Stream() = default;
QVX_PSGeomEmit_Stream::QVX_PSGeomEmit_Stream(const QVX_PSGeomEmit_Stream& o)
    : QVX_PSGeometry_Emitter(o),
      start(o.start),
      end(o.end),
      startDirection(o.startDirection),
      endDirection(o.endDirection),
      perspective(o.perspective) {}

void QVX_PSGeomEmit_Stream::Serialize(Archive& ar, int32_t) {
  Field(ar, "start", start);
  Field(ar, "end", end);
  Field(ar, "startDirection", startDirection);
  Field(ar, "endDirection", endDirection);
  Field(ar, "perspective", perspective);
  SerializeBase<QVX_PSGeometry_Emitter>(ar, *this);
}

void QVX_PSGeomEmit_Stream::AddOwn(TransformTable& t) {
  shape_ = {start, end, perspective != 0, &speed};
  t.Add<PtclTr_PerspectiveFlow>(shape_);
  t.Add<PtclTr_Kinematic>();
}

void QVX_PSGeomEmit_Stream::Place(TreeParticle& p, TreeParticle&) {
  const float u = RandomUnit();
  p.position = p.position + start + (end - start) * u;
  const D3DXVECTOR4 a = startDirection.Direction(), b = endDirection.Direction();
  // The directions run clockwise on screen, as every emission angle does.
  p.direction = Normalize(D3DXVECTOR3{a.x + (b.x - a.x) * u, -(a.y + (b.y - a.y) * u), 0});
}

void QVX_PSGeometry_Line::Serialize(Archive& ar, int32_t) {
  Field(ar, "path", path);
  if (ar.IsReading()) path.Rebuild();
  SerializeBase<QVX_PSGeometry_Emitter>(ar, *this);
}

void QVX_PSGeometry_Line::Place(TreeParticle& p, TreeParticle&) {
  p.position = p.position + (path.Samples.empty() ? D3DXVECTOR3{} : path.Samples[0].Position);
}

void QVX_PSGeomEmit_Line::Serialize(Archive& ar, int32_t) {
  SerializeBase<QVX_PSGeometry_Line>(ar, *this);
}

void QVX_PSGeomEmit_Line::AddOwn(TransformTable& t) {
  t.Add<PtclTr_PathTracker>(path, speed);
}

void QVX_PSGeomEmit_Path::Serialize(Archive& ar, int32_t) {
  Field(ar, "placement", placement);
  Field(ar, "direction", direction);
  Field(ar, "spread", spread);
  SerializeBase<QVX_PSGeometry_Line>(ar, *this);
}

void QVX_PSGeomEmit_Path::AddOwn(TransformTable& t) {
  t.Add<PtclTr_Kinematic>();
}

void QVX_PSGeomEmit_Path::Place(TreeParticle& p, TreeParticle& parent) {
  D3DXVECTOR3 at{}, tangent{1, 0, 0};
  if (path.Samples.size() >= 2 && path.TotalLength > 0) {
    // Random places, or evenly spaced ones a tenth of the length apart.
    const float s = placement == 0
                        ? RandomUniform(0, path.TotalLength)
                        : std::fmod(float(placed_++) * path.TotalLength * 0.1f, path.TotalLength);
    PathCursor cursor(&path.Samples);
    cursor.SeekOffset(s, 0, at, tangent);
  }
  p.position = p.position + at;
  p.direction = ArcDirection(float(direction.Value()), float(spread.Value()), false, parent);
  SetSpeed(p, speed);
}

GLIMMER_REGISTER_CLASS(ItemRegistry, QVX_PSGeomEmit_Point)
GLIMMER_REGISTER_CLASS(ItemRegistry, QVX_PSGeomEmit_Sector)
GLIMMER_REGISTER_CLASS(ItemRegistry, QVX_PSGeomEmit_Rect)
GLIMMER_REGISTER_CLASS(ItemRegistry, QVX_PSGeomEmit_Stream)
GLIMMER_REGISTER_CLASS(ItemRegistry, QVX_PSGeomEmit_Line)
GLIMMER_REGISTER_CLASS(ItemRegistry, QVX_PSGeomEmit_Path)

}  // namespace glimmer
