#pragma once
// Geometry parameters: quads, rectangles, directions and sectors.

#include <cstdint>

#include "common/d3dx_vector.h"
#include "params/callback_controls.h"
#include "params/media_param.h"

namespace glimmer {

// Four corners in triangle-strip order; each corner is a parameter of its own.
class MediaQuad : public MediaParam {
 public:
  MediaParamTB<D3DXVECTOR3> Corners[4];

  // Corner 0 = centre + (-w/2, -h/2), 1 = (-w/2, +h/2), 2 = (+w/2, -h/2),
  // 3 = (+w/2, +h/2); y grows downwards.
  void SetCentered(float width, float height, const D3DXVECTOR3& centre);
};

// Left, right, top, bottom, and two owner-defined extras.
class MediaRectangle : public MediaParam {
 public:
  MediaParamT<int32_t> Left, Right, Top, Bottom;
  MediaParamTB<int32_t> ExtraA, ExtraB;
};

// An angle in whole degrees with its direction and normal vectors, kept in
// step by an observer of itself.
class MediaDirection : public MediaParamT<uint32_t> {
 public:
  MediaDirection();
  explicit MediaDirection(uint32_t degrees);
  MediaDirection(const MediaDirection& o);
  MediaDirection& operator=(const MediaDirection& o);

  // Direction = (cos a, sin a, 0, 0), Normal = (-sin a, cos a, 0, 0) for the
  // rotation about Z by the angle.
  void Recompute();
  const D3DXVECTOR4& Direction() const { return direction_; }
  const D3DXVECTOR4& Normal() const { return normal_; }

 private:
  D3DXVECTOR4 direction_{1, 0, 0, 0};
  D3DXVECTOR4 normal_{0, 1, 0, 0};
  SmartCalbackCtrl<MediaDirection> recompute_{&MediaDirection::Recompute, this, this};
};

// A direction with a spread in degrees.
class MediaSector : public MediaDirection {
 public:
  using MediaDirection::MediaDirection;
  MediaParamT<uint32_t> Spread;

  // A direction drawn uniformly within ±Spread of the angle (one draw of the
  // shared random source), turning clockwise on screen: the rotation about
  // Z by (360 − (angle + u)) degrees applied to (1, 0, 0).
  D3DXVECTOR3 RandomDirection() const;
};

// The single-precision π the angle conversions use.
inline constexpr float kPi = 3.1415927f;

}  // namespace glimmer
