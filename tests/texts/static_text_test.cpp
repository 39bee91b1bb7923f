// Sprite text: its stored versions (version 1's timing becoming a random
// line only when it has a visible time), the quad from the placed part, and
// the text picture made when the document carries none.

#include "texts/static_text.h"

#include <gtest/gtest.h>

#include "document/doc_res_manager.h"
#include "params/smart_timing.h"
#include "store/stream_writer.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/sprite_kind_test.h"

namespace glimmer::testing {
namespace {

using SpriteText = SpriteKindTest;

const Guid kKey = Guid::Fresh();

void WriteStaticTextPart(ZT_IOF_W& w, int32_t version, uint32_t l3 = 30) {
  w.WriteLong(4);
  w.WriteLong(5);
  w.WriteString(u"Hello");
  w.WriteLong(-24);
  w.WriteUInt32(400);
  w.WriteLong(1);
  w.WriteString(u"DejaVu Serif");
  if (version == 1) {
    for (uint32_t l : {20u, 40u, l3, 50u}) w.WriteUInt32(l);
  }
  if (version >= 3) {
    w.WriteGuid(kKey);
    w.WriteString(u"hello.png");
    w.WriteBool(false);
  }
  w.WriteHeader(u"ZT_StatBaseFXCtrl", 2);
  for (float f : {160.0f, 90.0f, 0.0f}) w.WriteFloat(f);
  w.WriteUInt32(41);  // height
  w.WriteUInt32(81);  // width
  w.WriteHeader(u"ZT_BaseFXCtrl", 1);
  w.WriteHeader(u"ZT_FXParticleSystemCtrl", 1);
  w.WriteString(u"");
  w.WriteUInt64(0);
  WriteSpriteBase(w, 7);
}

TEST(SpriteTextStored, ReadsEveryVersion) {
  for (int32_t v = 1; v <= 3; ++v) {
    SCOPED_TRACE("version " + std::to_string(v));
    ZT_IOF_W w;
    WriteStaticTextPart(w, v);
    ZT_StaticTextConstructor text;
    const Guid fresh = text.textureKey;
    ReadWith(w.Take(), [&](Archive& ar) { text.Serialize(ar, v); });
    EXPECT_EQ(text.setting2.Value(), 5);
    EXPECT_EQ(text.text.Value(), u"Hello");
    EXPECT_EQ(text.font.Value().height, -24);
    EXPECT_EQ(text.font.Value().weight, 400u);
    EXPECT_EQ(text.font.Value().faceName, u"DejaVu Serif");
    EXPECT_EQ(text.textureKey == kKey, v >= 3);
    EXPECT_EQ(text.textureKey == fresh, v < 3);
    EXPECT_EQ(text.textureFlag, v < 3) << "true unless stored";
    EXPECT_EQ(text.quadWidth.Value(), 81u);
    auto* line = dynamic_cast<QVX_RandomTimeLine*>(text.timing.Line());
    ASSERT_EQ(line != nullptr, v == 1);
    if (line) {
      EXPECT_EQ(line->HiddenRange.Min.Value(), 5u);
      EXPECT_EQ(line->VisibleRange.Max.Value(), 3u);
      EXPECT_EQ(line->FadeIn.Value(), 2u);
      EXPECT_EQ(line->FadeOut.Value(), 4u);
    }
  }
  // Without a visible time the first texts kept the layer's own line.
  ZT_IOF_W w;
  WriteStaticTextPart(w, 1, 0);
  ZT_StaticTextConstructor text;
  ReadWith(w.Take(), [&](Archive& ar) { text.Serialize(ar, 1); });
  EXPECT_EQ(dynamic_cast<QVX_RandomTimeLine*>(text.timing.Line()), nullptr);
}

TEST(SpriteTextStored, ComposeCarriesThePictureOnce) {
  ZT_StaticTextConstructor text;
  text.text.SetValue(u"Compose me");
  ZT_DocResManager resources;
  EXPECT_TRUE(text.ComposeTextPicture(resources));
  ASSERT_EQ(resources.GuidEntries.size(), 1u);
  EXPECT_EQ(resources.GuidEntries[0].Id, text.textureKey);
  EXPECT_GT(resources.GuidEntries[0].Blob.Data.size(), 100u);
  // The quad takes the picture's size.
  EXPECT_GT(text.quadWidth.Value(), text.quadHeight.Value());
  EXPECT_GT(text.quadHeight.Value(), 10u);
  EXPECT_FALSE(text.ComposeTextPicture(resources)) << "already carried";
  ZT_StaticTextConstructor empty;
  EXPECT_FALSE(empty.ComposeTextPicture(resources));
}

TEST_F(SpriteText, QuadAtItsPositionAndSize) {
  ZT_StaticTextConstructor text;
  text.text.SetValue(u"Hi");
  text.position.SetValue({100, 50, 0});
  text.quadWidth.SetValue(61);
  text.quadHeight.SetValue(20);
  auto group = Start(text);
  Run(*group, 0, 0.1f);
  const SpriteRecord& r = group->Records()[0];
  EXPECT_EQ(r.position.x, 100.0f);
  EXPECT_EQ(r.halfWidth, 30.5f);
  EXPECT_EQ(r.halfHeight, 10.0f);
}

TEST_F(SpriteText, DrawsItsStringAtLoadWhenNoPictureIsCarried) {
  ZT_DocResManager resources;
  resources.Attach(*device_);
  Install(resources.ScreenFor(device_, &context_));
  ZT_StaticTextConstructor text;
  text.text.SetValue(u"Loaded");
  auto group = Start(text);
  Run(*group, 0, 0.1f);
  auto& loaded = static_cast<FxGroup<ZT_StaticTextConstructor>&>(*group).settings();
  EXPECT_NE(loaded.textTexture, nullptr);
  EXPECT_GT(loaded.textWidth, loaded.textHeight);
  EXPECT_EQ(loaded.quadWidth.Value(), loaded.textWidth) << "the quad takes the picture's size";
  EXPECT_GT(group->Records()[0].halfWidth, 0);
}

}  // namespace
}  // namespace glimmer::testing
