#pragma once
// A layer for rendering tests: its drawing and its scene-copy needs are the
// test's to decide.

#include <functional>
#include <memory>

#include "scene/scene_object.h"

namespace glimmer::testing {

class ProbeLayer : public ZT_ABObj_Constructor {
  GLIMMER_STORED_CLASS(ProbeLayer, 1)

 public:
  void Serialize(Archive& ar, int32_t) override { SerializeBase<ZT_ABObj_Constructor>(ar, *this); }
  std::shared_ptr<ZT_ABObj> CreateRuntime() const override;
};

class ProbeObject : public ZT_ABObj {
 public:
  using ZT_ABObj::ZT_ABObj;
  bool NeedsSceneCopy() const override { return needs; }
  bool KeepsSceneCopy(bool) const override { return keeps; }
  void Advance(float) override {}
  // Objects that keep the copy take theirs from the slide; the others ask
  // for one, kept (drawing the whole image, as the base does) or not (as
  // particle systems do).
  void Render(ZT_ABRender& renderer, int pass) override {
    if (needs && !keeps) renderer.CopyScene(pass, keepOwnCopy);
    Draw(renderer);
  }
  void Draw(ZT_ABRender& renderer) override {
    if (draw) draw(renderer);
  }
  bool needs = false, keeps = false, keepOwnCopy = false;
  std::function<void(ZT_ABRender&)> draw;
};

inline std::shared_ptr<ZT_ABObj> ProbeLayer::CreateRuntime() const {
  return std::make_shared<ProbeObject>(std::make_unique<ProbeLayer>(*this));
}

}  // namespace glimmer::testing
