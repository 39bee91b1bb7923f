#pragma once
// Routines that several particle kinds share, as entries of the engine's
// routine table: wandering inside bounds (IPR_Brownian), ages counted in
// distance (IPR_ConstDistance, IPR_ConstPath) and points on a sampled path
// (IPR_PathPoint, IPR_IndexedPathPoint).
//
// Each routine reads a small context that its kind keeps alive as long as
// the engine and may change between steps; what differs per particle lives
// in the engine's state block and is set at birth.

#include <cstdint>
#include <vector>

#include "common/d3dx_vector.h"
#include "params/geometry_params.h"
#include "params/paths.h"
#include "particles/particle_engine.h"

namespace glimmer {

// ---- IPR_Brownian: the particle wanders at 75 to 100 pixels a second,
// turning towards a new random velocity every T/2 to 3T/2 (T = 1 /
// frequency) over `duration` seconds, and heading back to the centre of its
// bounds at 100 pixels a second once it leaves them. It moves the particle
// itself (no kinematics) and keeps its own velocity.
struct BrownianContext {
  D3DXVECTOR3 minimum{}, maximum{};  // the bounds
  float speed = 1;                   // a factor on the movement
  float frequency = 1;               // changes per second; ≤ 0: none
  float duration = 1;                // seconds a change takes; ≤ 0: at once

  // The bounds from a quad's corner 0 (minimum) and corner 3 (maximum).
  void SetBounds(const MediaQuad& quad);
};

// Per particle: velocity, acceleration, acceleration time, time to the next
// change, inside flag.
inline constexpr uint16_t kBrownianStateFloats = 9;
// The table entry; add it with kBrownianStateFloats.
RoutineSlot BrownianRoutine(const BrownianContext& context);
// A newborn's wander: its velocity (a radius in [75, 100], then an angle)
// and its first change (one draw, made even when there are no changes).
void StartBrownian(const BrownianContext& context, float* state);
bool BrownianStep(const RoutineSlot& slot, Particle& p, float* state, float dt);

// ---- Age routines counted in distance (SetAgeRoutine with no state): the
// age grows by speed × dt and the particle lives while age ≤ its life.
// IPR_ConstDistance: life = limit.
struct ConstDistanceContext {
  float limit = 0;
  float speed = 1;
};
bool ConstDistanceAge(const RoutineSlot& slot, Particle& p, float* state, float dt);

// IPR_ConstPath: life = the sampled path's total length (0 without a path).
struct ConstPathContext {
  const SplinePath* path = nullptr;
  float speed = 1;
};
bool ConstPathAge(const RoutineSlot& slot, Particle& p, float* state, float dt);

// ---- Points on a sampled path, offset sideways by prm[6] × aux[2] × width.
struct PathPointContext {
  const std::vector<PathSample>* samples = nullptr;
  float width = 0;
};
// IPR_PathPoint: the point at distance = age along the path (position, and
// the offset chord as velocity); prm[7] holds the segment index as an
// integer. The particle dies when the distance is off the path, or not finite.
bool PathPoint(const RoutineSlot& slot, Particle& p, float* state, float dt);
// IPR_IndexedPathPoint: the sample whose index is the integer in prm[7]
// (clamped to the path), its tangent as velocity.
bool IndexedPathPoint(const RoutineSlot& slot, Particle& p, float* state, float dt);

// The integer a path routine keeps in prm[7].
int32_t PathIndex(const Particle& p);
void SetPathIndex(Particle& p, int32_t index);

}  // namespace glimmer
