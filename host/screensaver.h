#pragma once
// The saver's host: opens its windows for the run mode (one per display in
// full screen, a test window, or a window another program owns), gives each
// a device and a screen slot, runs the frame loop until input or the window's
// owner ends it, and shows failures in an error box on every screen.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/document_source.h"
#include "host/adapters.h"
#include "host/command_line.h"
#include "host/error_box.h"
#include "host/input_policy.h"
#include "host/saver_settings.h"
#include "host/screen_slot.h"
#include "platform/window/window_events.h"

namespace glimmer {

struct HostOptions {
  CommandLine command;
  DocumentBytes document;
  std::string documentError;  // why there is no document: shown in the error box
  SaverSettings settings;
  // Where the chosen display modes are remembered (none: not written).
  std::optional<std::filesystem::path> settingsPath;
  std::optional<int> picturePosition;  // overrides "PicPos"
  // Test mode's window, or `glimmer play`'s (0 × 0: 600 × 400).
  int windowWidth = 600, windowHeight = 400;
  bool oneScreenOnly = true;
  // Testing aids: stop after this many frames (0: run until ended), and
  // write the first display's frames as PNG files.
  int maxFrames = 0;
  std::optional<std::filesystem::path> dumpFrames;
  std::string title = "Glimmerframe";
};

class Screensaver {
 public:
  explicit Screensaver(HostOptions options);
  virtual ~Screensaver();
  // Runs the mode to its end; the process exit code (non-zero after a
  // failure, which has also been written to standard error).
  int Run();

  // Hooks of the sound output (no-ops until the player has sound).
  virtual void CreateMusicPlayer() {}
  virtual void OnMediaEvent(int eventCode) { (void)eventCode; }

 private:
  void Create();
  void CreateSlots();
  void FrameLoop();
  // False when the saver should end.
  bool HandleEvent(const WindowEvent& event);
  void RenderFrame(double appTime);
  void RenderErrors(float dt);
  void SetError(uint32_t code, const std::string& detail);
  void WriteDiagnostics();

  HostOptions options_;
  InterruptPolicy policy_;
  std::vector<std::unique_ptr<ScreenSlot>> slots_;
  std::vector<ErrorBox> errorBoxes_;
  FrameStats stats_;
  bool hasError_ = false;
  uint32_t errorCode_ = 0;
  std::string errorText_;
  WindowEvents events_;
  int frames_ = 0;
};

}  // namespace glimmer
