#include "platform/window/displays.h"

#include <SDL.h>

#include "platform/library_output.h"

namespace glimmer {

bool StartVideo(std::string& error) {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) {
    QuietLibraryOutput quiet;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      error = SDL_GetError();
      return false;
    }
  }
  // SDL falls back to drivers that show nothing (offscreen, dummy, a bare
  // console): a saver needs a desktop.
  const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
  if (driver != "x11" && driver != "wayland") {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    error = driver.empty() ? "no video driver"
                           : "no desktop display (SDL's video driver is \"" + driver + "\")";
    return false;
  }
  return true;
}

namespace {
DisplayModeInfo ModeInfo(const SDL_DisplayMode& m) {
  return {uint32_t(m.w), uint32_t(m.h), uint32_t(SDL_BITSPERPIXEL(m.format))};
}
}  // namespace

std::vector<DisplayInfo> EnumerateDisplays() {
  std::vector<DisplayInfo> displays;
  const int n = SDL_GetNumVideoDisplays();
  for (int i = 0; i < n; ++i) {
    DisplayInfo d;
    d.index = i;
    if (const char* name = SDL_GetDisplayName(i)) d.name = name;
    SDL_Rect r{};
    if (SDL_GetDisplayBounds(i, &r) != 0) continue;
    d.x = r.x;
    d.y = r.y;
    d.width = r.w;
    d.height = r.h;
    SDL_DisplayMode m{};
    if (SDL_GetDesktopDisplayMode(i, &m) == 0) d.desktop = ModeInfo(m);
    const int modes = SDL_GetNumDisplayModes(i);
    for (int k = 0; k < modes; ++k) {
      if (SDL_GetDisplayMode(i, k, &m) == 0) d.modes.push_back(ModeInfo(m));
    }
    if (d.modes.empty()) d.modes.push_back({uint32_t(r.w), uint32_t(r.h), 32});
    displays.push_back(std::move(d));
  }
  return displays;
}

}  // namespace glimmer
