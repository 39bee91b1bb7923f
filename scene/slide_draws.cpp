// ZT_2D_Light's draw services (ZT_ABRender): off-screen passes, effect draws
// of meshes and sprite ranges, frame hierarchies, blended and state objects
// and screen quads. Each sets its transforms first and puts the slide's
// states back when it is done.

#include <algorithm>

#include "render/state_blocks.h"
#include "scene/slide.h"

namespace glimmer {

void ZT_2D_Light::BeginOffscreen(uint32_t width, uint32_t height, int mode) {
  offscreenScreens_.push_back(screen_);
  screen_ = {0, 0, float(width), float(height)};
  PlacePicture(mode);
}

void ZT_2D_Light::EndOffscreen() {
  if (offscreenScreens_.empty()) return;  // unpaired: nothing to restore
  screen_ = offscreenScreens_.back();
  offscreenScreens_.pop_back();
  PlacePicture();
}

void ZT_2D_Light::SetDrawTransforms(const D3DXMATRIX& object) {
  GpuDevice& d = Device();
  const RenderContext& c = Context();
  d.SetTransform(D3DTS_VIEW, c.View);
  d.SetTransform(D3DTS_PROJECTION, c.Projection);
  d.SetTransform(D3DTS_WORLD, c.GetWorld(object));
}

void ZT_2D_Light::ForceCopyBlend() {
  if ((flags_ & 3u) == 0) return;
  GpuDevice& d = Device();
  d.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  d.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
}

namespace {
// Puts the slide's states back when a draw service is done, on every path.
class SlideStatesAfter {
 public:
  explicit SlideStatesAfter(GpuDevice& d) : d_(d) {}
  ~SlideStatesAfter() { kSlideState.Apply(d_); }
  SlideStatesAfter(const SlideStatesAfter&) = delete;
  SlideStatesAfter& operator=(const SlideStatesAfter&) = delete;

