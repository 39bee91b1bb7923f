// The growing line: it draws as much of its path as the layer is visible,
// withdraws from its start while fading out when it retracts, repeats its
// texture every width × aspect pixels counted back from the tip, keeps a
// finite head past the head's life, survives degenerate paths, counts the
// scene copies it takes, and reads both stored versions.

#include "particles/groving_line.h"

#include <gtest/gtest.h>

#include <cmath>

#include "params/param_serialization.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/particle_kind_test.h"

namespace glimmer::testing {
namespace {

using GrovingLineKind = ParticleKindTest;

// A straight path of `length` pixels along y = 90.
QVX_GrovingLine Straight(float length = 400) {
  QVX_GrovingLine line;
  line.path.AddPoint({-40, 90, 0}, nullptr);
  line.path.AddPoint({-40 + length, 90, 0}, nullptr);
  line.path.Rebuild();
  line.width.SetValue(10);
  return line;
}

GrovingLineSystem& Groving(ParticleSystemRuntime& rt) {
  return static_cast<GrovingLineSystem&>(rt);
}

// The x extent of the ribbon's written quads.
std::pair<float, float> RibbonExtent(const RibbonLook& ribbon) {
  const DX_V::PCT* v = static_cast<const DX_V::PCT*>(ribbon.quads.VertexBuffer->Lock(0, 0));
  float lo = 1e9f, hi = -1e9f;
  for (uint32_t k = 0; k < 4 * ribbon.count; ++k) {
    lo = std::min(lo, v[k].x);
    hi = std::max(hi, v[k].x);
  }
  ribbon.quads.VertexBuffer->Unlock();
  return {lo, hi};
}

TEST_F(GrovingLineKind, GrowsWithVisibilityAndRetractsFromItsStart) {
  auto rt = Start(Straight());
  auto& line = Groving(*rt);
  ASSERT_NEAR(line.PathLength(), 400.0f, 0.5f);
  // Growing with the visibility from 0 to 1: from nothing to the whole path.
  float drawn = -1;
  for (int k = 0; k <= 10; ++k) {
    SetVisibility(*rt, k == 0 ? TimeLineState::Hidden : TimeLineState::FadingIn, k / 10.0f);
    rt->Advance(k * 0.02f);
    const float length = line.RibbonEnd() - line.RibbonStart();
    EXPECT_NEAR(length, 40.0f * k, 0.5f) << "visibility " << k / 10.0f;
    EXPECT_GE(length, drawn);
    drawn = length;
    if (k == 0) {
      EXPECT_EQ(line.Ribbon().count, 0u);
    }
  }
  auto [lo, hi] = RibbonExtent(line.Ribbon());
  EXPECT_NEAR(lo, -40.0f, 0.5f);
  EXPECT_NEAR(hi, 360.0f, 0.5f);

  SetVisibility(*rt, TimeLineState::FadingIn, 0.5f);
  rt->Advance(0.3f);
  std::tie(lo, hi) = RibbonExtent(line.Ribbon());
  EXPECT_NEAR(lo, -40.0f, 0.5f);
  EXPECT_NEAR(hi, 160.0f, 0.5f) << "the first 200 pixels";

  // Fading out at 0.25 with retract: the last 100 pixels; without, the first.
  for (int32_t retract : {1, 0}) {
    QVX_GrovingLine s = Straight();
    s.retract.SetValue(retract);
    auto r = Start(s);
    SetVisibility(*r, TimeLineState::FadingOut, 0.25f);
    r->Advance(0.02f);
    EXPECT_NEAR(Groving(*r).RibbonStart(), retract ? 300.0f : 0.0f, 0.5f);
    EXPECT_NEAR(Groving(*r).RibbonEnd(), retract ? 400.0f : 100.0f, 0.5f);
  }
}

TEST_F(GrovingLineKind, TextureRepeatsFromTheTipAndTheHeadSitsThere) {
  QVX_GrovingLine s = Straight();
  s.headAlong.SetValue(5);
  s.headAcross.SetValue(3);
  auto rt = Start(s);
  rt->Advance(0.02f);
  auto& line = Groving(*rt);
  const RibbonLook& ribbon = line.Ribbon();
  ASSERT_GT(ribbon.count, 0u);
  // Aspect 1 without a texture: a tile every 10 pixels, v = distance / 10
  // back from the tip.
  const DX_V::PCT* v = static_cast<const DX_V::PCT*>(ribbon.quads.VertexBuffer->Lock(0, 0));
  for (uint32_t k = 0; k < 4 * ribbon.count; ++k) {
    EXPECT_NEAR(v[k].v, (360.0f - v[k].x) / 10.0f, 1e-3f);
    EXPECT_NEAR(std::fabs(v[k].y - 90.0f), 5.0f, 1e-3f) << "half the width to either side";
  }
  ribbon.quads.VertexBuffer->Unlock();
  ASSERT_EQ(line.Head().Count(), 1u);
  EXPECT_NEAR(line.Head().At(0).position.x, 365.0f, 1e-3f);
  EXPECT_NEAR(line.Head().At(0).position.y, 93.0f, 1e-3f);
}

// A line with a cycle of one second, shown.
class CycleLine : public QVX_Timing {
 public:
  float CycleLength() const override { return 1.0f; }
};

TEST_F(GrovingLineKind, AHeadPastItsLifeAndDegeneratePathsStayFinite) {
  QVX_GrovingLine s = Straight();
  s.appearance.sizeEnvelope.fallStart.SetValue(50);  // falling to 0.2 by the end of its life
  s.appearance.sizeEnvelope.endLevel.SetValue(20);
  s.appearance.baseSize.SetValue(16);
  auto rt = Start(s);
  auto& line = Groving(*rt);
  rt->GetTiming().SetCurrent(std::make_shared<CycleLine>());
  for (int k = 1; k < 200; ++k) rt->Advance(k * 0.02f);  // four seconds, a life of one
  ASSERT_EQ(line.Head().Count(), 1u);
  EXPECT_NEAR(line.Head().At(0).life, 1.0f, 1e-6f);
  EXPECT_NEAR(line.Head().SizeFactor(line.Head().At(0)), 0.2f, 1e-5f) << "its end level";
  EXPECT_EQ(line.HeadQuads(), 1u);

  // A direction straight into the screen has no width there, and nothing
  // that is not a number.
  const RibbonLook::Section into =
      RibbonLook::MakeSection({5, 5, 0}, {0, 0, 1}, 10, 0, 0xFFFFFF, 255);
  EXPECT_TRUE(Finite(into.left) && Finite(into.right));
  EXPECT_EQ(into.left, into.right);
  const RibbonLook::Section slanted =
      RibbonLook::MakeSection({5, 5, 0}, {0, 0.6f, 0.8f}, 10, 0, 0xFFFFFF, 255);
  EXPECT_NEAR(Length(slanted.right - slanted.left), 10.0f, 1e-4f) << "as wide on screen";

  // One point, two equal points, no points: no ribbon, nothing non-finite.
  for (int points : {0, 1, 2}) {
    QVX_GrovingLine d;
    for (int k = 0; k < points; ++k) d.path.AddPoint({50, 50, 0}, nullptr);
    d.path.Rebuild();
    auto r = Start(d);
    r->Advance(0.02f);
    r->Advance(0.04f);
    EXPECT_EQ(Groving(*r).Ribbon().count, 0u) << points << " points";
    const D3DXVECTOR3 head = Groving(*r).Head().At(0).position;
    EXPECT_TRUE(Finite(head));
  }
}

TEST_F(GrovingLineKind, APathOfVeryManyPointsIsSampledLessFinely) {
  QVX_GrovingLine s;
  for (int k = 0; k <= 4000; ++k) s.path.AddPoint({float(k) * 0.1f, 90, 0}, nullptr);
  auto rt = Start(s);
  rt->Advance(0.02f);
  auto& line = Groving(*rt);
  EXPECT_NEAR(line.PathLength(), 400.0f, 0.5f);
  EXPECT_LE(line.Ribbon().count, kMaxLineSamples);
  EXPECT_GT(line.Ribbon().count, 4000u);
}

TEST_F(GrovingLineKind, CountsTheSceneCopiesItTakes) {
  struct Case {
    int32_t lineGlow, lineBlend, headGlow, showHead, copies;
  };
  for (const Case& c : {Case{0, 0, 0, 1, 0}, Case{2, 0, 0, 1, 1}, Case{0, 1, 0, 1, 1},
                        Case{2, 1, 2, 1, 3}, Case{2, 1, 2, 0, 2}, Case{0, 2, 0, 1, 0}}) {
    QVX_GrovingLine s = Straight();
    s.lineLook.glowMode.SetValue(c.lineGlow);
    s.lineLook.blend.SetValue(c.lineBlend);
    s.appearance.glowMode.SetValue(c.headGlow);
    s.showHead.SetValue(c.showHead);
    auto rt = Start(s);
    EXPECT_EQ(rt->SceneCopyCount(), c.copies)
        << c.lineGlow << " " << c.lineBlend << " " << c.headGlow << " " << c.showHead;
  }
}

TEST(GrovingLineStoredForms, VersionOneHasNoRetractAndItsLooksTheOtherWayRound) {
  for (int32_t v = 1; v <= 2; ++v) {
    SCOPED_TRACE("version " + std::to_string(v));
    QVX_GrovingLine in = Straight();
    in.lineLook.name.SetValue(u"ribbon");
    in.appearance.name.SetValue(u"head");
    in.tailWidthEnvelope.riseEnd.SetValue(30);
    in.retract.SetValue(1);
    in.showHead.SetValue(0);
    const std::vector<uint8_t> bytes = WriteWith([&](Archive& ar) {
      Field(ar, "tailWidthEnvelope", in.tailWidthEnvelope);
      Field(ar, "tailOpacityEnvelope", in.tailOpacityEnvelope);
      if (v >= 2) Field(ar, "retract", in.retract);
      ar.BeginBase(QVX_StaticLineCtrl::kStoredName, 1);
      Field(ar, "width", in.width);
      Field(ar, "widthEnvelope", in.widthEnvelope);
      Field(ar, "opacityEnvelope", in.opacityEnvelope);
      ar.BeginBase(QVX_LineCtrl::kStoredName, v);
      in.path.Serialize(ar, "path");
      Field(ar, "showHead", in.showHead);
      // Version 1 stores the head's look where version 2 stores the ribbon's.
      (v < 2 ? in.appearance : in.lineLook).SerializeBlock(ar, "lineLook", "lineLookVersion");
      Field(ar, "headAcross", in.headAcross);
      Field(ar, "headAlong", in.headAlong);
      if (v < 2) {
        int32_t ignored = 7;
        Field(ar, "unused", ignored);
      }
      QVX_GrovingLine base = in;
      base.appearance = v < 2 ? in.lineLook : in.appearance;
      SerializeBase<QVX_ParticleSystemCtrl>(ar, base);
      ar.EndBase();
      ar.EndBase();
    });
    QVX_GrovingLine out;
    ReadWith(bytes, [&](Archive& ar) { out.Serialize(ar, v); });
    EXPECT_EQ(out.retract.Value(), v >= 2 ? 1 : 0);
    EXPECT_EQ(out.tailWidthEnvelope.riseEnd.Value(), 30u);
    EXPECT_EQ(out.showHead.Value(), 0);
    EXPECT_EQ(out.lineLook.name.Value(), u"ribbon");
    EXPECT_EQ(out.appearance.name.Value(), u"head");
    EXPECT_NEAR(out.path.TotalLength, 400.0f, 0.5f);
  }
}

}  // namespace
}  // namespace glimmer::testing
