#include "params/paths.h"

#include <algorithm>

#include "store/archive.h"

namespace glimmer {
namespace {

// A natural cubic spline over knots 0, 1, ..., n−1 (second derivative 0 at
// both ends). Segment k is a + b·d + (c/2)·d² + (e/6)·d³ with d = s − k.
class NaturalSpline {
 public:
  explicit NaturalSpline(const std::vector<double>& y) : a_(y) {
    const size_t n = y.size();
    std::vector<double> m(n, 0.0);  // second derivatives
    if (n > 2) {
      // Tridiagonal system m[i-1] + 4 m[i] + m[i+1] = 6 (y[i+1] − 2 y[i] + y[i-1]).
      std::vector<double> cp(n, 0.0), dp(n, 0.0);
      for (size_t i = 1; i + 1 < n; ++i) {
        const double rhs = 6.0 * (y[i + 1] - 2.0 * y[i] + y[i - 1]);
        const double denom = 4.0 - (i > 1 ? cp[i - 1] : 0.0);
        cp[i] = 1.0 / denom;
        dp[i] = (rhs - (i > 1 ? dp[i - 1] : 0.0)) / denom;
      }
      for (size_t i = n - 2; i >= 1; --i) {
        m[i] = dp[i] - cp[i] * m[i + 1];
        if (i == 1) break;
      }
    }
    const size_t segments = n > 1 ? n - 1 : 1;
    b_.resize(segments);
    c_.resize(segments);
    e_.resize(segments);
    for (size_t k = 0; k < segments; ++k) {
      const double next = k + 1 < n ? y[k + 1] : y[k];
      const double mNext = k + 1 < n ? m[k + 1] : m[k];
      b_[k] = (next - y[k]) - (2.0 * m[k] + mNext) / 6.0;
      c_[k] = m[k];
      e_[k] = mNext - m[k];
    }
  }

  double operator()(double s) const {
    // The segment by binary search; before the first knot the first segment,
    // after the last knot the last one.
    const size_t segments = b_.size();
    size_t lo = 0, hi = segments;
    while (hi - lo > 1) {
      const size_t mid = (lo + hi) / 2;
      if (s >= static_cast<double>(mid)) {
        lo = mid;
      } else {
        hi = mid;
      }
    }
    const double d = s - static_cast<double>(lo);
    return a_[lo] + b_[lo] * d + c_[lo] / 2.0 * d * d + e_[lo] / 6.0 * d * d * d;
  }

 private:
  std::vector<double> a_, b_, c_, e_;
};

D3DXVECTOR3 Bezier(const D3DXVECTOR3 b[4], float t) {
  const float u = 1.0f - t;
  return b[0] * (u * u * u) + b[1] * (3.0f * t * u * u) + b[2] * (3.0f * t * t * u) +
         b[3] * (t * t * t);
}

D3DXVECTOR3 BezierTangent(const D3DXVECTOR3 b[4], float t) {
  const float u = 1.0f - t;
  const D3DXVECTOR3 d = (b[1] - b[0]) * (3.0f * u * u) + (b[2] - b[1]) * (6.0f * u * t) +
                        (b[3] - b[2]) * (3.0f * t * t);
  if (!(d == D3DXVECTOR3{})) return d;
  // A handle of zero length makes the derivative vanish at that end; the
  // curve still leaves (or reaches) the point along the next control point.
  const D3DXVECTOR3 towards = t < 0.5f ? b[2] - b[0] : b[3] - b[1];
  return towards == D3DXVECTOR3{} ? b[3] - b[0] : towards;
}

}  // namespace

void QVX_PathCtrlPoints::Rebuild() {
  Polyline.clear();
  const size_t n = PointCount();
  if (Smooth.Value() == 0 || n <= 2) {
    for (size_t i = 0; i < n; ++i) Polyline.push_back(PointAt(i)->Value());
    return;
  }
  std::vector<double> xs(n), ys(n);
  for (size_t i = 0; i < n; ++i) {
    xs[i] = PointAt(i)->Value().x;
    ys[i] = PointAt(i)->Value().y;
  }
  const NaturalSpline sx(xs), sy(ys);
  const double last = static_cast<double>(n - 1);
  const double step = last / 100.0;
  for (double s = 0.0; s <= last; s += step) {
    Polyline.push_back({static_cast<float>(sx(s)), static_cast<float>(sy(s)), 0.0f});
  }
}

void QVX_PathCtrlPoints::ForEachSegment(const SegmentCallback& callback) const {
  for (size_t i = 1; i < Polyline.size(); ++i) callback(Polyline[i - 1], Polyline[i]);
}

template <class P>
void SmartPath<P>::Serialize(Archive& ar, std::string_view name) {
  Field(ar, name, Points, 12, [&](ZT_SafePtr<P>& point) {
    if (!point) point = std::make_shared<P>();
    Field(ar, "", *point);
  });
}

template class SmartPath<DX_SmartPnt>;
template class SmartPath<DX_BSplinePnt>;
template class SmartPath<DX_CamPathPnt>;

void SplinePath::AddPoint(const D3DXVECTOR3& v, MediaControl* sender) {
  auto point = std::make_shared<DX_BSplinePnt>(v);
  if (!Points.empty()) {
    DX_BSplinePnt& last = *Points.back();
    point->InHandle.SetValue((v - last.Value()) * -0.33f);
    last.OutHandle.SetValue(-last.InHandle.Value());
    if (last.OutHandle.Value() == D3DXVECTOR3{}) last.OutHandle.SetValue(-point->InHandle.Value());
  }
  Points.push_back(std::move(point));
  NotifyControls(sender);
}

float SplinePath::SampleInto(std::vector<PathSample>& out, int32_t steps, bool reverse) const {
  out.clear();
  if (steps < 1) steps = 1;
  float total = 0.0f;
  auto add = [&](const D3DXVECTOR3& position, const D3DXVECTOR3& tangent) {
    if (!out.empty()) {
      PathSample& prev = out.back();
      prev.SegmentLength = Length(position - prev.Position);
      total += prev.SegmentLength;
      prev.CumulativeLength = total;
    }
    out.push_back({position, Normalize(tangent), 0.0f, 0.0f});
  };
  const size_t n = Points.size();
  for (size_t s = 1; s < n; ++s) {
    D3DXVECTOR3 b[4];
    if (!reverse) {
      const DX_BSplinePnt& a = *Points[s - 1];
      const DX_BSplinePnt& c = *Points[s];
      b[0] = a.Value();
      b[1] = a.Value() + a.OutHandle.Value();
      b[2] = c.Value() + c.InHandle.Value();
      b[3] = c.Value();
    } else {
      const DX_BSplinePnt& a = *Points[n - s];
      const DX_BSplinePnt& c = *Points[n - s - 1];
      b[0] = a.Value();
      b[1] = a.Value() + a.InHandle.Value();
      b[2] = c.Value() + c.OutHandle.Value();
      b[3] = c.Value();
    }
    for (int32_t k = 0; k <= steps; ++k) {
      if (k == 0 && !out.empty() && out.back().Position == b[0]) continue;
      const float t = static_cast<float>(k) / static_cast<float>(steps);
      add(Bezier(b, t), BezierTangent(b, t));
    }
  }
  return total;
}

void SplinePath::Rebuild() {
  TotalLength = SampleInto(Samples, StepsPerSegment, false);
}

void SplinePath::ForEachSegment(const SegmentCallback& callback) const {
  for (size_t i = 1; i < Samples.size(); ++i)
    callback(Samples[i - 1].Position, Samples[i].Position);
}

}  // namespace glimmer
