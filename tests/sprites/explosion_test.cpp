// The explosion: its three stored versions (version 1's timing becoming a
// random line), growth while fading in, zero size while hidden, the seed's
// noise shifts after every restart and their constant cost.

#include "sprites/explosion.h"

#include <gtest/gtest.h>

#include "params/random_source.h"
#include "params/smart_timing.h"
#include "store/stream_reader.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/sprite_kind_test.h"

namespace glimmer::testing {
namespace {

using Explosion = SpriteKindTest;

void WriteExplosion(ZT_IOF_W& w, int32_t version) {
  w.WriteUInt32(21);
  w.WriteUInt32(15);
  w.WriteUInt32(42);
  w.WriteUInt32(90);   // drift direction
  w.WriteUInt32(100);  // drift speed
  if (version == 1) {
    for (uint32_t l : {20u, 50u, 30u, 15u, 25u}) w.WriteUInt32(l);
  }
  w.WriteUInt32(7);  // seed
  w.WriteLong(0);
  w.WriteInt32(0x112233);
  w.WriteHeader(u"ZT_StatBaseFXCtrl", version == 1 ? 1 : 2);
  for (float f : {160.0f, 90.0f, 0.0f}) w.WriteFloat(f);
  if (version > 1) {
    w.WriteUInt32(40);
    w.WriteUInt32(80);
  }
  w.WriteHeader(u"ZT_BaseFXCtrl", 1);
  w.WriteHeader(u"ZT_FXParticleSystemCtrl", 1);
  w.WriteString(u"");
  w.WriteUInt64(0);
  WriteSpriteBase(w, 7);
}

TEST(ExplosionDefaults, TheSecondColourIsBlackAndTheSpriteColourTheInheritedWhite) {
  const ZT_ExplosionConstructor boom;
  EXPECT_EQ(boom.secondColour.Value(), 0u);
  EXPECT_EQ(boom.colour.Value(), 0xFFFFFFu);
}

TEST(ExplosionStored, ReadsEveryVersion) {
  for (int32_t v = 1; v <= 3; ++v) {
    SCOPED_TRACE("version " + std::to_string(v));
    ZT_IOF_W w;
    WriteExplosion(w, v);
    ZT_ExplosionConstructor boom;
    ReadWith(w.Take(), [&](Archive& ar) { boom.Serialize(ar, v); });
    EXPECT_FLOAT_EQ(boom.noise1.Scaled(), 0.79f);
    EXPECT_NEAR(boom.driftDirection.Direction().y, 1, 1e-5) << "recomputed";
    EXPECT_FLOAT_EQ(boom.driftSpeed.Scaled(), 0.5f);
    EXPECT_EQ(boom.seed.Value(), 7u);
    EXPECT_EQ(boom.secondColour.Value(), 0x112233u);
    EXPECT_EQ(boom.position.Value().x, 160.0f);
    EXPECT_EQ(boom.quadWidth.Value(), v > 1 ? 80u : 0u);
    EXPECT_EQ(boom.count.Value(), 3u);
    auto* line = dynamic_cast<QVX_RandomTimeLine*>(boom.timing.Line());
    ASSERT_EQ(line != nullptr, v == 1);
    if (line) {
      EXPECT_EQ(line->HiddenRange.Min.Value(), 4u);
      EXPECT_EQ(line->VisibleRange.Max.Value(), 5u);
      EXPECT_EQ(line->FadeIn.Value(), 2u);
      EXPECT_EQ(line->FadeOut.Value(), 3u);
      EXPECT_EQ(boom.timing.Value(), 1);
    }
  }
}

TEST_F(Explosion, GrowsWhileFadingInAndVanishesWhileHidden) {
  ZT_ExplosionConstructor kind;
  kind.size.SetValue(251);
  auto group = Start(kind);
  Run(*group, 0, 0.1f);
  const SpriteRecord& r = group->Records()[0];
  EXPECT_EQ(r.halfWidth, 125.0f) << "251 div 2";
  SetVisibility(*group, TimeLineState::FadingIn, 0.2f);
  group->Advance(0.2f);
  EXPECT_NEAR(r.halfWidth, 0.4f * 125, 1e-4);
  EXPECT_EQ(r.alphaFactor, 1.0f);
  SetVisibility(*group, TimeLineState::Hidden, 0);
  group->Advance(0.3f);
  EXPECT_EQ(r.halfWidth, 0.0f);
  EXPECT_EQ(r.halfHeight, 0.0f);
}

TEST_F(Explosion, RepeatsTheSeedsNoiseShiftsAfterEveryRestart) {
  ZT_ExplosionConstructor kind;
  kind.seed.SetValue(1);
  // The pairs of the sequence from state 1, in order.
  std::vector<std::pair<float, float>> pairs;
  SeedRandom(1);
  for (int i = 0; i < 6; ++i) {
    const float x = RandomUnit();
    const float y = RandomUnit();
    pairs.push_back({x, y});
  }
  EXPECT_NEAR(pairs[0].first, 41.0f / 32767, 1e-7);
  for (int round = 0; round < 2; ++round) {
    kind.Restart();
    for (size_t k = 0; k < pairs.size(); ++k) {
      NextRandom();  // someone else draws in between
      kind.NewNoiseShift();
      EXPECT_EQ(kind.noiseShift.x, pairs[k].first) << "explosion " << k;
      EXPECT_EQ(kind.noiseShift.y, pairs[k].second);
    }
  }
  // The shared sequence ends where reseeding and drawing all pairs leaves it.
  SeedRandom(1);
  for (int i = 0; i < 12; ++i) NextRandom();
  const uint32_t expected = RandomState();
  kind.Restart();
  for (int k = 0; k < 6; ++k) kind.NewNoiseShift();
  EXPECT_EQ(RandomState(), expected);
}

}  // namespace
}  // namespace glimmer::testing
