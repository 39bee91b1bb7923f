#include "host/settings_command.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <string_view>

#include "host/saver_settings.h"
#include "platform/settings/settings_file.h"

namespace glimmer {
namespace {

enum class Field {
  PicPos,
  SoundVolume,
  SoundBalance,
  MuteSound,
  AllScreensSame,
  Width,
  Height,
  Format,
  AdapterId,
  LeaveBlack,
  DisableHardware,
};

enum class Kind { Position, Percent, Switch, Dword, Adapter };

struct Setting {
  std::string_view key;
  Field field;
  Kind kind;
};

constexpr Setting kGeneral[] = {
    {"PicPos", Field::PicPos, Kind::Position},
    {"SoundVolume", Field::SoundVolume, Kind::Percent},
    {"SoundBalance", Field::SoundBalance, Kind::Percent},
    {"MuteSound", Field::MuteSound, Kind::Switch},
    {"AllScreensSame", Field::AllScreensSame, Kind::Switch},
};

constexpr Setting kScreen[] = {
    {"Width", Field::Width, Kind::Dword},
    {"Height", Field::Height, Kind::Dword},
    {"Format", Field::Format, Kind::Dword},
    {"Adapter ID", Field::AdapterId, Kind::Adapter},
    {"Leave Black", Field::LeaveBlack, Kind::Switch},
    {"Disable Hardware", Field::DisableHardware, Kind::Switch},
};

constexpr std::string_view kUsage =
    "usage: glimmer config get NAME | set NAME VALUE | list | path\n";

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return Lower(x) == Lower(y); });
}

struct Name {
  const Setting* setting = nullptr;
  int screen = 0;  // 0: the [Screensaver] section
  std::string Section() const {
    return screen == 0 ? SaverSettings::kSection : ScreenSectionName(screen);
  }
  std::string Display() const {
    return screen == 0 ? std::string(setting->key)
                       : ScreenSectionName(screen) + "/" + std::string(setting->key);
  }
};

std::optional<Name> Resolve(std::string_view text) {
  const size_t slash = text.find('/');
  if (slash == std::string_view::npos) {
    for (const Setting& s : kGeneral) {
      if (SameName(s.key, text)) return Name{&s, 0};
    }
    return std::nullopt;
  }
  const std::string_view section = text.substr(0, slash);
  const std::string_view key = text.substr(slash + 1);
  constexpr std::string_view kPrefix = "screen ";
  if (section.size() <= kPrefix.size() || !SameName(section.substr(0, kPrefix.size()), kPrefix)) {
    return std::nullopt;
  }
  const std::string_view digits = section.substr(kPrefix.size());
  int screen = 0;
  const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), screen);
  if (ec != std::errc() || ptr != digits.data() + digits.size() || screen < 1 ||
      screen > ScreenSettings::kMaxScreens) {
    return std::nullopt;
  }
  for (const Setting& s : kScreen) {
    if (SameName(s.key, key)) return Name{&s, screen};
  }
  return std::nullopt;
}

std::string Flag(bool b) {
  return b ? "1" : "0";
}

// The value in effect, as it is stored.
std::string ValueOf(const SaverSettings& settings, const Name& name) {
  const auto found = settings.screens.find(name.screen);
  const ScreenSettings screen = found == settings.screens.end() ? ScreenSettings{} : found->second;
  switch (name.setting->field) {
    case Field::PicPos:
      return std::to_string(int(settings.picturePosition));
    case Field::SoundVolume:
      return std::to_string(settings.soundVolume);
    case Field::SoundBalance:
      return std::to_string(settings.soundBalance);
    case Field::MuteSound:
      return Flag(settings.muteSound);
    case Field::AllScreensSame:
      return Flag(settings.allScreensSame);
    case Field::Width:
      return std::to_string(screen.width);
    case Field::Height:
      return std::to_string(screen.height);
    case Field::Format:
      return std::to_string(screen.format);
    case Field::AdapterId:
      return screen.adapterId ? screen.adapterId->ToUtf8String() : "";
    case Field::LeaveBlack:
      return Flag(screen.leaveBlack);
    case Field::DisableHardware:
      return Flag(screen.disableHardware);
  }
  return "";
}

