#include "particles/emitters.h"

#include <algorithm>
#include <cmath>

#include "params/random_source.h"
#include "platform/gpu/d3dx_math.h"

namespace glimmer {
namespace {
constexpr float kRadiansPerDegree = 3.14159265358979f / 180.0f;
}

D3DXVECTOR3 RandomArcPoint(float r, float a0, float a1) {
  const float a = RandomUniform(a0, a1) * kRadiansPerDegree;
  return {r * std::cos(a), -r * std::sin(a), 0};
}

D3DXVECTOR3 RandomConePoint(float r, float a0, float a1) {
  const D3DXVECTOR3 p = RandomArcPoint(r, a0, a1);
  const float half = (a1 - a0) / 2;
  const float b = RandomUniform(-half, half) * kRadiansPerDegree;
  D3DXMATRIX rotation;
  D3DXMatrixRotationY(&rotation, b);
  D3DXVECTOR3 out;
  D3DXVec3TransformCoord(&out, &p, &rotation);
  return out;
}

int32_t QVX_EvenImitter::Count(float dt) {
  const float r = rate.Scaled();
  if (!(r > 0) || !std::isfinite(dt)) return 0;
  elapsed += dt;
  const float due = elapsed * r;
  if (!(due < float(kMaxBirthsPerStep))) {
    // A backlog beyond the cap is dropped rather than carried.
    elapsed = 0;
    return kMaxBirthsPerStep;
  }
  const int32_t n = static_cast<int32_t>(due);
  elapsed -= static_cast<float>(n) / r;
  return n;
}

int32_t QVX_RndImitter::Count(float dt) {
  if (!std::isfinite(dt)) return 0;
  elapsed += dt;
  const float lo = std::max(0.0f, minimum.Value()), hi = std::max(0.0f, maximum.Value());
  int32_t n = 0;
  while (next < elapsed) {
    if (lo == 0 && hi == 0) return n + 1;
    next += RandomUniform(lo, hi);
    if (++n == kMaxBirthsPerStep) {
      next = elapsed;  // intervals too short to follow: the rest is dropped
      break;
    }
  }
  return n;
}

void QVX_PointImitter::Positions(std::span<D3DXVECTOR3> out) const {
  std::fill(out.begin(), out.end(), position);
}

void QVX_CircleImitter::Positions(std::span<D3DXVECTOR3> out) const {
  for (D3DXVECTOR3& p : out) {
    const float r = RandomUniform(0, diameter / 2);
    p = position + RandomArcPoint(r, 0, 360);
  }
}

void QVX_SectorImitter::Positions(std::span<D3DXVECTOR3> out) const {
  const float a = float(angle.Value()), w = float(width.Value());
  for (D3DXVECTOR3& p : out) {
    const float r = RandomUniform(0, float(radius.Value()));
    p = position + RandomArcPoint(r, a - w / 2, a + w / 2);
  }
}

void QVX_RectImitter::Positions(std::span<D3DXVECTOR3> out) const {
  const D3DXVECTOR3& c0 = quad.Corners[0].Value();
  const D3DXVECTOR3& c3 = quad.Corners[3].Value();
  for (D3DXVECTOR3& p : out) {
    const float y = RandomUniform(c0.y, c3.y);
    const float x = RandomUniform(c0.x, c3.x);
    p = {x, y, 0};
  }
}

void QVX_PosArrImitter::SetTable(std::vector<D3DXVECTOR3> table) {
  table_ = std::move(table);
  ReleaseAll();
}

void QVX_PosArrImitter::ReleaseAll() {
  free_.resize(table_.size());
  for (uint32_t i = 0; i < free_.size(); ++i) free_[i] = i;
  held_.assign(table_.size(), 0);
}

bool QVX_PosArrImitter::Take(uint32_t& index, D3DXVECTOR3& position) {
  if (free_.empty()) return false;
  const size_t k = static_cast<size_t>(NextRandom()) % free_.size();
  index = free_[k];
  free_.erase(free_.begin() + static_cast<std::ptrdiff_t>(k));
  held_[index] = 1;
  position = table_[index];
  return true;
}

void QVX_PosArrImitter::Release(uint32_t index) {
  if (index >= held_.size() || !held_[index]) return;
  held_[index] = 0;
  free_.push_back(index);
}

}  // namespace glimmer
