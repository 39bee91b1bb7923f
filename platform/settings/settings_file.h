#pragma once
// The per-user settings file, an INI document in place of a registry key:
// $XDG_CONFIG_HOME/glimmerframe/settings.ini (~/.config/... by default).
//
//   [Screensaver]
//   PicPos = 2
//   [Screen 1]
//   Leave Black = 0
//
// Reading never fails: a missing or unreadable file is empty, and lines that
// are not a section, an entry, a comment or blank are dropped. Sections and
// keys match without regard to ASCII case, as registry names do. Entries and
// comments nobody asked about are kept, in order, when the file is written
// back. Writes go to settings.ini.tmp beside the file, which is flushed to
// disk and then renamed over it, so a reader sees the old or the new file.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace glimmer {

// Looks up an environment variable; nullopt when unset.
using EnvironmentLookup = std::function<std::optional<std::string>(std::string_view name)>;

// The process environment.
EnvironmentLookup ProcessEnvironment();

// The settings file's path: XDG_CONFIG_HOME when set to an absolute path,
// else HOME/.config, then glimmerframe/settings.ini. nullopt when neither
// gives a place.
std::optional<std::filesystem::path> SettingsFilePath(const EnvironmentLookup& env);

class SettingsFile {
 public:
  // Files larger than this are not read at all (treated as damaged).
  static constexpr size_t kMaxFileBytes = 1 << 20;

  static SettingsFile Parse(std::string_view text);
  static SettingsFile Load(const std::filesystem::path& path);

  std::string Serialize() const;
  // Writes the file atomically, creating its folder; on failure returns false
  // with a description in `error` and leaves the old file and no temporary.
  bool Save(const std::filesystem::path& path, std::string* error = nullptr) const;

  // The value of the last entry `key` in `section`, trimmed.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  // Replaces the entry (and drops duplicates of it), or appends it to the
  // section, creating the section at the end. Returns false, changing
  // nothing, for a name or value that the format cannot hold: empty names,
  // control characters, '=' or a leading '[', ';' or '#' in a key, ']' in a
  // section name, or surrounding blanks (which would be trimmed on reading).
  bool Set(std::string_view section, std::string_view key, std::string_view value);
  bool Remove(std::string_view section, std::string_view key);

  std::vector<std::string> Sections() const;
  std::vector<std::pair<std::string, std::string>> Entries(std::string_view section) const;

  // Lines dropped while parsing because they were not understood.
  size_t droppedLines() const { return dropped_; }

 private:
  struct Line {
    std::string key;   // empty: `text` is a comment or blank line kept verbatim
    std::string text;  // the value, or the verbatim line
  };
  struct Section {
    std::string name;  // empty: lines before the first section header
    std::vector<Line> lines;
  };

  const Section* Find(std::string_view name) const;
  Section* Find(std::string_view name);

  std::vector<Section> sections_{Section{}};  // the unnamed section is always first
  size_t dropped_ = 0;
};

}  // namespace glimmer
