#include "generators/custom_air_brush.h"

#include "document/resource_manager.h"
#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

void ZT_CustomAirBrush::Serialize(Archive& ar, int32_t) {
  Field(ar, "animatedImage", animatedImage);
  Field(ar, "speed", speed);
  SerializeBase<ZT_AirBrush>(ar, *this);
}

void ZT_CustomAirBrush::InitRuntime(ZT_ParticlesObj& runtime) {
  ZT_TexParticleGenerator::InitRuntime(runtime);
  LoadFrames(animatedImage, imagePath.Value() != 0, &imageAspect);
  BuildDabGeometry(runtime);
}

void ZT_CustomAirBrush::StepFrames() {
  NextFrameAfterDelay(speed.LocalTime);
}

void ZT_CustomAirBrush::AdvanceParticles(float t, ZT_ParticlesObj& runtime) {
  speed.Advance(t);
  StepFrames();
  ZT_AirBrush::AdvanceParticles(t, runtime);
}

void ZT_CustomAirBrush::DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) {
  if (frames.empty()) return;
  drawn_[0] = frames[frameIndex % frames.size()];
  DrawLayer(renderer, runtime, "BlendMask", 0x00000000, drawn_, 1);
}

void ZT_CustomAirBrush::Restart() {
  ZT_AirBrush::Restart();
  speed.Restart();
  frameIndex = 0;
  lastSwitch = 0;
}

GLIMMER_REGISTER_GENERATOR_KIND(ZT_CustomAirBrush)

}  // namespace glimmer
