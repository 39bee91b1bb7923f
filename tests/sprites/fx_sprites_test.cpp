// Sprite groups drawn through an effect: a glow whose effect file gives
// nothing falls back to the built-in blend effect and still draws with its
// pictures missing; an effect kind without an effect is skipped before it is
// asked for parameters; the glow colour's alpha is strength × visibility.

#include "sprites/fx_sprites.h"

#include <gtest/gtest.h>

#include "document/resource_manager.h"
#include "scene/slide.h"
#include "tests/support/sprite_kind_test.h"

namespace glimmer::testing {
namespace {

using FxSprites = SpriteKindTest;

class Glow : public ZT_GlowEffectCtrl {
 public:
  void SpawnSprite(SpriteRecord& r) override {
    r.position = {32, 24, 0};
    ApplySizeRule(r);
  }
  std::shared_ptr<ZT_ABObj> CreateRuntime() const override { return nullptr; }
};

class Shader : public ZT_BaseFXCtrl {
 public:
  bool SetEffectParameters(ZT_ABRender&, const ZT_SpriteArrayT<DX_V::PCT>&) override {
    ++asked;
    return true;
  }
  int asked = 0;
  std::shared_ptr<ZT_ABObj> CreateRuntime() const override { return nullptr; }
};

template <class Kind>
Kind Missing() {
  Kind kind;
  kind.count.SetValue(2);
  kind.size.SetValue(16);
  kind.effect = ZT_HLSLEffectFile(u"missing.fxo", 5);
  kind.image = ZT_ImageFileLink(u"missing.png", 6);
  return kind;
}

TEST_F(FxSprites, MissingEffectsFallBackForGlowsAndSkipEffectKinds) {
  QVX_DocResManager resources;
  resources.Attach(*device_);
  Install(resources.ScreenFor(device_, &context_));
  ZT_2D_Light slide;
  slide.RestoreDeviceObjects();

  auto glow = std::make_shared<GlowGroup<Glow>>(Missing<Glow>());
  glow->Restart();
  Run(*glow, 0, 0.1f);
  ASSERT_NE(glow->settings().loadedEffect, nullptr) << "the built-in blend effect";
  EXPECT_EQ(glow->settings().spriteTexture, nullptr);
  EXPECT_EQ(glow->settings().glowTexture, nullptr);
  const uint64_t before = device_->DrawCallCount();
  glow->Draw(slide);
  EXPECT_GT(device_->DrawCallCount(), before) << "the sprites, without their picture";

  auto shader = std::make_shared<FxGroup<Shader>>(Missing<Shader>());
  shader->Restart();
  Run(*shader, 0, 0.1f);
  EXPECT_EQ(shader->settings().loadedEffect, nullptr) << "no built-in effect to fall back to";
  const uint64_t drawn = device_->DrawCallCount();
  shader->Draw(slide);
  EXPECT_EQ(shader->settings().asked, 0);
  EXPECT_EQ(device_->DrawCallCount(), drawn);
}

TEST_F(FxSprites, GlowAlphaIsStrengthTimesVisibility) {
  Glow kind;
  kind.glowColour.StoreValue(0xFF8040);  // blue FF, green 80, red 40
  kind.glowStrength.SetValue(250);
  auto glow = std::make_shared<GlowGroup<Glow>>(kind);
  glow->Restart();
  SetVisibility(*glow, TimeLineState::FadingIn, 0.5f);
  const D3DXVECTOR4 c = glow->settings().GlowColour();
  EXPECT_FLOAT_EQ(c.x, 0x40 / 255.0f);
  EXPECT_FLOAT_EQ(c.y, 0x80 / 255.0f);
  EXPECT_FLOAT_EQ(c.z, 1.0f);
  EXPECT_FLOAT_EQ(c.w, 1.25f);
}

}  // namespace
}  // namespace glimmer::testing
