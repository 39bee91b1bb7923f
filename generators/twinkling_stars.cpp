#include "generators/twinkling_stars.h"

#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

ZT_TwinklingStars::ZT_TwinklingStars() {
  brushSize.StoreValue(24);
}

void ZT_TwinklingStars::Serialize(Archive& ar, int32_t) {
  Field(ar, "speed", speed);
  SerializeBase<ZT_AirBrush>(ar, *this);
}

void ZT_TwinklingStars::InitRuntime(ZT_ParticlesObj& runtime) {
  ZT_AirBrush::InitRuntime(runtime);
  for (GeneratorParticle& d : dabs) {
    d.processes.Clear();
    d.processes.Add(PTwinkle(kSizeFactor, 0, d.params[kSizeFactor], 0));
  }
}

void ZT_TwinklingStars::AdvanceParticles(float t, ZT_ParticlesObj& runtime) {
  speed.Advance(t);
  for (GeneratorParticle& d : dabs) d.Step(speed.StepTime);
  BuildDabGeometry(runtime);
}

void ZT_TwinklingStars::Restart() {
  ZT_AirBrush::Restart();
  speed.Restart();
}

GLIMMER_REGISTER_GENERATOR_KIND(ZT_TwinklingStars)

}  // namespace glimmer
