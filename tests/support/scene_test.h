#pragma once
// Rendering tests of whole shows: the shared headless device with a render
// context installed as the current screen, and shows started on it.

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

}  // namespace glimmer::testing
