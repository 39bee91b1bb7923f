#include "platform/window/saver_window.h"

#include <SDL.h>
#include <X11/Xlib.h>

#include "common/error_codes.h"

namespace glimmer {
namespace {
[[noreturn]] void Fail(const std::string& what) {
  throw GlimmerError(ErrorCode::InitFailed, what + ": " + SDL_GetError());
}

void SetGlAttributes() {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  // Depth and stencil like the device's back buffer, so frames can be drawn
  // straight into the window.
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
}
}  // namespace

SaverWindow::~SaverWindow() {
  if (window_) SDL_DestroyWindow(window_);  // a foreign X window itself stays
}

uint32_t SaverWindow::Id() const {
  return SDL_GetWindowID(window_);
}

void SaverWindow::Size(int& width, int& height) const {
  SDL_GL_GetDrawableSize(window_, &width, &height);
}

void SaverWindow::ToggleFullScreen() {
  if (foreign_) return;
  const bool full = (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
  SDL_SetWindowFullscreen(window_, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

std::unique_ptr<SaverWindow> SaverWindow::CoverDisplay(const DisplayInfo& display,
                                                       const std::string& title) {
  SetGlAttributes();
  SDL_Window* w =
      SDL_CreateWindow(title.c_str(), display.x, display.y, display.width, display.height,
                       SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP |
                           SDL_WINDOW_FULLSCREEN_DESKTOP);
  if (!w) Fail("cannot open a full-screen window");
  return std::unique_ptr<SaverWindow>(new SaverWindow(w, false));
}

std::unique_ptr<SaverWindow> SaverWindow::Normal(int x, int y, int width, int height,
                                                 const std::string& title) {
  SetGlAttributes();
  SDL_Window* w =
      SDL_CreateWindow(title.c_str(), x, y, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
  if (!w) Fail("cannot open a window");
  return std::unique_ptr<SaverWindow>(new SaverWindow(w, false));
}

std::unique_ptr<SaverWindow> SaverWindow::Foreign(uint64_t xid) {
  SetGlAttributes();
  // Without this hint SDL gives foreign windows no OpenGL support.
  SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "1");
  SDL_Window* w = SDL_CreateWindowFrom(reinterpret_cast<const void*>(uintptr_t(xid)));
  if (!w) Fail("cannot draw into window " + std::to_string(xid));
  return std::unique_ptr<SaverWindow>(new SaverWindow(w, true));
}

std::unique_ptr<SaverWindow> SaverWindow::Root() {
  Display* display = XOpenDisplay(nullptr);
  if (!display)
    throw GlimmerError(ErrorCode::InitFailed, "cannot open the X display for the root window");
  const uint64_t root = DefaultRootWindow(display);
  XCloseDisplay(display);
  return Foreign(root);
}

}  // namespace glimmer
