#pragma once
// One sprite on a polyline: QVX_ParticlePathCtrl, the stored base with the
// path and its walker, and QVX_SigleObjectPath, a sprite that travels the
// path to its end and back for ever.

#include <cstdint>

#include "params/animated_params.h"
#include "params/paths.h"
#include "particles/particle_runtime.h"
#include "scene/layer_kind.h"

namespace glimmer {

class QVX_ParticlePathCtrl : public QVX_ParticleSystemCtrl {
  GLIMMER_STORED_CLASS(QVX_ParticlePathCtrl, 1)

 public:
  // The path's points.
  void Serialize(Archive& ar, int32_t version) override;

  SmartPath<DX_SmartPnt> path;  // straight through its points
};

// Walks a polyline to its last point, back to its first, and so on.
class PolylineWalker {
 public:
  void Reset() { *this = PolylineWalker{}; }
  // Moves on by `distance` along `points`; false (and no move) with fewer
  // than two points or no length at all.
  bool Walk(const std::vector<D3DXVECTOR3>& points, float distance);

  D3DXVECTOR3 position{}, direction{};
  size_t segment = 0;
  bool forward = true;
  float into = 0;  // distance into the segment
};

class QVX_SigleObjectPath : public QVX_ParticlePathCtrl {
  GLIMMER_LAYER_KIND(QVX_SigleObjectPath)

 public:
  // The speed, then the orientation.
  void Serialize(Archive& ar, int32_t version) override;

  MediaSpeedParam speed{0, 0.1f, 0.0f};  // u × 6 pixels per second
  MediaParamT<int32_t> orientation;      // 0 upright, 1 along the motion, 2/3 mirrored
};

class SingleObjectPathSystem : public ParticleSystemRuntime {
 public:
  // The walker's pixels per second for each unit of the speed's factor:
  // what one frame's step was at 60 frames a second.
  static constexpr float kPixelsPerSecond = 60.0f;

  explicit SingleObjectPathSystem(const QVX_SigleObjectPath& constructor);
  QVX_SigleObjectPath& settings() { return static_cast<QVX_SigleObjectPath&>(Constructor()); }
  const QVX_SigleObjectPath& settings() const {
    return static_cast<const QVX_SigleObjectPath&>(Constructor());
  }
  const PolylineWalker& Walker() const { return walker_; }

  void Advance(float t) override;
  // The walker starts again at the first point; no warm-up.
  void Restart() override;

 protected:
  bool Emit(float, size_t) override { return false; }
  void BuildRoutines() override;
  void PlaceDefault(float width, float height) override;

 private:
  PolylineWalker walker_;
};

}  // namespace glimmer
