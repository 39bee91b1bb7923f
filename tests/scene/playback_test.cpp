// Playback: picture placement, the show's slide sequence and fades, the
// camera, and headless renders of a show.

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <tuple>

#include "document/doc_res_manager.h"
#include "params/random_source.h"
#include "scene/slide_show.h"
#include "show/show_document.h"
#include "tests/platform/gpu/gpu_test_support.h"
#include "tests/support/probe_layer.h"
#include "tests/support/scene_test.h"

namespace glimmer::testing {
namespace {

TEST(Placement, FitAndFillOfWideAndTallPictures) {
  // A 2:1 picture on a 16:9 screen: Fit leaves bars above and below.
  ScreenRect fit = PlacePicture(1600, 900, 200, 100, 1);
  EXPECT_FLOAT_EQ(fit.width, 1600);
  EXPECT_FLOAT_EQ(fit.height, 800);
  EXPECT_FLOAT_EQ(fit.y, 50);
  ScreenRect fill = PlacePicture(1600, 900, 200, 100, 2);
  EXPECT_FLOAT_EQ(fill.height, 900);
  EXPECT_FLOAT_EQ(fill.width, 1800);
  EXPECT_FLOAT_EQ(fill.x, -100) << "centred, cropped at the sides";
  // A tall picture on a 4:3 screen.
  fit = PlacePicture(800, 600, 100, 200, 1);
  EXPECT_FLOAT_EQ(fit.width, 300);
  EXPECT_FLOAT_EQ(fit.x, 250);
  fill = PlacePicture(800, 600, 100, 200, 2);
  EXPECT_FLOAT_EQ(fill.width, 800);
  EXPECT_FLOAT_EQ(fill.y, -500);
  const ScreenRect stretch = PlacePicture(800, 600, 100, 200, 0);
  EXPECT_FLOAT_EQ(stretch.width, 800);
  EXPECT_FLOAT_EQ(stretch.height, 600);
  RenderContext c;
  c.Place({0, 0, 800, 600}, 0, 200, 1, 800, 600);
  EXPECT_EQ(c.View, D3DXMATRIX{}) << "a picture without width is not placed";
}

TEST(Placement, CameraCentresAndParallaxFollowsDepth) {
  RenderContext c;
  c.Place({0, 0, 400, 200}, 400, 200, 0, 400, 200);
  c.SetCamera(400, 200, 100, 50, 2.0f, true);
  D3DXVECTOR3 p{100, 50, 0};
  const D3DXMATRIX world = c.GetWorld(D3DXMATRIX{});
  D3DXVec3TransformCoord(&p, &p, &world);
  EXPECT_NEAR(p.x, 200, 1e-4) << "the camera point moves to the centre";
  EXPECT_NEAR(p.y, 100, 1e-4);
  EXPECT_FLOAT_EQ(c.CameraOffset.x, 100);
  c.PlacementMode = 3;
  EXPECT_EQ(c.GetWorld(D3DXMATRIX{}), D3DXMATRIX{}) << "captures are drawn without the camera";
}

TEST(Camera, RandomPanStaysInsideTheZoomedWindow) {
  SeedRandom(1);
  ZQN_Camera cam;
  cam.Mode.SetValue(1);
  cam.Running.SetValue(1);
  cam.PictureWidth = 1000;
  cam.PictureHeight = 500;
  cam.Reset();
  const float margin = 1 - 1 / 1.2f;
  int rests = 0, moves = 0;
  float lastEnd = 0;
  for (int k = 1; k <= 20000; ++k) {
    const float t = float(k) * 0.05f;
    const ZQN_Camera::Pose pose = cam.Advance(t);
    ASSERT_TRUE(pose.active);
    EXPECT_LE(std::abs(pose.x / 500 - 1), margin + 1e-4f);
    EXPECT_LE(std::abs(pose.y / 250 - 1), margin + 1e-4f);
    if (cam.SegmentEnd != lastEnd) {
      const float length = cam.SegmentEnd - cam.SegmentStart;
      if (std::abs(length - 0.5f) < 1e-4f) {
        ++rests;
      } else {
        ++moves;
        EXPECT_GE(length, 5.0f - 1e-4f);
        EXPECT_LE(length, 7.0f + 1e-4f);
      }
      lastEnd = cam.SegmentEnd;
    }
  }
  EXPECT_GT(rests, 10);
  EXPECT_GT(moves, 10);
}

TEST(Camera, PathForwardsAndBackAndLongFrames) {
  ZQN_Camera cam;
  cam.Mode.SetValue(2);
  cam.Running.SetValue(1);
  for (float x : {0.0f, 100.0f, 200.0f}) {
    cam.Path.AddPoint({x, 0, 0}, nullptr);
    cam.Path.Points.back()->TravelTime.SetValue(1.0f);
  }
  cam.Reset();
  std::vector<float> ends;
  for (int k = 1; k <= 200; ++k) {
    const ZQN_Camera::Pose pose = cam.Advance(float(k) * 0.05f);
    ends.push_back(pose.x);
  }
  const float maxX = *std::max_element(ends.begin(), ends.end());
  EXPECT_NEAR(maxX, 200, 1e-3) << "reaches the last point";
  bool cameBack = false;
  for (size_t i = 60; i < ends.size(); ++i) cameBack |= ends[i] < 1.0f;
  EXPECT_TRUE(cameBack) << "and travels back to the first";

  ZQN_Camera single;
  single.Mode.SetValue(2);
  single.Running.SetValue(1);
  single.Path.AddPoint({42, 7, 0}, nullptr);
  single.Reset();
  for (int k = 1; k < 100; ++k) {
    const ZQN_Camera::Pose pose = single.Advance(float(k) * 0.1f);
    EXPECT_EQ(pose.x, 42.0f);
    EXPECT_EQ(pose.y, 7.0f);
  }
  ZQN_Camera hitch;
  hitch.Advance(0.0f);
  hitch.Advance(1.0f);
  EXPECT_FLOAT_EQ(hitch.Speed.LocalTime, 0.2f)
      << "a 1-second hitch moves the camera by 0.2 s of speed";
}

// A show of `n` slides, each of the given timing, with flat pictures.
ShowDocument TimedShow(int n, float fadeIn, float duration, float fadeOut) {
  ShowDocument doc;
  for (int i = 0; i < n; ++i) {
    auto c = std::make_shared<ZT_SlideContainer>();
    c->fadeIn.SetValue(fadeIn);
    c->duration.SetValue(duration);
    c->fadeOut.SetValue(fadeOut);
    c->slide = std::make_shared<ZT_2D_Light>();
    c->slide->picture.SetValue({u"flat" + std::u16string(1, char16_t(u'0' + i)) + u".png", 1});
    Image img{64, 32, std::vector<uint8_t>(64 * 32 * 4, 255)};
    for (size_t p = 0; p < img.rgba.size(); p += 4) img.rgba[p + 1] = uint8_t(40 * i);
    doc.resources->PictureBlobs.push_back(
        {c->slide->picture.Value(), {{0, u"", EncodePng(img), u""}}});
    doc.show->slides.push_back(c);
  }
  return doc;
}

class Playback : public SceneTest {
 protected:
  // Reads the document back (indexing its resources) and instantiates it.
  ShowDocument Start(ShowDocument doc, int position = 1) { return SceneTest::Start(doc, position); }
};

TEST_F(Playback, SlidesSwitchJustAfterTheirLengthAndFade) {
  ShowDocument doc = Start(TimedShow(2, 1, 10, 1));
  ZT_SlideShow_Light& show = *doc.show;
  show.AdvanceShow(0);
  EXPECT_EQ(show.Current(), show.slides[0]);
  EXPECT_EQ(show.OverlayAlpha(), 0.0f) << "the first slide begins fully faded in";
  show.AdvanceShow(10.5f);
  EXPECT_NEAR(show.OverlayAlpha(), 0.5f, 1e-5) << "fading out";
  show.AdvanceShow(11.0f);
  EXPECT_EQ(show.Current(), show.slides[0]) << "not yet: the switch needs strictly more";
  show.AdvanceShow(11.001f);
  EXPECT_EQ(show.Current(), show.slides[1]);
  EXPECT_NEAR(show.OverlayAlpha(), 1.0f, 1e-2) << "black at the switch";
  EXPECT_EQ(show.NextIndex(), 0u);
  show.AdvanceShow(11.5f);
  EXPECT_NEAR(show.OverlayAlpha(), 0.5f, 1e-2);
  show.AdvanceShow(12.5f);
  EXPECT_EQ(show.OverlayAlpha(), 0.0f);
  show.AdvanceShow(23.1f);
  EXPECT_EQ(show.Current(), show.slides[0]) << "the show loops";
  // A long pause switches only one slide.
  show.AdvanceShow(1000.0f);
  EXPECT_EQ(show.Current(), show.slides[1]);
}

TEST_F(Playback, LoopTimingMatchesFrameSteppedPlayback) {
  // Lengths that are no whole number of steps: each slide overruns to the next frame.
  ShowDocument doc = Start(TimedShow(3, 0.3f, 1.17f, 0.25f));
  ZT_SlideShow_Light& show = *doc.show;
  const double step = 0.1;
  const auto loop = show.Loop(step);
  ASSERT_TRUE(loop.loops);
  // 1.72 s a slide: 18 steps; the first 15 (it starts faded in).
  EXPECT_NEAR(loop.period, 5.4, 1e-9);
  EXPECT_NEAR(loop.firstReturn, 5.1, 1e-9);
  const int periodSteps = 54, firstSteps = 51;
  std::vector<std::pair<size_t, float>> seen;  // slide and its local time per frame
  for (int k = 0; k < firstSteps + 3 * periodSteps; ++k) {
    const float t = float(k * step);
    show.AdvanceShow(t);
    size_t index = 0;
    while (show.slides[index] != show.Current()) ++index;
    seen.push_back({index, t - show.SlideStart()});
  }
  EXPECT_EQ(seen[firstSteps].first, 0u);
  EXPECT_EQ(seen[firstSteps - 1].first, 2u);
  for (int k = firstSteps; k < firstSteps + 2 * periodSteps; ++k) {
    EXPECT_EQ(seen[k].first, seen[k + periodSteps].first) << "frame " << k;
    EXPECT_NEAR(seen[k].second, seen[k + periodSteps].second, 1e-3) << "frame " << k;
  }
  ShowDocument staying = TimedShow(3, 1, 2, 1);
  staying.show->slides[1]->stay.SetValue(1);
  const auto stays = staying.show->Loop(0.5);
  EXPECT_FALSE(stays.loops);
  EXPECT_NEAR(stays.firstReturn, 3.5 + 4.0, 1e-9) << "until the staying slide ends once";
  EXPECT_FALSE(TimedShow(1, 1, 2, 1).show->Loop(0.5).loops);
}

TEST_F(Playback, OneSlideStayAndZeroFades) {
  ShowDocument one = Start(TimedShow(1, 1, 2, 1));
  for (float t : {0.0f, 3.5f, 100.0f}) {
    one.show->AdvanceShow(t);
    EXPECT_EQ(one.show->OverlayAlpha(), 0.0f);
  }
  EXPECT_EQ(one.show->NextIndex(), 1u);
  ShowDocument staying = TimedShow(2, 1, 2, 1);
  staying.show->slides[1]->stay.SetValue(1);
  ShowDocument s = Start(std::move(staying));
  s.show->AdvanceShow(0);
  s.show->AdvanceShow(3.5f);
  EXPECT_EQ(s.show->Current(), s.show->slides[1]);
  EXPECT_NEAR(s.show->OverlayAlpha(), 1.0f, 1e-2) << "its fade-in is still drawn";
  s.show->AdvanceShow(500.0f);
  EXPECT_EQ(s.show->Current(), s.show->slides[1]);
  EXPECT_EQ(s.show->OverlayAlpha(), 0.0f) << "and it never fades out";
  ShowDocument abrupt = Start(TimedShow(2, 0, 2, 0));
  abrupt.show->AdvanceShow(0);
  abrupt.show->AdvanceShow(2.0f);  // past the display time, no fade-out
  EXPECT_EQ(abrupt.show->OverlayAlpha(), 0.0f);
  abrupt.show->AdvanceShow(1.0f);  // the clock went back: clamped, not negative
  EXPECT_GE(abrupt.show->OverlayAlpha(), 0.0f);
  EXPECT_LE(abrupt.show->OverlayAlpha(), 1.0f);
}

TEST_F(Playback, FitShowsBarsAndTheOverlayDarkens) {
  device_->Reset({64, 48, true});  // 4:3, a 2:1 picture
  ShowDocument doc = Start(TimedShow(2, 1, 10, 1), 1);
  doc.show->AdvanceShow(0);
  doc.show->RenderShow();
  EXPECT_EQ(Pixel(32, 2), 0x000000FFu) << "a bar above the picture";
  EXPECT_EQ(Pixel(32, 45), 0x000000FFu) << "and below it";
  EXPECT_TRUE(NearColor(Pixel(32, 24), 0xFF00FFFF, 2)) << "the picture in the middle";
  doc.show->AdvanceShow(10.5f);
  doc.show->RenderShow();
  // Alpha blends with the same factors: 0.5 × 0.5 + 1 × 0.5 in the back buffer.
  EXPECT_TRUE(NearColor(Pixel(32, 24), 0x800080BF, 3)) << "half faded to black";
  ShowDocument filled = Start(TimedShow(1, 1, 10, 1), 2);
  filled.show->AdvanceShow(0);
  filled.show->RenderShow();
  EXPECT_TRUE(NearColor(Pixel(32, 2), 0xFF00FFFF, 2)) << "fill covers the screen";
}

TEST_F(Playback, DeviceLossInTheMiddleOfASlide) {
  ShowDocument doc = Start(TimedShow(1, 1, 10, 1), 0);
  doc.show->AdvanceShow(0);
  doc.show->RenderShow();
  device_->SimulateLoss();
  doc.show->ReleaseDeviceObjects();
  device_->Reset({kWidth, kHeight, true});
  doc.show->RestoreDeviceObjects();
  doc.show->AdvanceShow(1.0f);
  doc.show->RenderShow();
  EXPECT_TRUE(NearColor(Pixel(10, 10), 0xFF00FFFF, 2)) << "the managed picture survived";
}

TEST(CaptureTargets, FallBackFromThreeToTwoToOne) {
  RenderContext context;
  for (const auto& [limit, scale, expected] : std::vector<std::tuple<uint32_t, int, uint32_t>>{
           {4096, 3, 192}, {150, 3, 128}, {100, 3, 64}, {4096, 1, 64}}) {
    auto device = GpuDevice::CreateHeadless({64, 48, true});
    device->LimitTextureSize(limit);
    ScreenScope scope({.device = device.get(), .renderContext = &context});
    ZT_2D_Light::SetCaptureScaleLimit(scale);
    ZT_2D_Light slide;
    slide.RestoreDeviceObjects();
    EXPECT_EQ(slide.CaptureWidth(), expected) << "limit " << limit << " scale " << scale;
  }
  ZT_2D_Light::SetCaptureScaleLimit(3);
}

// The screen rectangle (x0, y0)-(x1, y1) in pixels, unblended: `colour`
// combined with `texture` by stage 0's `op`.
void DrawScreenQuad(GpuDevice& d, float x0, float y0, float x1, float y1, D3DCOLOR colour,
                    const TexturePtr& texture, D3DTEXTUREOP op) {
  const TlVertex v[4] = {{x0, y1, 0.5f, 1, colour, 0, 1},
                         {x0, y0, 0.5f, 1, colour, 0, 0},
                         {x1, y1, 0.5f, 1, colour, 1, 1},
                         {x1, y0, 0.5f, 1, colour, 1, 0}};
  d.SetTexture(0, texture);
  d.SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
  d.SetTextureStageState(0, D3DTSS_COLOROP, op);
  d.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  d.SetFVF(kTlFvf);
  d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TlVertex));
}

