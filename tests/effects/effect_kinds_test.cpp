// The screen-effect kinds beyond the heat haze and the straight ripples:
// each reads the stored versions it has; a grid kind and a full-screen kind
// change the picture inside their mask only; no slider at zero sends a
// non-finite value to a shader.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <nlohmann/json.hpp>

#include "common/wide_string.h"
#include "document/doc_res_manager.h"
#include "effects/bend_fx.h"
#include "effects/expand_fx.h"
#include "effects/light_fx_ii.h"
#include "effects/move_fx.h"
#include "effects/ombrel_radial.h"
#include "effects/perspective_fx.h"
#include "effects/radial_wave_fx.h"
#include "platform/image/image_codec.h"
#include "scene/slide_show.h"
#include "store/class_registry.h"
#include "store/json_archive.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/scene_test.h"

namespace glimmer::testing {
namespace {

// Writes `own` (the kind's fields of that version), then `kind`'s base part
// as stored now, and reads it all back into `kind` at `version`.
template <class Base, class Kind>
void ReadVersion(Kind& kind, int32_t version, const std::function<void(ZT_IOF_W&)>& own) {
  ZT_IOF_W w;
  own(w);
  const Kind stored;
  w.WriteBytes(WriteWith([&](Archive& ar) { SerializeBase<Base>(ar, const_cast<Kind&>(stored)); }));
  ReadWith(w.Take(), [&](Archive& ar) { kind.Serialize(ar, version); });
}

TEST(EffectKindStoredForms, OlderVersionsReadTheirPrefixAndKeepTheRestAtDefaults) {
  {
    ZT_LightFX_II light;
    light.pulse.SetValue(2);
    ReadVersion<ZT_FX_Constructor>(light, 1, [](ZT_IOF_W& w) {
      w.WriteUInt32(70);
      w.WriteInt32(0x00FF0000);
      w.WriteInt32(3);
    });
    EXPECT_FLOAT_EQ(light.strength.Scaled(), 0.7f);
    EXPECT_EQ(light.blend.Value(), 3);
    EXPECT_EQ(light.pulse.Value(), 2) << "version 1 stores no pulse: left as it was";
    EXPECT_STREQ(LightFX_II::BlendTechnique(3), "Linear_Dodge");
    EXPECT_STREQ(LightFX_II::BlendTechnique(9), "Blend_Normal");
  }
  for (int32_t v = 1; v <= 2; ++v) {
    ZT_MoveFX move;
    ReadVersion<ZT_DirectionBased>(move, v, [&](ZT_IOF_W& w) {
      if (v >= 2) w.WriteInt32(1);
    });
    EXPECT_EQ(move.swing.Value(), v >= 2 ? 1 : 0) << "version " << v;
    EXPECT_EQ(move.smear.Value(), 0u);
    EXPECT_FLOAT_EQ(move.strength.Scale(), 0.004f) << "the kind's strength scale";
  }
  {
    ZT_ExpandFX expand;
    ReadVersion<ZT_CentralBased>(expand, 1, [](ZT_IOF_W& w) {
      w.WriteUInt32(100);
      w.WriteUInt32(0);
    });
    EXPECT_FLOAT_EQ(expand.amplitude.Scaled(), 0.6f);
    EXPECT_FLOAT_EQ(expand.radius.Scaled(), 0.05f);
    EXPECT_EQ(expand.motion.Value(), 3) << "version 1: a sine";
  }
  for (int32_t v = 1; v <= 2; ++v) {
    ZT_RadialWaveFX waves;
    ReadVersion<ZT_CentralBased>(waves, v, [&](ZT_IOF_W& w) {
      w.WriteUInt32(10);
      w.WriteUInt32(20);
      if (v >= 2) w.WriteUInt32(0);
    });
    EXPECT_FLOAT_EQ(waves.wavelength.Scaled(), 0.06f);
    EXPECT_FLOAT_EQ(waves.damping.Scaled(), v >= 2 ? 0.0f : 1.5f) << "version " << v;
    EXPECT_EQ(waves.inwards.Value(), 0);
  }
  {
    ZT_BendFX bend;
    ReadVersion<ZT_CentralBased>(bend, 1, [](ZT_IOF_W& w) {
      for (uint32_t u : {100u, 0u, 0u}) w.WriteUInt32(u);
    });
    EXPECT_NEAR(bend.angle.Scaled(), 3.14159f, 1e-4);
    EXPECT_EQ(bend.motion.Value(), 3);
  }
  for (int32_t v = 1; v <= 2; ++v) {
    ZT_PerspectiveFX perspective;
    ReadVersion<ZT_LineBased>(perspective, v, [&](ZT_IOF_W& w) {
      w.WriteUInt32(25);
      w.WriteUInt32(10);
      if (v >= 2) w.WriteInt32(4);
    });
    EXPECT_FLOAT_EQ(perspective.tilt.Scaled(), 0.5f);
    EXPECT_EQ(perspective.motion.Value(), v >= 2 ? 4 : 0) << "version " << v;
    EXPECT_FLOAT_EQ(perspective.swing.Scaled(), 1.0f);
  }
  {
    ZT_OmbrelRadial radial;
    ReadVersion<ZT_CentralBased>(radial, 1, [](ZT_IOF_W& w) { w.WriteUInt32(400); });
    EXPECT_FLOAT_EQ(radial.strength.Scaled(), 0.8f);
    EXPECT_EQ(radial.inwards.Value(), 0);
    EXPECT_FLOAT_EQ(radial.speed.Scale(), 0.1f);
  }
}

class EffectKinds : public SceneTest {
 protected:
  // One slide of a 64 × 48 picture of fine coloured stripes (stretched
  // over the 64 × 48 target), and a mask whose left half is on.
  ShowDocument Start(std::shared_ptr<ZT_FX_Constructor> layer) {
    ShowDocument doc;
    auto c = std::make_shared<ZT_SlideContainer>();
    c->slide = std::make_shared<ZT_2D_Light>();
    c->slide->picture.SetValue({u"stripes.png", 1});
    Image picture{64, 48, std::vector<uint8_t>(64 * 48 * 4, 255)};
    Image mask{64, 48, std::vector<uint8_t>(64 * 48 * 4, 255)};
    for (uint32_t y = 0; y < 48; ++y) {
      for (uint32_t x = 0; x < 64; ++x) {
        uint8_t* p = picture.Pixel(x, y);
        p[0] = uint8_t((x * 37 + y * 11) % 256);
        p[1] = uint8_t((x % 4) * 60);
        p[2] = uint8_t((y % 6) * 40);
        mask.Pixel(x, y)[3] = x < 32 ? 255 : 0;
      }
    }
    doc.resources->PictureBlobs.push_back(
        {c->slide->picture.Value(), {{0, u"", EncodePng(picture), u""}}});
    GuidBlobEntry g;
    g.Id = *Guid::Parse(std::string_view("{0123ABCD-4567-89EF-0123-456789ABCDEF}"));
    g.Name = u"left";
    g.Blob = {u"left.png", EncodePng(mask)};
    doc.resources->GuidEntries.push_back(g);
    layer->maskId = g.Id;
    c->visualLayers.push_back(layer);
    doc.show->slides.push_back(c);
    return SceneTest::Start(doc, 0);
  }
  Image Frame(ShowDocument& doc, float t) {
    doc.show->AdvanceShow(t);
    doc.show->RenderShow();
    return Back();
  }
};

TEST_F(EffectKinds, AGridKindAndAFullScreenKindChangeThePictureInsideTheirMaskOnly) {
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
    ShowDocument strong = Start(layer);
    const Image with = Frame(strong, 1.3f);
    strength->SetValue(0);
    ShowDocument calm = Start(layer);
    const Image without = Frame(calm, 1.3f);
    size_t inside = 0, outside = 0;
    for (uint32_t y = 0; y < 48; ++y) {
      for (uint32_t x = 0; x < 64; ++x) {
        const uint8_t *a = with.Pixel(x, y), *b = without.Pixel(x, y);
        bool differs = false;
        for (int k = 0; k < 3; ++k) differs |= std::abs(int(a[k]) - int(b[k])) > 2;
        if (x < 30) inside += differs;
        if (x > 34) outside += differs;
      }
    }
    EXPECT_GT(inside, 30 * 48 / 4u) << "the effect shows inside the mask";
    EXPECT_EQ(outside, 0u) << "and nowhere outside it";
  }
}

TEST_F(EffectKinds, SlidersAtZeroSendOnlyFiniteValues) {
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
