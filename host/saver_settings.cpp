#include "host/saver_settings.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace glimmer {
namespace {

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool SameWord(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
  });
}

int64_t ReadNumber(const SettingsFile& file, std::string_view section, std::string_view key,
                   int64_t fallback, int64_t min, int64_t max) {
  const auto text = file.Get(section, key);
  if (!text) return fallback;
  const auto value = ParseSettingNumber(*text);
  if (!value) return fallback;
  return std::clamp(*value, min, max);
}

bool ReadBool(const SettingsFile& file, std::string_view section, std::string_view key,
              bool fallback) {
  const auto text = file.Get(section, key);
  if (!text) return fallback;
  return ParseSettingBool(*text).value_or(fallback);
}

uint32_t ReadDword(const SettingsFile& file, std::string_view section, std::string_view key) {
  return uint32_t(ReadNumber(file, section, key, 0, 0, std::numeric_limits<uint32_t>::max()));
}

void StoreNumber(SettingsFile& file, std::string_view section, std::string_view key, int64_t v) {
  file.Set(section, key, std::to_string(v));
}

}  // namespace

std::string ScreenSectionName(int screen) {
  return "Screen " + std::to_string(screen);
}

std::optional<int64_t> ParseSettingNumber(std::string_view text) {
  text = TrimBlanks(text);
  bool negative = false;
  if (text.starts_with('-')) {
    negative = true;
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  uint64_t magnitude = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, magnitude, base);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  constexpr uint64_t kMax = uint64_t(std::numeric_limits<int64_t>::max());
  if (negative) {
    if (magnitude > kMax + 1) return std::nullopt;
    return magnitude == kMax + 1 ? std::numeric_limits<int64_t>::min() : -int64_t(magnitude);
  }
  if (magnitude > kMax) return std::nullopt;
  return int64_t(magnitude);
}

std::optional<bool> ParseSettingBool(std::string_view text) {
  text = TrimBlanks(text);
  if (const auto n = ParseSettingNumber(text)) return *n != 0;
  for (const std::string_view word : {"true", "yes", "on"}) {
    if (SameWord(text, word)) return true;
  }
  for (const std::string_view word : {"false", "no", "off"}) {
    if (SameWord(text, word)) return false;
  }
  return std::nullopt;
}

SaverSettings SaverSettings::FromFile(const SettingsFile& file) {
  SaverSettings s;
  s.picturePosition = PicturePosition(ReadNumber(file, kSection, "PicPos", 2, 0, 2));
  s.soundVolume = int(ReadNumber(file, kSection, "SoundVolume", 100, 0, 100));
  s.soundBalance = int(ReadNumber(file, kSection, "SoundBalance", 50, 0, 100));
  s.muteSound = ReadBool(file, kSection, "MuteSound", false);
  s.allScreensSame = ReadBool(file, kSection, "AllScreensSame", false);

  const std::vector<std::string> sections = file.Sections();
  for (int n = 1; n <= ScreenSettings::kMaxScreens; ++n) {
    const std::string name = ScreenSectionName(n);
    const bool present = std::any_of(sections.begin(), sections.end(),
                                     [&](const std::string& s) { return SameWord(s, name); });
    if (!present) continue;
    ScreenSettings screen;
    if (const auto id = file.Get(name, "Adapter ID")) screen.adapterId = Guid::Parse(*id);
    screen.leaveBlack = ReadBool(file, name, "Leave Black", false);
    screen.disableHardware = ReadBool(file, name, "Disable Hardware", false);
    screen.width = ReadDword(file, name, "Width");
    screen.height = ReadDword(file, name, "Height");
    screen.format = ReadDword(file, name, "Format");
    s.screens[n] = screen;
  }
  return s;
}

void SaverSettings::StoreTo(SettingsFile& file) const {
  StoreNumber(file, kSection, "PicPos", std::clamp(int(picturePosition), 0, 2));
  StoreNumber(file, kSection, "SoundVolume", std::clamp(soundVolume, 0, 100));
  StoreNumber(file, kSection, "SoundBalance", std::clamp(soundBalance, 0, 100));
  StoreNumber(file, kSection, "MuteSound", muteSound ? 1 : 0);
  StoreNumber(file, kSection, "AllScreensSame", allScreensSame ? 1 : 0);
  for (const auto& [n, screen] : screens) {
    if (n < 1 || n > ScreenSettings::kMaxScreens) continue;
    const std::string name = ScreenSectionName(n);
    StoreNumber(file, name, "Width", screen.width);
    StoreNumber(file, name, "Height", screen.height);
    StoreNumber(file, name, "Format", screen.format);
    if (screen.adapterId) {
      file.Set(name, "Adapter ID", screen.adapterId->ToUtf8String());
    } else {
      file.Remove(name, "Adapter ID");
    }
    StoreNumber(file, name, "Leave Black", screen.leaveBlack ? 1 : 0);
    StoreNumber(file, name, "Disable Hardware", screen.disableHardware ? 1 : 0);
  }
}

SaverSettings SaverSettings::Read(const std::filesystem::path& path) {
  return FromFile(SettingsFile::Load(path));
}

bool SaverSettings::Write(const std::filesystem::path& path, std::string* error) const {
  SettingsFile file = SettingsFile::Load(path);
  StoreTo(file);
  return file.Save(path, error);
}

int SoundOutputVolume(int volume, bool mute) {
  if (mute) return -10000;
  return std::clamp(volume, 0, 100) * 50 - 5000;
}

int MusicVolume(int volume, bool mute) {
  if (mute) return -10000;
  // (v × 100 − 10000) × 0.4 in integers: (v − 100) × 40.
  return (std::clamp(volume, 0, 100) - 100) * 40;
}

}  // namespace glimmer
