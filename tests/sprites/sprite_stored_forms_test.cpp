// The sprite kinds read from every stored version they have: the sprite
// base's seven layouts (motion speed in the old part, version 1's inline
// picture, flips, static geometry, animation speed), the ghost's random
// line, the flow's orientation flag and edges, the placed picture's old
// flips, lightning's delays and time line, and the kinds' own fields.

#include <gtest/gtest.h>

#include "params/smart_timing.h"
#include "sprites/bird.h"
#include "sprites/discharge.h"
#include "sprites/flow.h"
#include "sprites/flower.h"
#include "sprites/fog.h"
#include "sprites/ghost.h"
#include "sprites/god_ray.h"
#include "sprites/grass.h"
#include "sprites/lighting.h"
#include "sprites/rain.h"
#include "sprites/sparkle.h"
#include "sprites/stat_obj.h"
#include "store/stream_reader.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/sprite_kind_test.h"

namespace glimmer::testing {
namespace {

template <class Kind>
void Read(Kind& kind, int32_t version, ZT_IOF_W& w) {
  ReadWith(w.Take(), [&](Archive& ar) { kind.Serialize(ar, version); });
}

TEST(SpriteStoredForms, TheSpriteBaseReadsEveryVersion) {
  for (int32_t v = 1; v <= 7; ++v) {
    SCOPED_TRACE("ZT_BaseSpriteProp version " + std::to_string(v));
    ZT_IOF_W w;
    w.WriteFloat(30);
    w.WriteFloat(20);
    WriteSpriteBase(w, v);
    ZT_FishConstructor fish;
    Read(fish, 1, w);
    EXPECT_EQ(fish.speedX, 30.0f);
    EXPECT_EQ(fish.motionSpeed.Value(), 60u) << "in the old part up to version 2";
    EXPECT_EQ(fish.boundsRight, 0.9f);
    EXPECT_EQ(fish.count.Value(), 3u);
    EXPECT_EQ(fish.size.Value(), 16u);
    EXPECT_EQ(fish.AlphaByte(), 127);
    EXPECT_EQ(fish.blendMode.Value(), 1);
    EXPECT_EQ(fish.colour.Value(), 0x336699u);
    EXPECT_EQ(fish.scaleMax, 2.0f);
    EXPECT_EQ(fish.frameCount, 4u);
    EXPECT_TRUE(fish.animated);
    EXPECT_EQ(fish.inlineImages.size(), v == 1 ? 1u : 0u);
    EXPECT_EQ(fish.image.Stamp(), v == 1 ? 0u : 62u);
    EXPECT_EQ(fish.flipV.Value(), v >= 5 ? 1 : 0);
    EXPECT_EQ(fish.staticGeometry.Value(), v >= 6 ? 1 : 0);
    EXPECT_FLOAT_EQ(fish.animationSpeed.Scaled(), v >= 7 ? 2.0f : 1.0f);
    if (v == 1) {
      std::vector<ImageFrame> frames;
      fish.ResolveInlineImage(frames);
      ASSERT_EQ(frames.size(), 1u);
      EXPECT_EQ(fish.image.Path(), u"inline sprite image") << "the inline picture gets a link";
    }
  }
}

TEST(SpriteStoredForms, AnInlinePictureThatDoesNotFitFailsNamingTheClass) {
  ZT_IOF_W w;
  w.WriteFloat(30);
  w.WriteFloat(20);
  WriteSpriteBase(w, 1);
  std::vector<uint8_t> bytes = w.Take();
  bytes.resize(bytes.size() - 30);  // cut inside the inline picture's tail
  ZT_FishConstructor fish;
  try {
    ReadWith(bytes, [&](Archive& ar) { fish.Serialize(ar, 1); });
    ADD_FAILURE() << "read past the end";
  } catch (const LoadError& e) {
    EXPECT_NE(std::string(e.what()).find("ZT_BaseSpriteProp"), std::string::npos) << e.what();
  }
}

TEST(SpriteStoredForms, KindsReadTheirOwnVersions) {
  {  // A first ghost fades on a random line of its own.
    ZT_IOF_W w;
    w.WriteHeader(u"ZT_FishConstructor", 1);
    w.WriteFloat(10);
    w.WriteFloat(10);
    WriteSpriteBase(w, 7);
    ZT_GhostConstructor ghost;
    Read(ghost, 1, w);
    EXPECT_EQ(ghost.timing.Kind(), 1);
    auto* line = dynamic_cast<QVX_RandomTimeLine*>(ghost.timing.Line());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->VisibleRange.Max.Value(), 0u);
    EXPECT_EQ(line->FadeIn.Value(), 150u);
    EXPECT_EQ(line->FadeOut.Value(), 150u);
  }
  for (int32_t v = 2; v <= 4; ++v) {
    SCOPED_TRACE("flow version " + std::to_string(v));
    ZT_IOF_W w;
    w.WriteUInt32(45);
    w.WriteUInt32(2);
    w.WriteUInt32(4);
    w.WriteFloat(120);
    w.WriteLong(v == 2 ? 7 : 3);
    if (v == 4) {
      for (int32_t edge = 0; edge < 4; ++edge) {
        w.WriteHeader(u"ZT_BoundControl", 1);
        w.WriteLong(edge % 3);
        for (uint32_t ms : {100u, 200u, 300u, 400u}) w.WriteUInt32(ms);
      }
    }
    WriteSpriteBase(w, 7);
    ZT_FlowConstructor flow;
    Read(flow, v, w);
    EXPECT_EQ(flow.direction.Value(), 45u);
    EXPECT_FLOAT_EQ(flow.lateralSpeed.Scaled(), 6.0f);
    EXPECT_FLOAT_EQ(flow.driftRate.Scaled(), 1.0f);
    EXPECT_EQ(flow.orientation.Value(), v == 2 ? 1 : 3) << "version 2's flag means mode 1";
    EXPECT_EQ(flow.edges[2].mode.Value(), v == 4 ? 2 : 0);
    EXPECT_EQ(flow.edges[2].pauseMaxMs, v == 4 ? 400u : 0u);
    EXPECT_EQ(flow.edges[2].edge, Edge::Left);
  }
  {  // Rain holds the flow part and keeps its own defaults where it says nothing.
    ZT_IOF_W w;
    w.WriteHeader(u"ZT_FlowConstructor", 3);
    w.WriteUInt32(280);
    w.WriteUInt32(0);
    w.WriteUInt32(0);
    w.WriteFloat(900);
    w.WriteLong(1);
    WriteSpriteBase(w, 7);
    ZT_RainConstructor rain;
    Read(rain, 1, w);
    EXPECT_EQ(rain.direction.Value(), 280u);
    EXPECT_EQ(rain.speed, 900.0f);
    EXPECT_EQ(rain.edges[0].mode.Value(), 0);
  }
  for (int32_t v = 1; v <= 2; ++v) {
    SCOPED_TRACE("placed picture version " + std::to_string(v));
    const auto placed = [&](ZT_IOF_W& w) {
      for (int32_t i : {0, 40, 0, 30, 20, 15}) w.WriteInt32(i);
      w.WriteUInt32(30);
      if (v == 1) {
        w.WriteLong(0);
        w.WriteLong(1);  // flip horizontal
      }
      WriteSpriteBase(w, v == 1 ? 4 : 7);
    };
    ZT_IOF_W a;
    placed(a);
    ZT_StatObjConstructor stat;
    Read(stat, v, a);
    EXPECT_EQ(stat.rotation.Value(), 30u);
    EXPECT_EQ(stat.placement.ExtraB.Value(), 15);
    EXPECT_EQ(stat.flipH.Value(), v == 1 ? 1 : 0);
    EXPECT_EQ(stat.flipV.Value(), v == 1 ? 0 : 1);
    ZT_IOF_W b;
    b.WriteFloat(4.5f);
    b.WriteHeader(u"ZT_StatObjConstructor", v);
    placed(b);
    ZT_FlowerConstructor flower;
    Read(flower, 1, b);
    EXPECT_EQ(flower.amplitude, 4.5f);
    EXPECT_EQ(flower.rotation.Value(), 30u);
    ZT_IOF_W c;
    c.WriteHeader(u"ZT_StatObjConstructor", v);
    placed(c);
    ZT_DischargeConstructor discharge;
    Read(discharge, 1, c);
    EXPECT_EQ(discharge.placement.Right.Value(), 40);
  }
  for (int32_t v = 1; v <= 2; ++v) {
    ZT_IOF_W w;
    if (v == 2) {
      w.WriteUInt32(20);
      w.WriteUInt32(70);
    }
    WriteSpriteBase(w, 7);
    ZT_LightingConstructor lightning;
    lightning.timing.Flags = 0x21;
    Read(lightning, v, w);
    EXPECT_EQ(lightning.minDelay.Value(), v == 2 ? 20u : 100u);
    EXPECT_EQ(lightning.maxDelay.Value(), v == 2 ? 70u : 500u);
    EXPECT_EQ(lightning.timing.Flags, 0x20) << "bit 0 cleared after loading";
    EXPECT_EQ(lightning.timing.Kind(), 1);
    ASSERT_NE(dynamic_cast<QVX_RandomTimeLine*>(lightning.timing.Line()), nullptr);
  }
  {  // The kinds with one version: their own fields, then the sprite part.
    ZT_IOF_W w;
    w.WriteHeader(u"ZT_FishConstructor", 1);
    w.WriteFloat(70);
    w.WriteFloat(30);
    WriteSpriteBase(w, 6);
    ZT_BirdConstructor bird;
    Read(bird, 1, w);
    EXPECT_EQ(bird.speedX, 70.0f);
    EXPECT_EQ(bird.staticGeometry.Value(), 1);
    ZT_IOF_W f;
    f.WriteFloat(12);
    f.WriteFloat(8);
    WriteSpriteBase(f, 7);
    ZT_FogConstructor fog;
    Read(fog, 1, f);
    EXPECT_EQ(fog.speedY, 8.0f);
    ZT_IOF_W g;
    g.WriteUInt32(60);
    WriteSpriteBase(g, 7);
    ZT_GodRayConstructor rays;
    Read(rays, 1, g);
    EXPECT_EQ(rays.angle.Value(), 60u);
    ZT_IOF_W h;
    h.WriteFloat(7);
    WriteSpriteBase(h, 7);
    ZT_GrassConstructor grass;
    Read(grass, 1, h);
    EXPECT_EQ(grass.amplitude, 7.0f);
    ZT_IOF_W s;
    WriteSpriteBase(s, 3);
    ZT_SparkleConstructor sparkles;
    Read(sparkles, 1, s);
    EXPECT_EQ(sparkles.motionSpeed.Value(), 60u);
    EXPECT_EQ(sparkles.count.Value(), 3u);
  }
}

}  // namespace
}  // namespace glimmer::testing
