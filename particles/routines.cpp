#include "particles/routines.h"

#include <bit>
#include <cmath>

#include "params/path_cursor.h"
#include "params/random_source.h"
#include "particles/emitters.h"

namespace glimmer {
namespace {

// The brownian state's fields.
enum : int {
  kVelocity = 0,
  kAcceleration = 3,
  kAccelerationTime = 6,
  kNextChange = 7,
  kInside = 8
};

// Seconds to the next change: uniform in [T/2, 3T/2] with T = 1 / frequency
// (one draw); 0 when there are no changes.
float NextChange(float frequency) {
  const float t = 1.0f / frequency;
  if (!(frequency > 0) || !std::isfinite(t)) {
    NextRandom();
    return 0;
  }
  return RandomUniform(t / 2, 1.5f * t);
}

D3DXVECTOR3 RandomWander() {
  const float r = RandomUniform(75, 100);
  return RandomArcPoint(r, 0, 360);
}

// Turns the velocity towards `target` over the duration. A change that
// takes no time, or less than this step, is made at once: an acceleration
// cut off before its first step would never steer at all.
void Steer(float* s, const D3DXVECTOR3& target, float duration, float dt) {
  const D3DXVECTOR3 v = LoadVector(s + kVelocity);
  if (duration > 0 && !(duration < dt)) {
    const D3DXVECTOR3 a = (target - v) * (1.0f / duration);
    if (Finite(a)) {
      StoreVector(s + kAcceleration, a);
      s[kAccelerationTime] = duration;
      return;
    }
  }
  StoreVector(s + kVelocity, target);
  StoreVector(s + kAcceleration, {});
  s[kAccelerationTime] = 0;
}

float Lateral(const Particle& p, float width) {
  const float o = p.prm[6] * p.aux[2] * width;
  return std::isfinite(o) ? o : 0.0f;
}

}  // namespace

void BrownianContext::SetBounds(const MediaQuad& quad) {
  minimum = quad.Corners[0].Value();
  maximum = quad.Corners[3].Value();
}

RoutineSlot BrownianRoutine(const BrownianContext& context) {
  return {.kind = RoutineKind::Custom, .apply = &BrownianStep, .context = &context};
}

void StartBrownian(const BrownianContext& context, float* state) {
  StoreVector(state + kVelocity, RandomWander());
  StoreVector(state + kAcceleration, {});
  state[kAccelerationTime] = 0;
  state[kNextChange] = NextChange(context.frequency);
  state[kInside] = 1;
}

bool BrownianStep(const RoutineSlot& slot, Particle& p, float* s, float dt) {
  const auto& c = *static_cast<const BrownianContext*>(slot.context);
  // 1. Outside the bounds: head for their centre, once on leaving them (or
  // again when no turn is under way).
  const D3DXVECTOR3& x = p.position;
  if (x.y > c.maximum.y || x.y < c.minimum.y || x.x < c.minimum.x || x.x > c.maximum.x) {
    const D3DXVECTOR3 a = LoadVector(s + kAcceleration);
    if (s[kInside] != 0 || (a.x == 0 && a.y == 0 && a.z == 0)) {
      const D3DXVECTOR3 centre{(c.minimum.x + c.maximum.x) / 2, (c.minimum.y + c.maximum.y) / 2, 0};
      Steer(s, Normalize(centre - x) * 100.0f, c.duration, dt);
    }
    s[kInside] = 0;
  } else {
    s[kInside] = 1;
  }
  // 2. A new random velocity when the time for a change has come.
  if (c.frequency > 0) {
    s[kNextChange] -= dt;
    if (s[kNextChange] < 0) {
      s[kNextChange] = NextChange(c.frequency);
      if (s[kInside] != 0) Steer(s, RandomWander(), c.duration, dt);
    }
  }
  // 3. The turn ends when its time is up.
  s[kAccelerationTime] -= dt;
  if (s[kAccelerationTime] < 0) {
    StoreVector(s + kAcceleration, {});
    s[kAccelerationTime] = 0;
  }
  // 4. Move. The velocity only ever turns towards targets of at most 100
  // pixels a second, so it stays bounded.
  const D3DXVECTOR3 v = LoadVector(s + kVelocity), a = LoadVector(s + kAcceleration);
  const float speed = std::isfinite(c.speed) ? c.speed : 0.0f;
  p.position = p.position + (v * dt + a * (0.5f * dt * dt)) * speed;
  StoreVector(s + kVelocity, v + a * dt);
  return true;
}

bool ConstDistanceAge(const RoutineSlot& slot, Particle& p, float*, float dt) {
  const auto& c = *static_cast<const ConstDistanceContext*>(slot.context);
  p.life = c.limit;
  p.age += c.speed * dt;
  return p.age <= p.life;
}

bool ConstPathAge(const RoutineSlot& slot, Particle& p, float*, float dt) {
  const auto& c = *static_cast<const ConstPathContext*>(slot.context);
  p.life = c.path ? c.path->TotalLength : 0.0f;
  p.age += c.speed * dt;
  return p.age <= p.life;
}

int32_t PathIndex(const Particle& p) {
  return std::bit_cast<int32_t>(p.prm[7]);
}

void SetPathIndex(Particle& p, int32_t index) {
  p.prm[7] = std::bit_cast<float>(index);
}

bool PathPoint(const RoutineSlot& slot, Particle& p, float*, float) {
  const auto& c = *static_cast<const PathPointContext*>(slot.context);
  // A distance that is not a number would seek to a position that is not.
  if (!std::isfinite(p.age)) return false;
  PathCursor cursor(c.samples);
  const bool on = cursor.SeekOffset(p.age, Lateral(p, c.width), p.position, p.velocity);
  SetPathIndex(p, cursor.Index);
  return on;
}

bool IndexedPathPoint(const RoutineSlot& slot, Particle& p, float*, float) {
  const auto& c = *static_cast<const PathPointContext*>(slot.context);
  PathCursor(c.samples).SampleIndex(PathIndex(p), Lateral(p, c.width), p.position, p.velocity);
  return true;
}

}  // namespace glimmer
