#pragma once
// Paths: lists of control points and the sampled polylines built from them.
// The generic path samples straight through its points or along natural
// cubic splines; SplinePath samples Bezier segments and records tangents and
// arc lengths so owners can move along it by distance.

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "common/d3dx_vector.h"
#include "common/safe_ptr.h"
#include "params/media_param.h"
#include "params/path_points.h"

namespace glimmer {

class Archive;

using SegmentCallback = std::function<void(const D3DXVECTOR3& a, const D3DXVECTOR3& b)>;

class QVX_PathCtrlPoints : public MediaParam {
 public:
  virtual size_t PointCount() const = 0;
  virtual void RemovePoint(size_t index, MediaControl* sender) = 0;
  virtual DX_SmartPnt* PointAt(size_t index) const = 0;
  virtual void AddPoint(const D3DXVECTOR3& position, MediaControl* sender) = 0;
  // Recomputes Polyline: the points in order, or with Smooth set and more
  // than two points, 101-odd samples of natural cubic splines in x and y.
  virtual void Rebuild();
  // callback(a, b) for each consecutive pair of sampled positions.
  virtual void ForEachSegment(const SegmentCallback& callback) const;

  MediaParamT<int32_t> Smooth;
  std::vector<D3DXVECTOR3> Polyline;
};

template <class P>
class SmartPath : public QVX_PathCtrlPoints {
 public:
  size_t PointCount() const override { return Points.size(); }
  DX_SmartPnt* PointAt(size_t index) const override {
    return index < Points.size() ? Points[index].get() : nullptr;
  }
  void RemovePoint(size_t index, MediaControl* sender) override {
    if (index >= Points.size()) return;
    Points.erase(Points.begin() + static_cast<std::ptrdiff_t>(index));
    NotifyControls(sender);
  }
  void AddPoint(const D3DXVECTOR3& position, MediaControl* sender) override {
    Points.push_back(std::make_shared<P>(position));
    NotifyControls(sender);
  }
  // A count, then each point in its stored form.
  void Serialize(Archive& ar, std::string_view name);

  std::vector<ZT_SafePtr<P>> Points;
};

// One sampled position of a SplinePath (32 bytes).
struct PathSample {
  D3DXVECTOR3 Position;
  D3DXVECTOR3 Tangent;         // unit length
  float SegmentLength = 0;     // to the next sample; 0 on the last
  float CumulativeLength = 0;  // from the start to the next sample; 0 on the last
};
static_assert(sizeof(PathSample) == 32);

class SplinePath : public SmartPath<DX_BSplinePnt> {
 public:
  // Adds a point whose in-handle points a third of the way back to the last
  // point, and mirrors the last point's handles to keep the joint smooth.
  void AddPoint(const D3DXVECTOR3& position, MediaControl* sender) override;
  void Rebuild() override;
  void ForEachSegment(const SegmentCallback& callback) const override;

  // Samples the Bezier segments into `out` with `steps` per segment,
  // optionally from the last point to the first; returns the total length.
  float SampleInto(std::vector<PathSample>& out, int32_t steps, bool reverse) const;

  std::vector<PathSample> Samples;
  float TotalLength = 0.0f;
  int32_t StepsPerSegment = 20;
};

class CameraPath : public SmartPath<DX_CamPathPnt> {};

}  // namespace glimmer
