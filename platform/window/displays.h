#pragma once
// The displays of the desktop and their modes, from SDL2's video subsystem.

#include <cstdint>
#include <string>
#include <vector>

namespace glimmer {

struct DisplayModeInfo {
  uint32_t width = 0, height = 0;
  uint32_t bits = 32;  // bits per pixel of the mode's format
  bool operator==(const DisplayModeInfo&) const = default;
};

struct DisplayInfo {
  int index = 0;
  std::string name;
  int x = 0, y = 0, width = 0, height = 0;  // desktop coordinates
  DisplayModeInfo desktop;
  std::vector<DisplayModeInfo> modes;
};

// Starts SDL's video subsystem once; false (with SDL's reason) when there is
// no display to open.
bool StartVideo(std::string& error);
// Every display with its bounds, desktop mode and full-screen modes.
std::vector<DisplayInfo> EnumerateDisplays();

}  // namespace glimmer
