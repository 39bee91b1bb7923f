#pragma once
// The windows the saver draws into: one borderless window covering a
// display, a normal test window, a window some other program owns (a
// preview area or XScreenSaver's window, by X11 id), or the root window.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/window/displays.h"

struct SDL_Window;

namespace glimmer {

class SaverWindow {
 public:
  ~SaverWindow();
  SaverWindow(const SaverWindow&) = delete;
  SaverWindow& operator=(const SaverWindow&) = delete;

  // Each throws GlimmerError 0x82000007 with SDL's reason when it fails.
  static std::unique_ptr<SaverWindow> CoverDisplay(const DisplayInfo& display,
                                                   const std::string& title);
  static std::unique_ptr<SaverWindow> Normal(int x, int y, int width, int height,
                                             const std::string& title);
  // An existing X11 window: drawn into, never destroyed by us.
  static std::unique_ptr<SaverWindow> Foreign(uint64_t xid);
  // The X11 root window of the default screen.
  static std::unique_ptr<SaverWindow> Root();

  SDL_Window* Handle() const { return window_; }
  uint32_t Id() const;
  bool IsForeign() const { return foreign_; }
  // Size of the drawable area in pixels.
  void Size(int& width, int& height) const;
  // Between a window and full screen on its display (the desktop's mode
  // kept); the drawable's size changes with it.
  void ToggleFullScreen();

 private:
  SaverWindow(SDL_Window* window, bool foreign) : window_(window), foreign_(foreign) {}
  SDL_Window* window_;
  bool foreign_;
};

}  // namespace glimmer
