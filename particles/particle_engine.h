#pragma once
// The particle engine: one system's live particles in a contiguous pool, in
// birth order, stepped through the system's routine table, and written as
// quads straight into a reused vertex buffer.
//
// Every particle of a system carries the same routines in the same order
// (the kind and the appearance decide them when the system is attached), so
// the routines are one table per system; what differs per particle (a wave's
// phase, a noise seed, a counter) lives in that particle's row of the state
// block. Births append to the pool and deaths compact it in the same pass
// that steps it, so the steady state allocates nothing.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/d3dx_vector.h"
#include "particles/particle_appearance.h"
#include "platform/gpu/gpu_resources.h"
#include "render/meshes.h"

namespace glimmer {

// At most this many live particles in one system; births beyond are dropped
// with one message on standard error naming the layer.
inline constexpr uint32_t kMaxParticlesPerSystem = 1'000'000;

struct Particle {
  D3DXVECTOR3 position, velocity, acceleration, force, direction, side;
  // Rotation of the quad about z at birth, as cos and sin.
  float orientCos = 1, orientSin = 0;
  // The value run that routines address by index: 0 age, 1 rnd1, 2 rnd2,
  // 3 spin, 4..6 aux, 7..14 prm[0..7].
  float age = 0, rnd1 = 1, rnd2 = 1, spin = 0;
  float aux[3] = {0, 0, 0};
  // prm[0..6] are per-step multipliers (1 = size, 2 = opacity, 4 = offset
  // along the direction, 5 = across it); prm[7] is free.
  float prm[8] = {1, 1, 1, 1, 1, 1, 1, 0};
  float frame[4] = {1, 1, 0, 0};  // cell: u-scale, v-scale, u-offset, v-offset
  uint32_t colour = 0;            // 0x00BBGGRR
  float prm13 = 0;
  float life = 1;    // the age routine's life in seconds
  uint32_t tag = 0;  // the kind's own (a position-table entry)

  float& Value(int index) { return (&age)[index]; }
  // The drawn centre: position moved along the direction and across it.
  D3DXVECTOR3 Centre() const { return position + direction * prm[4] + side * prm[5]; }
};
static_assert(offsetof(Particle, prm) == offsetof(Particle, age) + 7 * sizeof(float));

// How a particle ages and when it dies.
enum class AgeRule : uint8_t {
  None,      // no age routine: the age stays, the life counts as 1
  Constant,  // age += dt; alive while age ≤ life
  Head,      // age += dt; never dies of age
  Custom,    // the kind's own routine (SetAgeRoutine)
};

enum class RoutineKind : uint8_t {
  Kinematic,   // position and velocity from acceleration + force
  AirResist,   // force −= k × velocity
  Wind,        // force += (wind − velocity) × k
  Color,       // the colour table over life (or at the particle's phase)
  Harmonic,    // prm[i] ×= cos(age × f + φ) × A + o
  Perlin,      // prm[i] ×= noise(τ) × A + o
  IncrementM,  // prm[i] ×= a ramp from s to e between ages t1 and t2
  Increment,   // value[i] moves by rate × Δage until an amount is used up
  Custom,      // a kind's own routine: `apply` with its `context`
};

struct RoutineSlot;
// A kind's own routine: advances particle `p` by `dt` with its per-particle
// `state`; false when the particle dies.
using RoutineFn = bool (*)(const RoutineSlot& slot, Particle& p, float* state, float dt);

struct RoutineSlot {
  RoutineKind kind = RoutineKind::Kinematic;
  uint8_t index = 0;   // the prm or value index it modulates
  uint16_t state = 0;  // first float of its per-particle state
  float k[5] = {0, 0, 0, 0, 0};
  D3DXVECTOR3 vector = {};  // Wind: the wind's velocity
  RoutineFn apply = nullptr;
  const void* context = nullptr;  // what `apply` reads (the kind's settings)
};

// One loaded frame of the particle texture and its animation.
struct TextureFrames {
  std::vector<TexturePtr> textures;
  std::vector<float> delays;
  float uExtent = 1, vExtent = 1, aspect = 1;
  size_t index = 0;
  float lastChange = 0;

