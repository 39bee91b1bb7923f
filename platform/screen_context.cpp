#include "platform/screen_context.h"

#include <vector>

#include "platform/gpu/gpu_device.h"

namespace glimmer {
namespace {

// The installed contexts, innermost last. Its capacity stays once grown, so
// installing a context each frame allocates nothing.
std::vector<ScreenContext>& Stack() {
  static std::vector<ScreenContext> stack;
  return stack;
}

void MakeDeviceCurrent(const ScreenContext& context) {
  if (context.device) context.device->MakeCurrent();
}

}  // namespace

const ScreenContext& CurrentScreen() {
  static const ScreenContext none;
  return Stack().empty() ? none : Stack().back();
}

ScreenScope::ScreenScope(const ScreenContext& context) {
  Stack().push_back(context);
  MakeDeviceCurrent(context);
}

ScreenScope::~ScreenScope() {
  Stack().pop_back();
  MakeDeviceCurrent(CurrentScreen());
}

void ForgetInScreens(const void* object) {
  for (ScreenContext& c : Stack()) {
    if (c.device == object) c.device = nullptr;
    if (c.renderContext == object) c.renderContext = nullptr;
    if (c.resources == object) c.resources = nullptr;
    if (c.losables == object) c.losables = nullptr;
    if (c.liveObjects == object) c.liveObjects = nullptr;
  }
}

}  // namespace glimmer