TEST_F(Playback, LayersThatSampleTheSceneGetACopy) {
  ShowDocument loaded = Start(TimedShow(1, 1, 10, 1), 0);
  ZT_SlideContainer& slide = *loaded.show->slides[0];
  {
    ScreenScope scope(WithLiveObjects(&loaded.show->LiveObjects()));
    slide.visualObjects.push_back(ProbeLayer().CreateRuntime());
  }
  // It samples the scene and draws it back over everything, half veiled in red.
  auto& veil = static_cast<ProbeObject&>(*slide.visualObjects.back());
  veil.needs = veil.keepOwnCopy = true;
  TexturePtr sampled;
  veil.draw = [&](ZT_ABRender& renderer) {
    GpuDevice& d = *CurrentDevice();
    sampled = *renderer.GetSceneTextureSlot();
    const D3DSURFACE_DESC back = d.GetBackBufferDesc();
    DrawScreenQuad(d, 0, 0, float(back.Width), float(back.Height), 0xFFFF8080, sampled,
                   D3DTOP_MODULATE);
  };
  loaded.show->AdvanceShow(0);
  loaded.show->RenderShow();
  ASSERT_NE(sampled, nullptr);
  EXPECT_NE(sampled, loaded.show->slides[0]->slide->PictureTexture()) << "a copy, not the picture";
  EXPECT_EQ(sampled->Width(), 3u * kWidth) << "at three times the back buffer";
  // The picture (magenta) modulated by (1, 0.5, 0.5).
  EXPECT_TRUE(NearColor(Pixel(20, 20), 0xFF0080FF, 3));
}

