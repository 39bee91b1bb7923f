#include "platform/gpu/gl_context.h"

#include <SDL2/SDL.h>
#include <epoxy/egl.h>
#include <epoxy/gl.h>

#include <cstdlib>
#include <vector>

#include "common/error_codes.h"
#include "platform/library_output.h"

namespace glimmer {
namespace {

class EglContext final : public GlContext {
 public:
  EglContext(EGLDisplay display, EGLContext context) : display_(display), context_(context) {}
  ~EglContext() override {
    if (eglGetCurrentContext() == context_) {
      eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    eglDestroyContext(display_, context_);
  }
  void MakeCurrent() override {
    if (!IsCurrent()) eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_);
  }
  bool IsCurrent() const override { return eglGetCurrentContext() == context_; }

 private:
  EGLDisplay display_;
  EGLContext context_;
};

EGLContext CreateCoreContext(EGLDisplay display) {
  QuietLibraryOutput quiet;  // Mesa's own lines while its drivers load
  EGLint major = 0, minor = 0;
  if (!eglInitialize(display, &major, &minor)) return EGL_NO_CONTEXT;
  if (!eglBindAPI(EGL_OPENGL_API)) return EGL_NO_CONTEXT;
  const EGLint configAttribs[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                                  EGL_OPENGL_BIT, EGL_NONE};
  EGLConfig config = nullptr;
  EGLint count = 0;
  eglChooseConfig(display, configAttribs, &config, 1, &count);
  const EGLint contextAttribs[] = {EGL_CONTEXT_MAJOR_VERSION,
                                   3,
                                   EGL_CONTEXT_MINOR_VERSION,
                                   3,
                                   EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                   EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                   EGL_NONE};
  return eglCreateContext(display, count > 0 ? config : EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT,
                          contextAttribs);
}

class PbufferContext final : public GlContext {
 public:
  PbufferContext(EGLDisplay display, EGLContext context, EGLSurface surface, int width, int height)
      : display_(display), context_(context), surface_(surface), width_(width), height_(height) {}
  ~PbufferContext() override {
    if (eglGetCurrentContext() == context_) {
      eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    eglDestroySurface(display_, surface_);
    eglDestroyContext(display_, context_);
  }
  void MakeCurrent() override {
    if (!IsCurrent()) eglMakeCurrent(display_, surface_, surface_, context_);
  }
  bool IsCurrent() const override {
    return eglGetCurrentContext() == context_ && eglGetCurrentSurface(EGL_DRAW) == surface_;
  }
  void SwapBuffers() override { eglSwapBuffers(display_, surface_); }
  void DrawableSize(int& width, int& height) const override {
    width = width_;
    height = height_;
  }
  bool HasWindow() const override { return true; }

 private:
  EGLDisplay display_;
  EGLContext context_;
  EGLSurface surface_;
  int width_, height_;
};

class SdlContext final : public GlContext {
 public:
  SdlContext(SDL_Window* window, SDL_GLContext context) : window_(window), context_(context) {}
  ~SdlContext() override { SDL_GL_DeleteContext(context_); }
  void MakeCurrent() override {
    if (!IsCurrent()) SDL_GL_MakeCurrent(window_, context_);
  }
  bool IsCurrent() const override {
    return SDL_GL_GetCurrentContext() == context_ && SDL_GL_GetCurrentWindow() == window_;
  }
  void SwapBuffers() override { SDL_GL_SwapWindow(window_); }
  void DrawableSize(int& width, int& height) const override {
    SDL_GL_GetDrawableSize(window_, &width, &height);
  }
  bool HasWindow() const override { return true; }
  void SetSwapInterval(int interval) override {
    MakeCurrent();
    SDL_GL_SetSwapInterval(interval);
  }

