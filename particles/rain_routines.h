#pragma once
// Rain drops on glass: routines that fly a drop onto the glass, let it slide
// and merge it into another drop; conditions and actions that interaction
// routines test and run; and the sweep that finds touching drops.
//
// A drop keeps three flags in the integer view of prm13; rnd1 is its size
// and rnd2 its opacity. A drop that merges moves into its target, another
// drop of the same pool. Drops carry ids in Particle::tag that increase with
// birth, so the target is found again by binary search however the pool
// has been compacted since; the merging drop also keeps the target's last
// known position, and a target that died meanwhile is never touched.

#include <cstdint>
#include <memory>
#include <vector>

#include "common/d3dx_vector.h"
#include "params/geometry_params.h"
#include "particles/particle_engine.h"

namespace glimmer {

enum RainFlag : uint32_t {
  kRainMerging = 1,    // being absorbed by another drop
  kRainFallingIn = 2,  // still flying onto the glass
  kRainSliding = 4,    // runs down the glass
};
uint32_t RainFlags(const Particle& p);
void SetRainFlags(Particle& p, uint32_t flags);

// ---- Conditions and actions, shared by every particle of a system that
// carries an interaction routine.
class RoutineCondition {
 public:
  virtual ~RoutineCondition() = default;
  virtual bool Test(float dt, const Particle& p) const = 0;
};

// True when a × x + b × y + c < 0 at the particle's drawn centre.
class PRC_CrossLine : public RoutineCondition {
 public:
  PRC_CrossLine(float a, float b, float c) : a(a), b(b), c(c) {}
  // The line through P and Q: negative on the right of P→Q as seen on
  // screen (y down).
  static PRC_CrossLine Through(const D3DXVECTOR3& p, const D3DXVECTOR3& q);
  bool Test(float dt, const Particle& p) const override;
  float a, b, c;
};

// True when any of its conditions is (tested in order); false when empty.
class PRC_OR : public RoutineCondition {
 public:
  bool Test(float dt, const Particle& p) const override;
  std::vector<std::shared_ptr<const RoutineCondition>> conditions;
};

// True when the particle is on the negative side of any edge of a quad:
// c0→c2, c2→c3, c3→c1, c1→c0. A particle exactly on an edge is inside.
class PRC_CrossQuad : public PRC_OR {
 public:
  explicit PRC_CrossQuad(const MediaQuad& quad);
};

class RoutineAction {
 public:
  virtual ~RoutineAction() = default;
  // Acts on particle `p` (its engine state row `row`), with `other` or
  // none; false ends `p` inside a routine, and ends the scan for `p` in
  // the overlap sweep.
  virtual bool Act(Particle& p, float* row, Particle* other) const = 0;
};

class PRA_Die : public RoutineAction {
 public:
  bool Act(Particle&, float*, Particle*) const override { return false; }
};

class RainDrops;
// Starts merging `p` into `other`; nothing happens without another drop.
class PRA_RainMerge : public RoutineAction {
 public:
  explicit PRA_RainMerge(const RainDrops& drops) : drops_(drops) {}
  bool Act(Particle& p, float* row, Particle* other) const override;

 private:
  const RainDrops& drops_;
};

// ---- IPR_InteractionRoutine: runs the action when the condition holds.
// IPR_RainInteractionRoutine: the same, except for drops still falling in.
struct InteractionContext {
  const RoutineCondition* condition = nullptr;
  const RoutineAction* action = nullptr;
};
bool InteractionStep(const RoutineSlot& slot, Particle& p, float* state, float dt);
bool RainInteractionStep(const RoutineSlot& slot, Particle& p, float* state, float dt);

// ---- IPR_RainFall: the drop flies to its target on the glass and fades in,
// arriving there at full opacity when its time is up.
// State: target, remaining seconds.
inline constexpr uint16_t kRainFallStateFloats = 4;
bool RainFallStep(const RoutineSlot& slot, Particle& p, float* state, float dt);
void StartRainFall(float* state, const D3DXVECTOR3& target, float seconds = 0.15f);

// ---- IPR_RainDynamic: a sliding drop runs down under gravity against a
// friction that changes at random moments, sticks when it would run
// uphill, and shrinks as it slides.
// State: gravity, friction c, period P, timer.
inline constexpr uint16_t kRainDynamicStateFloats = 6;
bool RainDynamicStep(const RoutineSlot& slot, Particle& p, float* state, float dt);
// Draws c in [1, 20], then P in [0.1, 1].
void StartRainDynamic(float* state, const D3DXVECTOR3& gravity);

// ---- The drops of one engine: their ids and the merge slot every drop
// carries (IPR_RainMerge, active once PRA_RainMerge starts it).
class RainDrops {
 public:
  explicit RainDrops(ParticleEngine& engine) : engine_(engine) {}

  // Adds the merge slot to the table; call after the drops' other routines.
  void AddMergeRoutine();
  bool HasMergeRoutine() const { return hasMerge_; }
  const RoutineSlot& MergeSlot() const { return engine_.Routines()[mergeSlot_]; }
  // Gives the newborn i the next id (after every older drop's); every
  // newborn gets one before the drops step again.
  void Identify(size_t i);
  ParticleEngine& Engine() const { return engine_; }
  uint32_t NextId() const { return nextId_; }
  // Ids are renumbered from 1 when they would run out.
  void SetNextId(uint32_t id) { nextId_ = id; }

 private:
  // The first `count` drops get the ids 1 to count, and merges aimed at
  // them follow.
  void Renumber(size_t count);

  ParticleEngine& engine_;
  size_t mergeSlot_ = 0;
  bool hasMerge_ = false;
  uint32_t nextId_ = 1;
};

// IPR_RainMerge. State: active, target id, remaining seconds, the target's
// last known position.
inline constexpr uint16_t kRainMergeStateFloats = 6;
inline constexpr float kRainMergeSeconds = 0.1f;
inline constexpr float kMaxMergedSize = 1.3f;
bool RainMergeStep(const RoutineSlot& slot, Particle& p, float* state, float dt);

// ---- The overlap sweep: every particle is a square of half-side
// rnd1 × size / 2 about its position. The pool is sorted in place by the
// squares' top edges (stably: the earlier place first among equal tops;
// squares that are not numbers after all the others), so the drops draw in
// that order too; then `action` runs on each pair that touches, the one
// higher in the list first. `scratch` is reused from step to step.
struct OverlapEntry {
  float top, bottom, left, right;
  uint32_t index;
};
struct OverlapScratch {
  std::vector<OverlapEntry> entries;
  std::vector<uint32_t> order;
};
void SweepOverlaps(ParticleEngine& engine, float size, const RoutineAction& action,
                   OverlapScratch& scratch);

}  // namespace glimmer
