// What every screen-effect kind beyond the heat haze and the straight
// ripples must do: a grid kind and a full-screen kind change the picture
// inside their mask only; no slider at zero sends a non-finite value to a
// shader.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <nlohmann/json.hpp>

#include "common/wide_string.h"
#include "effects/ombrel_radial.h"
#include "effects/radial_wave_fx.h"
#include "store/class_registry.h"
#include "store/json_archive.h"
#include "tests/support/effect_kind_test.h"

namespace glimmer::testing {
namespace {

TEST_F(EffectKindScene, AGridKindAndAFullScreenKindChangeThePictureInsideTheirMaskOnly) {
  // Each compared with itself at no strength, which draws the same way
  // (the same scene copy in mode 1) but moves nothing.
  auto radial = std::make_shared<ZT_OmbrelRadial>();  // the grid, mode 0
  radial->strength.SetValue(600);
  auto waves = std::make_shared<ZT_RadialWaveFX>();  // the whole screen, mode 1
  waves->amplitude.SetValue(100);
  waves->techniqueMode.SetValue(1);
  const std::vector<std::pair<std::shared_ptr<ZT_FX_Constructor>, UINTSclaleTo<float>*>> layers = {
      {radial, &radial->strength}, {waves, &waves->amplitude}};
  for (const auto& [layer, strength] : layers) {
    SCOPED_TRACE(ToUtf8(std::u16string(layer->StoredName())));
    ExpectChangeInsideTheMaskOnly(layer, *strength, 30 * 48 / 4u);
  }
}

TEST_F(EffectKindScene, ALinkToAnEffectThePlayerCannotRunDrawsWithTheKindsOwn) {
  // A document's link names its own module id (no carried file, no built-in
  // of that id): the kind's built-in effect stands in, so the layer draws as
  // it does with its default link.
  for (const bool foreign : {false, true}) {
    SCOPED_TRACE(foreign ? "a foreign link" : "the default link");
    auto waves = std::make_shared<ZT_RadialWaveFX>();
    waves->amplitude.SetValue(100);
    waves->techniqueMode.SetValue(1);
    if (foreign) waves->effect = ZT_HLSLEffectFile(u"common_res.dll", 181);
    const auto [inside, outside] = MaskedChange(waves, waves->amplitude, 1.3f);
    EXPECT_GT(inside, 30 * 48 / 4u) << "the effect shows inside the mask";
    EXPECT_EQ(outside, 0u);
  }
}

TEST_F(EffectKindScene, SlidersAtZeroSendOnlyFiniteValues) {
  const std::vector<std::u16string> kinds = {
      u"ZT_LightFX_II",    u"ZT_WaterFX",       u"ZT_MoveFX",     u"ZT_WaterfallFX",
      u"ZT_ExpandFX",      u"ZT_RadialWaveFX",  u"ZT_RotationFX", u"ZT_BendFX",
      u"ZT_CloudFX",       u"ZT_PerspectiveFX", u"ZT_StretchFX",  u"ZT_OmbrelRadial",
      u"ZT_OmbrelVortical"};
  // Every integer of the stored form at 0 but the effect link, the speed and
  // the mode (1: every kind draws).
  const std::function<void(Json&)> zero = [&](Json& j) {
    for (auto it = j.begin(); it != j.end(); ++it) {
      if (it.key() == "effect" || it.key() == "speed") continue;
      if (it.value().is_object()) zero(it.value());
      if (it.value().is_number_integer()) it.value() = it.key() == "techniqueMode" ? 1 : 0;
    }
  };
  for (const std::u16string& name : kinds) {
    SCOPED_TRACE(ToUtf8(name));
    std::unique_ptr<ZT_FX_Constructor> kind =
        CreateByName<ZT_FX_Constructor>(GeneralRegistry(), name);
    ASSERT_NE(kind, nullptr);
    FileBlobStore blobs;
    JsonOutArchive out(blobs);
    Field(out, "object", *kind);
    Json json = out.Result();
    zero(json["object"]);
    std::shared_ptr<ZT_FX_Constructor> zeroed =
        CreateByName<ZT_FX_Constructor>(GeneralRegistry(), name);
    JsonInArchive in(json, blobs);
    Field(in, "object", *zeroed);
    in.Finish();
    ShowDocument doc = Start(zeroed);
    Frame(doc, 0.5f);
    Frame(doc, 1.5f);
    std::shared_ptr<Effect> effect = QVX_DocResManager::Current()->GetEffect(zeroed->effect);
    ASSERT_NE(effect, nullptr);
    EXPECT_NE(effect->GetVector("Scale").y, 0.0f) << "the kind has drawn";
    for (const auto& [param, type] : effect->Desc().params) {
      if (type == EffectParamType::Texture) continue;
      const D3DXVECTOR4 v = effect->GetVector(param);
      EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) &&
                  std::isfinite(v.w))
          << param;
    }
  }
}

}  // namespace
}  // namespace glimmer::testing
