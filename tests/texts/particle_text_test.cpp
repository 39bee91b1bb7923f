// Particle text: the stored form (text, style and shadow before the static
// object), and compose carrying the text picture as the sprite's picture
// with a quad of the picture's size.

#include "texts/particle_text.h"

#include <gtest/gtest.h>

#include "document/doc_res_manager.h"
#include "tests/support/archive_helpers.h"

namespace glimmer::testing {
namespace {

TEST(ParticleText, StoredFormRoundTrips) {
  ZT_StaticText text;
  text.text.SetValue(u"Particle");
  text.style.height.SetValue(-20);
  text.shadowEnabled.SetValue(1);
  text.shadowColour.SetValue(0x102030);
  text.shadowDistance.SetValue(6);
  text.shadowDirection.SetValue(180);
  text.quad.SetCentered(100, 20, {50, 40, 0});
  const auto bytes = WriteWith([&](Archive& ar) { text.Serialize(ar, 1); });
  ZT_StaticText back;
  ReadWith(bytes, [&](Archive& ar) { back.Serialize(ar, 1); });
  EXPECT_EQ(back.text.Value(), u"Particle");
  EXPECT_EQ(back.style.height.Value(), -20);
  EXPECT_EQ(back.shadowColour.Value(), 0x102030u);
  EXPECT_EQ(back.shadowDistance.Value(), 6u);
  EXPECT_NEAR(back.shadowDirection.Direction().x, -1, 1e-5);
  EXPECT_EQ(back.quad.Corners[0].Value().x, 0.0f);
  // A truncated form fails rather than reading past its end.
  std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + 20);
  EXPECT_ANY_THROW(ReadWith(cut, [&](Archive& ar) { back.Serialize(ar, 1); }));
}

TEST(ParticleText, ComposeGivesTheSpriteItsPicture) {
  ZT_StaticText text;
  text.text.SetValue(u"Hello");
  text.quad.SetCentered(0, 0, {200, 100, 0});
  ZT_DocResManager resources;
  ASSERT_TRUE(text.ComposeTextPicture(resources));
  ASSERT_EQ(resources.PictureBlobs.size(), 1u);
  const ZT_NamedFileLinkData& link = text.appearance.texture.Value();
  ASSERT_EQ(link.Images.size(), 1u);
  EXPECT_EQ(link.Images[0], resources.PictureBlobs[0].Key);
  const float w = text.quad.Corners[3].Value().x - text.quad.Corners[0].Value().x;
  const float h = text.quad.Corners[3].Value().y - text.quad.Corners[0].Value().y;
  EXPECT_GT(w, h);
  EXPECT_GT(h, 10);
  EXPECT_EQ(text.quad.Corners[0].Value().x + w / 2, 200.0f) << "about its centre";
  EXPECT_FALSE(text.ComposeTextPicture(resources)) << "it has a picture now";
}

}  // namespace
}  // namespace glimmer::testing
