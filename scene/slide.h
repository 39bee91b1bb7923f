#pragma once
// ZT_2D_Light: a slide's background picture, its camera, and the renderer
// that draws the picture and the slide's layers.

#include <memory>
#include <vector>

#include "common/safe_ptr.h"
#include "document/file_links.h"
#include "platform/gpu/gpu_device.h"
#include "platform/gpu/picture_pool.h"
#include "scene/camera.h"
#include "scene/render_context.h"
#include "scene/renderer_interface.h"
#include "store/stored_item.h"

namespace glimmer {

class ZT_ABObj;
struct StateBlock;

// A vertex with position and one texture coordinate pair (the captured
// scene drawn back as the picture).
struct PictureVertex {
  float x, y, z, u, v;
};
// A pre-transformed coloured vertex (the fade overlay).
using OverlayVertex = DX_V::TC;

class ZT_2D_Light : public ZT_IOF_Item, public ZT_ABRender {
  GLIMMER_STORED_CLASS(ZT_2D_Light)

 public:
  // The picture from version 2, the camera from version 3.
  void Serialize(Archive& ar, int32_t version) override;

  // Draw services (ZT_ABRender).
  GpuDevice& Device() override;
  void BeginOffscreen(uint32_t width, uint32_t height, int mode) override;
  void EndOffscreen() override;
  void DrawFx(const Mesh& mesh, Effect& effect) override;
  void DrawIndexedFx(const IndexedMesh& mesh, Effect& effect) override;
  void DrawSpritesFx(const SpriteArray& sprites, Effect* effect, uint32_t first,
                     uint32_t count) override;
  void DrawColoredFx(const IndexedMesh& mesh, Effect& effect) override;
  void DrawIndexedFxTechnique(const IndexedMesh& mesh, Effect& effect, const std::string& technique,
                              uint32_t triangles) override;
  void DrawFrames(FrameDrawable& object) override;
  void DrawBlended(BlendedDrawable& object) override;
  void DrawTwoSided(FrameDrawable& object) override;
  void DrawStateObject(StateDrawable& object, int arg) override;
  void DrawScreenQuad(const ScreenVertex quad[4]) override;
  void CopyScene(int remaining, bool keep) override;
  TexturePtr* GetSceneTextureSlot() override { return &sceneTexture_; }
  const Mesh& GetPictureQuad() override { return pictureQuad_; }
  void PictureTextureSize(float& width, float& height) override;
  uint32_t GetPictureWidth() const override { return pictureWidth_; }
  uint32_t GetPictureHeight() const override { return pictureHeight_; }
  TexturePtr GetPictureTexture() const override { return pictureTexture_; }
  bool IsCameraRunning() const override { return camera.Running.Value() == 1; }