  const TexturePtr& Current() const;
  // The frame clock's rule: forwards, or backwards when `reverse`.
  void Advance(float clockTime, bool reverse);
};

// Three floats of a particle's routine state as a vector, and back.
inline D3DXVECTOR3 LoadVector(const float* s) {
  return {s[0], s[1], s[2]};
}
inline void StoreVector(float* s, const D3DXVECTOR3& v) {
  s[0] = v.x;
  s[1] = v.y;
  s[2] = v.z;
}

// A byte of a colour channel from a level in [0, 1]: × 255 + 0.5, truncated,
// clamped (NaN gives 0).
uint32_t ChannelByte(float level);
bool Finite(const D3DXVECTOR3& v);

// The texture coordinates of a quad's corners 0..3 in the current frame,
// flipped as the appearance says.
struct QuadCorners {
  float u[4], v[4];
};
QuadCorners CornerCoordinates(const ParticleAppearance& a, const TextureFrames& frame);
// Turns the rotation (c, s) about z so the quad's x axis follows `v`; a
// zero `v` leaves it as it is.
void TurnAlong(float& c, float& s, const D3DXVECTOR3& v);
// One particle's quad: the corners, the colour and the particle's cell; a
// quad with a non-finite corner is written empty.
void WriteQuad(DX_V::PCT* quad, const D3DXVECTOR3 (&corners)[4], uint32_t colour,
               const QuadCorners& uv, const float (&cell)[4]);
// The vertices of n quads of `mesh` (grown to fit, never shrunk), locked
// for writing; null when there is nothing to write.
DX_V::PCT* LockQuads(ZT_IndexedMesh<DX_V::PCT>& mesh, uint32_t n);

class ParticleEngine {
 public:
  // `appearance` outlives the engine (the system that owns both).
  ParticleEngine(const ParticleAppearance& appearance, std::u16string layerName);

  // ---- the routine table (made when the system is attached)
  void ClearRoutines();
  void SetAgeRule(AgeRule rule) { ageRule_ = rule; }
  // A kind's own age routine (AgeRule::Custom), run before the others; it
  // keeps `stateFloats` floats per particle and sets Particle::life.
  void SetAgeRoutine(RoutineFn apply, const void* context, uint16_t stateFloats);
  const RoutineSlot& AgeRoutine() const { return ageSlot_; }
  // Called with every particle that dies or is cleared away (a position it
  // held goes back to its table).
  using DeathFn = void (*)(void* context, const Particle& p);
  void SetDeathHook(DeathFn fn, void* context) {
    deathFn_ = fn;
    deathContext_ = context;
  }
  // Appends a routine; `stateFloats` floats of per-particle state.
  size_t AddRoutine(const RoutineSlot& slot, uint16_t stateFloats = 0);
  // The routines every appearance adds (colour, waves, air resistance), in
  // the order a newborn gets them.
  void AddAppearanceRoutines();
  const std::vector<RoutineSlot>& Routines() const { return routines_; }

  // ---- particles
  size_t Count() const { return particles_.size(); }
  Particle& At(size_t i) { return particles_[i]; }
  const Particle& At(size_t i) const { return particles_[i]; }
  // Appends a particle at `position` (false, and nothing born, at the cap).
  bool Spawn(const D3DXVECTOR3& position);
  void Clear();
  // Prepares the newborn i from the appearance: its cell, colour phase,
  // spin, size and opacity draws, orientation, waves and physics, drawing
  // from the shared random source in that order. `life` is its age
  // routine's life.
  void InitFromAppearance(size_t i, float life);
  // Starts the harmonic routine `slot` on particle i: a phase drawn in
  // [0, 2π], `frequency`, and the parameter multiplied once right away.
  void StartHarmonic(size_t i, size_t slot, float frequency);
  // Starts the noise routine `slot` on particle i: a seed drawn, and the
  // routine applied once with no time.
  void StartNoise(size_t i, size_t slot);
  // One step of particle i; false when it died in it.
  bool Step(size_t i, float dt);
  // Steps every particle in order, removing the dead in the same pass.
  void StepAll(float dt);
  // Steps the particles from `first` on, the k-th of the n by k × dt / n.
  void SubStep(size_t first, float dt);
  // Steps the particles from `first` on by dt each.
  void StepFrom(size_t first, float dt);
  // Removes particle i at once (its death hook runs).
  void Kill(size_t i);
  // Keeps the first n particles.
  void Truncate(size_t n);

