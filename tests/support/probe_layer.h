#pragma once
// The probe kind: a layer kind written on the layer-kind template, for
// rendering tests and as the worked example of adding a kind. Its drawing
// and scene-copy needs are the test's to decide; without a test's drawing it
// tints the picture with its stored colour through its built-in effect
// (module "probe_res.dll", id 1, technique "Tint"); the default tint draws
// nothing.

#include <functional>
#include <memory>

#include "document/file_links.h"
#include "params/media_param.h"
#include "scene/layer_kind.h"
#include "scene/renderer_interface.h"

namespace glimmer::testing {

class ProbeLayer : public ZT_ABObj_Constructor {
  GLIMMER_LAYER_KIND(ProbeLayer, 1)

 public:
  void Serialize(Archive& ar, int32_t version) override;

  MediaParamT<uint32_t> tint{0};  // ARGB; 0 draws nothing
  ZT_HLSLEffectFile effect{u"probe_res.dll", 1};
};

class ProbeObject : public LayerObject<ProbeLayer> {
 public:
  using LayerObject::LayerObject;
  bool NeedsSceneCopy() const override { return needs; }
  bool KeepsSceneCopy(bool) const override { return keeps; }
  void Advance(float t) override { lastTime = t; }
  // Objects that keep the copy take theirs from the slide; the others ask
  // for one, kept (drawing the whole image, as the base does) or not (as
  // particle systems do).
  void Render(ZT_ABRender& renderer, int pass) override {
    if (needs && !keeps) renderer.CopyScene(pass, keepOwnCopy);
    Draw(renderer);
  }
  void Draw(ZT_ABRender& renderer) override;

  bool needs = false, keeps = false, keepOwnCopy = false;
  float lastTime = -1;
  std::function<void(ZT_ABRender&)> draw;
};

}  // namespace glimmer::testing
