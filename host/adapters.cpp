#include "host/adapters.h"

#include <algorithm>
#include <cstdio>

namespace glimmer {

std::vector<DisplayModeInfo> UsableModes(const std::vector<DisplayModeInfo>& modes) {
  std::vector<DisplayModeInfo> usable;
  for (const DisplayModeInfo& m : modes) {
    if (m.width < 640 || m.height < 400 || m.bits < 24) continue;
    DisplayModeInfo kept{m.width, m.height, 32};
    if (std::find(usable.begin(), usable.end(), kept) == usable.end()) usable.push_back(kept);
  }
  std::sort(usable.begin(), usable.end(), [](const DisplayModeInfo& a, const DisplayModeInfo& b) {
    return a.width != b.width ? a.width < b.width : a.height < b.height;
  });
  return usable;
}

DisplayModeInfo ChooseMode(const ScreenSettings& stored, const std::vector<DisplayModeInfo>& usable,
                           const DisplayModeInfo& desktop, bool software) {
  if (usable.empty()) return {desktop.width, desktop.height, 32};
  if (!stored.AutomaticMode()) {
    for (const DisplayModeInfo& m : usable) {
      if (m.width == stored.width && m.height == stored.height) return m;
    }
  }
  if (software) return usable.front();
  for (const DisplayModeInfo& m : usable) {
    if (m.width == desktop.width && m.height == desktop.height) return m;
  }
  return usable.back();
}

Guid DisplayIdentifier(const DisplayInfo& display) {
  // Two FNV-1a hashes of the display's name and position.
  const std::string key =
      display.name + "@" + std::to_string(display.x) + "," + std::to_string(display.y);
  uint64_t a = 14695981039346656037ull, b = 1099511628211ull * 31;
  for (unsigned char c : key) {
    a = (a ^ c) * 1099511628211ull;
    b = (b ^ (c + 0x5Bu)) * 1099511628211ull;
  }
  Guid g;
  g.Data1 = uint32_t(a >> 32);
  g.Data2 = uint16_t(a >> 16);
  g.Data3 = uint16_t(a);
  for (int i = 0; i < 8; ++i) g.Data4[size_t(i)] = uint8_t(b >> (8 * i));
  return g;
}

ScreenSettings SettingsForDisplay(const SaverSettings& settings, const DisplayInfo& display) {
  ScreenSettings s;
  const auto it = settings.screens.find(display.index + 1);
  if (it == settings.screens.end()) return s;
  s.leaveBlack = it->second.leaveBlack;
  if (it->second.adapterId && *it->second.adapterId == DisplayIdentifier(display)) {
    s = it->second;
  }
  s.adapterId = DisplayIdentifier(display);
  return s;
}

std::vector<bool> DisplaysThatDraw(const std::vector<ScreenSettings>& screens, bool oneScreenOnly) {
  std::vector<bool> draw(screens.size(), false);
  if (oneScreenOnly) {
    // Every display is left black, then the best one (the first) is cleared.
    if (!draw.empty()) draw[0] = true;
    return draw;
  }
  for (size_t i = 0; i < screens.size(); ++i) draw[i] = !screens[i].leaveBlack;
  return draw;
}

bool IsSoftwareRenderer(std::string_view renderer) {
  for (std::string_view name : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"}) {
    if (renderer.find(name) != std::string_view::npos) return true;
  }
  return false;
}

std::string DeviceDescription(std::string_view renderer) {
  if (IsSoftwareRenderer(renderer)) return "SW (simulated hw vp)";
  return "HAL (hw vp): " + std::string(renderer);
}

bool FrameStats::Frame(double now, uint32_t width, uint32_t height) {
  if (start_ < 0 || now < start_) {
    start_ = now;  // frames are counted as the intervals after this one
    frames_ = 0;
    return false;
  }
  ++frames_;
  const double seconds = now - start_;
  if (seconds < 1.0) return false;
  fps_ = frames_ / seconds;
  char line[96];
  std::snprintf(line, sizeof line, "%.02f fps (%ux%ux%d)", fps_, width, height, 32);
  text_ = line;
  start_ = now;
  frames_ = 0;
  return true;
}

}  // namespace glimmer
