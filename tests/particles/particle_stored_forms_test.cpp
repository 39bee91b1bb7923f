// The particle systems' stored base: every constructor version (1 to 5)
// and every appearance version (1 to 11) read from documents made with the
// test writer, the current form through writer, reader and JSON, and the
// life envelopes the appearance keeps.

#include <gtest/gtest.h>

#include <cmath>

#include "particles/particle_system.h"
#include "store/json_archive.h"
#include "tests/support/archive_helpers.h"

namespace glimmer::testing {
namespace {

class TestSystem : public QVX_ParticleSystemCtrl {
 public:
  std::shared_ptr<ZT_ABObj> CreateRuntime() const override { return nullptr; }
};

void WriteLink(ZT_IOF_W& w, std::u16string_view path, uint64_t stamp) {
  w.WriteString(path);
  w.WriteUInt64(stamp);
}

void WriteBase(ZT_IOF_W& w) {
  w.WriteHeader(u"ZT_ABObj_Constructor", 1);
  w.WriteString(u"sparks");
}

// The appearance fields of version v with recognisable values.
void WriteAppearance(ZT_IOF_W& w, int32_t v) {
  if (v >= 7) {
    w.WriteString(u"Particle shape 1");
    w.WriteInt32(1);
    WriteLink(w, u"spark.png", 7);
    w.WriteUInt32(3);
    w.WriteUInt32(4);  // grid 4 × 5
    w.WriteUInt32(5);
    w.WriteString(u"spark.png");
    w.WriteUInt64(7);
    w.WriteBool(false);
  } else {
    w.WriteInt32(1);
    WriteLink(w, u"old.png", 3);
    w.WriteString(u"Old shape");
    w.WriteUInt32(2);
    w.WriteUInt32(2);
  }
  WriteLink(w, u"common_res.dll", 185);
  w.WriteUInt32(150);  // textureSpeed u
  w.WriteLong(1);      // textureReverse
  w.WriteLong(0);
  w.WriteLong(1);     // flipU
  w.WriteUInt32(32);  // baseSize
  if (v >= 11) {
    w.WriteUInt32(1);
    w.WriteInt32(3);
    for (uint32_t c : {0x0000FFu, 0x00FF00u, 0xFF0000u}) w.WriteUInt32(c);
    w.WriteUInt32(2);  // mode: pick
    w.WriteUInt32(1);  // random phase
    w.WriteUInt32(50);
  } else {
    w.WriteInt32(0x123456);
    w.WriteUInt32(50);
  }
  if (v > 1) {
    for (uint32_t u : {10u, 80u, 20u, 70u, 30u, 40u}) w.WriteUInt32(u);
    w.WriteLong(2);
    w.WriteUInt32(4);  // spinSpeed u
    w.WriteUInt32(25);
    w.WriteLong(1);  // BlendSum
  }
  if (v > 2) {
    for (uint32_t u : {5u, 6u, 7u, 8u}) w.WriteUInt32(u);
  }
  if (v > 3) {
    w.WriteLong(1);
    w.WriteUInt32(45);
    w.WriteUInt32(15);
  }
  if (v > 4) {
    w.WriteLong(2);
    w.WriteUInt32(60);
    w.WriteInt32(0x00FF00);
    w.WriteUInt32(75);
    w.WriteLong(3);
  }
  if (v > 5) WriteLink(w, u"glow.fx", 9);
  if (v > 7) {
    for (int i = 0; i < 2; ++i) {
      w.WriteUInt32(200);
      w.WriteUInt32(30);
      w.WriteLong(1);
    }
  }
  if (v > 8) {
    w.WriteInt32(kPhysics | kLateralWaves);
    w.WriteLong(1);
    w.WriteUInt32(20);
    w.WriteUInt32(10);
  }
  if (v > 9) {
    for (int i = 0; i < 2; ++i) {
      w.WriteUInt32(12);
      w.WriteUInt32(40);
      w.WriteLong(2);
    }
  }
}

TestSystem Read(const std::vector<uint8_t>& bytes, int32_t version) {
  TestSystem system;
  ReadWith(bytes, [&](Archive& ar) { system.QVX_ParticleSystemCtrl::Serialize(ar, version); });
  return system;
}

TEST(ParticleAppearance, EveryVersionReadsItsFieldsAndDefaultsTheRest) {
  for (int32_t v = 1; v <= 11; ++v) {
    ZT_IOF_W w;
    w.WriteLong(v);
    w.WriteString(u"Shape");
    WriteAppearance(w, v);
    w.WriteUInt32(200);  // simulation speed u
    WriteBase(w);
    const TestSystem s = Read(w.Take(), 5);
    const ParticleAppearance& a = s.appearance;
    SCOPED_TRACE("appearance version " + std::to_string(v));
    EXPECT_EQ(a.name.Value(), u"Shape");
    EXPECT_EQ(s.name, u"sparks");
    EXPECT_FLOAT_EQ(s.speed.Scaled(), 2.0f);
    EXPECT_FLOAT_EQ(a.textureSpeed.Scaled(), 1.5f);
    EXPECT_EQ(a.flipU.Value(), 1);
    EXPECT_EQ(a.baseSize.Value(), 32u);
    EXPECT_EQ(a.colours.transparency.Scaled(), 127);
    if (v >= 7) {
      EXPECT_EQ(a.texture.Value().Columns, 4u);
      EXPECT_EQ(a.texture.Value().Images.at(0).Path, u"spark.png");
    } else {
      EXPECT_EQ(a.texture.Value().Name, u"Old shape");
      EXPECT_EQ(a.texture.Value().Rows, 2u);
      EXPECT_EQ(a.texture.Value().Images.at(0).Path, u"old.png");
    }
    if (v >= 11) {
      EXPECT_EQ(a.colours.colours.Value(), (std::vector<uint32_t>{0x0000FF, 0x00FF00, 0xFF0000}));
      EXPECT_EQ(a.colours.mode.Value(), 2);
    } else {
      EXPECT_EQ(a.colours.colours.Value(), (std::vector<uint32_t>{0x123456, 0}))
          << "the first colour replaced, the second kept";
    }
    EXPECT_FLOAT_EQ(a.sizeEnvelope.fallStart.Scaled(), v > 1 ? 0.8f : 1.0f);
    EXPECT_EQ(a.blend.Value(), v > 1 ? 1 : 0);
    // The opacity start level is stored twice; the end level never.
    EXPECT_FLOAT_EQ(a.opacityEnvelope.startLevel.Scaled(), v > 2 ? 0.08f : 0.0f);
    EXPECT_FLOAT_EQ(a.opacityEnvelope.endLevel.Scaled(), 0.0f);
    // Before version 4 a spinning appearance turns: rotation mode 2.
    EXPECT_EQ(a.rotationMode.Value(), v > 3 ? 1 : (v > 1 ? 2 : 0));
    EXPECT_EQ(a.angle.Value(), v > 3 ? 45u : 0u);
    EXPECT_EQ(a.glowMode.Value(), v > 4 ? 2 : 0);
    EXPECT_EQ(a.blurStrength.Value(), v > 4 ? 60u : 50u);
    EXPECT_EQ(a.effect.Stamp(), 185u) << "the glow's own effect link is dropped";
    EXPECT_EQ(a.sizeWave.mode.Value(), v > 7 ? 1 : 0);
    EXPECT_FLOAT_EQ(a.gravity.Scaled(), v > 8 ? 100.0f : 0.0f);
    EXPECT_FLOAT_EQ(a.acrossWave.amplitude.Scaled(), v > 9 ? 12.0f : 50.0f);
  }
}

TEST(ParticleAppearance, AnUnknownAppearanceVersionFailsNamingTheClass) {
  ZT_IOF_W w;
  w.WriteHeader(u"QVX_ParticleSystemCtrl", 5);
  w.WriteLong(12);
  TestSystem s;
  try {
    ReadWith(w.Take(),
             [&](Archive& ar) { Field(ar, "system", static_cast<QVX_ParticleSystemCtrl&>(s)); });
    FAIL();
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("QVX_ParticleSystemCtrl"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("appearance version 12"), std::string::npos) << e.what();
  }
}

// Versions 1 to 4: image links, the shape index (an int32, then 40-byte
// records), the effect, speed, size, colour and transparency, flips from 2.
TEST(ParticleSystemCtrl, OlderVersionsNameTheirBuiltinShape) {
  for (int32_t v = 1; v <= 4; ++v) {
    ZT_IOF_W w;
    w.WriteInt32(1);
    WriteLink(w, u"drop.png", 2);
    if (v < 3) {
      w.WriteInt32(3);
    } else {
      w.WriteInt32(1);
      for (int32_t f = 0; f < 10; ++f) w.WriteInt32(f == 3 ? 4 : 99);
    }
    WriteLink(w, u"common_res.dll", 185);
    w.WriteUInt32(100);
    w.WriteUInt32(16);
    w.WriteInt32(0x00ABCDEF);
    w.WriteUInt32(0);
    if (v > 1) {
      w.WriteLong(1);
      w.WriteLong(1);
      w.WriteLong(0);
    }
    if (v > 3) w.WriteUInt32(50);
    WriteBase(w);
    const TestSystem s = Read(w.Take(), v);
    SCOPED_TRACE("version " + std::to_string(v));
    EXPECT_EQ(s.appearance.texture.Value().Name, v < 3 ? u"Sphere" : u"Bubble");
    EXPECT_EQ(s.appearance.texture.Value().Images.at(0).Path, u"drop.png");
    EXPECT_EQ(s.appearance.colours.colours.Value().front(), 0x00ABCDEFu);
    EXPECT_EQ(s.appearance.flipV.Value(), v > 1 ? 1 : 0);
    EXPECT_FLOAT_EQ(s.speed.Scaled(), v > 3 ? 0.5f : 1.0f);
  }
}

TEST(ParticleSystemCtrl, TheCurrentFormRoundTripsThroughDocumentsAndJson) {
  TestSystem s;
  s.appearance.baseSize.SetValue(24);
  s.appearance.colours.colours.SetValue({1, 2, 3});
  s.appearance.opacityEnvelope.startLevel.SetValue(30);
  s.appearance.alongWave.mode.SetValue(2);
  s.speed.SetValue(75);
  const auto write = [](TestSystem& x) {
    return WriteWith(
        [&](Archive& ar) { Field(ar, "system", static_cast<QVX_ParticleSystemCtrl&>(x)); });
  };
  const std::vector<uint8_t> bytes = write(s);
  TestSystem back;
  ReadWith(bytes,
           [&](Archive& ar) { Field(ar, "system", static_cast<QVX_ParticleSystemCtrl&>(back)); });
  EXPECT_EQ(write(back), bytes);
  FileBlobStore blobs;
  JsonOutArchive out(blobs);
  Field(out, "system", static_cast<QVX_ParticleSystemCtrl&>(s));
  TestSystem fromJson;
  JsonInArchive in(out.Result(), blobs);
  Field(in, "system", static_cast<QVX_ParticleSystemCtrl&>(fromJson));
  EXPECT_EQ(write(fromJson), bytes);
  EXPECT_FLOAT_EQ(fromJson.appearance.opacityEnvelope.startLevel.Scaled(), 0.3f);
}

TEST(LifeEnvelope, RiseFlatAndFallStayFinite) {
  LifeEnvelope e;
  for (float x : {0.0f, 0.5f, 1.0f}) EXPECT_EQ(e.Level(x), 1.0f) << "rise 0, fall 1: flat at " << x;
  EXPECT_EQ(e.Level(3.0f), 0.0f) << "past its life a particle is at the end level, not at infinity";
  e.riseEnd.SetValue(20);
  e.startLevel.SetValue(50);
  e.fallStart.SetValue(60);
  e.endLevel.SetValue(0);
  EXPECT_FLOAT_EQ(e.Level(0.1f), 0.75f);
  EXPECT_FLOAT_EQ(e.Level(0.4f), 1.0f);
  EXPECT_FLOAT_EQ(e.Level(0.8f), 0.5f);
  // A head particle past its life with the fall starting at 100 %.
  e.fallStart.SetValue(100);
  EXPECT_TRUE(std::isfinite(e.Level(2.0f)));
  e.fallStart.SetValue(150);
  EXPECT_TRUE(std::isfinite(e.Level(2.0f)));
}

}  // namespace
}  // namespace glimmer::testing
