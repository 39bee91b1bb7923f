// The observable core, sliders, colours and geometry parameters.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <memory>

#include "params/colour_params.h"
#include "params/geometry_params.h"
#include "params/random_source.h"
#include "params/scaled_slider.h"

namespace glimmer {
namespace {

// Records the calls it gets, in a log shared between observers.
class Recorder : public MediaControl {
 public:
  Recorder(std::vector<std::string>* log, std::string name) : log_(log), name_(std::move(name)) {}
  void OnChanged(MediaControl* sender) override {
    log_->push_back(name_ + (sender ? "<" + static_cast<Recorder*>(sender)->name_ : ""));
  }
  void Detach(MediaParam* p) override {
    MediaControl::Detach(p);
    log_->push_back(name_ + " detached");
  }

 private:
  std::vector<std::string>* log_;
  std::string name_;
};

TEST(MediaParam, ObserversHearChangesInOrderOnceEach) {
  std::vector<std::string> log;
  MediaParamT<int32_t> p(5);
  Recorder a(&log, "a"), b(&log, "b");
  p.AddControl(&a);
  p.AddControl(&b);
  EXPECT_EQ(log, (std::vector<std::string>{"a", "b"})) << "one call on attach";
  log.clear();
  p.SetValue(5);
  EXPECT_TRUE(log.empty()) << "no change, no notification";
  p.SetValue(6);
  EXPECT_EQ(log, (std::vector<std::string>{"a", "b"}));
  log.clear();
  p.NotifyControls(&a);
  EXPECT_EQ(log, (std::vector<std::string>{"b<a"})) << "the sender is skipped";
  log.clear();
  p.StoreValue(9);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(p.Value(), 9);
}

TEST(MediaParam, DestroyingEitherSideLeavesTheOtherValid) {
  std::vector<std::string> log;
  auto observer = std::make_unique<Recorder>(&log, "o");
  {
    MediaParamT<int32_t> p;
    p.AddControl(observer.get());
    EXPECT_TRUE(observer->Observes(&p));
  }
  EXPECT_EQ(log.back(), "o detached");

  MediaParamT<int32_t> q;
  {
    Recorder temp(&log, "t");
    q.AddControl(&temp);
    q.AddControl(observer.get());
    EXPECT_EQ(q.ControlCount(), 2u);
  }
  EXPECT_EQ(q.ControlCount(), 1u);
  log.clear();
  q.SetValue(3);
  EXPECT_EQ(log, (std::vector<std::string>{"o"}));
}

TEST(MediaParam, BoundObserverMovesToItsNewParameter) {
  MediaParamTB<int32_t> first, second;
  MediaControlT<MediaParamTB<int32_t>> bound;
  first.AddControl(&bound);
  EXPECT_EQ(bound.Param(), &first);
  second.AddControl(&bound);
  EXPECT_EQ(bound.Param(), &second);
  EXPECT_EQ(first.ControlCount(), 0u);
  {
    MediaParamTB<int32_t> third;
    third.AddControl(&bound);
  }
  EXPECT_EQ(bound.Param(), nullptr) << "detached when the parameter died";
}

TEST(MediaParam, CopiesTakeTheValueNotTheObservers) {
  std::vector<std::string> log;
  Recorder r(&log, "r");
  MediaParamT<float> p(2.5f);
  p.AddControl(&r);
  MediaParamT<float> copy(p);
  EXPECT_EQ(copy.Value(), 2.5f);
  EXPECT_EQ(copy.ControlCount(), 0u);
}

TEST(MediaParam, ObserverRemovingItselfDuringNotification) {
  struct SelfRemover : MediaControl {
    MediaParam* p = nullptr;
    int calls = 0;
    void OnChanged(MediaControl*) override {
      ++calls;
      if (p) p->RemoveControl(this);
    }
  };
  MediaParamT<int32_t> p;
  SelfRemover a, b;
  p.AppendControl(&a);
  p.AppendControl(&b);
  a.p = &p;
  p.SetValue(1);
  EXPECT_EQ(a.calls, 1);
  EXPECT_EQ(b.calls, 1) << "the next observer is not skipped";
  EXPECT_EQ(p.ControlCount(), 1u);
}

TEST(ScaledSlider, DerivedValueFollowsValueScaleAndOffset) {
  std::vector<std::string> log;
  Recorder r(&log, "r");
  UINTSclaleTo<float> s(50, 0.02f, 0.0f);
  EXPECT_EQ(s.Scaled(), 1.0f);
  s.AddControl(&r);
  log.clear();
  s.SetScale(0.04f, 1.0f);
  EXPECT_FLOAT_EQ(s.Scaled(), 3.0f);
  EXPECT_TRUE(log.empty()) << "a scale change notifies nobody";
  s.SetValue(25);
  EXPECT_FLOAT_EQ(s.Scaled(), 2.0f);
  EXPECT_EQ(log.size(), 1u);
  s.StoreValue(0);
  EXPECT_FLOAT_EQ(s.Scaled(), 1.0f) << "a direct store keeps the derived value in step";
}

TEST(ScaledSlider, TransparencyToAlphaByte) {
  EXPECT_EQ(std::bit_cast<uint32_t>(kTransparencyScale), 0xC0233333u);
  ColorAlphaPair pair;
  EXPECT_EQ(pair.Color.Value(), 0xFFFFFFu);
  const std::pair<uint32_t, uint8_t> cases[] = {{0, 255}, {50, 127}, {100, 0}, {101, 254}};
  for (auto [percent, alpha] : cases) {
    pair.Transparency.SetValue(percent);
    EXPECT_EQ(pair.Alpha(), alpha) << percent;
  }
  pair.Color.SetValue(0x00FF8000);  // blue 255, green 128, red 0
  pair.Transparency.SetValue(0);
  const D3DXVECTOR4 c = pair.ToFloat4();
  EXPECT_EQ(c.x, 0.0f);
  EXPECT_FLOAT_EQ(c.y, 128.0f / 255.0f);
  EXPECT_EQ(c.z, 1.0f);
  EXPECT_EQ(c.w, 1.0f);
}

TEST(ScaledSlider, MediaFloatSteps) {
  QVX_MediaFloat f(2.0f);
  f.StepValue(0, nullptr);
  EXPECT_EQ(f.Value(), 3.0f);
  f.StepValue(1, nullptr);
  f.StepValue(1, nullptr);
  EXPECT_EQ(f.Value(), 1.0f);
  f.StepValue(2, nullptr);
  EXPECT_EQ(f.Value(), 1.0f);
  QVX_MediaFloat big(1e9f);
  std::vector<std::string> log;
  Recorder r(&log, "r");
  big.AppendControl(&r);
  big.StepValue(0, nullptr);
  EXPECT_TRUE(log.empty()) << "a step that leaves the float unchanged notifies nobody";
}

TEST(SmartColorHSB, PrimaryHuesAndGrey) {
  SmartColorHSB c;
  c.SetHsb(0, 100, 100);
  EXPECT_EQ(c.Rgba(), (D3DXVECTOR4{1, 0, 0, 1}));
  c.SetHsb(120, 100, 100);
  EXPECT_EQ(c.Rgba(), (D3DXVECTOR4{0, 1, 0, 1}));
  c.SetHsb(240, 100, 100);
  EXPECT_EQ(c.Rgba(), (D3DXVECTOR4{0, 0, 1, 1}));
  for (uint32_t hue : {0u, 77u, 359u, 720u}) {
    c.SetHsb(hue, 0, 40);
    EXPECT_FLOAT_EQ(c.Rgba().x, 0.4f);
    EXPECT_EQ(c.Rgba().x, c.Rgba().y);
    EXPECT_EQ(c.Rgba().y, c.Rgba().z);
  }
  c.SetHsb(360, 100, 100);  // hues wrap: 360 is red, not magenta
  EXPECT_EQ(c.Rgba(), (D3DXVECTOR4{1, 0, 0, 1}));
  c.SetHsb(420, 100, 100);
  EXPECT_EQ(c.Rgba(), (D3DXVECTOR4{1, 1, 0, 1}));
  c.SetHsb(300, 100, 100);
  EXPECT_EQ(c.Rgba(), (D3DXVECTOR4{1, 0, 1, 1}));
  c.Hue.SetValue(60);  // observed: a change recomputes
  EXPECT_EQ(c.Rgba(), (D3DXVECTOR4{1, 1, 0, 1}));
  SmartColorHSB copy(c);
  copy.Hue.SetValue(120);
  EXPECT_EQ(copy.Rgba(), (D3DXVECTOR4{0, 1, 0, 1}));
  EXPECT_EQ(c.Rgba(), (D3DXVECTOR4{1, 1, 0, 1}));
}

TEST(GeometryParams, DirectionAndNormal) {
  MediaDirection d(90);
  EXPECT_NEAR(d.Direction().x, 0.0f, 1e-6);
  EXPECT_NEAR(d.Direction().y, 1.0f, 1e-6);
  EXPECT_NEAR(d.Normal().x, -1.0f, 1e-6);
  EXPECT_NEAR(d.Normal().y, 0.0f, 1e-6);
  d.SetValue(0);  // notified changes recompute
  EXPECT_EQ(d.Direction(), (D3DXVECTOR4{1, 0, 0, 0}));
  MediaDirection copy(d);
  copy.SetValue(180);
  EXPECT_NEAR(copy.Direction().x, -1.0f, 1e-6);
  EXPECT_EQ(d.Direction().x, 1.0f);
}

TEST(GeometryParams, SectorWithoutSpreadTurnsClockwise) {
  MediaSector s(30);
  SeedRandom(1);
  for (int i = 0; i < 3; ++i) {
    const D3DXVECTOR3 v = s.RandomDirection();
    EXPECT_NEAR(v.x, std::cos(330.0f * kPi / 180.0f), 1e-6);
    EXPECT_NEAR(v.y, std::sin(330.0f * kPi / 180.0f), 1e-6);
  }
  EXPECT_EQ(RandomState(), [] {
    SeedRandom(1);
    for (int i = 0; i < 3; ++i) NextRandom();
    return RandomState();
  }()) << "one draw per direction";
  s.Spread.SetValue(10);
  SeedRandom(1);
  for (int i = 0; i < 100; ++i) {
    const D3DXVECTOR3 v = s.RandomDirection();
    const float degrees = std::atan2(v.y, v.x) * 180.0f / kPi + 360.0f;
    EXPECT_GE(degrees, 320.0f - 1e-3f);
    EXPECT_LE(degrees, 340.0f + 1e-3f);
  }
}

TEST(GeometryParams, CenteredQuadInStripOrder) {
  MediaQuad q;
  q.SetCentered(4, 2, {10, 20, 1});
  EXPECT_EQ(q.Corners[0].Value(), (D3DXVECTOR3{8, 19, 1}));
  EXPECT_EQ(q.Corners[1].Value(), (D3DXVECTOR3{8, 21, 1}));
  EXPECT_EQ(q.Corners[2].Value(), (D3DXVECTOR3{12, 19, 1}));
  EXPECT_EQ(q.Corners[3].Value(), (D3DXVECTOR3{12, 21, 1}));
}

TEST(RandomSource, SequenceFromStateOne) {
  SeedRandom(1);
  EXPECT_EQ(NextRandom(), 41);
  EXPECT_EQ(NextRandom(), 18467);
  EXPECT_EQ(NextRandom(), 6334);
  SeedRandom(1);
  EXPECT_FLOAT_EQ(RandomUnit(), 41.0f / 32767.0f);
  EXPECT_FLOAT_EQ(RandomUniform(10, 20), 18467.0f / 32767.0f * 10.0f + 10.0f);
  EXPECT_EQ(RandomInt(3, 5), 6334 % 3 + 3);
  for (int i = 0; i < 1000; ++i) {
    const int32_t r = NextRandom();
    ASSERT_GE(r, 0);
    ASSERT_LE(r, 32767);
  }
}

}  // namespace
}  // namespace glimmer
