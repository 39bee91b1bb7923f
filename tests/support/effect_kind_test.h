#pragma once
// What the screen-effect kinds' tests share: reading a kind's stored form
// at an older version, and a slide of fine coloured stripes with a mask
// over its left half.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <utility>

#include "document/doc_res_manager.h"
#include "effects/screen_effect.h"
#include "platform/image/image_codec.h"
#include "scene/slide_show.h"
#include "store/archive.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/scene_test.h"

namespace glimmer::testing {

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

class EffectKindScene : public SceneTest {
 protected:
  // One slide of a 64 × 48 picture of fine coloured stripes (stretched
  // over the 64 × 48 target), and a mask whose left half is on.
  // `more` adds to the document (pictures the layer links) before it starts.
  ShowDocument Start(std::shared_ptr<ZT_FX_Constructor> layer,
                     const std::function<void(ShowDocument&)>& more = {}) {
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
    if (more) more(doc);
    return SceneTest::Start(doc, 0);
  }
  Image Frame(ShowDocument& doc, float t) {
    doc.show->AdvanceShow(t);
    doc.show->RenderShow();
    return Back();
  }
  // At time t, `layer` changes more than `least` pixels inside the mask and
  // none outside it (against itself with `strength` at 0).
  void ExpectChangeInsideTheMaskOnly(std::shared_ptr<ZT_FX_Constructor> layer,
                                     UINTSclaleTo<float>& strength, size_t least, float t = 1.3f) {
    const auto [inside, outside] = MaskedChange(std::move(layer), strength, t);
    EXPECT_GT(inside, least) << "the effect shows inside the mask";
    EXPECT_EQ(outside, 0u) << "and nowhere outside it";
  }
  // The pixels inside the mask (x < 30) and outside it (x > 34) that differ
  // at time t between `layer` as set and the same layer with `strength` at
  // 0, which draws the same way (the same scene copy) but changes nothing.
  std::pair<size_t, size_t> MaskedChange(std::shared_ptr<ZT_FX_Constructor> layer,
                                         UINTSclaleTo<float>& strength, float t) {
    ShowDocument strong = Start(layer);
    const Image with = Frame(strong, t);
    strength.SetValue(0);
    ShowDocument calm = Start(layer);
    const Image without = Frame(calm, t);
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
    return {inside, outside};
  }
};

}  // namespace glimmer::testing
