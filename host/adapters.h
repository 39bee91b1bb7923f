#pragma once
// Which displays draw, in which mode, on which renderer: the device choices
// made before the frame loop, and the diagnostics text of each device.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/guid.h"
#include "host/saver_settings.h"
#include "platform/window/displays.h"

namespace glimmer {

// The modes a display offers the saver: 32-bit, at least 640 × 400, one per
// size, sorted by width, then height.
std::vector<DisplayModeInfo> UsableModes(const std::vector<DisplayModeInfo>& modes);

// The back-buffer mode of a full-screen device: the stored mode when the
// display still offers it; otherwise, for a software renderer the smallest
// mode, else the desktop's size (or the largest mode when that is missing).
DisplayModeInfo ChooseMode(const ScreenSettings& stored, const std::vector<DisplayModeInfo>& usable,
                           const DisplayModeInfo& desktop, bool software);

// A stable identifier of a display, kept with its stored choices so that they
// apply only to the display they were made on.
Guid DisplayIdentifier(const DisplayInfo& display);

// The per-display choices from the stored settings: those stored for another
// display (or none) reset to Automatic with hardware allowed; the "Leave
// Black" choice stays.
ScreenSettings SettingsForDisplay(const SaverSettings& settings, const DisplayInfo& display);

// Which displays draw in full screen. With `oneScreenOnly` only the best
// display (the first: every display shares the one renderer) draws, whatever
// its "Leave Black" says; otherwise every display not left black.
std::vector<bool> DisplaysThatDraw(const std::vector<ScreenSettings>& screens, bool oneScreenOnly);

// Mesa's CPU renderers (llvmpipe, softpipe, swrast) count as software.
bool IsSoftwareRenderer(std::string_view renderer);

// "HAL (hw vp): <renderer>" for a hardware renderer, "SW (simulated hw vp)"
// for a software one.
std::string DeviceDescription(std::string_view renderer);

// The frame rate over the last second, as "%.02f fps (WxHxB)".
class FrameStats {
 public:
  // Counts a frame at `now` seconds; the text is refreshed once a second,
  // and then this returns true.
  bool Frame(double now, uint32_t width, uint32_t height);
  const std::string& Text() const { return text_; }
  double FramesPerSecond() const { return fps_; }

 private:
  double start_ = -1;
  uint32_t frames_ = 0;
  double fps_ = 0;
  std::string text_;
};

}  // namespace glimmer
