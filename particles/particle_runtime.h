#pragma once
// The runtime of a particle-system kind: it owns the system (its copy of the
// constructor), the engine with the live particles, the quad buffer, the
// loaded texture frames, the particle effect and the glow surface, and runs
// the frame cycle: clocks, stepping, births, quads, then drawing with the
// optional glow. Kinds say how particles are born (Emit) and which routines
// they carry (BuildRoutines).

#include <memory>

#include "particles/particle_engine.h"
#include "particles/particle_system.h"
#include "render/render_targets.h"
#include "scene/renderer_interface.h"
#include "scene/scene_object.h"

namespace glimmer {

class Effect;
class GpuDevice;
class QVX_DocResManager;

// Warm-up steps of 0.1 s cover at most this much simulated time.
inline constexpr float kMaxWarmUpSeconds = 60.0f;

class ParticleSystemRuntime : public ZT_ABObj {
 public:
  explicit ParticleSystemRuntime(std::unique_ptr<QVX_ParticleSystemCtrl> system);
  ~ParticleSystemRuntime() override;

  QVX_ParticleSystemCtrl& System() { return static_cast<QVX_ParticleSystemCtrl&>(Constructor()); }
  const QVX_ParticleSystemCtrl& System() const {
    return static_cast<const QVX_ParticleSystemCtrl&>(Constructor());
  }
  ParticleEngine& Engine() { return engine_; }
  const ZT_IndexedMesh<DX_V::PCT>& Quads() const { return quads_; }
  uint32_t QuadCount() const { return quadCount_; }

  void Advance(float t) override;
  // Writes the live particles as quads for the next Render.
  virtual void BuildQuads();
  void Draw(ZT_ABRender&) override {}
  void Render(ZT_ABRender& renderer, int pass) override;
  bool NeedsSceneCopy() const override {
    return IsActive() && System().appearance.glowMode.Value() == 2;
  }
  // The time line restarts and the system warms up.
  void Restart() override;

  // The number of 0.1 s warm-up steps for `seconds`: as many as whole
  // tenths fit below it (5 s: 50), none for a non-finite or non-positive
  // time, at most kMaxWarmUpSeconds' worth.
  static int WarmUpSteps(float seconds);

 protected:
  // The routine table of the kind's particles (called when attached);
  // the default is a constant age, the appearance's routines and kinematics.
  virtual void BuildRoutines();
  // Appends the particles due in this step to the engine; true when the
  // newborns (from `first` on) still need their sub-steps.
  virtual bool Emit(float dt, size_t first) = 0;
  virtual float WarmUpTime() const { return 5.0f; }
  // Places a layer without an identity of its own on a target of W × H.
  virtual void PlaceDefault(float width, float height) {
    (void)width;
    (void)height;
  }
  // Loads what the system draws with, once the device is there.
  void Attach();
  // What a kind loads besides the main appearance (a second look, its own
  // buffers), called by Attach; either may be missing.
  virtual void AttachResources(QVX_DocResManager* resources, GpuDevice* device) {
    (void)resources;
    (void)device;
  }

 public:
  // An appearance's texture frames, effect and (with a glow) glow surface.
  static void LoadAppearance(const ParticleAppearance& a, QVX_DocResManager& resources,
                             GpuDevice& device, TextureFrames& frames,
                             std::shared_ptr<Effect>& effect,
                             std::unique_ptr<QVX_BlurSurface>& glow);
  // An appearance's texture-frame and spin clocks to outer time t.
  static void AdvanceClocks(ParticleAppearance& a, TextureFrames& frames, float t);
  // The glow of `quads` quads of `mesh` drawn with appearance a, when it
  // has one: the quads blurred, then laid over the target.
  static void DrawGlow(ZT_ABRender& renderer, const ZT_IndexedMesh<DX_V::PCT>& mesh, uint32_t quads,
                       const ParticleAppearance& a, const TextureFrames& frames, Effect& effect,
                       QVX_BlurSurface* glow);
  // The glow, then the quads blended as appearance a says.
  static void DrawAppearance(ZT_ABRender& renderer, const ZT_IndexedMesh<DX_V::PCT>& mesh,
                             uint32_t quads, const ParticleAppearance& a,
                             const TextureFrames& frames, Effect* effect, QVX_BlurSurface* glow);

 protected:
  // Births and sub-steps of one step.
  void StepAndEmit(float dt);
  // The appearance's texture-frame and spin clocks to outer time t, and the
  // texture frame they choose.
  void AdvanceAppearanceClocks(float t);
  float Visibility() const;
  bool IsHidden() const;
  // The births due of a fixed total: as much of it as the time line's
  // visibility shows, less what was born since the line was last hidden
  // (`emitted`, which counts them).
  uint32_t DueOfTotal(uint32_t total, uint32_t& emitted) const;
  // A start without warm-up: no particles.
  void RestartEmpty();

  ParticleEngine engine_;
  ZT_IndexedMesh<DX_V::PCT> quads_{nullptr};
  uint32_t quadCount_ = 0;
  TextureFrames frames_;
  std::shared_ptr<Effect> effect_;
  std::unique_ptr<QVX_BlurSurface> glow_;
  bool attached_ = false;
};

// The runtime of kind Ctor, which reaches its settings with its own type.
template <class Ctor>
class ParticleKindRuntime : public ParticleSystemRuntime {
 public:
  explicit ParticleKindRuntime(const Ctor& constructor)
      : ParticleSystemRuntime(std::make_unique<Ctor>(constructor)) {}
  // For kinds derived from Ctor: the runtime keeps the derived copy.
  explicit ParticleKindRuntime(std::unique_ptr<Ctor> constructor)
      : ParticleSystemRuntime(std::move(constructor)) {}
  Ctor& settings() { return static_cast<Ctor&>(Constructor()); }
  const Ctor& settings() const { return static_cast<const Ctor&>(Constructor()); }
};

}  // namespace glimmer
