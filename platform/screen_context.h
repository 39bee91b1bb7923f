#pragma once
// The per-screen context: the device, render context, resource manager,
// losable registry and live-object map that drawing and loading code works
// for. Whoever works for a screen (the host's frame loop for each device,
// `glimmer render`, a test) installs its context with a ScreenScope; every
// exit from the scope, exceptions included, restores the one before.
// Nothing here runs on another thread.

namespace glimmer {

class GpuDevice;
class RenderContext;
class QVX_DocResManager;
class LosableRegistry;
class LiveObjectMap;

struct ScreenContext {
  GpuDevice* device = nullptr;
  RenderContext* renderContext = nullptr;
  QVX_DocResManager* resources = nullptr;
  LosableRegistry* losables = nullptr;
  LiveObjectMap* liveObjects = nullptr;
  // Whether the sound layers of this screen's show may sound: one screen's
  // copy of a show plays them, the others (and previews) stay silent.
  bool playsSound = true;
};

// The innermost installed context; all null outside every scope.
const ScreenContext& CurrentScreen();

class [[nodiscard]] ScreenScope {
 public:
  // Installs `context` and makes its device's GL context current.
  explicit ScreenScope(const ScreenContext& context);
  // Restores the enclosing context (and its device's GL context).
  ~ScreenScope();
  ScreenScope(const ScreenScope&) = delete;
  ScreenScope& operator=(const ScreenScope&) = delete;
};

// An object going away is removed from every installed context, the
// enclosing ones included, so no scope restores a dangling pointer.
void ForgetInScreens(const void* object);

// The current context with another live-object map.
inline ScreenContext WithLiveObjects(LiveObjectMap* map) {
  ScreenContext c = CurrentScreen();
  c.liveObjects = map;
  return c;
}

inline GpuDevice* CurrentDevice() {
  return CurrentScreen().device;
}
inline RenderContext* CurrentRenderContext() {
  return CurrentScreen().renderContext;
}
inline LosableRegistry* CurrentLosableRegistry() {
  return CurrentScreen().losables;
}
inline LiveObjectMap* CurrentLiveObjects() {
  return CurrentScreen().liveObjects;
}

}  // namespace glimmer
