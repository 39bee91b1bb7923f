#include "params/geometry_params.h"

#include <cmath>

#include "params/random_source.h"

namespace glimmer {

void MediaQuad::SetCentered(float w, float h, const D3DXVECTOR3& c) {
  Corners[0].SetValue({c.x - w / 2, c.y - h / 2, c.z});
  Corners[1].SetValue({c.x - w / 2, c.y + h / 2, c.z});
  Corners[2].SetValue({c.x + w / 2, c.y - h / 2, c.z});
  Corners[3].SetValue({c.x + w / 2, c.y + h / 2, c.z});
}

MediaDirection::MediaDirection() {
  Recompute();
}

MediaDirection::MediaDirection(uint32_t degrees) : MediaParamT<uint32_t>(degrees) {
  Recompute();
}

MediaDirection::MediaDirection(const MediaDirection& o) : MediaParamT<uint32_t>(o) {
  Recompute();
}

MediaDirection& MediaDirection::operator=(const MediaDirection& o) {
  MediaParamT<uint32_t>::operator=(o);
  Recompute();
  return *this;
}

void MediaDirection::Recompute() {
  const float a = static_cast<float>(Value()) * kPi / 180.0f;
  const float c = std::cos(a), s = std::sin(a);
  direction_ = {c, s, 0, 0};
  normal_ = {-s, c, 0, 0};
}

D3DXVECTOR3 MediaSector::RandomDirection() const {
  const float spread = static_cast<float>(Spread.Value());
  const float u = RandomUniform(-spread, spread);
  const float degrees = 360.0f - (static_cast<float>(Value()) + u);
  const float a = degrees * kPi / 180.0f;
  return {std::cos(a), std::sin(a), 0.0f};
}

}  // namespace glimmer
