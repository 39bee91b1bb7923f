#pragma once
// Tree particles and their transforms. A tree particle lives in its
// geometry's pool (stable addresses, recycled slots) and hangs on a particle
// of the node above through a generation-checked handle. Its behaviour is its
// geometry's transform table, applied in order every step; what differs per
// particle (a drawn phase, a seed, a turned angle) lives in the particle's own
// state floats at the offset the table gave the transform.

#include <cstdint>
#include <memory>
#include <vector>

#include "common/d3dx_vector.h"
#include "params/animated_params.h"
#include "params/media_param.h"
#include "params/scaled_slider.h"
#include "particles/particle_appearance.h"
#include "particles/routines.h"
#include "platform/gpu/d3dx_math.h"

namespace glimmer {

class Archive;
class SplinePath;
struct TreeParticle;

// Per-particle state floats every transform of one table shares.
inline constexpr uint16_t kTreeStateFloats = 32;

// A particle of the node above, or none; empty once that particle's slot was
// recycled.
struct ParticleHandle {
  TreeParticle* particle = nullptr;
  uint32_t generation = 0;

  TreeParticle* Get() const;
  bool Empty() const { return particle == nullptr; }
};

enum TreeParticleFlags : uint32_t { kTreeParticleDead = 1 };

struct TreeParticle {
  float life = 0;                     // life fraction 0..1
  float base[3] = {0, 1, 1};          // [1] base size, [2] base opacity
  float age = 0;                      // seconds lived
  float prm[6] = {1, 1, 1, 0, 0, 1};  // [1] size ×, [2] opacity ×, [3] along, [4] across
  D3DXVECTOR3 position{}, velocity{}, acceleration{};
  D3DXVECTOR3 direction{0, 1, 0};
  D3DXVECTOR3 colour{1, 1, 1};  // red, green, blue in 0..255
  D3DXMATRIX orientation;
  uint32_t flags = 0;
  float frame[4] = {1, 1, 0, 0};  // cell: u-scale, v-scale, u-offset, v-offset
  ParticleHandle parent;
  uint32_t generation = 0;  // of this pool slot; kept across reuse
  float state[kTreeStateFloats] = {};

  // Back to a newborn's values, keeping the slot's generation.
  void Initialise(const ParticleHandle& parentHandle);
  // The per-step reset: orientation, prm and acceleration.
  void ResetStep();
  ParticleHandle Handle() { return {this, generation}; }
  // Position in the layer: the parent chain's positions summed, moved along
  // and across the direction by prm[3] and prm[4].
  D3DXVECTOR3 World() const;
  // base[1] × prm[1] (size) or base[2] × prm[2] (opacity) up the chain.
  float ChainFactor(int index) const;
};

// ---- the stored parameter groups of geometries

// Seven sliders: s1 rise end, s2 fall start, s4 start level, s5 end level
// (u × 0.01), s6 a multiplier (u × 1); s0 and s3 are kept but unused.
struct LifeEnvelope7 {
  LifeEnvelope7();
  int32_t version = 1;
  UINTSclaleTo<float> s[7];

  float Level(float x) const;
  void Serialize(Archive& ar, std::string_view name);
};

struct SpinParams {
  int32_t version = 1;
  MediaParamT<int32_t> directionMode;  // 0 positive, 1 negative, other random sign
  QVX_JitterParam speed;               // radians per second, with a jitter
  MediaParamT<int32_t> mode;           // 1 along the direction, 2 spinning, other fixed
  UINTSclaleTo<float> angle{0, 1.0f, 0.0f}, spread{0, 1.0f, 0.0f};  // degrees

  void Serialize(Archive& ar, std::string_view name);
};

struct ForceParams {
  int32_t version = 2;
  MediaParamT<int32_t> gravityMode;  // < 1 none, 1 down, ≥ 2 up
  UINTSclaleTo<float> gravity{0, 5.0f, 0.0f};
  MediaParamT<int32_t> dragMode{3};  // 0 none, 1 quadratic × base size, 2 quadratic, ≥ 3 linear
  UINTSclaleTo<float> drag{50, -0.01f, 0.0f};