// A layer that asks for a kept copy draws the whole final image itself: one
// that then draws only small quads (a line's head glow, a firefly) leaves the
// rest of the frame without the scene. That is why those layers ask for
// their copy without keeping it, and the scene around their quads stays.
TEST_F(Playback, AKeptCopyDrawnOverOnlyInPlacesLosesTheRestOfTheScene) {
  for (const bool keep : {true, false}) {
    ShowDocument loaded = Start(TimedShow(1, 1, 10, 1), 0);
    ZT_SlideContainer& slide = *loaded.show->slides[0];
    {
      ScreenScope scope(WithLiveObjects(&loaded.show->LiveObjects()));
      slide.visualObjects.push_back(ProbeLayer().CreateRuntime());
    }
    auto& head = static_cast<ProbeObject&>(*slide.visualObjects.back());
    head.needs = true;
    head.keepOwnCopy = keep;
    head.draw = [&](ZT_ABRender&) {
      DrawScreenQuad(*CurrentDevice(), 4, 4, 12, 12, 0xFFFFFFFF, nullptr, D3DTOP_SELECTARG2);
    };
    loaded.show->AdvanceShow(0);
    loaded.show->RenderShow();
    EXPECT_TRUE(NearColor(Pixel(8, 8), 0xFFFFFFFF, 3)) << "keep " << keep << ": the head";
    EXPECT_EQ(NearColor(Pixel(40, 30), 0xFF00FFFF, 3), !keep)
        << "keep " << keep << ": the picture around the head";
  }
}

// The program renders the same bytes every time.
TEST(RenderCommand, FramesAreDeterministic) {
  const auto dir = std::filesystem::temp_directory_path() / "glimmer_render_test";
  std::filesystem::remove_all(dir);
  auto run = [&](const std::string& sub) {
    const std::string cmd = std::string(GLIMMER_BINARY) +
                            " render --size 96x54 --at 3.5,9.25 --out " + (dir / sub).string() +
                            " > /dev/null 2>&1";
    return std::system(cmd.c_str());
  };
  ASSERT_EQ(run("a"), 0);
  ASSERT_EQ(run("b"), 0);
  for (const char* name : {"at_00003.500.png", "at_00009.250.png"}) {
    std::ifstream a(dir / "a" / name, std::ios::binary), b(dir / "b" / name, std::ios::binary);
    const std::string x((std::istreambuf_iterator<char>(a)), {}),
        y((std::istreambuf_iterator<char>(b)), {});
    EXPECT_FALSE(x.empty()) << name;
    EXPECT_EQ(x, y) << name;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace glimmer::testing
