// Target sets and their flips, pre-render and blur surfaces, losable objects.

#include "render/render_targets.h"

#include <map>

#include "platform/gpu/builtin_effects.h"
#include "tests/platform/gpu/gpu_test_support.h"

namespace glimmer::testing {
namespace {

// Draws the unit picture quad over the whole current target.
class TestRenderer : public OffscreenRenderer {
 public:
  explicit TestRenderer(GpuDevice& d) : device_(d), quad_(&d) {
    quad_.CreateVertices(4);
    quad_.PrimitiveType = D3DPT_TRIANGLESTRIP;
    DX_V::PCT* v = quad_.Lock();
    v[0] = {0, 1, 0.5f, 0xFFFFFFFF, 0, 1};
    v[1] = {0, 0, 0.5f, 0xFFFFFFFF, 0, 0};
    v[2] = {1, 1, 0.5f, 0xFFFFFFFF, 1, 1};
    v[3] = {1, 0, 0.5f, 0xFFFFFFFF, 1, 0};
    quad_.Unlock();
  }
  GpuDevice& Device() override { return device_; }
  void BeginOffscreen(uint32_t, uint32_t, int mode) override {
    ++depth;
    lastMode = mode;
    D3DXMATRIX unit;
    D3DXMatrixOrthoOffCenterLH(&unit, 0, 1, 1, 0, 0, 1);
    device_.SetTransform(D3DTS_PROJECTION, unit);
  }
  void EndOffscreen() override { --depth; }
  void DrawFx(const ZT_SimpleMesh<DX_V::PCT>& mesh, Effect& effect) override {
    const uint32_t passes = effect.Begin();
    for (uint32_t p = 0; p < passes; ++p) {
      effect.BeginPass(p);
      mesh.Draw();
      effect.EndPass();
    }
    effect.End();
  }
  const ZT_SimpleMesh<DX_V::PCT>& GetPictureQuad() override { return quad_; }
  void PictureTextureSize(float& w, float& h) override { w = h = 64; }
  int depth = 0;
  int lastMode = 0;