  float SizeFactor(const Particle& p) const;
  // Where particle p is in its life of `life` seconds (0 at birth, 1 at the end).
  float LifeFraction(const Particle& p, float life) const;
  float OpacityFactor(const Particle& p) const;

  // Writes every particle as a quad of `size` pixels into `mesh` (grown to
  // fit, never shrunk); returns the number of quads written.
  uint32_t BuildQuads(ZT_IndexedMesh<DX_V::PCT>& mesh, float size, const TextureFrames& frame,
                      float spinTime);
  // The D3D colour of particle p: its colour with alpha = `alphaByte` ×
  // OpacityFactor, every channel clamped.
  uint32_t QuadColour(const Particle& p, uint32_t alphaByte) const;

  // Per-particle state of routine slot `slot` (its first float).
  float* State(size_t i, const RoutineSlot& slot) {
    return state_.data() + i * stride_ + slot.state;
  }
  // The whole state row of particle i: every slot's state lies at
  // `slot.state` in it.
  float* StateRow(size_t i) { return state_.data() + i * stride_; }

  // The live particle with `tag`, or null: a binary search while the tags
  // increase with the places (kinds whose tags follow birth), a search of
  // every place once the pool has been reordered. During a step it looks
  // among the particles already stepped and those still to step, so a
  // particle that died earlier in the step is not found.
  Particle* FindByTag(uint32_t tag);

  // Puts the particles (with their states) in `order`: place k gets the
  // particle at place order[k]; `order` holds every place once. Between
  // steps only. Buffers are kept for the next reorder.
  void Reorder(const std::vector<uint32_t>& order);

 private:
  bool Age(size_t i, Particle& p, float dt);
  bool Apply(const RoutineSlot& r, size_t i, Particle& p, float dt);
  void AttachWave(size_t i, const OscillationParam& wave, size_t& slot);
  void ApplyColour(Particle& p, float phase) const;
  void MoveParticle(size_t from, size_t to);
  void Died(const Particle& p) const {
    if (deathFn_) deathFn_(deathContext_, p);
  }
  // Removes the dead from [first, end) in one pass; `dt(k)` is the step of
  // the k-th particle from `first`.
  template <class StepOf>
  void StepRange(size_t first, StepOf dt);

  const ParticleAppearance& appearance_;
  std::u16string layerName_;
  AgeRule ageRule_ = AgeRule::Constant;
  RoutineSlot ageSlot_;
  DeathFn deathFn_ = nullptr;
  void* deathContext_ = nullptr;
  std::vector<RoutineSlot> routines_;
  size_t appearanceFirst_ = 0, appearanceEnd_ = 0;
  uint16_t stride_ = 0;
  std::vector<Particle> particles_;
  std::vector<float> state_;
  bool capReported_ = false;
  // While a step runs: [0, stepKept_) holds the survivors so far and
  // [stepNext_, end) the particles still in their places.
  bool stepping_ = false;
  size_t stepKept_ = 0, stepNext_ = 0;
  // False once Reorder has moved particles out of birth order.
  bool tagsInOrder_ = true;
  std::vector<Particle> reorderParticles_;
  std::vector<float> reorderState_;
};

// The state row of the particle a routine is applied to, from the routine's
// own state (it lies at `slot.state` in the row).
inline float* StateRowOf(const RoutineSlot& slot, float* state) {
  return state - slot.state;
}

}  // namespace glimmer
