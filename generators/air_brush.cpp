#include "generators/air_brush.h"

#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

void ZT_AirBrush::Serialize(Archive& ar, int32_t version) {
  Field(ar, "brushSize", brushSize);
  SerializeDabList(ar, "dabs", dabs, version >= 3, version == 1, "ZT_AirBrush");
  SerializeBase<ZT_TexParticleGenerator>(ar, *this);
}

void ZT_AirBrush::InitRuntime(ZT_ParticlesObj& runtime) {
  ZT_TexParticleGenerator::InitRuntime(runtime);
  BuildDabGeometry(runtime);
}

void ZT_AirBrush::AdvanceParticles(float, ZT_ParticlesObj& runtime) {
  if (Visibility() != builtVisibility_) BuildDabGeometry(runtime);
}

void ZT_AirBrush::AddDab(const D3DXVECTOR3& position) {
  if (dabs.size() >= kMaxGeneratorRecords) return;
  GeneratorParticle& d = dabs.emplace_back(position);
  // A dab continues the stroke: its distance along it in params[0].
  if (dabs.size() > 1) {
    const GeneratorParticle& before = dabs[dabs.size() - 2];
    d.params[kLifeFraction] = before.params[kLifeFraction] + Length(position - before.position);
  }
}

void ZT_AirBrush::BuildDabGeometry(ZT_ParticlesObj& runtime) {
  const uint32_t n = uint32_t(dabs.size());
  runtime.ReserveQuads(0, n);
  if (!runtime.LockBuffer(0)) return;
  const float w = float(brushSize.Value()), h = w * imageAspect;
  const float a = Visibility();
  for (uint32_t i = 0; i < n; ++i) {
    const GeneratorParticle& d = dabs[i];
    WriteDabQuad(runtime, 0, i, d.position, w, h, d.params[kSizeFactor], d.params[kRotation],
                 colour1, d.params[kOpacityFactor] * a);
  }
  runtime.UnlockBuffer(0);
  builtVisibility_ = a;
}

}  // namespace glimmer