  // Builds the picture quad from the picture through the current resource
  // manager (the default picture when the link gives nothing).
  virtual void PrepareResources();
  // The picture is made when the slide is first shown, decoded ahead while
  // the slide before it plays, and let go once the show has moved on. Under
  // a `limit` its texture may be made smaller than the picture's (see
  // PictureLimitOn); a picture made under a smaller limit is made again.
  void EnsurePicture(PictureLimit limit = {});
  void PrefetchPicture(PictureLimit limit = {});
  // For a picture already made under a smaller limit than `limit` (the
  // screen grew): decodes the finer one ahead and takes it once it is up,
  // never waiting. True when the picture serves `limit`.
  bool RefinePicture(PictureLimit limit);
  // The most texels across and down the picture is ever shown with on a
  // screen of this size: its placed size, with the camera running or still,
  // at the camera's largest zoom. No limit when the picture's size is not
  // known before decoding. Only for a slide that draws its picture through
  // the placement alone (no layers, scene copies or drawing of its own).
  PictureLimit PictureLimitOn(uint32_t screenWidth, uint32_t screenHeight) const;
  void ReleasePicture();
  bool PictureReady() const { return pictureReady_; }
  // The scene-copy targets, made again when a frame next captures.
  void ReleaseCaptureTargets();
  // Render states of a slide start and of a restored device.
  virtual void RestoreDeviceObjects();
  virtual void ReleaseDeviceObjects();
  // The screen rectangle (left, top, width, height in pixels).
  virtual void SetScreenQuad(const ScreenRect& screen);
  virtual void SetPicturePosition(int mode);
  // Sets Running, restarts the camera and places the picture; returns
  // whether it was running.
  virtual bool SetCameraRunning(bool running);
  virtual void AdvanceCamera(float t);
  // Clears the target and draws the placed picture through the camera.
  virtual void DrawPicture(int flag);
  // The visual runtime objects, back to front, each with its parallax.
  virtual void RenderLayers(const std::vector<ZT_SafePtr<ZT_ABObj>>& objects, int copies);
  // Flag 0: the borders that hide what lies outside the placed picture.
  virtual void EndFrame(int flag);
  virtual void DrawOverlay(const OverlayVertex quad[4]);
  virtual bool NeedsCapture() const { return false; }
  // Scene copies: the frame is drawn offscreen into capture targets, in
  // picture space at the capture resolution, until the last copy is taken.
  virtual void BeginCapture();
  // Switches to the other capture target (cleared when asked); the one left
  // becomes the scene texture.
  virtual void FlipCapture(bool clear);
  // Back to the back buffer; without `keep` the captured scene is drawn
  // there as the picture and becomes the scene texture.
  virtual void EndCapture(bool keep);
  // The largest multiple of the back buffer the capture targets may take (3).
  static void SetCaptureScaleLimit(int k);
  uint32_t CaptureWidth() const { return capture_.width; }

  uint32_t PictureWidth() const { return pictureWidth_; }
  uint32_t PictureHeight() const { return pictureHeight_; }
  const TexturePtr& PictureTexture() const { return pictureTexture_; }

  ZT_ImageFileLink picture{u"common_res.dll", 5};
  ZQN_Camera camera;
  int32_t picturePosition = 1;

 protected:
  // Places the picture in the screen rectangle for the current camera, with
  // the stored picture position or the given mode.
  void PlacePicture();
  void PlacePicture(int mode);
  RenderContext& Context() const;
  GpuDevice& Device() const;
  // View, projection and the object's world matrix through camera and parallax.
  void SetDrawTransforms(const D3DXMATRIX& object);
  // Inside a copy group the drawn object replaces the target.
  void ForceCopyBlend();
  template <class Draw>
  void DrawThroughEffect(Effect& effect, Draw&& draw);
  // A mesh through every pass of the effect (the three mesh services).
  void DrawMeshFx(const Mesh& mesh, Effect& effect);
  // Indexed triangles of a mesh from `startIndex`, at most `triangles`.
  void DrawIndexedRange(const IndexedMesh& mesh, uint32_t startIndex, uint32_t triangles);
  // Makes the capture targets at the size chosen on restore, when not made
  // yet; false when the device makes none.
  bool MakeCaptureTargets();
  // Draws a captured texture over the placed picture, through the camera.
  void DrawCaptured(const TexturePtr& texture, const StateBlock& state);
  // The layer right behind a copy boundary draws into the third capture
  // target (false when there is none to draw into), which then joins the
  // capture target it was drawn apart from.
  bool BeginGroup();
  void EndGroup();

  TexturePtr pictureTexture_;
  // The picture texture's size before any reduction, and the limit it was made under.
  uint32_t pictureTextureWidth_ = 0, pictureTextureHeight_ = 0;
  PictureLimit pictureLimit_;
  Mesh pictureQuad_{nullptr};  // the placed picture, in picture pixels
  uint32_t pictureWidth_ = 0, pictureHeight_ = 0;
  ScreenRect screen_;
  bool capturing_ = false;
  bool pictureReady_ = false;
  uint32_t flags_ = 0;
  TexturePtr sceneTexture_;
  int remainingCopies_ = 0;
  struct Capture {
    std::array<TexturePtr, 3> targets;
    SurfacePtr savedTarget;
    DepthStencilPtr savedDepth;
    uint32_t width = 0, height = 0;
    int index = 0;
    ScreenRect savedScreen;
    int savedPosition = 1;
  } capture_;
  std::vector<ScreenRect> offscreenScreens_;
};

}  // namespace glimmer
