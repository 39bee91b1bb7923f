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
#include "sound/music_player.h"

namespace glimmer {

struct HostOptions {
  CommandLine command;
  DocumentBytes document;
  std::string documentError;  // why there is no document: shown in the error box
  SaverSettings settings;
  // Where the chosen display modes are remembered (none: not written).
  std::optional<std::filesystem::path> settingsPath;
  std::optional<int> picturePosition;  // overrides "PicPos"
  // The command line's sound choices, over the settings file's.
  std::optional<int> volumeOverride;
  bool muteOverride = false;
  // Test mode's window, or `glimmer play`'s (0 × 0: 600 × 400).
  int windowWidth = 600, windowHeight = 400;
  bool oneScreenOnly = true;
  // Testing aids: stop after this many frames (0: run until ended), and
  // write the first display's frames as PNG files.
  int maxFrames = 0;
  std::optional<std::filesystem::path> dumpFrames;
  // At most this many frames a second (0: as vertical sync or the device
  // allows); the loop sleeps between frames.
  int fpsLimit = 0;
  // `glimmer play`'s window keys: space pauses and resumes, F toggles full
  // screen, Escape or Q quits.
  bool playKeys = false;
  std::string title = "Glimmerframe";
};

class ZT_ABObj_Constructor;

class Screensaver {
 public:
  explicit Screensaver(HostOptions options);
  virtual ~Screensaver();
  // Runs the mode to its end; the process exit code (non-zero after a
  // failure, which has also been written to standard error).
  int Run();

  // Opens the process's sound output and makes the music player (full
  // screen and test modes).
  virtual void CreateMusicPlayer();
  // A media event of the music (1: the track has ended).
  virtual void OnMediaEvent(int eventCode);

  // The volume and mute heard now: the settings file as it is, under the
  // command line's choices.
  SaverSettings SoundSettings() const;

 private:
  void Create();
  void CreateSlots();
  void FrameLoop();
  // False when the saver should end.
  bool HandleEvent(const WindowEvent& event);
  bool HandlePlayKey(const WindowEvent& event);
  // The topmost layer of a window's shown slide that takes the pointer at
  // the event's place (a click, or with `hover` the pointer over it); null
  // when none does.
  ZT_ABObj_Constructor* LinkAt(const WindowEvent& event, bool hover = false);
  void RenderFrame(double appTime);
  void RenderErrors(float dt);
  void SetError(uint32_t code, const std::string& detail);
  void WriteDiagnostics();
  // A slot's show has started: the master level, and the music once.
  void OnShowStarted(ScreenSlot& slot);
  // Re-reads the sound settings when the settings file has changed.
  void FollowSoundSettings(double now);
  void ApplySoundSettings();
  std::optional<std::filesystem::file_time_type> SettingsFileTime() const;

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
  bool paused_ = false;
  std::unique_ptr<MusicPlayer> music_;
  // The settings file's time when last applied (nullopt: there was none).
  std::optional<std::filesystem::file_time_type> settingsTime_;
  double settingsChecked_ = 0;
};

}  // namespace glimmer
