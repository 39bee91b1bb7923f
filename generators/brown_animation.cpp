#include "generators/brown_animation.h"

#include "document/resource_manager.h"
#include "params/param_serialization.h"
#include "params/random_source.h"
#include "platform/gpu/gpu_device.h"
#include "scene/renderer_interface.h"
#include "store/archive.h"

namespace glimmer {

ZT_BrownAnimation::ZT_BrownAnimation() {
  effect = ZT_HLSLEffectFile();
  images = {ZT_ImageFileLink(u"common_res.dll", 72)};
}

void ZT_BrownAnimation::Serialize(Archive& ar, int32_t version) {
  Field(ar, "count", count);
  Field(ar, "particleSize", particleSize);
  Field(ar, "accelerationTime", accelerationTime);
  Field(ar, "changeInterval", changeInterval);
  Field(ar, "driftSpeed", driftSpeed);
  Field(ar, "animationSpeed", animationSpeed);
  if (version >= 2) Field(ar, "motionSpeed", motionSpeed);
  SerializeBase<ZT_ParticleRctRgnGenerator>(ar, *this);
}

void ZT_BrownAnimation::UpdateRegion() {
  Extent(wanderRegion.left, wanderRegion.top, wanderRegion.right, wanderRegion.bottom);
  wanderRegion.accelerationTime = accelerationTime.Seconds();
  wanderRegion.changeInterval = changeInterval.Seconds();
  wanderRegion.speedScale = driftSpeed.Scaled();
}

void ZT_BrownAnimation::InitRuntime(ZT_ParticlesObj& runtime) {
  ZT_TexParticleGenerator::InitRuntime(runtime);
  if (!images.empty()) LoadFrames(images[0], imagePath.Value() != 0);
  UpdateRegion();
  uint32_t n = count.Value();
  if (n > kMaxGeneratorRecords) {
    ReportOnce(std::to_string(n) + " particles; it shows " + std::to_string(kMaxGeneratorRecords));
    n = kMaxGeneratorRecords;
  }
  wanderers.clear();
  wanderers.reserve(n);
  for (uint32_t i = 0; i < n; ++i) {
    const float y = RandomUniform(wanderRegion.top, wanderRegion.bottom);
    const float x = RandomUniform(wanderRegion.left, wanderRegion.right);
    GeneratorParticle& p = wanderers.emplace_back(D3DXVECTOR3{x, y, 0});
    p.processes.Add(PBrownian(wanderRegion));
  }
  runtime.ReserveQuads(0, n);
}

void ZT_BrownAnimation::AdvanceParticles(float t, ZT_ParticlesObj& runtime) {
  animationSpeed.Advance(t);
  NextFrameAfterDelay(animationSpeed.LocalTime);
  motionSpeed.Advance(t);
  UpdateRegion();
  for (GeneratorParticle& p : wanderers) p.Step(motionSpeed.StepTime);
  const uint32_t n = uint32_t(wanderers.size());
  runtime.ReserveQuads(0, n);
  if (n == 0 || !runtime.LockBuffer(0)) return;
  const float s = float(particleSize.Value()), v = Visibility();
  for (uint32_t i = 0; i < n; ++i)
    WriteDabQuad(runtime, 0, i, wanderers[i].position, s, s, 1, 0, colour1, v);
  runtime.UnlockBuffer(0);
}

void ZT_BrownAnimation::DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) {
  DrawCurrentFrame(renderer, runtime, loadedEffect.get());
}

void ZT_BrownAnimation::Restart() {
  ZT_ParticleRctRgnGenerator::Restart();
  animationSpeed.Restart();
  motionSpeed.Restart();
  lastSwitch = 0;
}

GLIMMER_REGISTER_GENERATOR_KIND(ZT_BrownAnimation)

}  // namespace glimmer
