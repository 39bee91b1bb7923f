#pragma once
// Off-screen targets: the base of objects whose textures are lost with the
// device, a single pre-render target, sets of three interchangeable targets,
// and the reduced-size blur surfaces. Targets are A8R8G8B8 render-target
// textures in the default pool, drawn without a depth buffer.

#include <array>
#include <cstdint>
#include <memory>

#include "common/link_key.h"
#include "platform/gpu/effect.h"
#include "platform/screen_context.h"
#include "render/meshes.h"

namespace glimmer {

// What the off-screen holders ask of the slide's renderer.
class OffscreenRenderer {
 public:
  virtual GpuDevice& Device() = 0;
  // Draw into a target of width × height; mode 3 stretches the picture quad
  // over the whole target with no camera.
  virtual void BeginOffscreen(uint32_t width, uint32_t height, int mode) = 0;
  virtual void EndOffscreen() = 0;
  // Draws `mesh` once through every pass of the effect's current technique.
  virtual void DrawFx(const ZT_SimpleMesh<DX_V::PCT>& mesh, Effect& effect) = 0;
  virtual const ZT_SimpleMesh<DX_V::PCT>& GetPictureQuad() = 0;
  // Size of the picture's texture (for blur surfaces made for the screen).
  virtual void PictureTextureSize(float& width, float& height) = 0;

 protected:
  ~OffscreenRenderer() = default;
};

class QVX_LosableObj;

// Where losable objects register themselves: the current resource manager.
class LosableRegistry {
 public:
  virtual void AddLosable(const LinkKey& key, QVX_LosableObj* object) = 0;
  virtual void RemoveLosable(const LinkKey& key) = 0;

 protected:
  ~LosableRegistry() = default;
};
// The current screen's registry (CurrentLosableRegistry, platform/screen_context.h)
// is where losable objects made now register.

// A fresh render-target texture; null when the device cannot make it.
TexturePtr CreateRenderTarget(GpuDevice& device, uint32_t width, uint32_t height);

class QVX_LosableObj {
 public:
  // Registers under a fresh key with the registry current at construction.
  QVX_LosableObj();
  QVX_LosableObj(const QVX_LosableObj&) = delete;
  QVX_LosableObj& operator=(const QVX_LosableObj&) = delete;
  virtual ~QVX_LosableObj();

  virtual void OnLostDevice() = 0;
  virtual void OnResetDevice() = 0;
  virtual void CreateForScreen() {}

  const LinkKey& Key() const { return key_; }

 private:
  LinkKey key_;
  LosableRegistry* registry_;
};

// Saves the device's render target and depth-stencil surface and restores them.
struct SavedTargets {
  void Save(GpuDevice& device);
  void Restore(GpuDevice& device);
  SurfacePtr Target;
  DepthStencilPtr Depth;
};

class QVX_PrerenderSurface : public QVX_LosableObj {
 public:
  explicit QVX_PrerenderSurface(GpuDevice& device) : device_(device) {}
  void OnLostDevice() override { Texture.reset(); }
  void OnResetDevice() override;
  // Redirects drawing into Texture, cleared.
  void BeginRender(OffscreenRenderer& renderer);
  // Restores drawing; returns Texture.
  TexturePtr EndRender(OffscreenRenderer& renderer);

  uint32_t Width = 0, Height = 0;
  TexturePtr Texture;
  SavedTargets Saved;

 private:
  GpuDevice& device_;
};

class RenderTargetSet {
 public:
  explicit RenderTargetSet(GpuDevice& device) : device_(device) {}

  // Three targets of width × height; false (nothing made) for a zero size
  // or when a target cannot be made.
  bool Create(uint32_t width, uint32_t height);
  // Create, then a copy of the stored picture (if any) scaled into Current.
  bool CreateFrom(const TexturePtr& picture, uint32_t width, uint32_t height);
  // Index = i, Current = Targets[i], and it becomes render target 0.
  void Select(int i);
  void BeginRender();
  void EndRender();
  // keep: the spare becomes current (and the render target), cleared, and
  // the slot returned is the spare's, holding what was drawn so far. Not
  // keep: the other target trades places with the spare; the slot returned
  // is the other target's.
  TexturePtr* Flip(bool keep);
  void Release();

  TexturePtr Current;
  std::array<TexturePtr, 3> Targets;
  SavedTargets Saved;
  uint32_t Width = 0, Height = 0;
  int Index = 0;

 private:
  GpuDevice& device_;
};

class QVX_BlurSurface : public QVX_LosableObj {
 public:
  explicit QVX_BlurSurface(GpuDevice& device);
  void OnLostDevice() override;
  void OnResetDevice() override;
  void CreateForScreen() override;
  // Reduces the size by min(strength, 80) percent and recreates both targets.
  void Rescale();
  // A new strength rescales; the same one changes nothing.
  void SetStrength(uint32_t strength);
  uint32_t Strength() const { return strength_; }
  // Redirects drawing into TargetA, cleared.
  void BeginBlur(OffscreenRenderer& renderer);
  // Blurs TargetA in place (2 + 2 × iterations passes) and restores drawing;
  // returns the slot of TargetA.
  TexturePtr* EndBlur(OffscreenRenderer& renderer, int iterations);

  // Techniques of the passes EndBlur ran, in order (for checks).
  const std::vector<std::string>& LastPasses() const { return lastPasses_; }

  std::shared_ptr<Effect> BlurEffect;
  uint32_t SourceWidth = 0, SourceHeight = 0;
  uint32_t Width = 0, Height = 0;
  TexturePtr TargetA, TargetB;
  SavedTargets Saved;

 private:
  void BlurPass(OffscreenRenderer& renderer, const TexturePtr& destination,
                const TexturePtr& source, const char* technique);
  GpuDevice& device_;
  std::vector<std::string> lastPasses_;
  uint32_t strength_ = 0;
};

}  // namespace glimmer
