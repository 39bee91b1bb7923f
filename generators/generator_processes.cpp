#include "generators/generator_processes.h"

#include "params/random_source.h"

namespace glimmer {

bool PAgeConst::Apply(float dt, GeneratorParticle& p) {
  p.params[kAge] += dt;
  return p.params[kAge] < maxAge;
}

bool PLifeConst::Apply(float dt, GeneratorParticle& p) {
  p.params[kLifeFraction] += rate * dt;
  return p.params[kLifeFraction] < 1.0f;
}

bool PSteady::Apply(float dt, GeneratorParticle& p) {
  const float life = p.params[kLifeFraction];
  if (from < life && life < to) p.params[index] += rate * dt;
  return true;
}

bool PFade::Apply(float, GeneratorParticle& p) {
  const float age = p.params[kAge];
  if (remaining == 0 || age < startAge) return true;
  if (age >= endAge) {
    p.params[index] += remaining;
    remaining = 0;
    return true;
  }
  // age lies in [startAge, endAge): the span is not empty.
  const float d = (age - startAge) / (endAge - startAge) * remaining;
  p.params[index] += d;
  remaining -= d;
  startAge = age;
  return true;
}

bool PSpin::Apply(float dt, GeneratorParticle& p) {
  p.params[kRotation] += rate * dt;
  return true;
}

bool PKinetic::Apply(float dt, GeneratorParticle& p) {
  p.position = p.position + acceleration * (0.5f * dt * dt) + velocity * dt;
  velocity = velocity + acceleration * dt;
  return true;
}

bool PTwinkle::Apply(float dt, GeneratorParticle& p) {
  timer += dt;
  if (timer > period) {
    if (NextRandom() % 3 != 0) {
      p.params[index] = base;
      period = RandomUnit() * 2.3f + 0.2f;
    } else {
      p.params[index] = base * (1.0f + 0.5f * RandomUnit());
      period = 0.2f;
    }
    timer = 0;
  }
  return true;
}

PBrownian::PBrownian(const BrownianRegion& region) : owner(&region) {
  // The y component is drawn first.
  const float vy = RandomUniform(-100, 100);
  const float vx = RandomUniform(-100, 100);
  velocity = {vx, vy, 0};
  changeTimer = RandomUniform(1, 5);
}

bool PBrownian::Apply(float dt, GeneratorParticle& p) {
  if (!owner) return true;
  const BrownianRegion& r = *owner;
  // A zero acceleration time would divide by zero: the steering is then immediate.
  const float T = r.accelerationTime > 0 ? r.accelerationTime : 1e-3f;
  D3DXVECTOR3& at = p.position;
  if (at.y > r.bottom || at.y < r.top || at.x < r.left || at.x > r.right) {
    if (inside || (acceleration.x == 0 && acceleration.y == 0 && acceleration.z == 0)) {
      const D3DXVECTOR3 d =
          Normalize({(r.left + r.right) / 2 - at.x, (r.top + r.bottom) / 2 - at.y, -at.z});
      accelerationTimer = T;
      acceleration = (d * 100.0f - velocity) * (1.0f / T);
    }
    inside = false;
  } else {
    inside = true;
  }
  changeTimer -= dt;
  if (changeTimer < 0) {
    changeTimer = RandomUniform(0.5f * r.changeInterval, 1.5f * r.changeInterval);
    if (inside) {
      const float ty = RandomUniform(-100, 100);
      const float tx = RandomUniform(-100, 100);
      accelerationTimer = T;
      acceleration = (D3DXVECTOR3{tx, ty, 0} - velocity) * (1.0f / T);
    }
  }
  accelerationTimer -= dt;
  if (accelerationTimer < 0) {
    acceleration = {0, 0, 0};
    accelerationTimer = 0;
  }
  at = at + (acceleration * (0.5f * dt * dt) + velocity * dt) * r.speedScale;
  velocity = velocity + acceleration * dt;
  return true;
}

bool ProcessList::ApplyAll(float dt, GeneratorParticle& p) {
  bool alive = true;
  for (size_t i = 0; i < count_; ++i) {
    if (!std::visit([&](auto& process) { return process.Apply(dt, p); }, slots_[i])) alive = false;
  }
  return alive;
}

}  // namespace glimmer
