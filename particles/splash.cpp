#include "particles/splash.h"

#include <algorithm>
#include <cmath>

#include "params/param_serialization.h"
#include "particles/spray.h"
#include "store/archive.h"

namespace glimmer {

void QVX_SplashPtclSys::Serialize(Archive& ar, int32_t version) {
  Field(ar, "rectangle", rectangle.quad);
  Field(ar, "sectorPoint", sector.position);
  Field(ar, "sectorRadius", sector.radius);
  Field(ar, "sectorAngle", sector.angle);
  Field(ar, "sectorWidth", sector.width);
  Field(ar, "geometry", geometry);
  Field(ar, "total", total);
  if (version >= 2) {
    Field(ar, "life", life);
    Field(ar, "direction", direction);
    Field(ar, "speed", speed);
    SerializeBase<QVX_ParticleSystemCtrl>(ar, *this);
  } else {
    SerializeVersion1Tail(ar);
  }
}

void QVX_SplashPtclSys::SerializeVersion1Tail(Archive& ar) {
  uint32_t sizeVariation = 0, d1 = 0, d2 = 0, d3 = 0;
  int32_t ignored = 0, mode = 0;
  Field(ar, "sizeVariation", sizeVariation);
  Field(ar, "ignored", ignored);
  Field(ar, "rise", d1);
  Field(ar, "hold", d2);
  Field(ar, "fall", d3);
  Field(ar, "mode", mode);
  SerializeBase<QVX_ParticleSystemCtrl>(ar, *this);
  // The phases become the life and the envelope of the size (mode ≠ 0) or
  // of the opacity; phases that add up to nothing leave the envelope flat.
  const uint64_t sum = uint64_t(d1) + d2 + d3;
  const uint32_t a = sum ? uint32_t(uint64_t(d1) * 100 / sum) : 0;
  const uint32_t b = sum ? uint32_t((uint64_t(d1) + d2) * 100 / sum) : 100;
  life.SetValue(uint32_t(std::min<uint64_t>(sum, UINT32_MAX)));
  ParticleAppearance& ap = appearance;
  ap.sizeVariation.SetValue(sizeVariation);
  LifeEnvelope& shaped = mode != 0 ? ap.sizeEnvelope : ap.opacityEnvelope;
  LifeEnvelope& flat = mode != 0 ? ap.opacityEnvelope : ap.sizeEnvelope;
  shaped.riseEnd.SetValue(a);
  shaped.fallStart.SetValue(b);
  flat.riseEnd.SetValue(0);
  flat.fallStart.SetValue(100);
  direction.Spread.SetValue(360);
  speed.SetValue(0);
}

template <class Ctor>
void SplashFamilyRuntime<Ctor>::BuildRoutines() {
  ParticleAppearance& a = this->settings().appearance;
  a.flags.SetValue(a.flags.Value() | kLateralWaves);
  ParticleKindRuntime<Ctor>::BuildRoutines();
}

template <class Ctor>
void SplashFamilyRuntime<Ctor>::PlaceDefault(float width, float height) {
  QVX_SplashPtclSys& s = this->settings();
  const D3DXVECTOR3 centre{width / 2, height / 2, 0};
  s.rectangle.quad.SetCentered(width, height, centre);
  s.sector.position = centre;
  s.sector.radius.SetValue(uint32_t(std::max(0.0f, width / 2)));
  s.sector.width.SetValue(90);
}

template <class Ctor>
void SplashFamilyRuntime<Ctor>::Births(size_t n) {
  const QVX_SplashPtclSys& s = this->settings();
  ParticleEngine& engine = this->engine_;
  positions_.resize(n);
  if (s.geometry.Value() == 0) {
    s.rectangle.Positions(positions_);
  } else {
    s.sector.Positions(positions_);
  }
  const float life = s.life.Seconds(), speed = s.speed.Scaled();
  for (const D3DXVECTOR3& position : positions_) {
    if (!engine.Spawn(position)) break;
    const size_t i = engine.Count() - 1;
    engine.InitFromAppearance(i, life);
    engine.At(i).velocity = s.direction.RandomDirection() * speed;
  }
}

template class SplashFamilyRuntime<QVX_SplashPtclSys>;
template class SplashFamilyRuntime<QVX_SprayPtclSys>;

void SplashSystem::Restart() {
  RestartEmpty();
  emitted_ = 0;
}

bool SplashSystem::Emit(float, size_t) {
  Births(DueOfTotal(settings().total.Value(), emitted_));
  return true;
}

GLIMMER_REGISTER_LAYER_KIND(QVX_SplashPtclSys, SplashSystem)

}  // namespace glimmer
