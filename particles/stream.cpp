#include "particles/stream.h"

#include "params/param_serialization.h"
#include "params/random_source.h"
#include "store/archive.h"

namespace glimmer {

void ZT_StreamPtclSys::Serialize(Archive& ar, int32_t) {
  Field(ar, "rate", rate.rate);
  Field(ar, "frame", frame);
  Field(ar, "life", life);
  Field(ar, "firstSpeed", firstSpeed);
  Field(ar, "firstSpeedSpread", firstSpeedSpread);
  Field(ar, "speed", speed);
  Field(ar, "speedSpread", speed.Spread);
  Field(ar, "scatter", scatter);
  SerializeBase<QVX_ParticleSystemCtrl>(ar, *this);
}

void StreamSystem::PlaceDefault(float width, float height) {
  settings().frame.SetCentered(width * 0.8f, height * 0.8f, {width / 2, height / 2, 0});
}

bool StreamSystem::Emit(float dt, size_t) {
  const ZT_StreamPtclSys& s = settings();
  const int32_t n = settings().rate.Count(Visibility() * dt);
  const D3DXVECTOR3 c0 = s.frame.Corners[0].Value(), c1 = s.frame.Corners[1].Value();
  const D3DXVECTOR3 c2 = s.frame.Corners[2].Value(), c3 = s.frame.Corners[3].Value();
  const float scatter = s.scatter.Scaled(), life = s.life.Seconds();
  const float base = s.speed.Scaled(), kept = s.speed.Spread.Scaled();
  for (int32_t k = 0; k < n; ++k) {
    const float m = RandomUniform(0, 1);
    const D3DXVECTOR3 start = c2 + (c0 - c2) * m;
    const float b = m + RandomUniform(-scatter, scatter);
    const D3DXVECTOR3 aim = c3 + (c1 - c3) * b;
    // A particle whose aim is its start point (both edges through it) stays
    // where it is born rather than flying along no direction.
    const D3DXVECTOR3 to = aim - start;
    const float length = Length(to);
    const D3DXVECTOR3 u = length > 0 ? to * (1.0f / length) : D3DXVECTOR3{0, 0, 0};
    if (!engine_.Spawn(start)) break;
    const size_t i = engine_.Count() - 1;
    engine_.InitFromAppearance(i, life);
    engine_.At(i).velocity = u * (base * RandomUniform(kept, 1));
  }
  // The newborns are spread over the step.
  return true;
}

GLIMMER_REGISTER_LAYER_KIND(ZT_StreamPtclSys, StreamSystem)

}  // namespace glimmer
