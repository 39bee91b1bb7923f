#include "particles/rain_routines.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "params/random_source.h"

namespace glimmer {
namespace {

float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

// The merge state's fields.
enum : int { kActive = 0, kTarget = 1, kRemaining = 2, kLastPosition = 3 };

}  // namespace

uint32_t RainFlags(const Particle& p) {
  return std::bit_cast<uint32_t>(p.prm13);
}

void SetRainFlags(Particle& p, uint32_t flags) {
  p.prm13 = std::bit_cast<float>(flags);
}

// ---- Conditions and actions

PRC_CrossLine PRC_CrossLine::Through(const D3DXVECTOR3& p, const D3DXVECTOR3& q) {
  return {p.y - q.y, q.x - p.x, q.y * p.x - p.y * q.x};
}

bool PRC_CrossLine::Test(float, const Particle& p) const {
  const D3DXVECTOR3 m = p.Centre();
  return a * m.x + b * m.y + c < 0;
}

bool PRC_OR::Test(float dt, const Particle& p) const {
  for (const auto& condition : conditions) {
    if (condition && condition->Test(dt, p)) return true;
  }
  return false;
}

PRC_CrossQuad::PRC_CrossQuad(const MediaQuad& quad) {
  const auto corner = [&](int k) { return quad.Corners[k].Value(); };
  constexpr int kEdges[4][2] = {{0, 2}, {2, 3}, {3, 1}, {1, 0}};
  for (const auto& e : kEdges) {
    conditions.push_back(
        std::make_shared<PRC_CrossLine>(PRC_CrossLine::Through(corner(e[0]), corner(e[1]))));
  }
}

bool PRA_RainMerge::Act(Particle& p, float* row, Particle* other) const {
  // Without another drop there is nothing to merge into.
  if (!other || !drops_.HasMergeRoutine()) return true;
  const uint32_t flags = RainFlags(p);
  if (flags & (kRainMerging | kRainFallingIn)) return false;
  if (RainFlags(*other) & (kRainMerging | kRainFallingIn)) return true;
  float* s = row + drops_.MergeSlot().state;
  s[kActive] = 1;
  s[kTarget] = std::bit_cast<float>(other->tag);
  s[kRemaining] = kRainMergeSeconds;
  StoreVector(s + kLastPosition, other->position);
  SetRainFlags(p, flags | kRainMerging);
  p.velocity = {};
  p.acceleration = {};
  return false;
}

bool InteractionStep(const RoutineSlot& slot, Particle& p, float* state, float dt) {
  const auto& c = *static_cast<const InteractionContext*>(slot.context);
  if (!c.condition || !c.condition->Test(dt, p)) return true;
  return c.action ? c.action->Act(p, StateRowOf(slot, state), nullptr) : true;
}

bool RainInteractionStep(const RoutineSlot& slot, Particle& p, float* state, float dt) {
  if (RainFlags(p) & kRainFallingIn) return true;
  return InteractionStep(slot, p, state, dt);
}

// ---- Falling in and sliding

void StartRainFall(float* state, const D3DXVECTOR3& target, float seconds) {
  StoreVector(state, target);
  state[3] = seconds;
}

bool RainFallStep(const RoutineSlot&, Particle& p, float* s, float dt) {
  const uint32_t flags = RainFlags(p);
  float& remaining = s[3];
  if (dt >= remaining) {
    // The step that ends the fall ends it on the target, even when it is
    // longer than the time that was left.
    if (remaining > 0) p.position = LoadVector(s);
    remaining = 0;
    SetRainFlags(p, flags & ~uint32_t(kRainFallingIn));
    if (!(flags & kRainMerging)) p.rnd2 = 1;
    return true;
  }
  // remaining > dt ≥ 0 here.
  const float k = 1 - dt / remaining;
  remaining -= dt;
  const D3DXVECTOR3 target = LoadVector(s);
  p.position = target - (target - p.position) * k;
  p.rnd2 = 1 - (1 - p.rnd2) * k;
  return true;
}

void StartRainDynamic(float* state, const D3DXVECTOR3& gravity) {
  StoreVector(state, gravity);
  state[3] = RandomUniform(1, 20);
  state[4] = RandomUniform(0.1f, 1.0f);
  state[5] = 0;
}

bool RainDynamicStep(const RoutineSlot&, Particle& p, float* s, float dt) {
  const uint32_t flags = RainFlags(p);
  if (!(flags & kRainSliding) || (flags & (kRainMerging | kRainFallingIn))) return true;
  const D3DXVECTOR3 g = LoadVector(s);
  float &friction = s[3], &period = s[4], &timer = s[5];
  const float size = p.rnd1;
  bool sticks = false;
  if (size > 1) {
    p.acceleration = g;
  } else if (size > 0 && Dot(p.velocity, g) >= 0) {
    // Small drops hold on harder; a drop with no size (or a drag beyond
    // floats) sticks rather than dividing by nothing.
    p.acceleration = g - p.velocity * (friction / (size * size * size));
    sticks = !Finite(p.acceleration);
  } else {
    sticks = true;
  }
  if (sticks) {
    p.acceleration = {};
    p.velocity = {};
  }
  if (size > 0.7f) p.rnd1 = std::max(0.0f, size - Length(p.velocity) * dt * 0.001f);
  if (timer > period) {
    friction = RandomUniform(1, 20);
    period = RandomUniform(0.1f, 1.0f);
    timer = 0;
  } else {
    timer += dt;
  }
  return true;
}

// ---- Merging

void RainDrops::AddMergeRoutine() {
  mergeSlot_ =
      engine_.AddRoutine({.kind = RoutineKind::Custom, .apply = &RainMergeStep, .context = this},
                         kRainMergeStateFloats);
  hasMerge_ = true;
}

void RainDrops::Identify(size_t i) {
  if (nextId_ == UINT32_MAX) Renumber(i);
  engine_.At(i).tag = nextId_++;
}

void RainDrops::Renumber(size_t count) {
  // The merges first, while the old ids still name the drops (the sweep
  // reorders the pool, so the ids are looked for, not bisected).
  if (hasMerge_) {
    const RoutineSlot& merge = MergeSlot();
    for (size_t k = 0; k < count; ++k) {
      float* s = engine_.State(k, merge);
      if (s[kActive] == 0) continue;
      const uint32_t old = std::bit_cast<uint32_t>(s[kTarget]);
      size_t at = 0;
      while (at < count && engine_.At(at).tag != old) ++at;
      s[kTarget] = std::bit_cast<float>(at < count ? uint32_t(at + 1) : 0u);
    }
  }
  for (size_t k = 0; k < count; ++k) engine_.At(k).tag = uint32_t(k + 1);
  nextId_ = uint32_t(count + 1);
}

bool RainMergeStep(const RoutineSlot& slot, Particle& p, float* s, float dt) {
  if (s[kActive] == 0) return true;
  const auto& drops = *static_cast<const RainDrops*>(slot.context);
  Particle* target = drops.Engine().FindByTag(std::bit_cast<uint32_t>(s[kTarget]));
  if (target == &p) target = nullptr;
  if (target) StoreVector(s + kLastPosition, target->position);
  if (dt > s[kRemaining]) {
    // The drop is absorbed; a target that died meanwhile takes nothing.
    if (!target) return false;
    const float a = p.rnd1, b = target->rnd1;
    target->rnd1 = std::fmin(std::cbrt(a * a * a + b * b * b), kMaxMergedSize);
    const uint32_t flags = RainFlags(*target);
    if (!(flags & kRainSliding)) {
      // Now a sliding drop: the sliding cell of the sheet, upright.
      SetRainFlags(*target, flags | kRainSliding);
      target->frame[0] = target->frame[1] = 0.5f;
      target->frame[2] = target->frame[3] = 0;
      target->orientCos = 1;
      target->orientSin = 0;
    }
    return false;
  }
  // With no time left and none passing, nothing moves.
  const float before = s[kRemaining];
  s[kRemaining] -= dt;
  const float k = before > 0 ? 1 - dt / before : 1;
  const D3DXVECTOR3 last = LoadVector(s + kLastPosition);
  p.rnd2 *= k;
  p.position = last - (last - p.position) * k;
  return true;
}

// ---- The overlap sweep

void SweepOverlaps(ParticleEngine& engine, float size, const RoutineAction& action,
                   OverlapScratch& scratch) {
  std::vector<OverlapEntry>& entries = scratch.entries;
  std::vector<uint32_t>& order = scratch.order;
  entries.clear();
  order.clear();
  const float h = size / 2;
  for (size_t i = 0; i < engine.Count(); ++i) {
    const Particle& p = engine.At(i);
    const float r = std::fabs(p.rnd1 * h);
    OverlapEntry e{p.position.y - r, p.position.y + r, p.position.x - r, p.position.x + r,
                   uint32_t(i)};
    // A square that is not a number touches nothing: it sorts last and
    // stops every scan at once.
    if (!std::isfinite(e.top) || !std::isfinite(e.bottom) || !std::isfinite(e.left) ||
        !std::isfinite(e.right)) {
      e = {INFINITY, -INFINITY, 0, 0, uint32_t(i)};
    }
    entries.push_back(e);
  }
  // Stable by top edge: equal tops keep their places' order. The index
  // breaks ties, so no buffer of a stable sort is needed.
  std::sort(entries.begin(), entries.end(), [](const OverlapEntry& a, const OverlapEntry& b) {
    return a.top < b.top || (a.top == b.top && a.index < b.index);
  });
  for (const OverlapEntry& e : entries) order.push_back(e.index);
  engine.Reorder(order);
  for (size_t k = 0; k < entries.size(); ++k) entries[k].index = uint32_t(k);
  for (size_t k = 0; k < entries.size(); ++k) {
    const OverlapEntry& p = entries[k];
    for (size_t m = k + 1; m < entries.size(); ++m) {
      const OverlapEntry& q = entries[m];
      if (q.top > p.bottom) break;
      if (q.left > p.right || q.right < p.left) continue;
      if (!action.Act(engine.At(p.index), engine.StateRow(p.index), &engine.At(q.index))) break;
    }
  }
}

}  // namespace glimmer