// The stored form of `value` for `setting`, or a description of what it
// should have been.
bool Canonical(const Setting& setting, std::string_view value, std::string* stored,
               std::string* problem) {
  switch (setting.kind) {
    case Kind::Position: {
      constexpr std::string_view kWords[] = {"stretch", "fit", "fill"};
      for (int i = 0; i < 3; ++i) {
        if (SameName(value, kWords[i])) {
          *stored = std::to_string(i);
          return true;
        }
      }
      const auto n = ParseSettingNumber(value);
      if (n && *n >= 0 && *n <= 2) {
        *stored = std::to_string(*n);
        return true;
      }
      *problem = "must be 0 (Stretch), 1 (Fit) or 2 (Fill)";
      return false;
    }
    case Kind::Percent: {
      const auto n = ParseSettingNumber(value);
      if (n && *n >= 0 && *n <= 100) {
        *stored = std::to_string(*n);
        return true;
      }
      *problem = "must be a whole number from 0 to 100";
      return false;
    }
    case Kind::Switch: {
      const auto b = ParseSettingBool(value);
      if (b) {
        *stored = Flag(*b);
        return true;
      }
      *problem = "must be 0 or 1 (or true/false, yes/no, on/off)";
      return false;
    }
    case Kind::Dword: {
      const auto n = ParseSettingNumber(value);
      if (n && *n >= 0 && *n <= int64_t(std::numeric_limits<uint32_t>::max())) {
        *stored = std::to_string(*n);
        return true;
      }
      *problem = "must be a whole number from 0 to 4294967295";
      return false;
    }
    case Kind::Adapter: {
      const auto id = Guid::Parse(value);
      if (id) {
        *stored = id->ToUtf8String();
        return true;
      }
      *problem = "must be a braced GUID {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
      return false;
    }
  }
  return false;
}

SaverSettings ReadSettings(const std::optional<std::filesystem::path>& file) {
  return file ? SaverSettings::Read(*file) : SaverSettings{};
}

}  // namespace

int RunSettingsCommand(const std::vector<std::string>& args,
                       const std::optional<std::filesystem::path>& file, std::ostream& out,
                       std::ostream& err) {
  const std::string_view verb = args.empty() ? "" : std::string_view(args[0]);

  if (verb == "list" && args.size() == 1) {
    const SaverSettings settings = ReadSettings(file);
    for (const Setting& s : kGeneral) {
      const Name name{&s, 0};
      out << name.Display() << "=" << ValueOf(settings, name) << "\n";
    }
    for (const auto& [n, screen] : settings.screens) {
      for (const Setting& s : kScreen) {
        const Name name{&s, n};
        out << name.Display() << "=" << ValueOf(settings, name) << "\n";
      }
    }
    return 0;
  }

  if (verb == "path" && args.size() == 1) {
    if (!file) {
      err << "glimmer config: no settings location (neither XDG_CONFIG_HOME nor HOME is set)\n";
      return 1;
    }
    out << file->string() << "\n";
    return 0;
  }

  if ((verb == "get" && args.size() == 2) || (verb == "set" && args.size() == 3)) {
    const auto name = Resolve(args[1]);
    if (!name) {
      err << "glimmer config: unknown setting '" << args[1] << "'\n";
      return 2;
    }
    if (verb == "get") {
      out << ValueOf(ReadSettings(file), *name) << "\n";
      return 0;
    }
    std::string stored, problem;
    if (!Canonical(*name->setting, args[2], &stored, &problem)) {
      err << "glimmer config: " << name->Display() << " " << problem << ", not '" << args[2]
          << "'\n";
      return 2;
    }
    if (!file) {
      err << "glimmer config: no settings location (neither XDG_CONFIG_HOME nor HOME is set)\n";
      return 1;
    }
    SettingsFile settings = SettingsFile::Load(*file);
    settings.Set(name->Section(), name->setting->key, stored);
    std::string error;
    if (!settings.Save(*file, &error)) {
      err << "glimmer config: " << error << "\n";
      return 1;
    }
    return 0;
  }

  err << kUsage;
  return 2;
}

}  // namespace glimmer
