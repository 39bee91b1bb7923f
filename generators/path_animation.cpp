#include "generators/path_animation.h"

#include <algorithm>
#include <cmath>

#include "document/resource_manager.h"
#include "params/param_serialization.h"
#include "platform/gpu/gpu_device.h"
#include "scene/renderer_interface.h"
#include "store/archive.h"

namespace glimmer {

void ZT_PathGenerator::Serialize(Archive& ar, int32_t) {
  Field(ar, "path", path);
  if (ar.IsReading()) path.Rebuild();
  SerializeBase<ZT_TexParticleGenerator>(ar, *this);
}

D3DXVECTOR3 ZT_PathGenerator::PointAt(float distance) const {
  const std::vector<PathSample>& s = path.Samples;
  if (s.empty()) return path.Points.empty() ? D3DXVECTOR3{} : path.Points.front()->Value();
  const float total = path.TotalLength;
  if (!(total > 0) || s.size() < 2 || !std::isfinite(distance)) return s.front().Position;
  distance = std::fmod(distance, total);
  if (distance < 0) distance += total;
  // The first sample whose next one lies at or past the distance.
  const auto it =
      std::lower_bound(s.begin(), s.end() - 1, distance,
                       [](const PathSample& p, float d) { return p.CumulativeLength < d; });
  const size_t i = std::min(size_t(it - s.begin()), s.size() - 2);
  const float start = s[i].CumulativeLength - s[i].SegmentLength;
  const float f =
      s[i].SegmentLength > 0 ? std::clamp((distance - start) / s[i].SegmentLength, 0.0f, 1.0f) : 0;
  return Lerp(s[i].Position, s[i + 1].Position, f);
}

ZT_PathAnimtion::ZT_PathAnimtion() {
  effect = ZT_HLSLEffectFile();
  images = {ZT_ImageFileLink(u"common_res.dll", 75)};
}

void ZT_PathAnimtion::Serialize(Archive& ar, int32_t version) {
  Field(ar, "count", count);
  Field(ar, "particleSize", particleSize);
  Field(ar, "travelSpeed", travelSpeed);
  Field(ar, "animationSpeed", animationSpeed);
  if (version >= 2) Field(ar, "motionSpeed", motionSpeed);
  SerializeBase<ZT_PathGenerator>(ar, *this);
}

void ZT_PathAnimtion::InitRuntime(ZT_ParticlesObj& runtime) {
  ZT_TexParticleGenerator::InitRuntime(runtime);
  if (!images.empty()) LoadFrames(images[0], imagePath.Value() != 0);
  path.Rebuild();
  runtime.ReserveQuads(0, std::min(count.Value(), kMaxGeneratorRecords));
}

void ZT_PathAnimtion::AdvanceParticles(float t, ZT_ParticlesObj& runtime) {
  animationSpeed.Advance(t);
  NextFrameAfterDelay(animationSpeed.LocalTime);
  motionSpeed.Advance(t);
  uint32_t n = count.Value();
  if (n > kMaxGeneratorRecords) {
    ReportOnce(std::to_string(n) + " particles; it shows " + std::to_string(kMaxGeneratorRecords));
    n = kMaxGeneratorRecords;
  }
  runtime.ReserveQuads(0, n);
  if (n == 0 || !runtime.LockBuffer(0)) return;
  const float travelled = motionSpeed.LocalTime * travelSpeed.Scaled();
  const float spacing = path.TotalLength / float(n);
  const float s = float(particleSize.Value()), v = Visibility();
  for (uint32_t i = 0; i < n; ++i)
    WriteDabQuad(runtime, 0, i, PointAt(travelled + spacing * float(i)), s, s, 1, 0, colour1, v);
  runtime.UnlockBuffer(0);
}

void ZT_PathAnimtion::DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) {
  DrawCurrentFrame(renderer, runtime, loadedEffect.get());
}

void ZT_PathAnimtion::Restart() {
  ZT_PathGenerator::Restart();
  animationSpeed.Restart();
  motionSpeed.Restart();
  lastSwitch = 0;
}

GLIMMER_REGISTER_GENERATOR_KIND(ZT_PathAnimtion)

}  // namespace glimmer
