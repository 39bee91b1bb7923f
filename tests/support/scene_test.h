#pragma once
// Rendering tests of whole shows: the shared headless device with a render
// context installed as the current screen, and shows started on it.

#include <memory>
#include <optional>

#include "platform/screen_context.h"
#include "scene/render_context.h"
#include "show/show_document.h"
#include "tests/platform/gpu/gpu_test_support.h"

namespace glimmer::testing {

class SceneTest : public GpuTest {
 protected:
  void SetUp() override {
    GpuTest::SetUp();
    Install({.device = device_, .renderContext = &context_});
  }
  void TearDown() override { screen_.reset(); }
  // Installs `screen` for the rest of the test, in place of the one before.
  void Install(const ScreenContext& screen) {
    screen_.reset();
    screen_.emplace(screen);
  }
  // Reads `doc` back (indexing its resources), makes its resources the
  // screen's and instantiates it.
  ShowDocument Start(ShowDocument& doc, int position) {
    ShowDocument loaded = LoadShow(SaveShow(doc));
    loaded.resources->Attach(*device_);
    Install(loaded.resources->ScreenFor(device_, &context_));
    loaded.show->Instantiate(position);
    return loaded;
  }

  RenderContext context_;
  std::optional<ScreenScope> screen_;
};

// A fixture for layer kinds played by runtime objects of type `Runtime`, on
// a 320 x 180 slide.
template <class Runtime>
class LayerKindTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    context_.TargetWidth = context_.PictureWidth = 320;
    context_.TargetHeight = context_.PictureHeight = 180;
  }
  // The runtime of `kind`, restarted as a slide start does.
  template <class Ctor>
  static std::shared_ptr<Runtime> Start(const Ctor& kind) {
    auto runtime = std::dynamic_pointer_cast<Runtime>(kind.CreateRuntime());
    runtime->Restart();
    return runtime;
  }
  // Frames at `fps` from `from` up to `to`, calling `each` after every frame.
  template <class Each>
  static void Run(Runtime& runtime, float from, float to, Each&& each, float fps = 50) {
    for (int k = 0;; ++k) {
      const float t = from + float(k) / fps;
      if (t > to + 1e-4f) break;
      runtime.Advance(t);
      each(t);
    }
  }
};

}  // namespace glimmer::testing
