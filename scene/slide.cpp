#include "scene/slide.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>
#include <vector>

#include "document/resource_manager.h"
#include "render/state_blocks.h"
#include "scene/scene_object.h"
#include "store/archive.h"
#include "store/class_registry.h"

namespace glimmer {

GLIMMER_REGISTER_CLASS(SlideRegistry, ZT_2D_Light)

void ZT_2D_Light::Serialize(Archive& ar, int32_t version) {
  if (version >= 2) Field(ar, "picture", picture);
  if (version >= 3) Field(ar, "camera", camera);
}

namespace {
// Whether the quad (0, 0)–(w, h), through `m` (world × view × projection),
// covers every pixel of the viewport: each corner of the viewport's pixel
// squares lies inside it and nothing of it is clipped.
bool QuadCoversViewport(float w, float h, const D3DXMATRIX& m, const D3DVIEWPORT9& vp) {
  // Corners in order around the quad.
  const float corners[4][2] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
  float sx[4], sy[4];
  for (int i = 0; i < 4; ++i) {
    D3DXVECTOR4 clip;
    const D3DXVECTOR4 v{corners[i][0], corners[i][1], 0, 1};
    D3DXVec4Transform(&clip, &v, &m);
    if (!(clip.w > 0) || clip.z < 0 || clip.z > clip.w) return false;
    // Pixel centres at whole coordinates.
    sx[i] = float(vp.X) + (clip.x / clip.w + 1) * 0.5f * float(vp.Width);
    sy[i] = float(vp.Y) + (1 - clip.y / clip.w) * 0.5f * float(vp.Height);
  }
  const float left = float(vp.X) - 0.5f, top = float(vp.Y) - 0.5f;
  const float right = left + float(vp.Width), bottom = top + float(vp.Height);
  const float points[4][2] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
  for (const auto& p : points) {
    int sign = 0;
    for (int i = 0; i < 4; ++i) {
      const int j = (i + 1) % 4;
      const float cross = (sx[j] - sx[i]) * (p[1] - sy[i]) - (sy[j] - sy[i]) * (p[0] - sx[i]);
      const int s = cross > 0 ? 1 : cross < 0 ? -1 : 0;
      if (s == 0 || (sign != 0 && s != sign)) return false;
      sign = s;
    }
  }
  return true;
}
}  // namespace

RenderContext& ZT_2D_Light::Context() const {
  RenderContext* c = CurrentRenderContext();
  if (!c) throw std::logic_error("a slide drew without a render context");
  return *c;
}

GpuDevice& ZT_2D_Light::Device() const {
  GpuDevice* d = CurrentDevice();
  if (!d) throw std::logic_error("a slide drew without a device");
  return *d;
}

GpuDevice& ZT_2D_Light::Device() {
  return std::as_const(*this).Device();
}

void ZT_2D_Light::PictureTextureSize(float& width, float& height) {
  // The unreduced size: placement and texture-to-picture ratios do not
  // depend on how finely the texture holds the picture.
  width = pictureTexture_ ? float(pictureTextureWidth_) : 0;
  height = pictureTexture_ ? float(pictureTextureHeight_) : 0;
}

void ZT_2D_Light::PrepareResources() {
  QVX_DocResManager* resources = QVX_DocResManager::Current();
  TextureSet set;
  if (resources) {
    set = resources->GetLinkTextures(picture, pictureLimit_);
    if (set.empty()) set = resources->GetFrameTextures(picture, D3DX_DEFAULT);
    if (set.empty()) {
      // A picture none of the sources has: the player's default picture.
      set = resources->GetLinkTextures(ZT_FileLink3(u"common_res.dll", 2));
    }
  }
  pictureTexture_ = set.empty() ? nullptr : set.Textures.front();
  pictureTextureWidth_ = set.TextureWidth;
  pictureTextureHeight_ = set.TextureHeight;
  pictureWidth_ = set.ImageWidth;
  pictureHeight_ = set.ImageHeight;
  const float w = float(pictureWidth_), h = float(pictureHeight_);
  // The picture's part of its texture (a texture may be larger than it).
  const float u = set.UMax > 0 ? set.UMax : 1, v = set.VMax > 0 ? set.VMax : 1;
  pictureQuad_ = Mesh(CurrentDevice());
  pictureQuad_.CreateVertices(4);
  pictureQuad_.PrimitiveType = D3DPT_TRIANGLESTRIP;
  if (DX_V::PCT* q = pictureQuad_.Lock()) {
    q[0] = {0, h, 0, 0xFFFFFFFF, 0, v};
    q[1] = {0, 0, 0, 0xFFFFFFFF, 0, 0};
    q[2] = {w, h, 0, 0xFFFFFFFF, u, v};
    q[3] = {w, 0, 0, 0xFFFFFFFF, u, 0};
    pictureQuad_.Unlock();
  }
  camera.PictureWidth = pictureWidth_;
  camera.PictureHeight = pictureHeight_;
  pictureReady_ = true;
}

void ZT_2D_Light::EnsurePicture(PictureLimit limit) {
  if (pictureReady_ && pictureLimit_.Covers(limit)) return;
  pictureLimit_ = limit;
  PrepareResources();
}

void ZT_2D_Light::PrefetchPicture(PictureLimit limit) {
  if (pictureReady_ && pictureLimit_.Covers(limit)) return;
  if (QVX_DocResManager* resources = QVX_DocResManager::Current())
    resources->PrefetchLinkTextures(picture, limit);
}

bool ZT_2D_Light::RefinePicture(PictureLimit limit) {
  if (!pictureReady_ || pictureLimit_.Covers(limit)) return true;
  QVX_DocResManager* resources = QVX_DocResManager::Current();
  if (!resources) return true;
  if (!resources->HasLinkTextures(picture, limit)) {
    // A picture that does not decode keeps what the slide shows instead.
    if (resources->LinkPicturesFailed(picture)) {
      pictureLimit_ = limit;
      return true;
    }
    resources->PrefetchLinkTextures(picture, limit);
    return false;
  }
  const bool sceneIsPicture = sceneTexture_ == pictureTexture_;
  pictureLimit_ = limit;
  PrepareResources();
  if (sceneIsPicture) sceneTexture_ = pictureTexture_;
  return true;
}

PictureLimit ZT_2D_Light::PictureLimitOn(uint32_t screenWidth, uint32_t screenHeight) const {
  QVX_DocResManager* resources = QVX_DocResManager::Current();
  uint32_t w = 0, h = 0;
  if (!resources || screenWidth == 0 || screenHeight == 0 ||
      !resources->LinkPictureSize(picture, w, h))
    return {};
  const float pw = float(w), ph = float(h), sw = float(screenWidth), sh = float(screenHeight);
  // The part of the picture placed on the screen, still and with the
  // camera running (as PlacePicture), and the camera's largest zoom.
  std::vector<std::pair<float, float>> shown = {{pw, ph}};
  float zoom = 1;
  if (picturePosition != 3) {
    if (camera.Mode.Value() == 1 && camera.Zoom.Scaled() > 0) {
      const float z = camera.Zoom.Scaled();
      shown.emplace_back(float(uint32_t(pw / z)), float(uint32_t(ph / z)));
    } else if (camera.Mode.Value() == 2) {
      if (camera.WindowWidth.Value() && camera.WindowHeight.Value())
        shown.emplace_back(float(camera.WindowWidth.Value()), float(camera.WindowHeight.Value()));
      if (camera.Path.Points.size() >= 2) {
        for (const auto& point : camera.Path.Points)
          zoom = std::max(zoom, float(point->ZoomPercent.Value()) * 0.01f);
      }
    }
  }
  float across = 0, down = 0;  // screen pixels the whole picture spans
  for (const auto& [vw, vh] : shown) {
    if (!(vw > 0) || !(vh > 0)) continue;
    const ScreenRect placed = glimmer::PlacePicture(sw, sh, vw, vh, picturePosition);
    across = std::max(across, placed.width / vw * pw * zoom);
    down = std::max(down, placed.height / vh * ph * zoom);
  }
  if (!(across > 0) || !(down > 0) || !std::isfinite(across) || !std::isfinite(down)) return {};
  // A texel to spare against rounding; never 0, which would mean no limit.
  const auto side = [](float pixels) {
    return uint32_t(std::min(std::ceil(pixels) + 1, float(1u << 30)));
  };
  return {side(across), side(down)};
}

void ZT_2D_Light::ReleasePicture() {
  ReleaseCaptureTargets();
  if (QVX_DocResManager* resources = QVX_DocResManager::Current())
    resources->ReleaseLinkTextures(picture);
  if (!pictureReady_) return;
  pictureTexture_.reset();
  pictureTextureWidth_ = pictureTextureHeight_ = 0;
  sceneTexture_.reset();
  pictureQuad_ = Mesh(nullptr);
  pictureReady_ = false;
}

void ZT_2D_Light::PlacePicture() {
  PlacePicture(picturePosition);
}

void ZT_2D_Light::PlacePicture(int mode) {
  float pw = float(pictureWidth_), ph = float(pictureHeight_);
  if (camera.Running.Value() == 1 && mode != 3) {
    if (camera.Mode.Value() == 1) {
      const float z = camera.Zoom.Scaled();
      if (z > 0) {
        pw = float(uint32_t(pw / z));
        ph = float(uint32_t(ph / z));
      }
    } else if (camera.Mode.Value() == 2 && camera.WindowWidth.Value() &&
               camera.WindowHeight.Value()) {
      // A path camera without a window size shows the whole picture.
      pw = float(camera.WindowWidth.Value());
      ph = float(camera.WindowHeight.Value());
    }
  }
  // The projection covers the current target: the back buffer, or a capture
  // or off-screen texture while one is being drawn.
  GpuDevice& d = Device();
  const SurfacePtr target = d.GetRenderTarget(0);
  const D3DSURFACE_DESC back = target ? target->GetDesc() : d.GetBackBufferDesc();
  RenderContext& c = Context();
  PictureTextureSize(c.PictureTextureWidth, c.PictureTextureHeight);
  c.Place(screen_, pw, ph, mode, float(back.Width), float(back.Height));
  d.SetTransform(D3DTS_WORLD, c.Placement.PlacementMatrix);
  d.SetTransform(D3DTS_VIEW, c.Identity);
  d.SetTransform(D3DTS_PROJECTION, c.Placement.ScreenProjection);
}

void ZT_2D_Light::SetScreenQuad(const ScreenRect& screen) {
  if (!capturing_) screen_ = screen;
  PlacePicture();
}

void ZT_2D_Light::SetPicturePosition(int mode) {
  picturePosition = mode;
  if (CurrentRenderContext() && CurrentDevice()) PlacePicture();
}

bool ZT_2D_Light::SetCameraRunning(bool running) {
  const bool was = camera.Running.Value() == 1;
  camera.Running.SetValue(running ? 1 : 0);
  camera.Speed.Restart();
  camera.Reset();
  PlacePicture();
  return was;
}

void ZT_2D_Light::AdvanceCamera(float t) {
  const ZQN_Camera::Pose pose = camera.Advance(t);
  Context().SetCamera(float(pictureWidth_), float(pictureHeight_), pose.x, pose.y, pose.zoom,
                      pose.active);
}

void ZT_2D_Light::DrawPicture(int) {
  GpuDevice& d = Device();
  RenderContext& c = Context();
  d.SetTransform(D3DTS_VIEW, c.View);
  d.SetTransform(D3DTS_PROJECTION, c.Projection);
  D3DXMatrixTranslation(&c.ParallaxMatrix, 0, 0, 0);
  const D3DXMATRIX world = c.GetWorld(D3DXMATRIX{});
  d.SetTransform(D3DTS_WORLD, world);
  // The picture is drawn opaque and whole; where it covers the viewport the
  // clear would only be overwritten.
  const bool drawn = pictureQuad_.VertexBuffer && !pictureQuad_.VertexBuffer->IsLost() &&
                     pictureQuad_.VertexCount == 4;
  if (!drawn || !QuadCoversViewport(float(pictureWidth_), float(pictureHeight_),
                                    world * c.View * c.Projection, d.GetViewport())) {
    d.Clear(D3DCLEAR_TARGET, 0, 1.0f, 0);
  }
  d.SetTexture(0, pictureTexture_);
  kSlideState.Apply(d);
  pictureQuad_.Draw();
}

void ZT_2D_Light::RenderLayers(const std::vector<ZT_SafePtr<ZT_ABObj>>& objects, int copies) {
  RenderContext& c = Context();
  sceneTexture_ = pictureTexture_;
  remainingCopies_ = copies;
  bool group = false;
  flags_ = 0;
  const int n = int(objects.size());
  for (int i = n - 1; i >= 0; --i) {
    ZT_ABObj& object = *objects[size_t(i)];
    // The next object towards the front that matters for copies.
    bool front = false;
    for (int j = i - 1; j >= 0; --j) {
      const ZT_ABObj& f = *objects[size_t(j)];
      if (!f.IsActive() && f.KeepsSceneCopy(true)) continue;
      front = f.KeepsSceneCopy(true);
      break;
    }
    const bool keep = object.KeepsSceneCopy(true);
    const bool needs = object.NeedsSceneCopy();
    if (!needs && front && !keep && BeginGroup()) {
      flags_ |= 1;
      group = true;
    }
    if (group && !front && keep) {
      EndGroup();
      flags_ &= ~1u;
      group = false;
    }
    if (object.IsActive()) {
      // Every layer starts from the slide's states, whatever the one before left.
      kSlideState.Apply(Device());
      if (keep) CopyScene(copies, front);
      const float factor = object.Constructor().ParallaxFactor();
      D3DXMatrixTranslation(&c.ParallaxMatrix, c.CameraOffset.x * factor, c.CameraOffset.y * factor,
                            0);
      object.Render(*this, copies);
      flags_ &= ~2u;
    }
    if (!front) sceneTexture_ = pictureTexture_;
  }
  kSlideState.Apply(Device());
  flags_ = 0;
}

void ZT_2D_Light::EndFrame(int flag) {
  if (flag != 0) return;
  GpuDevice& d = Device();
  RenderContext& c = Context();
  d.SetTransform(D3DTS_VIEW, c.View);
  d.SetTransform(D3DTS_PROJECTION, c.Projection);
  d.SetTransform(D3DTS_WORLD, c.Identity);
  d.SetTexture(0, nullptr);
  kOpaqueDiffuse.Apply(d);
  d.SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  for (const auto& quad : c.Borders)
    d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(BorderVertex));
  kSlideState.Apply(d);
}

void ZT_2D_Light::DrawOverlay(const OverlayVertex quad[4]) {
  GpuDevice& d = Device();
  d.SetTexture(0, nullptr);
  kDiffuseAlpha.Apply(d);
  d.SetFVF(DX_V::kTcFvf);
  d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(OverlayVertex));
  kSlideState.Apply(d);
}

}  // namespace glimmer