 private:
  GpuDevice& device_;
  ZT_SimpleMesh<DX_V::PCT> quad_;
};

class Targets : public GpuTest {
 protected:
  void SetUp() override {
    GpuTest::SetUp();
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  }
  static uint8_t Red(const TexturePtr& t) { return t->ReadLevel(0).Pixel(0, 0)[0]; }
  void Fill(uint8_t red) { device_->Clear(D3DCLEAR_TARGET, D3DCOLOR_ARGB(255, red, 0, 0), 1, 0); }
};

TEST_F(Targets, CreateRefusesZeroSizesAndKeepsTargets) {
  RenderTargetSet set(*device_);
  ASSERT_TRUE(set.Create(16, 16));
  const TexturePtr first = set.Targets[0];
  EXPECT_EQ(set.Current, first);
  EXPECT_FALSE(set.Create(0, 512));
  EXPECT_EQ(set.Targets[0], first) << "targets untouched";
  EXPECT_EQ(set.Width, 0u) << "only the stored size changed";
  EXPECT_EQ(set.Height, 512u);
}

TEST_F(Targets, FlipKeepThenFlipBack) {
  RenderTargetSet set(*device_);
  ASSERT_TRUE(set.Create(4, 4));
  const TexturePtr spare = set.Targets[2];
  set.BeginRender();
  Fill(10);  // the drawing so far, in Targets[0]
  TexturePtr* scene = set.Flip(true);
  EXPECT_EQ(set.Current, spare) << "drawing continues in what was the spare";
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(Red(*scene), 10) << "the slot returned holds the scene drawn so far";
  EXPECT_EQ(device_->GetRenderTarget(0)->Texture(), spare);
  EXPECT_EQ(Red(spare), 0) << "cleared";
  Fill(20);
  TexturePtr* slot = set.Flip(false);
  EXPECT_EQ(slot, &set.Targets[1]);
  EXPECT_EQ(Red(*slot), 10) << "the returned slot holds what was drawn before the first flip";
  EXPECT_EQ(set.Current, spare) << "the current target stays";
  EXPECT_EQ(Red(set.Current), 20);
  set.EndRender();
  EXPECT_EQ(device_->GetRenderTarget(0), device_->GetBackBuffer());
}

TEST_F(Targets, CreateFromCopiesTheStoredPicture) {
  RenderTargetSet set(*device_);
  const TexturePtr picture = MakeTexture(2, 2, {0x40FF00FF, 0x40FF00FF, 0x40FF00FF, 0x40FF00FF});
  ASSERT_TRUE(set.CreateFrom(picture, 512, 512));
  EXPECT_EQ(set.Width, 512u);
  const Image img = set.Current->ReadLevel(0);
  EXPECT_EQ(img.Pixel(511, 511)[1], 255);
  EXPECT_EQ(Red(set.Targets[1]), 0);
}

TEST_F(Targets, PrerenderSurfaceRedirectsAndRestores) {
  TestRenderer renderer(*device_);
  QVX_PrerenderSurface surface(*device_);
  surface.Width = 8;
  surface.Height = 4;
  surface.OnResetDevice();
  ASSERT_NE(surface.Texture, nullptr);
  surface.BeginRender(renderer);
  EXPECT_EQ(renderer.depth, 1);
  EXPECT_EQ(renderer.lastMode, 3);
  EXPECT_EQ(device_->GetDepthStencilSurface(), nullptr);
  Fill(99);
  const TexturePtr result = surface.EndRender(renderer);
  EXPECT_EQ(renderer.depth, 0);
  EXPECT_EQ(result, surface.Texture);
  EXPECT_EQ(Red(result), 99);
  EXPECT_EQ(device_->GetRenderTarget(0), device_->GetBackBuffer());
  EXPECT_NE(device_->GetDepthStencilSurface(), nullptr);
  surface.OnLostDevice();
  EXPECT_EQ(surface.Texture, nullptr);
}

TEST_F(Targets, BlurSizesFollowStrength) {
  QVX_BlurSurface blur(*device_);
  blur.SourceWidth = 1000;
  blur.SourceHeight = 750;
  const std::pair<uint32_t, std::pair<uint32_t, uint32_t>> cases[] = {
      {0, {1000, 750}}, {50, {500, 375}}, {80, {200, 150}}, {95, {200, 150}}};
  for (const auto& [strength, size] : cases) {
    blur.SetStrength(strength);  // every change rescales
    if (strength == 0) blur.Rescale();
    EXPECT_EQ(blur.Width, size.first) << strength;
    EXPECT_EQ(blur.Height, size.second) << strength;
    ASSERT_NE(blur.TargetA, nullptr);
    EXPECT_EQ(blur.TargetA->Width(), size.first);
  }
  blur.SourceWidth = 3;
  blur.SourceHeight = 2;
  blur.SetStrength(81);
  EXPECT_EQ(blur.Width, 1u);
  EXPECT_EQ(blur.Height, 1u);
  QVX_BlurSurface unsized(*device_);
  unsized.SetStrength(10);
  EXPECT_EQ(unsized.Width, 1u) << "1 × 1 until the size is known";
}

TEST_F(Targets, EndBlurRunsItsPassesAndBlurs) {
  TestRenderer renderer(*device_);
  QVX_BlurSurface blur(*device_);
  blur.BlurEffect = std::shared_ptr<Effect>(CreateBuiltinEffect(*device_, u"common_res.dll", 202));
  blur.SourceWidth = 32;
  blur.SourceHeight = 32;
  blur.SetStrength(0);
  blur.Rescale();
  for (int iterations : {-1, 0, 2}) {
    blur.BeginBlur(renderer);
    DrawRect(16, 16, 17, 17, 0xFFFFFFFF);  // one white texel
    TexturePtr* slot = blur.EndBlur(renderer, iterations);
    EXPECT_EQ(slot, &blur.TargetA);
    const size_t expected = 2 + 2 * size_t(std::max(iterations, 0));
    ASSERT_EQ(blur.LastPasses().size(), expected) << iterations;
    EXPECT_EQ(blur.LastPasses()[0], "GaussianBlurVFirst");
    EXPECT_EQ(blur.LastPasses().back(), "GaussianBlurH");
    EXPECT_EQ(renderer.depth, 0);
    const Image out = blur.TargetA->ReadLevel(0);
    EXPECT_LT(out.Pixel(16, 16)[0], 128) << "the texel was spread out";
    EXPECT_GT(out.Pixel(18, 16)[0], 0);
    EXPECT_EQ(out.Pixel(2, 2)[0], 0);
  }
  EXPECT_EQ(device_->GetRenderTarget(0), device_->GetBackBuffer());
}

class MapRegistry : public LosableRegistry {
 public:
  void AddLosable(const LinkKey& key, QVX_LosableObj* object) override { entries[key] = object; }
  void RemoveLosable(const LinkKey& key) override { entries.erase(key); }
  std::map<LinkKey, QVX_LosableObj*> entries;
};

TEST_F(Targets, LosablesRegisterWithTheCurrentRegistry) {
  MapRegistry registry;
  {
    ScreenScope scope({.losables = &registry});
    QVX_BlurSurface a(*device_);
    QVX_PrerenderSurface b(*device_);
    ASSERT_EQ(registry.entries.size(), 2u);
    EXPECT_NE(a.Key(), b.Key());
    EXPECT_EQ(a.Key().Stamp, 0u);
    EXPECT_EQ(a.Key().Path.size(), 38u) << "a braced GUID";
    EXPECT_EQ(registry.entries[a.Key()], &a);
  }
  EXPECT_TRUE(registry.entries.empty());
  QVX_BlurSurface unregistered(*device_);
  EXPECT_TRUE(registry.entries.empty());
}

}  // namespace
}  // namespace glimmer::testing