 private:
  GpuDevice& d_;
};
}  // namespace

template <class Draw>
void ZT_2D_Light::DrawThroughEffect(Effect& effect, Draw&& draw) {
  const uint32_t passes = effect.Begin();
  for (uint32_t p = 0; p < passes; ++p) {
    effect.BeginPass(p);
    ForceCopyBlend();
    draw();
    effect.EndPass();
  }
  effect.End();
}

void ZT_2D_Light::DrawIndexedRange(const IndexedMesh& mesh, uint32_t startIndex,
                                   uint32_t triangles) {
  if (!mesh.VertexBuffer || !mesh.IndexBuffer) return;
  const uint32_t available =
      mesh.PrimitiveCount > startIndex / 3 ? mesh.PrimitiveCount - startIndex / 3 : 0;
  triangles = std::min(triangles, available);
  if (triangles == 0) return;
  GpuDevice& d = Device();
  d.SetFVF(DX_V::kFvf);
  d.SetStreamSource(0, mesh.VertexBuffer, 0, sizeof(DX_V::PCT));
  d.SetIndices(mesh.IndexBuffer);
  d.DrawIndexedPrimitive(mesh.PrimitiveType, 0, 0, mesh.VertexCount, startIndex, triangles);
}

void ZT_2D_Light::DrawMeshFx(const Mesh& mesh, Effect& effect) {
  kSlideState.Apply(Device());
  SetDrawTransforms(mesh.World);
  DrawThroughEffect(effect, [&] { mesh.Draw(); });
}

void ZT_2D_Light::DrawFx(const Mesh& mesh, Effect& effect) {
  DrawMeshFx(mesh, effect);
}
void ZT_2D_Light::DrawIndexedFx(const IndexedMesh& mesh, Effect& effect) {
  DrawMeshFx(mesh, effect);
}
void ZT_2D_Light::DrawColoredFx(const IndexedMesh& mesh, Effect& effect) {
  DrawMeshFx(mesh, effect);
}

void ZT_2D_Light::DrawIndexedFxTechnique(const IndexedMesh& mesh, Effect& effect,
                                         const std::string& technique, uint32_t triangles) {
  effect.SetTechnique(technique);
  kSlideState.Apply(Device());
  SetDrawTransforms(mesh.World);
  DrawThroughEffect(effect, [&] { DrawIndexedRange(mesh, 0, triangles); });
}

void ZT_2D_Light::DrawSpritesFx(const SpriteArray& sprites, Effect* effect, uint32_t first,
                                uint32_t count) {
  SetDrawTransforms(sprites.World);
  const auto draw = [&] { DrawIndexedRange(sprites, first * 6, count * 2); };
  if (effect) {
    kSlideState.Apply(Device());
    DrawThroughEffect(*effect, draw);
    return;
  }
  SlideStatesAfter after(Device());
  kNormalAlpha.Apply(Device());
  ForceCopyBlend();
  draw();
}

namespace {
uint32_t OppositeCull(uint32_t cull) {
  if (cull == D3DCULL_CW) return D3DCULL_CCW;
  if (cull == D3DCULL_CCW) return D3DCULL_CW;
  return cull;
}
}  // namespace

void ZT_2D_Light::DrawFrames(FrameDrawable& object) {
  GpuDevice& d = Device();
  const bool transparent = object.IsTransparent();
  SlideStatesAfter after(d);
  StateBlock block = kSlideState;
  block.blend = transparent;
  block.Apply(d);
  ForceCopyBlend();
  for (int pass = 0; pass < (transparent ? 2 : 1); ++pass) {
    for (size_t i = 0; i < object.FrameCount(); ++i) {
      const QVX_Frame& frame = object.FrameAt(i);
      SetDrawTransforms(frame.World);
      const uint32_t cull = uint32_t(frame.CullMode);
      d.SetRenderState(D3DRS_CULLMODE, pass == 0 ? cull : OppositeCull(cull));
      object.DrawFrame(i, d);
    }
  }
}

void ZT_2D_Light::DrawBlended(BlendedDrawable& object) {
  GpuDevice& d = Device();
  SetDrawTransforms(object.WorldMatrix());
  SlideStatesAfter after(d);
  const StateBlock& blend = object.IsAdditive() ? kAdditive : kNormalAlpha;
  blend.Apply(d);
  d.SetTexture(0, object.Texture());
  ForceCopyBlend();
  object.DrawGeometry(d);
  if (TexturePtr overlay = object.OverlayTexture()) {
    d.SetTexture(0, overlay);
    blend.Apply(d);
    ForceCopyBlend();
    object.DrawGeometry(d);
  }
}

void ZT_2D_Light::DrawTwoSided(FrameDrawable& object) {
  GpuDevice& d = Device();
  SlideStatesAfter after(d);
  StateBlock block = kSlideState;
  block.blend = true;
  block.Apply(d);
  ForceCopyBlend();
  for (size_t i = 0; i < object.FrameCount(); ++i) {
    SetDrawTransforms(object.FrameAt(i).World);
    d.SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    object.DrawFrame(i, d);
    d.SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    object.DrawFrame(i, d);
  }
}

void ZT_2D_Light::DrawStateObject(StateDrawable& object, int arg) {
  GpuDevice& d = Device();
  SetDrawTransforms(object.WorldMatrix());
  SlideStatesAfter after(d);
  kSlideState.Apply(d);
  object.SetStates(d, arg);
  d.SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
  d.SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_MIRROR);
  d.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  d.SetRenderState(D3DRS_ZENABLE, 0);
  ForceCopyBlend();
  object.DrawIndexed(d);
}

void ZT_2D_Light::DrawScreenQuad(const ScreenVertex quad[4]) {
  GpuDevice& d = Device();
  SlideStatesAfter after(d);
  kNormalAlpha.Apply(d);
  ForceCopyBlend();
  d.SetFVF(DX_V::kTlFvf);
  d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex));
}
}  // namespace glimmer
