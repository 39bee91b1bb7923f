#pragma once
// OpenGL 3.3 core contexts: headless through EGL (Mesa's surfaceless
// platform, or the EGL device platform on drivers that offer it), or on an
// SDL2 window. Each graphics device owns one.

#include <memory>
#include <string>

struct SDL_Window;

namespace glimmer {

class GlContext {
 public:
  virtual ~GlContext() = default;
  virtual void MakeCurrent() = 0;
  virtual bool IsCurrent() const = 0;
  // Shows the default framebuffer (windows only; headless does nothing).
  virtual void SwapBuffers() {}
  // Size of the default framebuffer in pixels (0 × 0 when headless).
  virtual void DrawableSize(int& width, int& height) const {
    width = 0;
    height = 0;
  }
  virtual bool HasWindow() const { return false; }
  virtual void SetSwapInterval(int interval) { (void)interval; }

  // The renderer and version strings of the current context.
  std::string Renderer() const;
  std::string Version() const;
};

// A headless context; throws GlimmerError 0x82000001 when none can be made.
std::unique_ptr<GlContext> CreateHeadlessContext();

// A headless context whose default framebuffer is an EGL pbuffer of the
// given size with alpha, depth and stencil: it stands for a window
// (HasWindow, DrawableSize) where no display is, so that drawing into a
// window's framebuffer can be checked headless. Null when the driver offers
// no such surface.
std::unique_ptr<GlContext> CreatePbufferContext(int width, int height);

// Asks the OpenGL driver for its CPU renderer for the rest of the process
// (Mesa's LIBGL_ALWAYS_SOFTWARE); only contexts made afterwards use it.
void RequestSoftwareRendering();

// A context on an existing SDL window (created with SDL_WINDOW_OPENGL);
// throws GlimmerError 0x8200000E when it cannot be made.
std::unique_ptr<GlContext> CreateWindowContext(SDL_Window* window);

}  // namespace glimmer
