#include "platform/settings/settings_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

#include "common/atomic_file.h"

namespace glimmer {
namespace {

namespace fs = std::filesystem;

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Control bytes other than tab mark binary junk; such a line is never kept.
bool HasControl(std::string_view s) {
  for (const char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if ((u < 0x20 && c != '\t') || u == 0x7F) return true;
  }
  return false;
}

bool Untrimmed(std::string_view s) {
  return Trim(s).size() != s.size();
}

bool ValidSectionName(std::string_view s) {
  return !s.empty() && !HasControl(s) && !Untrimmed(s) && s.find(']') == std::string_view::npos;
}

bool ValidKey(std::string_view s) {
  return !s.empty() && !HasControl(s) && !Untrimmed(s) && s.find('=') == std::string_view::npos &&
         s.front() != '[' && s.front() != ';' && s.front() != '#';
}

bool ValidValue(std::string_view s) {
  return !HasControl(s) && !Untrimmed(s);
}

}  // namespace

EnvironmentLookup ProcessEnvironment() {
  return [](std::string_view name) -> std::optional<std::string> {
    const char* value = std::getenv(std::string(name).c_str());
    if (!value) return std::nullopt;
    return std::string(value);
  };
}

std::optional<fs::path> SettingsFilePath(const EnvironmentLookup& env) {
  fs::path base;
  // A relative XDG_CONFIG_HOME is to be ignored, as if unset.
  if (const auto xdg = env("XDG_CONFIG_HOME");
      xdg && !xdg->empty() && fs::path(*xdg).is_absolute()) {
    base = *xdg;
  } else if (const auto home = env("HOME"); home && !home->empty()) {
    base = fs::path(*home) / ".config";
  } else {
    return std::nullopt;
  }
  return base / "glimmerframe" / "settings.ini";
}

SettingsFile SettingsFile::Parse(std::string_view text) {
  SettingsFile file;
  Section* current = &file.sections_.back();
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);

  while (!text.empty()) {
    const size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);

    const std::string_view t = Trim(line);
    if (HasControl(line)) {
      ++file.dropped_;
    } else if (t.empty()) {
      current->lines.push_back(Line{});
    } else if (t.front() == ';' || t.front() == '#') {
      current->lines.push_back(Line{"", std::string(line)});
    } else if (t.front() == '[') {
      const std::string_view name = t.back() == ']' ? Trim(t.substr(1, t.size() - 2)) : "";
      if (!ValidSectionName(name)) {
        ++file.dropped_;
        continue;
      }
      // A section named twice is read as one.
      current = file.Find(name);
      if (!current) {
        file.sections_.push_back(Section{std::string(name), {}});
        current = &file.sections_.back();
      }
    } else if (const size_t eq = t.find('='); eq != std::string_view::npos && eq > 0) {
      const std::string_view key = Trim(t.substr(0, eq));
      current->lines.push_back(Line{std::string(key), std::string(Trim(t.substr(eq + 1)))});
    } else {
      ++file.dropped_;
    }
  }
  return file;
}

SettingsFile SettingsFile::Load(const fs::path& path) {
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  if (ec || size > kMaxFileBytes) return Parse("");
  std::ifstream in(path, std::ios::binary);
  if (!in) return Parse("");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return Parse("");
  return Parse(text);
}

std::string SettingsFile::Serialize() const {
  std::string out;
  for (const Section& section : sections_) {
    if (!section.name.empty()) out += "[" + section.name + "]\n";
    for (const Line& line : section.lines) {
      out += line.key.empty() ? line.text : line.key + "=" + line.text;
      out += '\n';
    }
  }
  return out;
}

bool SettingsFile::Save(const fs::path& path, std::string* error) const {
  const auto fail = [&](std::string message) {
    if (error) *error = std::move(message);
    return false;
  };
  const fs::path folder = path.parent_path();
  if (!folder.empty()) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) return fail("cannot create " + folder.string() + ": " + ec.message());
  }

  std::string why;
  if (!WriteFileAtomically(path, Serialize(), 0644, &why)) return fail(why);
  return true;
}

const SettingsFile::Section* SettingsFile::Find(std::string_view name) const {
  for (const Section& section : sections_) {
    if (SameName(section.name, name)) return &section;
  }
  return nullptr;
}

SettingsFile::Section* SettingsFile::Find(std::string_view name) {
  return const_cast<Section*>(std::as_const(*this).Find(name));
}

std::optional<std::string> SettingsFile::Get(std::string_view section, std::string_view key) const {
  const Section* s = Find(section);
  if (!s || key.empty()) return std::nullopt;
  for (auto it = s->lines.rbegin(); it != s->lines.rend(); ++it) {
    if (SameName(it->key, key)) return it->text;
  }
  return std::nullopt;
}

bool SettingsFile::Set(std::string_view section, std::string_view key, std::string_view value) {
  if (!ValidSectionName(section) || !ValidKey(key) || !ValidValue(value)) return false;
  Section* s = Find(section);
  if (!s) {
    // Keep a blank line between the old last section and the new one.
    Section& last = sections_.back();
    if (!last.lines.empty() && !(last.lines.back().key.empty() && last.lines.back().text.empty())) {
      last.lines.push_back(Line{});
    }
    sections_.push_back(Section{std::string(section), {}});
    s = &sections_.back();
  }
  std::vector<Line>& lines = s->lines;
  bool found = false;
  for (size_t i = lines.size(); i-- > 0;) {
    if (!SameName(lines[i].key, key)) continue;
    if (!found) {
      found = true;
      lines[i].text = std::string(value);
    } else {
      lines.erase(lines.begin() + long(i));
    }
  }
  if (found) return true;
  // New entries go before the section's trailing blank lines.
  size_t at = lines.size();
  while (at > 0 && lines[at - 1].key.empty() && lines[at - 1].text.empty()) --at;
  lines.insert(lines.begin() + long(at), Line{std::string(key), std::string(value)});
  return true;
}

bool SettingsFile::Remove(std::string_view section, std::string_view key) {
  Section* s = Find(section);
  if (!s) return false;
  const size_t before = s->lines.size();
  std::erase_if(s->lines, [&](const Line& line) { return SameName(line.key, key); });
  return s->lines.size() != before;
}

std::vector<std::string> SettingsFile::Sections() const {
  std::vector<std::string> names;
  for (const Section& section : sections_) {
    if (!section.name.empty()) names.push_back(section.name);
  }
  return names;
}

std::vector<std::pair<std::string, std::string>> SettingsFile::Entries(
    std::string_view section) const {
  std::vector<std::pair<std::string, std::string>> entries;
  if (const Section* s = Find(section)) {
    for (const Line& line : s->lines) {
      if (!line.key.empty()) entries.emplace_back(line.key, line.text);
    }
  }
  return entries;
}

}  // namespace glimmer
