#include "particles/brown_animation.h"

#include <algorithm>

#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

void QVX_BrownAnimation::Serialize(Archive& ar, int32_t) {
  Field(ar, "count", count);
  Field(ar, "speed", speed);
  Field(ar, "frequency", frequency);
  Field(ar, "duration", duration);
  Field(ar, "bounds", bounds.quad);
  SerializeBase<QVX_ParticleSystemCtrl>(ar, *this);
}

BrownAnimationSystem::BrownAnimationSystem(const QVX_BrownAnimation& constructor)
    : BrownAnimationSystem(std::make_unique<QVX_BrownAnimation>(constructor)) {}

BrownAnimationSystem::BrownAnimationSystem(std::unique_ptr<QVX_BrownAnimation> system)
    : ParticleSystemRuntime(std::move(system)) {}

void BrownAnimationSystem::PlaceDefault(float width, float height) {
  settings().bounds.quad.SetCentered(width, height, {width / 2, height / 2, 0});
  wander_.SetBounds(settings().bounds.quad);
}

void BrownAnimationSystem::BuildRoutines() {
  const QVX_BrownAnimation& s = settings();
  wander_.SetBounds(s.bounds.quad);
  wander_.speed = s.speed.Scaled();
  wander_.frequency = s.frequency.Scaled();
  wander_.duration = s.duration.Scaled();
  engine_.SetAgeRule(AgeRule::None);
  engine_.AddRoutine(BrownianRoutine(wander_), kBrownianStateFloats);
}

void BrownAnimationSystem::Populate() {
  const uint32_t n = std::min(settings().count.Value(), kMaxParticlesPerSystem);
  const size_t c = engine_.Count();
  if (c >= n) {
    engine_.Truncate(n);
    return;
  }
  births_.resize(n - c);
  settings().bounds.Positions(births_);
  const RoutineSlot& wander = engine_.Routines().front();
  for (const D3DXVECTOR3& position : births_) {
    if (!engine_.Spawn(position)) break;
    const size_t i = engine_.Count() - 1;
    Prepare(i);
    StartBrownian(wander_, engine_.State(i, wander));
  }
}

void BrownAnimationSystem::Restart() {
  RestartEmpty();
  clock_.Restart();
  Populate();
  if (System().timing.Value() != 0) return;
  const int steps = WarmUpSteps(WarmUpTime());
  for (int k = 0; k < steps; ++k) engine_.StepAll(0.1f);
}

float BrownAnimationSystem::OwnStep(float t) {
  clock_.Advance(t);
  return clock_.StepTime;
}

void BrownAnimationSystem::Advance(float t) {
  Attach();
  AdvanceAppearanceClocks(t);
  engine_.StepAll(OwnStep(t));
  BuildSimpleQuads(float(System().appearance.baseSize.Value()) * 0.01f);
}

void BrownAnimationSystem::BuildSimpleQuads(float scale) {
  const ParticleAppearance& a = System().appearance;
  const uint32_t n = uint32_t(engine_.Count());
  DX_V::PCT* v = LockQuads(quads_, n);
  quadCount_ = 0;
  if (!v) return;
  const TexturePtr& texture = frames_.Current();
  // The picture's own size within its texture.
  const float iw = texture ? float(texture->Width()) * frames_.uExtent : 0.0f;
  const float ih = texture ? float(texture->Height()) * frames_.vExtent : 0.0f;
  const QuadCorners uv = CornerCoordinates(a, frames_);
  const std::vector<uint32_t>& colours = a.colours.colours.Value();
  const uint32_t bgr = colours.empty() ? 0 : colours.front();
  const float alpha = float(a.colours.transparency.Scaled()) / 255.0f;
  for (uint32_t q = 0; q < n; ++q) {
    const Particle& p = engine_.At(q);
    const float e = iw * scale * p.rnd1 / 2, f = ih * scale * p.rnd1 / 2;
    const D3DXVECTOR3& c = p.position;
    const D3DXVECTOR3 corners[4] = {{c.x - e, c.y + f, c.z},
                                    {c.x - e, c.y - f, c.z},
                                    {c.x + e, c.y + f, c.z},
                                    {c.x + e, c.y - f, c.z}};
    const uint32_t colour = (ChannelByte(alpha * p.rnd2) << 24) | ((bgr & 0xFF) << 16) |
                            (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
    WriteQuad(v + 4 * q, corners, colour, uv, p.frame);
  }
  quads_.VertexBuffer->Unlock();
  quadCount_ = n;
}

GLIMMER_REGISTER_LAYER_KIND(QVX_BrownAnimation, BrownAnimationSystem)

}  // namespace glimmer
