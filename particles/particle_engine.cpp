#include "particles/particle_engine.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <iostream>

#include "common/wide_string.h"
#include "params/random_source.h"
#include "particles/value_noise.h"

namespace glimmer {
namespace {

constexpr float kTwoPi = 6.28318530717958647692f;
constexpr float kRadiansPerDegree = 3.14159265358979f / 180.0f;

}  // namespace

uint32_t ChannelByte(float level) {
  const float v = level * 255.0f + 0.5f;
  if (!(v > 0.0f)) return 0;
  if (v >= 255.0f) return 255;
  return static_cast<uint32_t>(v);
}

bool Finite(const D3DXVECTOR3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

const TexturePtr& TextureFrames::Current() const {
  static const TexturePtr none;
  return textures.empty() ? none : textures[std::min(index, textures.size() - 1)];
}

void TextureFrames::Advance(float t, bool reverse) {
  if (delays.empty() || textures.empty()) return;
  const size_t count = std::min(delays.size(), textures.size());
  index = std::min(index, count - 1);
  if (reverse ? t - lastChange < 0 : t - lastChange <= 0) lastChange = t;
  if (delays[index] < t - lastChange) {
    lastChange = t;
    index = reverse ? (index == 0 ? count - 1 : index - 1) : (index + 1) % count;
  }
}

ParticleEngine::ParticleEngine(const ParticleAppearance& appearance, std::u16string layerName)
    : appearance_(appearance), layerName_(std::move(layerName)) {}

void ParticleEngine::ClearRoutines() {
  routines_.clear();
  ageSlot_ = {};
  ageRule_ = AgeRule::Constant;
  stride_ = 0;
  appearanceFirst_ = appearanceEnd_ = 0;
  Clear();
  deathFn_ = nullptr;
  deathContext_ = nullptr;
}

void ParticleEngine::SetAgeRoutine(RoutineFn apply, const void* context, uint16_t stateFloats) {
  ageRule_ = AgeRule::Custom;
  ageSlot_ = {.kind = RoutineKind::Custom, .state = stride_, .apply = apply, .context = context};
  stride_ = static_cast<uint16_t>(stride_ + stateFloats);
  state_.resize(particles_.size() * stride_);
}

size_t ParticleEngine::AddRoutine(const RoutineSlot& slot, uint16_t stateFloats) {
  RoutineSlot r = slot;
  r.state = stride_;
  stride_ = static_cast<uint16_t>(stride_ + stateFloats);
  routines_.push_back(r);
  state_.resize(particles_.size() * stride_);
  return routines_.size() - 1;
}

void ParticleEngine::AddAppearanceRoutines() {
  const ParticleAppearance& a = appearance_;
  appearanceFirst_ = routines_.size();
  AddRoutine({.kind = RoutineKind::Color}, 1);  // its phase
  const auto wave = [&](const OscillationParam& w, int prm, bool level) {
    const float amplitude = w.amplitude.Scaled(), f = w.frequency.Scaled();
    const float offset = level ? 1 - amplitude : 0;
    if (w.mode.Value() == 1) {
      AddRoutine(
          {.kind = RoutineKind::Harmonic, .index = uint8_t(prm), .k = {amplitude, offset, f}}, 2);
    } else if (w.mode.Value() == 2) {
      // The attach passes 4A and the noise keeps half of it.
      AddRoutine(
          {.kind = RoutineKind::Perlin, .index = uint8_t(prm), .k = {f, 2 * amplitude, offset}}, 2);
    }
  };
  wave(a.opacityWave, 2, true);
  wave(a.sizeWave, 1, true);
  const int32_t flags = a.flags.Value();
  if (flags & kLateralWaves) {
    wave(a.alongWave, 4, false);
    wave(a.acrossWave, 5, false);
  }
  if ((flags & kPhysics) && a.airResistance.Scaled() > 0) {
    AddRoutine({.kind = RoutineKind::AirResist, .k = {a.airResistance.Scaled()}});
  }
  appearanceEnd_ = routines_.size();
}

bool ParticleEngine::Spawn(const D3DXVECTOR3& position) {
  if (particles_.size() >= kMaxParticlesPerSystem) {
    if (!capReported_) {
      std::cerr << "glimmer: the particle layer \"" << ToUtf8(layerName_)
                << "\" asks for more than " << kMaxParticlesPerSystem
                << " particles; the others are not born\n";
      capReported_ = true;
    }
    return false;
  }
  Particle& p = particles_.emplace_back();
  p.position = position;
  state_.resize(particles_.size() * stride_, 0.0f);
  return true;
}

void ParticleEngine::Clear() {
  for (const Particle& p : particles_) Died(p);
  particles_.clear();
  state_.clear();
}

void ParticleEngine::StartHarmonic(size_t i, size_t slot, float frequency) {
  const RoutineSlot& r = routines_[slot];
  float* s = State(i, r);
  Particle& p = particles_[i];
  s[0] = RandomUniform(0, kTwoPi);  // phase
  s[1] = frequency;
  p.prm[r.index] *= std::cos(p.age * s[1] + s[0]) * r.k[0] + r.k[1];
}

void ParticleEngine::StartNoise(size_t i, size_t slot) {
  const RoutineSlot& r = routines_[slot];
  float* s = State(i, r);
  s[0] = 0;  // own time
  s[1] = std::bit_cast<float>(ValueNoise::DrawSeed());
  Apply(r, i, particles_[i], 0);
}

void ParticleEngine::AttachWave(size_t i, const OscillationParam& wave, size_t& slot) {
  const int32_t mode = wave.mode.Value();
  if (mode == 1) StartHarmonic(i, slot, routines_[slot].k[2]);
  if (mode == 2) StartNoise(i, slot);
  if (mode == 1 || mode == 2) ++slot;
}

void ParticleEngine::InitFromAppearance(size_t i, float life) {
  const ParticleAppearance& a = appearance_;
  Particle& p = particles_[i];
  // 1. A random cell of the sprite sheet; a grid without columns or rows
  // counts as one cell.
  const ZT_NamedFileLinkData& texture = a.texture.Value();
  const uint32_t cols = std::max(1u, texture.Columns), rows = std::max(1u, texture.Rows);
  p.frame[0] = 1.0f / float(cols);
  p.frame[1] = 1.0f / float(rows);
  p.frame[2] = float(uint32_t(NextRandom()) % cols) * p.frame[0];
  p.frame[3] = float(uint32_t(NextRandom()) % rows) * p.frame[1];
  // 2. The age routine's life.
  p.life = life;
  size_t slot = appearanceFirst_;
  // 3. The colour routine's phase.
  if (slot < appearanceEnd_) State(i, routines_[slot++])[0] = RandomUniform(0, 1);
  // 4. Spin and the size and opacity draws.
  const float s = RandomUniform(a.spinJitter.Scaled(), 1);
  p.rnd1 = RandomUniform(0, 1);
  p.rnd2 = RandomUniform(0, 1);
  switch (a.spinDirection.Value()) {
    case 0:
      p.spin = s;
      break;
    case 1:
      p.spin = -s;
      break;
    case 2:
      p.spin = NextRandom() % 2 == 0 ? s : -s;
      break;
    default:
      p.spin = s;
      break;
  }
  // 5. Orientation: about z by −(angle ± spread) degrees.
  const float spread = float(a.angleSpread.Value());
  const float turn = -(float(a.angle.Value()) + RandomUniform(-spread, spread)) * kRadiansPerDegree;
  p.orientCos = std::cos(turn);
  p.orientSin = std::sin(turn);
  // 6. The waves, in the order of the table.
  AttachWave(i, a.opacityWave, slot);
  AttachWave(i, a.sizeWave, slot);
  if (a.flags.Value() & kLateralWaves) {
    AttachWave(i, a.alongWave, slot);
    AttachWave(i, a.acrossWave, slot);
  }
  // 7. Gravity (the air resistance is in the table).
  if (a.flags.Value() & kPhysics) {
    const float g = a.gravity.Scaled();
    if (a.gravityMode.Value() == 1) p.acceleration = {0, g, 0};
    if (a.gravityMode.Value() == 2) p.acceleration = {0, -g, 0};
  }
}

bool ParticleEngine::Age(size_t i, Particle& p, float dt) {
  switch (ageRule_) {
    case AgeRule::Custom:
      return ageSlot_.apply(ageSlot_, p, State(i, ageSlot_), dt);
    case AgeRule::None:
      return true;
    case AgeRule::Constant:
      p.age += dt;
      return p.age <= p.life;
    case AgeRule::Head:
      p.age += dt;
      return true;
  }
  return true;
}

void ParticleEngine::ApplyColour(Particle& p, float phase) const {
  const ColourTable& t = appearance_.colours;
  const std::vector<uint32_t>& list = t.colours.Value();
  if (list.empty()) return;
  const int32_t mode = t.mode.Value();
  if (mode == 0) {
    p.colour = list[0];
    return;
  }
  float x = phase;
  if (t.randomPhase.Value() == 0) {
    const float life = ageRule_ == AgeRule::None ? 1.0f : p.life;
    x = life > 0 ? p.age / life : 1.0f;  // no life: at its end
  }
  // Beyond the table's ends the colour stays at the end colours.
  x = std::isnan(x) ? 0.0f : std::clamp(x, 0.0f, 1.0f);
  if (mode == 1) {
    if (list.size() < 2) return;
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      const float c0 = float((list[0] >> shift) & 0xFF), c1 = float((list[1] >> shift) & 0xFF);
      out |= uint32_t(int32_t(c0 + (c1 - c0) * x)) << shift;
    }
    p.colour = out;
    return;
  }
  const size_t k = static_cast<size_t>(std::nearbyint(float(list.size() - 1) * x));
  if (k < list.size()) p.colour = list[k];
}

bool ParticleEngine::Apply(const RoutineSlot& r, size_t i, Particle& p, float dt) {
  switch (r.kind) {
    case RoutineKind::Kinematic: {
      const D3DXVECTOR3 a = p.acceleration + p.force;
      p.position = p.position + p.velocity * dt + a * (0.5f * dt * dt);
      p.velocity = p.velocity + a * dt;
      return true;
    }
    case RoutineKind::AirResist:
      p.force = p.force - p.velocity * r.k[0];
      return true;
    case RoutineKind::Wind:
      p.force = p.force + (r.vector - p.velocity) * r.k[0];
      return true;
    case RoutineKind::Color:
      ApplyColour(p, State(i, r)[0]);
      return true;
    case RoutineKind::Harmonic: {
      const float* s = State(i, r);
      p.prm[r.index] *= std::cos(p.age * s[1] + s[0]) * r.k[0] + r.k[1];
      return true;
    }
    case RoutineKind::Perlin: {
      float* s = State(i, r);
      s[0] += dt;
      ValueNoise noise;
      noise.frequency = r.k[0];
      noise.amplitude = r.k[1];
      noise.seed = std::bit_cast<int32_t>(s[1]);
      p.prm[r.index] *= float(noise.Total(s[0]) * noise.amplitude) + r.k[2];
      return true;
    }
    case RoutineKind::IncrementM: {
      const float start = r.k[0], end = r.k[1], t1 = r.k[2], t2 = r.k[3];
      float c = start;
      if (t2 < p.age) {
        c = end;
      } else if (p.age > t1) {
        c = start + (end - start) * (t1 - p.age) / (t1 - t2);
      }
      p.prm[r.index] *= c;
      return true;
    }
    case RoutineKind::Custom:
      return r.apply(r, p, State(i, r), dt);
    case RoutineKind::Increment: {
      float* s = State(i, r);  // last age, remaining amount
      const float rate = r.k[0];
      if (!(s[1] > 0) || !(s[0] < p.age)) return true;
      const float d = std::fabs(rate * (p.age - s[0]));
      s[0] = p.age;
      p.Value(r.index) += std::copysign(std::min(s[1], d), rate);
      s[1] -= d;
      return true;
    }
  }
  return true;
}

bool ParticleEngine::Step(size_t i, float dt) {
  Particle& p = particles_[i];
  if (!Age(i, p, dt)) return false;
  for (int k = 0; k < 7; ++k) p.prm[k] = 1.0f;
  p.force = {0, 0, 0};
  for (const RoutineSlot& r : routines_) {
    if (!Apply(r, i, p, dt)) return false;
  }
  const float speed = Length(p.velocity);
  p.direction = speed > 0 ? p.velocity * (1.0f / speed) : D3DXVECTOR3{0, 1, 0};
  p.side = {-p.direction.y, p.direction.x, 0};
  return true;
}

void ParticleEngine::MoveParticle(size_t from, size_t to) {
  particles_[to] = particles_[from];
  std::copy_n(state_.begin() + std::ptrdiff_t(from * stride_), stride_,
              state_.begin() + std::ptrdiff_t(to * stride_));
}

template <class StepOf>
void ParticleEngine::StepRange(size_t first, StepOf dt) {
  size_t kept = first;
  const size_t end = particles_.size();
  stepping_ = true;
  for (size_t i = first; i < end; ++i) {
    stepKept_ = kept;
    stepNext_ = i;
    if (!Step(i, dt(i - first))) {
      Died(particles_[i]);
      continue;
    }
    if (kept != i) MoveParticle(i, kept);
    ++kept;
  }
  stepping_ = false;
  particles_.resize(kept);
  state_.resize(kept * stride_);
}

void ParticleEngine::StepAll(float dt) {
  StepRange(0, [dt](size_t) { return dt; });
}

void ParticleEngine::SubStep(size_t first, float dt) {
  const size_t n = particles_.size() - std::min(first, particles_.size());
  if (n == 0) return;
  StepRange(first, [dt, n](size_t k) { return float(k) * dt / float(n); });
}

void ParticleEngine::StepFrom(size_t first, float dt) {
  if (first >= particles_.size()) return;
  StepRange(first, [dt](size_t) { return dt; });
}

Particle* ParticleEngine::FindByTag(uint32_t tag) {
  const auto find = [&](size_t from, size_t to) -> Particle* {
    const auto begin = particles_.begin() + std::ptrdiff_t(from);
    const auto end = particles_.begin() + std::ptrdiff_t(to);
    if (!tagsInOrder_) {
      const auto it = std::find_if(begin, end, [tag](const Particle& p) { return p.tag == tag; });
      return it != end ? &*it : nullptr;
    }
    const auto it =
        std::lower_bound(begin, end, tag, [](const Particle& p, uint32_t t) { return p.tag < t; });
    return it != end && it->tag == tag ? &*it : nullptr;
  };
  if (!stepping_) return find(0, particles_.size());
  if (Particle* p = find(0, stepKept_)) return p;
  return find(stepNext_, particles_.size());
}

void ParticleEngine::Reorder(const std::vector<uint32_t>& order) {
  const size_t n = particles_.size();
  if (order.size() != n || stepping_) return;
  bool moved = false;
  for (size_t k = 0; k < n && !moved; ++k) moved = order[k] != k;
  if (!moved) return;
  reorderParticles_.assign(particles_.begin(), particles_.end());
  reorderState_.assign(state_.begin(), state_.end());
  for (size_t k = 0; k < n; ++k) {
    const size_t from = order[k];
    particles_[k] = reorderParticles_[from];
    std::copy_n(reorderState_.begin() + std::ptrdiff_t(from * stride_), stride_,
                state_.begin() + std::ptrdiff_t(k * stride_));
  }
  tagsInOrder_ = false;
}

void ParticleEngine::Kill(size_t i) {
  if (i >= particles_.size()) return;
  Died(particles_[i]);
  for (size_t k = i + 1; k < particles_.size(); ++k) MoveParticle(k, k - 1);
  particles_.pop_back();
  state_.resize(particles_.size() * stride_);
}

void ParticleEngine::Truncate(size_t n) {
  if (n >= particles_.size()) return;
  for (size_t k = n; k < particles_.size(); ++k) Died(particles_[k]);
  particles_.resize(n);
  state_.resize(n * stride_);
}

float ParticleEngine::LifeFraction(const Particle& p, float life) const {
  // A head outlives its life: it keeps the envelopes' level at its end.
  const float x = p.age / life;
  return ageRule_ == AgeRule::Head ? std::min(x, 1.0f) : x;
}

float ParticleEngine::SizeFactor(const Particle& p) const {
  const ParticleAppearance& a = appearance_;
  if (a.flags.Value() & kSizeIsRnd1) return p.rnd1;
  const float base = (1 - a.sizeVariation.Scaled() * p.rnd1) * p.prm[1];
  const float life = ageRule_ == AgeRule::None ? 1.0f : p.life;
  if (!(life > 0)) return base;
  return base * a.sizeEnvelope.Level(LifeFraction(p, life));
}

float ParticleEngine::OpacityFactor(const Particle& p) const {
  const ParticleAppearance& a = appearance_;
  if (a.flags.Value() & kOpacityIsRnd2) return p.rnd2;
  const float base = (1 - a.opacityVariation.Scaled() * p.rnd2) * p.prm[2];
  const float life = ageRule_ == AgeRule::None ? 1.0f : p.life;
  if (!(life > 0)) return base;
  return base * a.opacityEnvelope.Level(LifeFraction(p, life));
}

uint32_t ParticleEngine::QuadColour(const Particle& p, uint32_t alphaByte) const {
  const uint32_t alpha = ChannelByte(OpacityFactor(p) * float(alphaByte) / 255.0f);
  return (alpha << 24) | ((p.colour & 0xFF) << 16) | (p.colour & 0xFF00) |
         ((p.colour >> 16) & 0xFF);
}

QuadCorners CornerCoordinates(const ParticleAppearance& a, const TextureFrames& frame) {
  float u0 = 0, u1 = frame.uExtent, v0 = 0, v1 = frame.vExtent;
  if (a.flipU.Value()) std::swap(u0, u1);
  if (a.flipV.Value()) std::swap(v0, v1);
  return {{u0, u0, u1, u1}, {v1, v0, v1, v0}};
}

void TurnAlong(float& c, float& s, const D3DXVECTOR3& v) {
  float rc, rs;
  if (!AlongDirection(v, rc, rs)) return;
  const float nc = c * rc - s * rs, ns = s * rc + c * rs;
  c = nc;
  s = ns;
}

void WriteQuad(DX_V::PCT* quad, const D3DXVECTOR3 (&corners)[4], uint32_t colour,
               const QuadCorners& uv, const float (&cell)[4]) {
  bool finite = true;
  for (const D3DXVECTOR3& c : corners) finite = finite && Finite(c);
  for (int k = 0; k < 4; ++k) {
    quad[k].x = finite ? corners[k].x : 0;
    quad[k].y = finite ? corners[k].y : 0;
    quad[k].z = finite ? corners[k].z : 0;
    quad[k].color = finite ? colour : 0;
    quad[k].u = uv.u[k] * cell[0] + cell[2];
    quad[k].v = uv.v[k] * cell[1] + cell[3];
  }
}

DX_V::PCT* LockQuads(ZT_IndexedMesh<DX_V::PCT>& mesh, uint32_t n) {
  if (n == 0) return nullptr;
  if (mesh.PrimitiveCount < 2 * n) mesh.SetQuadCount(n);
  if (!mesh.VertexBuffer) return nullptr;
  return static_cast<DX_V::PCT*>(mesh.VertexBuffer->Lock(0, n * 4 * uint32_t(sizeof(DX_V::PCT))));
}

uint32_t ParticleEngine::BuildQuads(ZT_IndexedMesh<DX_V::PCT>& mesh, float size,
                                    const TextureFrames& frame, float spinTime) {
  const uint32_t n = static_cast<uint32_t>(particles_.size());
  DX_V::PCT* v = LockQuads(mesh, n);
  if (!v) return 0;
  const ParticleAppearance& a = appearance_;
  const QuadCorners uv = CornerCoordinates(a, frame);
  const int32_t rotation = a.rotationMode.Value();
  const bool spins = rotation == 2 && a.spinSpeed.Value() != 0;
  const uint32_t alphaByte = a.colours.transparency.Scaled();
  for (uint32_t q = 0; q < n; ++q) {
    const Particle& p = particles_[q];
    const float f = SizeFactor(p);
    const float w = size * f, h = size * frame.aspect * f;
    // The quad's rotation: its orientation, then its spin or its flight (a
    // particle at rest keeps its orientation).
    float c = p.orientCos, s = p.orientSin;
    if (spins) {
      const float angle = p.spin * spinTime;
      const float rc = std::cos(angle), rs = std::sin(angle);
      const float nc = c * rc - s * rs, ns = s * rc + c * rs;
      c = nc;
      s = ns;
    } else if (rotation == 1) {
      TurnAlong(c, s, p.velocity);
    }
    // Half vectors of width and height turned (row vectors: x → (c, s)).
    const D3DXVECTOR3 hw{w / 2 * c, w / 2 * s, 0}, hh{-h / 2 * s, h / 2 * c, 0};
    const D3DXVECTOR3 m = p.Centre();
    const D3DXVECTOR3 corners[4] = {m - hw + hh, m - hw - hh, m + hw + hh, m + hw - hh};
    WriteQuad(v + 4 * q, corners, QuadColour(p, alphaByte), uv, p.frame);
  }
  mesh.VertexBuffer->Unlock();
  return n;
}

}  // namespace glimmer
