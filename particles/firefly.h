#pragma once
// QVX_Firefly: wandering particles that leave glowing trails; the trails
// have a look of their own and are drawn beneath the fireflies.

#include <cstdint>
#include <memory>

#include "particles/brown_animation.h"
#include "particles/particle_tracer.h"

namespace glimmer {

class QVX_Firefly : public QVX_BrownAnimation {
  GLIMMER_LAYER_KIND(QVX_Firefly)

 public:
  // The trail emitter's block; before version 2 the trails take the
  // texture, colours, name, glow and size of the fireflies' look.
  void Serialize(Archive& ar, int32_t version) override;

  QVX_ParticleTracer trails;
};

class FireflySystem : public BrownAnimationSystem {
 public:
  explicit FireflySystem(const QVX_Firefly& constructor);

  QVX_Firefly& settings() { return static_cast<QVX_Firefly&>(Constructor()); }
  const QVX_Firefly& settings() const { return static_cast<const QVX_Firefly&>(Constructor()); }
  const ParticleEngine& Trails() const { return settings().trails.Engine(); }
  uint32_t TrailQuads() const { return trailCount_; }

  void Advance(float t) override;
  void Restart() override;
  void Render(ZT_ABRender& renderer, int pass) override;
  bool NeedsSceneCopy() const override { return SceneCopyCount() > 0; }
  int SceneCopyCount() const override;

 protected:
  void BuildRoutines() override;
  void AttachResources(QVX_DocResManager* resources, GpuDevice* device) override;
  // A firefly takes its colour, size and waves from the appearance.
  void Prepare(size_t i) override;

 private:
  ZT_IndexedMesh<DX_V::PCT> trailQuads_{nullptr};
  uint32_t trailCount_ = 0;
  TextureFrames trailFrames_;
  std::shared_ptr<Effect> trailEffect_;
  std::unique_ptr<QVX_BlurSurface> trailGlow_;
};

}  // namespace glimmer
