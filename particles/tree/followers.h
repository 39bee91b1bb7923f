#pragma once
// Follower geometries: particles made for the particles of the node above
// and hanging on them. The point sits on its parent; the swarm wanders in a
// box around it; the trace leaves a trail behind it as it moves.

#include "particles/tree/geometries.h"

namespace glimmer {

class QVX_PSGeometry_Point : public QVX_PtclSys_Geometry {
  GLIMMER_STORED_CLASS(QVX_PSGeometry_Point)
  GLIMMER_TREE_ITEM(QVX_PSGeometry_Point)

 public:
  void Serialize(Archive& ar, int32_t version) override;
  // One particle on the parent: it takes the parent's life fraction and
  // direction and lives and dies with it.
  void Spawn(const ParticleHandle& parent, std::vector<TreeParticle*>& out) override;

 protected:
  void BuildTable(TransformTable& table) override;
};

// Six sliders: box width and height (pixels), speed (u × 0.01, a factor),
// frequency (u × 0.01 changes a second), duration (u × 0.01 s) and count.
class QVX_PSGeometry_Swarm : public QVX_PtclSys_Geometry {
  GLIMMER_STORED_CLASS(QVX_PSGeometry_Swarm)
  GLIMMER_TREE_ITEM(QVX_PSGeometry_Swarm)

 public:
  QVX_PSGeometry_Swarm();
  QVX_PSGeometry_Swarm(const QVX_PSGeometry_Swarm& o);
  void Serialize(Archive& ar, int32_t version) override;
  void Spawn(const ParticleHandle& parent, std::vector<TreeParticle*>& out) override;

  MediaParamT<uint32_t> boxWidth{100}, boxHeight{100};
  UINTSclaleTo<float> speed{100, 0.01f, 0.0f}, frequency{100, 0.01f, 0.0f},
      duration{50, 0.01f, 0.0f};
  MediaParamT<uint32_t> count{10};

  // At most this many particles a parent.
  static constexpr uint32_t kMaxCount = 1000;

 protected:
  void BuildTable(TransformTable& table) override;

 private:
  BrownianContext context_;
};

// Each step, every parent that moves drops one trail particle where it is
// (not attached: the trail stays behind); it lives the trace leaf's trail
// life (0.5 s without one), shrinking and fading by the leaf's envelopes.
class QVX_PSGeometry_Trace : public QVX_PtclSys_Geometry {
  GLIMMER_STORED_CLASS(QVX_PSGeometry_Trace)
  GLIMMER_TREE_ITEM(QVX_PSGeometry_Trace)

 public:
  void Serialize(Archive& ar, int32_t version) override;
  void Emit(float dt, TreeParticle& parent, std::vector<TreeParticle*>& out) override;

 protected:
  void BuildTable(TransformTable& table) override;
};

}  // namespace glimmer
