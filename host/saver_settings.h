#pragma once
// The player's user settings, typed, with their defaults and ranges, read
// from and written to the settings file: section [Screensaver] holds the
// general values and [Screen n] (monitor n, 1-based) each monitor's display
// choices. A value that is absent or not a number gives its default; a number
// outside its range is clamped into it.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "common/guid.h"
#include "platform/settings/settings_file.h"

namespace glimmer {

enum class PicturePosition : int { Stretch = 0, Fit = 1, Fill = 2 };

// One monitor's display choices.
struct ScreenSettings {
  static constexpr int kMaxScreens = 9;

  std::optional<Guid> adapterId;  // "Adapter ID": the adapter these choices were made on
  bool leaveBlack = false;        // "Leave Black": show nothing on this monitor
  bool disableHardware = false;   // "Disable Hardware"
  // Width, Height, Format of the stored display mode; all 0 = Automatic.
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t format = 0;

  bool AutomaticMode() const { return width == 0 && height == 0 && format == 0; }
  bool operator==(const ScreenSettings&) const = default;
};

struct SaverSettings {
  static constexpr const char* kSection = "Screensaver";

  PicturePosition picturePosition = PicturePosition::Fill;  // "PicPos", 0..2
  int soundVolume = 100;                                    // "SoundVolume", 0..100
  int soundBalance = 50;                                    // "SoundBalance", 0..100 (not applied)
  bool muteSound = false;                                   // "MuteSound"
  bool allScreensSame = false;  // "AllScreensSame": the "Show images in reverse order" choice
  std::map<int, ScreenSettings> screens;  // by monitor number 1..kMaxScreens

  bool operator==(const SaverSettings&) const = default;

  static SaverSettings FromFile(const SettingsFile& file);
  // Writes every value into `file`; other entries of the file are untouched.
  void StoreTo(SettingsFile& file) const;

  // The settings in the file at `path`; defaults where it is missing or damaged.
  static SaverSettings Read(const std::filesystem::path& path);
  // Merges these settings into the file at `path` and writes it atomically.
  bool Write(const std::filesystem::path& path, std::string* error = nullptr) const;
};

// "Screen 3"
std::string ScreenSectionName(int screen);

// A stored number: decimal with an optional '-', or hexadecimal after 0x, with
// surrounding blanks allowed. nullopt for anything else or beyond 64 bits.
std::optional<int64_t> ParseSettingNumber(std::string_view text);
// A stored switch: a number (non-zero is on) or true/false, yes/no, on/off.
std::optional<bool> ParseSettingBool(std::string_view text);

// Sound output volume in hundredths of a decibel: volume × 50 − 5000, or
// −10000 when muted.
int SoundOutputVolume(int volume, bool mute);
// Music volume in hundredths of a decibel: (volume × 100 − 10000) × 0.4, or
// −10000 when muted.
int MusicVolume(int volume, bool mute);

}  // namespace glimmer
