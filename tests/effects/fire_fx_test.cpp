// The fire: its three stored versions.

#include "effects/fire_fx.h"

#include <gtest/gtest.h>

#include "tests/support/archive_helpers.h"

namespace glimmer::testing {
namespace {

constexpr float kTwoPi = 6.28318530717958647692f;

TEST(ScreenEffectStoredForms, TheFireReadsItsThreeVersions) {
  for (int32_t v = 1; v <= 3; ++v) {
    ZT_IOF_W w;
    if (v >= 2) {
      if (v == 2) w.WriteInt32(77);  // the legacy record
      w.WriteInt32(0x0000FF);
      w.WriteInt32(0x00FFFF);
      w.WriteLong(0);
      for (int k = 0; k < 2; ++k) {
        w.WriteString(u"flame.png");
        w.WriteUInt64(uint64_t(k));
      }
      if (v == 2) w.WriteInt32(5);
      for (uint32_t u : {20u, 30u, 40u}) w.WriteUInt32(u);
    }
    w.WriteHeader(u"ZT_FX_Constructor", 4);
    w.WriteUInt32(60);
    w.WriteInt32(2);
    w.WriteString(u"{00000000-0000-0000-0000-000000000000}");
    w.WriteString(u"");
    w.WriteBool(true);
    w.WriteString(u"common_res.dll");
    w.WriteUInt64(1015);
    w.WriteUInt32(50);
    for (int k = 0; k < 12; ++k) w.WriteFloat(float(k));
    w.WriteInt32(0);
    w.WriteUInt32(25);
    w.WriteHeader(u"ZT_ABObj_Constructor", 1);
    w.WriteString(u"fire");
    ZT_FireFX fire;
    ReadWith(w.Take(), [&](Archive& ar) { fire.Serialize(ar, v); });
    SCOPED_TRACE("version " + std::to_string(v));
    EXPECT_EQ(fire.density.Value(), v >= 2 ? 20u : 50u);
    EXPECT_EQ(fire.firstColour.Value(), v >= 2 ? 0x00FFFFu : 0x40E0FFu);
    EXPECT_EQ(fire.techniqueMode.Value(), 2);
    EXPECT_NEAR(fire.phase.Scaled(), kTwoPi / 4, 1e-5) << "25 of 100 is a quarter turn";
  }
}

}  // namespace
}  // namespace glimmer::testing
