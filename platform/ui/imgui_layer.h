#pragma once
// A window for the settings dialogs: Dear ImGui drawn through OpenGL 3.3 core
// on an SDL2 window. The window holds one top-level panel that fills it; a
// dialog opened from it is an ImGui modal popup inside the same window, so
// dialogs nest without further windows.

#include <functional>
#include <memory>
#include <string>

struct SDL_Window;
struct ImGuiContext;

namespace glimmer {

class GlContext;

class UiWindow {
 public:
  // Opens a window of width × height (pixels) captioned `title`. Returns
  // nullptr with the reason in `error` when there is no display or no OpenGL
  // 3.3 core context on it.
  static std::unique_ptr<UiWindow> Open(const std::string& title, int width, int height,
                                        std::string* error = nullptr);
  ~UiWindow();
  UiWindow(const UiWindow&) = delete;
  UiWindow& operator=(const UiWindow&) = delete;

  // Draws one frame: handles the pending events, calls `draw` inside the
  // panel that fills the window, and presents. Frames are paced to about 60
  // a second when the swap does not wait for the display.
  void Frame(const std::function<void()>& draw);

  // Draws frames while `draw` returns true and the window was not asked to
  // close.
  void Run(const std::function<bool()>& draw);

  // The user closed the window (its close button or the window manager).
  bool closeRequested() const { return closeRequested_; }

 private:
  UiWindow() = default;

  SDL_Window* window_ = nullptr;
  std::unique_ptr<GlContext> gl_;
  ImGuiContext* imgui_ = nullptr;
  bool videoStarted_ = false;
  bool sdlBackend_ = false;
  bool glBackend_ = false;
  bool closeRequested_ = false;
  unsigned lastFrameTicks_ = 0;
};

}  // namespace glimmer
