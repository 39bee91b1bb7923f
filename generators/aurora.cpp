#include "generators/aurora.h"

#include <algorithm>
#include <cmath>

#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

namespace {
constexpr uint32_t kTransparentWhite = 0x00FFFFFF;
}  // namespace

ZT_Aurora::ZT_Aurora() {
  brushSize.StoreValue(72);
  blendMode.StoreValue(3);
}

void ZT_Aurora::Serialize(Archive& ar, int32_t) {
  Field(ar, "curtainHeight", curtainHeight);
  Field(ar, "speed1", speed1);
  Field(ar, "heightAmplitude", heightAmplitude);
  Field(ar, "heightWavelength", heightWavelength);
  Field(ar, "speed2", speed2);
  Field(ar, "opacityAmplitude", opacityAmplitude);
  Field(ar, "opacityWavelength", opacityWavelength);
  Field(ar, "speed3", speed3);
  Field(ar, "swayAmplitude", swayAmplitude);
  Field(ar, "swayWavelength", swayWavelength);
  Field(ar, "swayDirection", swayDirection);
  SerializeBase<ZT_AirBrush>(ar, *this);
}

void ZT_Aurora::InitRuntime(ZT_ParticlesObj& runtime) {
  ZT_TexParticleGenerator::InitRuntime(runtime);
  runtime.ReserveQuads(0, uint32_t(dabs.size()));
}

void ZT_Aurora::AdvanceParticles(float t, ZT_ParticlesObj& runtime) {
  speed1.Advance(t);
  speed2.Advance(t);
  speed3.Advance(t);
  BuildCurtain(runtime);
}

void ZT_Aurora::BuildCurtain(ZT_ParticlesObj& runtime) {
  const uint32_t n = uint32_t(dabs.size());
  runtime.ReserveQuads(0, n);
  if (!runtime.LockBuffer(0)) return;
  const float direction = float(swayDirection.Value()) * 3.14159265358979f / 180;
  const D3DXVECTOR3 u{std::cos(direction), std::sin(direction), 0};
  const float brush = float(brushSize.Value()), height = float(curtainHeight.Value());
  for (uint32_t i = 0; i < n; ++i) {
    const GeneratorParticle& d = dabs[i];
    const float g = d.params[kLifeFraction];
    const float sway =
        swayAmplitude.Scaled() * std::sin(g / swayWavelength.Scaled() + speed3.LocalTime);
    // An amplitude above 1 would give negative heights: the curtain would
    // turn inside out. It shrinks to nothing instead.
    const float rise = std::max(
        std::sin(g / heightWavelength.Scaled() + speed1.LocalTime) * heightAmplitude.Scaled() + 1,
        0.0f);
    const float opacity =
        std::sin(g / opacityWavelength.Scaled() + speed2.LocalTime) * opacityAmplitude.Scaled() + 1;
    WriteDabQuad(runtime, 0, i, d.position + u * sway, brush, rise * height, d.params[kSizeFactor],
                 d.params[kRotation], colour1, d.params[kOpacityFactor] * opacity);
  }
  runtime.UnlockBuffer(0);
}

void ZT_Aurora::DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) {
  DrawLayer(renderer, runtime, "JoinMask", kTransparentWhite, textures, 1);
}

void ZT_Aurora::Restart() {
  ZT_AirBrush::Restart();
  speed1.Restart();
  speed2.Restart();
  speed3.Restart();
}

GLIMMER_REGISTER_GENERATOR_KIND(ZT_Aurora)

}  // namespace glimmer