 private:
  SDL_Window* window_;
  SDL_GLContext context_;
};

}  // namespace

std::string GlContext::Renderer() const {
  const auto* s = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  return s ? s : "";
}

std::string GlContext::Version() const {
  const auto* s = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  return s ? s : "";
}

std::unique_ptr<GlContext> CreateHeadlessContext() {
  // Mesa's surfaceless platform first (llvmpipe without a GPU), then the
  // device platform (headless drivers such as NVIDIA's).
  if (epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_MESA_platform_surfaceless")) {
    EGLDisplay display =
        eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display != EGL_NO_DISPLAY) {
      EGLContext context = CreateCoreContext(display);
      if (context != EGL_NO_CONTEXT) {
        auto result = std::make_unique<EglContext>(display, context);
        result->MakeCurrent();
        return result;
      }
    }
  }
  if (epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_EXT_platform_device")) {
    EGLint count = 0;
    eglQueryDevicesEXT(0, nullptr, &count);
    std::vector<EGLDeviceEXT> devices(static_cast<size_t>(count));
    if (count > 0 && eglQueryDevicesEXT(count, devices.data(), &count)) {
      for (EGLDeviceEXT device : devices) {
        EGLDisplay display = eglGetPlatformDisplayEXT(EGL_PLATFORM_DEVICE_EXT, device, nullptr);
        if (display == EGL_NO_DISPLAY) continue;
        EGLContext context = CreateCoreContext(display);
        if (context == EGL_NO_CONTEXT) continue;
        auto result = std::make_unique<EglContext>(display, context);
        result->MakeCurrent();
        return result;
      }
    }
  }
  throw GlimmerError(ErrorCode::NoGraphics,
                     "no OpenGL 3.3 core context could be created through EGL");
}

std::unique_ptr<GlContext> CreateWindowContext(SDL_Window* window) {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GLContext context = nullptr;
  {
    QuietLibraryOutput quiet;
    context = SDL_GL_CreateContext(window);
  }
  if (!context) {
    throw GlimmerError(ErrorCode::CreateDeviceFailed,
                       std::string("no OpenGL 3.3 core context on the window: ") + SDL_GetError());
  }
  auto result = std::make_unique<SdlContext>(window, context);
  result->MakeCurrent();
  return result;
}

std::unique_ptr<GlContext> CreatePbufferContext(int width, int height) {
  if (!epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_MESA_platform_surfaceless")) return nullptr;
  EGLDisplay display =
      eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  QuietLibraryOutput quiet;
  EGLint major = 0, minor = 0;
  if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor) ||
      !eglBindAPI(EGL_OPENGL_API)) {
    return nullptr;
  }
  const EGLint configAttribs[] = {EGL_SURFACE_TYPE,
                                  EGL_PBUFFER_BIT,
                                  EGL_RENDERABLE_TYPE,
                                  EGL_OPENGL_BIT,
                                  EGL_RED_SIZE,
                                  8,
                                  EGL_GREEN_SIZE,
                                  8,
                                  EGL_BLUE_SIZE,
                                  8,
                                  EGL_ALPHA_SIZE,
                                  8,
                                  EGL_DEPTH_SIZE,
                                  24,
                                  EGL_STENCIL_SIZE,
                                  8,
                                  EGL_NONE};
  EGLConfig config = nullptr;
  EGLint count = 0;
  if (!eglChooseConfig(display, configAttribs, &config, 1, &count) || count < 1) return nullptr;
  const EGLint contextAttribs[] = {EGL_CONTEXT_MAJOR_VERSION,
                                   3,
                                   EGL_CONTEXT_MINOR_VERSION,
                                   3,
                                   EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                   EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                   EGL_NONE};
  EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttribs);
  if (context == EGL_NO_CONTEXT) return nullptr;
  const EGLint surfaceAttribs[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttribs);
  if (surface == EGL_NO_SURFACE) {
    eglDestroyContext(display, context);
    return nullptr;
  }
  auto result = std::make_unique<PbufferContext>(display, context, surface, width, height);
  result->MakeCurrent();
  return result;
}

void RequestSoftwareRendering() {
  setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
}

}  // namespace glimmer
