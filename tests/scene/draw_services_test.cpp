// The slide's draw services as layers use them, the placement view, and
// drawing off-screen and into scene copies.

#include "document/doc_res_manager.h"
#include "platform/gpu/builtin_effects.h"
#include "platform/image/image_codec.h"
#include "scene/slide_show.h"
#include "show/show_document.h"
#include "tests/platform/gpu/gpu_test_support.h"
#include "tests/support/probe_layer.h"
#include "tests/support/scene_test.h"

namespace glimmer::testing {
namespace {

TEST(PlacementViewForm, PictureTexturePixelsMapOntoThePlacedRectangle) {
  struct Case {
    float w, h, pw, ph;
    int mode;
  };
  for (const Case& k : {Case{1600, 900, 200, 100, 1}, Case{800, 600, 100, 200, 1},
                        Case{1600, 900, 200, 100, 2}, Case{800, 600, 100, 200, 2}}) {
    RenderContext c;
    c.PictureTextureWidth = k.pw;
    c.PictureTextureHeight = k.ph;
    c.Place({0, 0, k.w, k.h}, k.pw, k.ph, k.mode, k.w, k.h);
    const PlacementView& v = c.Placement;
    const ScreenRect placed = PlacePicture(k.w, k.h, k.pw, k.ph, k.mode);
    SCOPED_TRACE(::testing::Message()
                 << k.pw << "x" << k.ph << " in " << k.w << "x" << k.h << " mode " << k.mode);
    EXPECT_EQ(v.ScreenRect[0], int(placed.x));
    EXPECT_EQ(v.ScreenRect[3], int(placed.y + placed.height));
    // The far corner of the texture lands on the far corner of the placed
    // rectangle, whichever side decided the ratio.
    D3DXVECTOR3 corner{k.pw, k.ph, 0};
    D3DXVec3TransformCoord(&corner, &corner, &v.PlacementMatrix);
    EXPECT_NEAR(corner.x, placed.width, 1e-2);
    EXPECT_NEAR(corner.y, placed.height, 1e-2);
    EXPECT_NEAR(v.ScaleX * placed.width, k.w, 1e-2);
  }
  RenderContext c;
  c.Place({0, 0, 800, 600}, 100, 100, 1, 800, 600);
  EXPECT_EQ(c.Placement.PlacementMatrix, D3DXMATRIX{})
      << "no picture texture: the view stays as it was";
  EXPECT_EQ(c.Placement.UnplaceScale[0], 1.0f);
}

class DrawServices : public SceneTest {
 protected:
  // One slide whose picture (64 × 32 unless asked) is red on the left half,
  // blue on the right.
  ShowDocument Start(int position = 0, uint32_t pw = 64, uint32_t ph = 32) {
    ShowDocument doc;
    auto c = std::make_shared<ZT_SlideContainer>();
    c->slide = std::make_shared<ZT_2D_Light>();
    c->slide->picture.SetValue({u"halves.png", 1});
    Image img{pw, ph, std::vector<uint8_t>(size_t{pw} * ph * 4, 255)};
    for (uint32_t y = 0; y < ph; ++y) {
      for (uint32_t x = 0; x < pw; ++x) {
        uint8_t* p = img.Pixel(x, y);
        p[0] = x < pw / 2 ? 255 : 0;
        p[1] = 0;
        p[2] = x < pw / 2 ? 0 : 255;
      }
    }
    doc.resources->PictureBlobs.push_back(
        {c->slide->picture.Value(), {{0, u"", EncodePng(img), u""}}});
    doc.show->slides.push_back(c);
    return SceneTest::Start(doc, position);
  }
  ProbeObject& AddLayer(ShowDocument& doc) {
    {
      ScreenScope scope(WithLiveObjects(&doc.show->LiveObjects()));
      doc.show->slides[0]->visualObjects.push_back(ProbeLayer().CreateRuntime());
    }
    return static_cast<ProbeObject&>(*doc.show->slides[0]->visualObjects.back());
  }
  void Frame(ShowDocument& doc, float t = 0) {
    doc.show->AdvanceShow(t);
    doc.show->RenderShow();
  }
  // Three quads side by side, 16 pixels wide, in picture coordinates.
  static ZT_SpriteArrayT<DX_V::PCT> ThreeQuads(D3DCOLOR color) {
    ZT_SpriteArrayT<DX_V::PCT> sprites(CurrentDevice());
    sprites.SetQuadCount(3);
    DX_V::PCT* v = sprites.Lock();
    for (int q = 0; q < 3; ++q) {
      const float x0 = 4.0f + 20.0f * float(q), x1 = x0 + 16;
      v[4 * q + 0] = {x0, 24, 0, color, 0, 1};
      v[4 * q + 1] = {x0, 8, 0, color, 0, 0};
      v[4 * q + 2] = {x1, 24, 0, color, 1, 1};
      v[4 * q + 3] = {x1, 8, 0, color, 1, 0};
    }
    sprites.Unlock();
    return sprites;
  }
};

TEST_F(DrawServices, SpritesDrawOnlyTheQuadsAskedFor) {
  ShowDocument doc = Start(0);  // stretched: picture pixel x lands on screen x
  ProbeObject& layer = AddLayer(doc);
  auto sprites = ThreeQuads(0xFF00FF00);
  layer.draw = [&](ZT_ABRender& r) {
    r.Device().SetTexture(0, nullptr);
    r.DrawSpritesFx(sprites, nullptr, 1, 1);
  };
  Frame(doc);
  EXPECT_TRUE(NearColor(Pixel(10, 30), 0xFF0000FF, 2)) << "quad 0 not drawn: the picture";
  EXPECT_TRUE(NearColor(Pixel(32, 30), 0x00FF00FF, 2)) << "quad 1 drawn";
  EXPECT_TRUE(NearColor(Pixel(50, 30), 0x0000FFFF, 2)) << "quad 2 not drawn";
  layer.draw = [&](ZT_ABRender& r) {
    r.Device().SetTexture(0, nullptr);
    r.DrawSpritesFx(sprites, nullptr, 2, 5);  // runs past the end: clipped
  };
  Frame(doc);
  EXPECT_TRUE(NearColor(Pixel(50, 30), 0x00FF00FF, 2));
  EXPECT_TRUE(NearColor(Pixel(26, 30), 0xFF0000FF, 2));
}

// A layer that leaves additive blending, depth testing and front-face
// culling behind (drawing on the device itself) does not change how the next
// layer draws: each starts from the slide's states.
TEST_F(DrawServices, ALayerStartsFromTheSlideStatesWhateverTheOneBeforeLeft) {
  ShowDocument doc = Start(0);
  ProbeObject& front = AddLayer(doc);  // drawn last
  ProbeObject& back = AddLayer(doc);   // drawn first
  back.draw = [](ZT_ABRender& r) {
    GpuDevice& d = r.Device();
    d.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    d.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    d.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    d.SetRenderState(D3DRS_ZENABLE, 1);
    d.SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    d.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);
  };
  auto sprites = ThreeQuads(0x8000FF00);  // half-transparent green
  uint32_t blendSeen = 99, depthSeen = 99, cullSeen = 99;
  front.draw = [&](ZT_ABRender& r) {
    GpuDevice& d = r.Device();
    blendSeen = d.GetRenderState(D3DRS_ALPHABLENDENABLE);
    depthSeen = d.GetRenderState(D3DRS_ZENABLE);
    cullSeen = d.GetRenderState(D3DRS_CULLMODE);
    d.SetTexture(0, nullptr);
    r.DrawSpritesFx(sprites, nullptr, 0, 3);
  };
  Frame(doc);
  EXPECT_EQ(blendSeen, 0u);
  EXPECT_EQ(depthSeen, 0u);
  EXPECT_EQ(cullSeen, uint32_t(D3DCULL_NONE));
  // Normal alpha blending of green over the red half, not an addition.
  EXPECT_TRUE(NearColor(Pixel(10, 16), 0x7F8000BF, 2)) << std::hex << Pixel(10, 16);
  EXPECT_EQ(device_->GetRenderState(D3DRS_ALPHABLENDENABLE), 0u) << "nothing left behind";
}

TEST_F(DrawServices, StretchFitAndFillWithBordersHidingTheOutside) {
  struct Case {
    uint32_t w, h, pw, ph;
  };
  for (const Case& k :
       {Case{64, 36, 64, 32}, Case{64, 48, 64, 32}, Case{64, 36, 32, 64}, Case{64, 48, 32, 64}}) {
    device_->Reset({k.w, k.h, true});
    for (int mode : {0, 1, 2}) {
      SCOPED_TRACE(::testing::Message()
                   << k.pw << "x" << k.ph << " on " << k.w << "x" << k.h << " mode " << mode);
      ShowDocument doc = Start(mode, k.pw, k.ph);
      auto sprites = ThreeQuads(0xFF00FF00);
      D3DXMatrixTranslation(&sprites.World, -80, 0, 0);  // wholly left of the picture
      ProbeObject& outside = AddLayer(doc);
      outside.draw = [&](ZT_ABRender& r) {
        r.Device().SetTexture(0, nullptr);
        r.DrawSpritesFx(sprites, nullptr, 0, 3);
      };
      Frame(doc);
      const ScreenRect placed =
          PlacePicture(float(k.w), float(k.h), float(k.pw), float(k.ph), mode);
      int wrong = 0;
      for (uint32_t y = 0; y < k.h; ++y) {
        for (uint32_t x = 0; x < k.w; ++x) {
          const float cx = float(x) + 0.5f, cy = float(y) + 0.5f;
          const float px = (cx - placed.x) / placed.width, py = (cy - placed.y) / placed.height;
          const float edge = 1.5f / std::min(placed.width, placed.height);
          if (std::abs(px - 0.5f) < edge || std::abs(px) < edge || std::abs(px - 1) < edge ||
              std::abs(py) < edge || std::abs(py - 1) < edge) {
            continue;  // filtered seams and edges
          }
          const bool inside = px > 0 && px < 1 && py > 0 && py < 1;
          const uint32_t expected = !inside ? 0x000000FF : px < 0.5f ? 0xFF0000FF : 0x0000FFFF;
          if (!NearColor(Pixel(x, y), expected, 3)) ++wrong;
        }
      }
      EXPECT_EQ(wrong, 0);
    }
  }
}

TEST_F(DrawServices, ACapturedSceneLooksLikeTheDirectOne) {
  ShowDocument direct = Start(1);
  Frame(direct);
  const Image expected = Back();
  ShowDocument copied = Start(1);
  ProbeObject& sampler = AddLayer(copied);
  sampler.needs = true;  // draws nothing; the renderer shows the captured scene
  Frame(copied);
  const Image actual = Back();
  int worst = 0;
  for (size_t i = 0; i < actual.rgba.size(); ++i)
    worst = std::max(worst, std::abs(actual.rgba[i] - expected.rgba[i]));
  // Filtering through the 3× capture blurs the red/blue seam by a pixel.
  int differing = 0;
  for (size_t i = 0; i < actual.rgba.size(); i += 4)
    differing += std::abs(actual.rgba[i] - expected.rgba[i]) > 8;
  EXPECT_LE(differing, int(kHeight) * 2) << "worst channel difference " << worst;
  EXPECT_TRUE(NearColor(Pixel(8, 24), 0xFF0000FF, 3));
  EXPECT_TRUE(NearColor(Pixel(56, 24), 0x0000FFFF, 3));
}

TEST_F(DrawServices, AKeeperFollowedByAKeeperReplacesItsTarget) {
  ShowDocument doc = Start(0);
  ProbeObject& front = AddLayer(doc);
  ProbeObject& back = AddLayer(doc);  // drawn first
  front.needs = front.keeps = back.needs = back.keeps = true;
  auto sprites = ThreeQuads(0x80FF0000);  // half-transparent red
  TexturePtr sampled;
  back.draw = [&](ZT_ABRender& r) {
    sampled = *r.GetSceneTextureSlot();
    r.Device().SetTexture(0, nullptr);
    r.DrawSpritesFx(sprites, nullptr, 0, 3);
  };
  Frame(doc);
  ASSERT_NE(sampled, nullptr);
  EXPECT_EQ(sampled->Width(), 3 * kWidth) << "the copy it draws from";
  // The back keeper's copy target was cleared to transparent black and its
  // draw replaced what lay there: blending would have halved the red. The
  // front keeper draws nothing, so that target becomes the picture.
  EXPECT_TRUE(NearColor(Pixel(10, 30), 0xFF000080, 2));
  EXPECT_TRUE(NearColor(Pixel(2, 2), 0x00000000, 0)) << "cleared, not the picture";
}

TEST_F(DrawServices, CopiesCarryEveryLayerBehindThem) {
  // A plain layer right behind a copy boundary draws apart, then joins the
  // scene the boundary copies; a sampler that does not keep its copy draws
  // over the scene so far when another copy follows.
  for (const bool boundary : {true, false}) {
    SCOPED_TRACE(boundary ? "layer behind a boundary" : "two samplers in a row");
    ShowDocument doc = Start(0);
    ProbeObject& front = AddLayer(doc);
    ProbeObject& back = AddLayer(doc);  // drawn first
    front.needs = true;
    front.keeps = boundary;
    back.needs = !boundary;
    auto sprites = ThreeQuads(0xFF00FF00);
    back.draw = [&](ZT_ABRender& r) {
      r.Device().SetTexture(0, nullptr);
      r.DrawSpritesFx(sprites, nullptr, 0, 3);
    };
    TexturePtr sampled;
    front.draw = [&](ZT_ABRender& r) { sampled = *r.GetSceneTextureSlot(); };
    Frame(doc);
    EXPECT_TRUE(NearColor(Pixel(10, 16), 0x00FF00FF, 3)) << "the layer behind is kept";
    EXPECT_TRUE(NearColor(Pixel(2, 2), 0xFF0000FF, 3)) << "and so is the picture";
    EXPECT_TRUE(NearColor(Pixel(62, 30), 0x0000FFFF, 3));
    ASSERT_NE(sampled, nullptr);
    EXPECT_EQ(sampled->Width(), 3 * kWidth) << "the front layer samples the capture";
  }
}

// Records the cull mode and world matrix of each frame drawn.
class RecordingFrames : public FrameDrawable {
 public:
  size_t FrameCount() const override { return frames.size(); }
  const QVX_Frame& FrameAt(size_t i) const override { return frames[i]; }
  void DrawFrame(size_t i, GpuDevice& d) override {
    calls.push_back({i, d.GetRenderState(D3DRS_CULLMODE), d.GetRenderState(D3DRS_ALPHABLENDENABLE),
                     d.GetTransform(D3DTS_WORLD)});
  }
  bool IsTransparent() const override { return transparent; }
  struct Call {
    size_t frame;
    uint32_t cull, blend;
    D3DXMATRIX world;
  };
  std::vector<QVX_Frame> frames = std::vector<QVX_Frame>(2);
  std::vector<Call> calls;
  bool transparent = false;
};

TEST_F(DrawServices, FrameHierarchiesKeepTheirCullModes) {
  ShowDocument doc = Start(0);
  ZT_2D_Light& slide = *doc.show->slides[0]->slide;
  doc.show->AdvanceShow(0);
  RecordingFrames object;
  object.frames[0].CullMode = D3DCULL_CW;
  object.frames[1].CullMode = D3DCULL_NONE;
  D3DXMatrixTranslation(&object.frames[1].World, 5, 6, 0);
  slide.DrawFrames(object);
  ASSERT_EQ(object.calls.size(), 2u);
  EXPECT_EQ(object.calls[0].cull, uint32_t(D3DCULL_CW));
  EXPECT_EQ(object.calls[0].blend, 0u);
  EXPECT_EQ(object.calls[1].world, object.frames[1].World) << "no camera: the frame's own matrix";
  object.calls.clear();
  object.transparent = true;
  slide.DrawFrames(object);
  ASSERT_EQ(object.calls.size(), 4u);
  EXPECT_EQ(object.calls[2].cull, uint32_t(D3DCULL_CCW)) << "the second pass culls the other faces";
  EXPECT_EQ(object.calls[3].cull, uint32_t(D3DCULL_NONE));
  EXPECT_EQ(object.calls[2].blend, 1u);
  EXPECT_EQ(device_->GetRenderState(D3DRS_ALPHABLENDENABLE), 0u);
  object.calls.clear();
  slide.DrawTwoSided(object);
  ASSERT_EQ(object.calls.size(), 4u);
  EXPECT_EQ(object.calls[0].frame, 0u);
  EXPECT_EQ(object.calls[0].cull, uint32_t(D3DCULL_CCW));
  EXPECT_EQ(object.calls[1].frame, 0u);
  EXPECT_EQ(object.calls[1].cull, uint32_t(D3DCULL_CW));
}

class RecordingBlended : public BlendedDrawable {
 public:
  const D3DXMATRIX& WorldMatrix() const override { return world; }
  TexturePtr Texture() const override { return texture; }
  TexturePtr OverlayTexture() const override { return overlay; }
  bool IsAdditive() const override { return additive; }
  void DrawGeometry(GpuDevice& d) override {
    textures.push_back(d.GetTexture(0));
    destBlends.push_back(d.GetRenderState(D3DRS_DESTBLEND));
  }
  D3DXMATRIX world;
  TexturePtr texture, overlay;
  bool additive = false;
  std::vector<TexturePtr> textures;
  std::vector<uint32_t> destBlends;
};

class RecordingState : public StateDrawable {
 public:
  const D3DXMATRIX& WorldMatrix() const override { return world; }
  void SetStates(GpuDevice& d, int a) override {
    arg = a;
    d.SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    d.SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  }
  void DrawIndexed(GpuDevice& d) override {
    addressU = d.GetSamplerState(0, D3DSAMP_ADDRESSU);
    depth = d.GetRenderState(D3DRS_ZENABLE);
    blend = d.GetRenderState(D3DRS_ALPHABLENDENABLE);
  }
  D3DXMATRIX world;
  int arg = 0;
  uint32_t addressU = 0, depth = 1, blend = 0;
};

TEST_F(DrawServices, BlendedAndStateObjects) {
  ShowDocument doc = Start(0);
  ZT_2D_Light& slide = *doc.show->slides[0]->slide;
  doc.show->AdvanceShow(0);
  RecordingBlended sprites;
  sprites.texture = MakeTexture(1, 1, {0xFFFFFFFF});
  slide.DrawBlended(sprites);
  ASSERT_EQ(sprites.textures.size(), 1u) << "no overlay: one draw";
  EXPECT_EQ(sprites.textures[0], sprites.texture);
  sprites.overlay = MakeTexture(1, 1, {0xFF00FF00});
  sprites.textures.clear();
  sprites.destBlends.clear();
  slide.DrawBlended(sprites);
  ASSERT_EQ(sprites.textures.size(), 2u);
  EXPECT_EQ(sprites.textures[1], sprites.overlay);
  EXPECT_EQ(sprites.destBlends[0], uint32_t(D3DBLEND_INVSRCALPHA)) << "normal alpha";
  EXPECT_EQ(sprites.destBlends[1], uint32_t(D3DBLEND_INVSRCALPHA));
  sprites.additive = true;
  sprites.textures.clear();
  sprites.destBlends.clear();
  slide.DrawBlended(sprites);
  EXPECT_EQ(sprites.destBlends[0], uint32_t(D3DBLEND_ONE)) << "additive geometry";
  EXPECT_EQ(sprites.destBlends[1], uint32_t(D3DBLEND_ONE)) << "and its overlay";

  RecordingState state;
  slide.DrawStateObject(state, 7);
  EXPECT_EQ(state.arg, 7);
  EXPECT_EQ(state.addressU, uint32_t(D3DTADDRESS_MIRROR))
      << "mirror addressing wins over the object's";
  EXPECT_EQ(state.depth, 0u);
  EXPECT_EQ(state.blend, 1u);
  EXPECT_EQ(device_->GetRenderState(D3DRS_ALPHABLENDENABLE), 0u);
  EXPECT_EQ(device_->GetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS),
            uint32_t(D3DTTFF_DISABLE));
}