  void Serialize(Archive& ar, std::string_view name);
};

// What a stream's flow reads of its geometry.
struct StreamShape {
  D3DXVECTOR3 start{}, end{};
  bool perspective = false;
  const QVX_JitterParam* speed = nullptr;
};

// ---- transforms

class QVX_PtclTransform {
 public:
  virtual ~QVX_PtclTransform() = default;
  // One step of particle p; false: the particle dies.
  virtual bool Apply(float dt, TreeParticle& p) const = 0;
  // The draws a particle takes when it receives the transform.
  virtual void Init(TreeParticle& p) const { (void)p; }
  virtual uint16_t StateFloats() const { return 0; }
  // Called once the table has given the transform its state offset.
  virtual void Placed() {}

  uint16_t stateOffset = 0;

 protected:
  float* State(TreeParticle& p) const { return p.state + stateOffset; }
  const float* State(const TreeParticle& p) const { return p.state + stateOffset; }
};

class PtclTr_MaxAge : public QVX_PtclTransform {
 public:
  explicit PtclTr_MaxAge(float maxAge) : maxAge(maxAge) {}
  bool Apply(float dt, TreeParticle& p) const override;
  float maxAge;
};

class PtclTr_InheritAge : public QVX_PtclTransform {
 public:
  bool Apply(float dt, TreeParticle& p) const override;
};

class PtclTr_FloatPrm : public QVX_PtclTransform {
 public:
  explicit PtclTr_FloatPrm(int index) : index(index) {}
  int index;
};

class PtclTr_AgeTransform : public PtclTr_FloatPrm {
 public:
  PtclTr_AgeTransform(int index, const LifeEnvelope7& envelope)
      : PtclTr_FloatPrm(index), envelope(&envelope) {}
  bool Apply(float dt, TreeParticle& p) const override;
  const LifeEnvelope7* envelope;
};

// prm[k] ×= a factor fixed per particle when it is born (SetFactor).
class PtclTr_PrmMultiplicator : public PtclTr_FloatPrm {
 public:
  using PtclTr_FloatPrm::PtclTr_FloatPrm;
  bool Apply(float dt, TreeParticle& p) const override;
  uint16_t StateFloats() const override { return 1; }
  void SetFactor(TreeParticle& p, float factor) const { State(p)[0] = factor; }
};

class PtclTr_JitterUpdater : public PtclTr_FloatPrm {
 public:
  PtclTr_JitterUpdater(int index, const QVX_JitterParam& source)
      : PtclTr_FloatPrm(index), source(&source) {}
  bool Apply(float dt, TreeParticle& p) const override;
  void Init(TreeParticle& p) const override;  // r
  uint16_t StateFloats() const override { return 1; }
  const QVX_JitterParam* source;
};

// A cosine wave on prm[k]. Waves on a level (offset 1: size, opacity)
// multiply it by (cos φ − 1) × A + 1, which stays within [1 − 2A, 1];
// waves on an offset (0: along, across) add cos φ × A pixels.
class PtclTr_Harmonic : public PtclTr_FloatPrm {
 public:
  PtclTr_Harmonic(int index, const OscillationParam& source, float offset, uint16_t state)
      : PtclTr_FloatPrm(index), source(&source), offset(offset) {
    stateOffset = state;
  }
  bool Apply(float dt, TreeParticle& p) const override;
  void Init(TreeParticle& p) const override;  // φ
  uint16_t StateFloats() const override { return 1; }
  const OscillationParam* source;
  float offset;
};

// Value noise on prm[k], combined as the harmonic wave is.
class PtclTr_Perlin : public PtclTr_FloatPrm {
 public:
  PtclTr_Perlin(int index, const OscillationParam& source, float offset, uint16_t state)
      : PtclTr_FloatPrm(index), source(&source), offset(offset) {
    stateOffset = state;
  }
  bool Apply(float dt, TreeParticle& p) const override;
  void Init(TreeParticle& p) const override;  // τ = 0, the seed
  uint16_t StateFloats() const override { return 2; }
  const OscillationParam* source;
  float offset;
};

// The harmonic or the noise wave, as the source's mode says (1 or 2).
class PtclTr_Oscilator : public QVX_PtclTransform {
 public:
  PtclTr_Oscilator(int index, const OscillationParam& source, float offset)
      : harmonic(index, source, offset, 0), perlin(index, source, offset, 0), source(&source) {}
  bool Apply(float dt, TreeParticle& p) const override;
  void Init(TreeParticle& p) const override;
  uint16_t StateFloats() const override { return 3; }
  // Places the two parts' state behind this transform's offset.
  void Placed() override;
  PtclTr_Harmonic harmonic;
  PtclTr_Perlin perlin;
  const OscillationParam* source;
};

class PtclTr_Kinematic : public QVX_PtclTransform {
 public:
  bool Apply(float dt, TreeParticle& p) const override;
};

class PtclTr_StandardForces : public QVX_PtclTransform {
 public:
  explicit PtclTr_StandardForces(const ForceParams& forces) : forces(&forces) {}
  bool Apply(float dt, TreeParticle& p) const override;
  const ForceParams* forces;
};

// Copies one vector of the parent: 0 position, 1 velocity, 2 acceleration,
// 3 direction, 4 colour.
class PtclTr_InheritVectorPrm : public PtclTr_FloatPrm {
 public:
  using PtclTr_FloatPrm::PtclTr_FloatPrm;
  bool Apply(float dt, TreeParticle& p) const override;
};

class PtclTr_Color : public QVX_PtclTransform {
 public:
  explicit PtclTr_Color(const ColourTable& table) : table(&table) {}
  bool Apply(float dt, TreeParticle& p) const override;
  void Init(TreeParticle& p) const override;  // phase
  uint16_t StateFloats() const override { return 1; }
  const ColourTable* table;
};

class PtclTr_StandardSpin : public QVX_PtclTransform {
 public:
  explicit PtclTr_StandardSpin(const SpinParams& spin) : spin(&spin) {}
  bool Apply(float dt, TreeParticle& p) const override;
  void Init(TreeParticle& p) const override;  // s, j, turned, sign
  uint16_t StateFloats() const override { return 4; }
  const SpinParams* spin;
};

// Walks a sampled path at a jittered speed; dies at its end.
class PtclTr_PathTracker : public QVX_PtclTransform {
 public:
  PtclTr_PathTracker(const SplinePath& path, const QVX_JitterParam& speed)
      : path(&path), speed(&speed) {}
  bool Apply(float dt, TreeParticle& p) const override;
  void Init(TreeParticle& p) const override;  // distance 0, r
  uint16_t StateFloats() const override { return 2; }
  const SplinePath* path;
  const QVX_JitterParam* speed;
};

// Wanders in its swarm's box (relative to the parent particle).
class PtclTr_Brownian : public QVX_PtclTransform {
 public:
  explicit PtclTr_Brownian(const BrownianContext& owner) : owner(&owner) {}
  bool Apply(float dt, TreeParticle& p) const override;
  void Init(TreeParticle& p) const override;
  uint16_t StateFloats() const override { return kBrownianStateFloats; }
  const BrownianContext* owner;
};

class PtclTr_PerspectiveFlow : public QVX_PtclTransform {
 public:
  explicit PtclTr_PerspectiveFlow(const StreamShape& stream) : stream(&stream) {}
  bool Apply(float dt, TreeParticle& p) const override;
  void Init(TreeParticle& p) const override;  // r
  uint16_t StateFloats() const override { return 1; }
  const StreamShape* stream;
};

// A geometry's transforms in order, each given its share of the state floats.
class TransformTable {
 public:
  TransformTable() = default;
  TransformTable(const TransformTable&) {}
  TransformTable& operator=(const TransformTable&) { return *this; }

  template <class T, class... Args>
  T& Add(Args&&... args) {
    auto t = std::make_unique<T>(std::forward<Args>(args)...);
    T& added = *t;
    Place(std::move(t));
    return added;
  }
  void Clear() {
    slots_.clear();
    stride_ = 0;
  }
  bool Empty() const { return slots_.empty(); }
  size_t Size() const { return slots_.size(); }
  const QVX_PtclTransform& At(size_t i) const { return *slots_[i]; }
  // The draws of transforms [from, to) for a newborn, in order.
  void Init(TreeParticle& p, size_t from, size_t to) const;
  // All transforms in order; false when one ends the particle.
  bool Apply(float dt, TreeParticle& p) const;

 private:
  void Place(std::unique_ptr<QVX_PtclTransform> t);
  std::vector<std::unique_ptr<QVX_PtclTransform>> slots_;
  uint16_t stride_ = 0;
};

}  // namespace glimmer
