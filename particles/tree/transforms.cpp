#include "particles/tree/transforms.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "params/param_serialization.h"
#include "params/path_cursor.h"
#include "params/paths.h"
#include "params/random_source.h"
#include "particles/value_noise.h"
#include "store/archive.h"

namespace glimmer {
namespace {
constexpr float kTwoPi = 6.28318530717958f;
constexpr float kRadiansPerDegree = 3.14159265358979f / 180.0f;
constexpr int kMaxChain = 64;  // ancestors followed; deeper chains stop there
}  // namespace

TreeParticle* ParticleHandle::Get() const {
  return particle && particle->generation == generation ? particle : nullptr;
}

void TreeParticle::Initialise(const ParticleHandle& parentHandle) {
  const uint32_t keep = generation;
  *this = TreeParticle{};
  generation = keep;
  D3DXMatrixIdentity(&orientation);
  parent = parentHandle;
}

void TreeParticle::ResetStep() {
  D3DXMatrixIdentity(&orientation);
  prm[0] = prm[1] = prm[2] = prm[5] = 1;
  prm[3] = prm[4] = 0;
  acceleration = {};
}

D3DXVECTOR3 TreeParticle::World() const {
  D3DXVECTOR3 w{};
  int depth = 0;
  for (const TreeParticle* q = this; q && depth < kMaxChain; q = q->parent.Get(), ++depth) {
    w = w + q->position;
    w.x += q->prm[3] * q->direction.x - q->prm[4] * q->direction.y;
    w.y += q->prm[3] * q->direction.y + q->prm[4] * q->direction.x;
  }
  return w;
}

float TreeParticle::ChainFactor(int index) const {
  float f = 1;
  int depth = 0;
  for (const TreeParticle* q = this; q && depth < kMaxChain; q = q->parent.Get(), ++depth) {
    f *= q->base[index] * q->prm[index];
  }
  return f;
}

// ---- parameter groups

LifeEnvelope7::LifeEnvelope7() {
  for (int i = 0; i < 6; ++i) s[i].SetScale(0.01f, 0.0f);
  s[2].SetValue(100);
  s[6].SetValue(1);
}

float LifeEnvelope7::Level(float x) const {
  const float rise = s[1].Scaled(), fall = s[2].Scaled();
  const float start = s[4].Scaled(), end = s[5].Scaled(), m = s[6].Scaled();
  if (rise > x) return (x / rise * (1 - start) + start) * m;
  if (x > fall) {
    // A fall that starts at 1 or later has no slope: the end level.
    if (!(fall < 1.0f)) return end * m;
    return ((1 - x) / (1 - fall) * (1 - end) + end) * m;
  }
  return m;
}

void LifeEnvelope7::Serialize(Archive& ar, std::string_view name) {
  static constexpr std::string_view kNames[7] = {"s0",         "riseEnd",  "fallStart", "s3",
                                                 "startLevel", "endLevel", "multiplier"};
  ar.BeginStruct(name);
  if (ar.StoresVersions()) Field(ar, "version", version);
  for (int i = 0; i < 7; ++i) Field(ar, kNames[i], s[i]);
  ar.EndStruct();
}

void SpinParams::Serialize(Archive& ar, std::string_view name) {
  ar.BeginStruct(name);
  if (ar.StoresVersions()) Field(ar, "version", version);
  Field(ar, "directionMode", directionMode);
  Field(ar, "speed", speed);
  Field(ar, "speedJitter", speed.Spread);
  Field(ar, "mode", mode);
  Field(ar, "angle", angle);
  Field(ar, "spread", spread);
  ar.EndStruct();
}

void ForceParams::Serialize(Archive& ar, std::string_view name) {
  ar.BeginStruct(name);
  version = ar.Version("version", 2);
  // Version 1 has no drag mode: its drag is linear.
  if (version > 1) {
    Field(ar, "dragMode", dragMode);
  } else if (ar.IsReading()) {
    dragMode.SetValue(3);
  }
  Field(ar, "gravityMode", gravityMode);
  Field(ar, "gravity", gravity);
  Field(ar, "drag", drag);
  ar.EndStruct();
  version = 2;
}

// ---- transforms

bool PtclTr_MaxAge::Apply(float dt, TreeParticle& p) const {
  // A life of no length ends at the first step that takes time.
  if (maxAge > 0 && std::isfinite(maxAge)) {
    p.life += dt / maxAge;
  } else if (dt > 0) {
    p.life = 2;
  }
  return p.life <= 1.0f;
}

bool PtclTr_InheritAge::Apply(float, TreeParticle& p) const {
  if (const TreeParticle* parent = p.parent.Get()) p.life = parent->life;
  return true;
}

bool PtclTr_AgeTransform::Apply(float, TreeParticle& p) const {
  p.prm[index] *= envelope->Level(p.life);
  return true;
}

bool PtclTr_PrmMultiplicator::Apply(float, TreeParticle& p) const {
  p.prm[index] *= State(p)[0];
  return true;
}

void PtclTr_JitterUpdater::Init(TreeParticle& p) const {
  State(p)[0] = RandomUnit();
}

bool PtclTr_JitterUpdater::Apply(float, TreeParticle& p) const {
  p.base[index] = source->Sample(State(p)[0]);
  return true;
}

namespace {
// A wave value w in a prm: levels (offset ≠ 0) multiply, offsets add.
void Combine(float& prm, float wave, float offset) {
  if (offset != 0) {
    prm *= wave;
  } else {
    prm += wave;
  }
}
}  // namespace

void PtclTr_Harmonic::Init(TreeParticle& p) const {
  State(p)[0] = RandomUniform(0, kTwoPi);
}

bool PtclTr_Harmonic::Apply(float dt, TreeParticle& p) const {
  float& phase = State(p)[0];
  phase = std::fmod(phase + source->frequency.Scaled() * dt, kTwoPi);
  Combine(p.prm[index], (std::cos(phase) - offset) * source->amplitude.Scaled() + offset, offset);
  return true;
}

void PtclTr_Perlin::Init(TreeParticle& p) const {
  State(p)[0] = 0;
  State(p)[1] = std::bit_cast<float>(ValueNoise::DrawSeed());
}

bool PtclTr_Perlin::Apply(float dt, TreeParticle& p) const {
  float* s = State(p);
  s[0] += source->frequency.Scaled() * dt;
  ValueNoise noise;
  noise.persistence = 0.5;
  noise.frequency = 1.0;
  noise.amplitude = 2.0;
  noise.octaves = 1;
  noise.seed = std::bit_cast<int32_t>(s[1]);
  const float n = float(noise.Total(s[0]) * 2.0);
  Combine(p.prm[index], (n - offset) * source->amplitude.Scaled() + offset, offset);
  return true;
}

void PtclTr_Oscilator::Placed() {
  harmonic.stateOffset = stateOffset;
  perlin.stateOffset = uint16_t(stateOffset + 1);
}

void PtclTr_Oscilator::Init(TreeParticle& p) const {
  harmonic.Init(p);
  perlin.Init(p);
}

bool PtclTr_Oscilator::Apply(float dt, TreeParticle& p) const {
  switch (source->mode.Value()) {
    case 1:
      return harmonic.Apply(dt, p);
    case 2:
      return perlin.Apply(dt, p);
    default:
      return true;
  }
}

bool PtclTr_Kinematic::Apply(float dt, TreeParticle& p) const {
  p.position = p.position + p.velocity * dt + p.acceleration * (0.5f * dt * dt);
  p.velocity = p.velocity + p.acceleration * dt;
  return true;
}

bool PtclTr_StandardForces::Apply(float, TreeParticle& p) const {
  const ForceParams& f = *forces;
  const int32_t gravityMode = f.gravityMode.Value(), dragMode = f.dragMode.Value();
  const float g = gravityMode >= 1 ? f.gravity.Scaled() : 0.0f;
  D3DXVECTOR3 d{};
  if (dragMode == 1 || dragMode == 2) {
    float m =
        p.velocity.x * p.velocity.x + p.velocity.y * p.velocity.y + p.velocity.z * p.velocity.z;
    if (dragMode == 1) m *= p.base[1];
    d = p.direction * (f.drag.Scaled() * 0.02f * m);
  } else if (dragMode >= 3) {
    d = p.velocity * f.drag.Scaled();
  }
  p.acceleration.x += d.x;
  p.acceleration.y += d.y + (gravityMode < 2 ? g : -g);
  p.acceleration.z += d.z;
  return true;
}

bool PtclTr_InheritVectorPrm::Apply(float, TreeParticle& p) const {
  const TreeParticle* parent = p.parent.Get();
  if (!parent) return true;
  switch (index) {
    case 0:
      p.position = parent->position;
      break;
    case 1:
      p.velocity = parent->velocity;
      break;
    case 2:
      p.acceleration = parent->acceleration;
      break;
    case 3:
      p.direction = parent->direction;
      break;
    case 4:
      p.colour = parent->colour;
      break;
    default:
      break;
  }
  return true;
}

void PtclTr_Color::Init(TreeParticle& p) const {
  State(p)[0] = RandomUnit();
}

bool PtclTr_Color::Apply(float, TreeParticle& p) const {
  const std::vector<uint32_t>& list = table->colours.Value();
  if (list.empty()) return true;
  float x = table->randomPhase.Value() != 0 ? State(p)[0] : p.life;
  x = std::isnan(x) ? 0.0f : std::clamp(x, 0.0f, 1.0f);
  uint32_t c = list[0];
  const int32_t mode = table->mode.Value();
  const auto channel = [](uint32_t colour, int shift) { return float((colour >> shift) & 0xFF); };
  if (mode == 1 && list.size() >= 2) {
    for (int k = 0; k < 3; ++k) {
      const float c0 = channel(list[0], 8 * k), c1 = channel(list[1], 8 * k);
      (&p.colour.x)[k] = c0 + (c1 - c0) * x;
    }
    return true;
  }
  if (mode == 2) {
    // Entry int(count × x), truncated; x = 1 (the end of life) takes the
    // last entry rather than one past it.
    c = list[std::min(size_t(float(list.size()) * x), list.size() - 1)];
  }
  p.colour = {channel(c, 0), channel(c, 8), channel(c, 16)};
  return true;
}

void PtclTr_StandardSpin::Init(TreeParticle& p) const {
  float* s = State(p);
  s[0] = RandomUniform(-1, 1);
  s[1] = RandomUnit();
  s[2] = 0;
  s[3] = NextRandom() % 2 == 0 ? 1.0f : -1.0f;
}

bool PtclTr_StandardSpin::Apply(float dt, TreeParticle& p) const {
  float* s = State(p);
  const SpinParams& sp = *spin;
  float a = -(sp.spread.Scaled() * s[0] + sp.angle.Scaled()) * kRadiansPerDegree;
  const int32_t mode = sp.mode.Value();
  if (mode == 2) {
    const int32_t dm = sp.directionMode.Value();
    const float sign = dm == 0 ? 1.0f : dm == 1 ? -1.0f : s[3];
    s[2] = std::fmod(s[2] + sp.speed.Sample(s[1]) * sign * dt, kTwoPi);
    a += s[2];
  }
  D3DXMatrixRotationZ(&p.orientation, a);
  float c, sn;
  if (mode == 1 && AlongDirection(p.direction, c, sn)) {
    D3DXMATRIX along, m;
    D3DXMatrixIdentity(&along);
    along.m[0][0] = along.m[1][1] = c;
    along.m[0][1] = sn;
    along.m[1][0] = -sn;
    D3DXMatrixMultiply(&m, &p.orientation, &along);
    p.orientation = m;
  }
  if (const TreeParticle* parent = p.parent.Get()) {
    D3DXMATRIX m;
    D3DXMatrixMultiply(&m, &p.orientation, &parent->orientation);
    p.orientation = m;
  }
  return true;
}

void PtclTr_PathTracker::Init(TreeParticle& p) const {
  State(p)[0] = 0;
  State(p)[1] = RandomUnit();
}

bool PtclTr_PathTracker::Apply(float dt, TreeParticle& p) const {
  float* s = State(p);
  s[0] += speed->Sample(s[1]) * dt;
  PathCursor cursor(&path->Samples);
  D3DXVECTOR3 position, direction;
  if (path->Samples.size() < 2 || !(path->TotalLength > 0)) return false;
  const bool on = cursor.SeekOffset(s[0], 0, position, direction);
  p.position = position;
  p.direction = direction;
  p.velocity = direction;
  p.life = s[0] / path->TotalLength;
  return on;
}

void PtclTr_Brownian::Init(TreeParticle& p) const {
  StartBrownian(*owner, State(p));
}

bool PtclTr_Brownian::Apply(float dt, TreeParticle& p) const {
  Particle flat;
  flat.position = p.position;
  const RoutineSlot slot = BrownianRoutine(*owner);
  BrownianStep(slot, flat, State(p), dt);
  p.velocity = dt > 0 ? (flat.position - p.position) * (1.0f / dt) : p.velocity;
  p.position = flat.position;
  const float speed = Length(p.velocity);
  if (speed > 0) p.direction = p.velocity * (1.0f / speed);
  return true;
}

void PtclTr_PerspectiveFlow::Init(TreeParticle& p) const {
  State(p)[0] = RandomUnit();
}

bool PtclTr_PerspectiveFlow::Apply(float, TreeParticle& p) const {
  const StreamShape& s = *stream;
  float f = 1;
  if (s.perspective) {
    // The axis runs through the segment's middle along the mean direction;
    // a particle at half the segment's length from it has slowed to rest.
    const D3DXVECTOR3 mid = (s.start + s.end) * 0.5f;
    const float half = Length(s.end - s.start) * 0.5f;
    const D3DXVECTOR3 d = p.position - mid;
    const float across = std::fabs(d.x * p.direction.y - d.y * p.direction.x);
    f = half > 0 ? std::max(0.0f, 1.0f - across / half) : 1.0f;
  }
  const float v = s.speed ? s.speed->Sample(State(p)[0]) : 0.0f;
  p.velocity = p.direction * (v * f);
  p.prm[0] *= f;
  return true;
}

// ---- the table

void TransformTable::Place(std::unique_ptr<QVX_PtclTransform> t) {
  t->stateOffset = stride_;
  t->Placed();
  stride_ = uint16_t(stride_ + t->StateFloats());
  // The table's composition is fixed in code; more state than a particle
  // holds is a programming error caught here.
  if (stride_ > kTreeStateFloats) std::abort();
  slots_.push_back(std::move(t));
}

void TransformTable::Init(TreeParticle& p, size_t from, size_t to) const {
  for (size_t i = from; i < to && i < slots_.size(); ++i) slots_[i]->Init(p);
}

bool TransformTable::Apply(float dt, TreeParticle& p) const {
  for (const auto& t : slots_) {
    if (!t->Apply(dt, p)) return false;
  }
  return true;
}

}  // namespace glimmer
