#pragma once
// Control points of paths: a plain point, a Bezier point with two handles,
// and a camera point with a travel time and a zoom. Each is a parameter.

#include <memory>
#include <string_view>

#include "common/d3dx_vector.h"
#include "params/media_param.h"

namespace glimmer {

class Archive;
class DX_SmartPnt;
class DX_BSplinePnt;

class PointVisitor {
 public:
  virtual void VisitSpline(DX_BSplinePnt& point) = 0;
  virtual void VisitPlain(DX_SmartPnt& point) = 0;

 protected:
  ~PointVisitor() = default;
};

class DX_SmartPnt : public MediaParamT<D3DXVECTOR3> {
 public:
  using MediaParamT<D3DXVECTOR3>::MediaParamT;
  virtual void Accept(PointVisitor& visitor) { visitor.VisitPlain(*this); }
  // x, y, z.
  virtual void Serialize(Archive& ar, std::string_view name);

  // An optional object shared by copies of the point; no behaviour of its own.
  std::shared_ptr<void> Attachment;
};

class DX_BSplinePnt : public DX_SmartPnt {
 public:
  using DX_SmartPnt::DX_SmartPnt;
  void Accept(PointVisitor& visitor) override { visitor.VisitSpline(*this); }
  // A version (read and ignored), the position, OutHandle, InHandle.
  void Serialize(Archive& ar, std::string_view name) override;

  MediaParamT<D3DXVECTOR3> OutHandle;  // relative to the position
  MediaParamT<D3DXVECTOR3> InHandle;
};

class DX_CamPathPnt : public DX_SmartPnt {
 public:
  using DX_SmartPnt::DX_SmartPnt;
  // A version v, the position, TravelTime, and from v 1 ZoomPercent.
  void Serialize(Archive& ar, std::string_view name) override;

  MediaParamT<float> TravelTime{5.0f};  // seconds allowed to reach this point
  MediaParamT<uint32_t> ZoomPercent{100};
};

}  // namespace glimmer