TEST_F(DrawServices, OffscreenPassesStretchThePictureQuadOverTheTarget) {
  ShowDocument doc = Start(1);  // Fit: bars on the 64 × 48 screen
  ZT_2D_Light& slide = *doc.show->slides[0]->slide;
  doc.show->AdvanceShow(0);
  TexturePtr target =
      device_->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  const SurfacePtr back = device_->GetRenderTarget(0);
  device_->SetRenderTarget(0, target->GetSurfaceLevel(0));
  slide.BeginOffscreen(16, 16, 3);
  EXPECT_EQ(context_.PlacementMode, 3);
  EXPECT_EQ(context_.TargetWidth, 16.0f);
  device_->Clear(D3DCLEAR_TARGET, 0, 1, 0);
  auto effect = CreateBuiltinEffect(*device_, u"common_res.dll", 97);
  ASSERT_NE(effect, nullptr);
  effect->SetTechnique("Common");
  effect->SetTexture("Texture1", slide.GetPictureTexture());
  slide.DrawFx(slide.GetPictureQuad(), *effect);
  slide.EndOffscreen();
  device_->SetRenderTarget(0, back);
  EXPECT_EQ(context_.PlacementMode, 1) << "the stored mode is placed again";
  EXPECT_EQ(context_.TargetWidth, float(kWidth));
  const Image pixels = target->ReadLevel(0);
  const auto rgba = [&](uint32_t x, uint32_t y) {
    const uint8_t* p = pixels.Pixel(x, y);
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
  };
  EXPECT_TRUE(NearColor(rgba(0, 0), 0xFF0000FF, 3)) << "the picture's red half fills the left";
  EXPECT_TRUE(NearColor(rgba(15, 15), 0x0000FFFF, 3)) << "no bars off-screen";
  slide.EndOffscreen();  // unpaired: ignored
  EXPECT_EQ(context_.TargetWidth, float(kWidth));
}

}  // namespace
}  // namespace glimmer::testing
