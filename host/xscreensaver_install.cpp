#include "host/xscreensaver_install.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "common/atomic_file.h"

namespace glimmer {
namespace fs = std::filesystem;

namespace {

constexpr const char* kSystemConfigDir = "/usr/share/xscreensaver/config";

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// Characters that make a word need quoting for the shell that runs hacks.
bool ShellSafe(std::string_view word) {
  for (const char c : word) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       std::strchr("_./+-=:,@%", c) != nullptr;
    if (!plain) return false;
  }
  return !word.empty();
}

// A path the programs list can hold: no quotes, backslashes or control
// characters (the list is one resource value with backslash escapes).
bool Representable(std::string_view path) {
  for (const char c : path) {
    if (c == '\'' || c == '"' || c == '\\' || (unsigned char)c < 0x20 || c == 0x7F) return false;
  }
  return !path.empty();
}

std::string ShellWord(std::string_view word) {
  if (ShellSafe(word)) return std::string(word);
  return "'" + std::string(word) + "'";
}

std::string XmlEscape(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// The hack's name as XScreenSaver derives its XML file name: the program's
// file name in lower case, blanks as '_'.
std::string HackName(const fs::path& program) {
  std::string name = program.filename().string();
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (c == ' ') c = '_';
  }
  return name;
}

// The command words of a programs-list entry: after the optional '-'
// (disabled), visual ("GL:") and quoted name, its words, a word in single
// quotes taken whole. `disabled` tells whether the entry began with '-'.
std::vector<std::string> EntryWords(std::string_view entry, bool* disabled) {
  entry = TrimLeft(entry);
  *disabled = false;
  if (entry.starts_with('-')) {
    *disabled = true;
    entry = TrimLeft(entry.substr(1));
  }
  // A visual name: letters, digits and '_' up to a ':' before any blank.
  size_t n = 0;
  while (n < entry.size() && (std::isalnum((unsigned char)entry[n]) || entry[n] == '_')) ++n;
  if (n > 0 && n < entry.size() && entry[n] == ':') entry = TrimLeft(entry.substr(n + 1));
  if (entry.starts_with('"')) {
    const size_t close = entry.find('"', 1);
    entry =
        close == std::string_view::npos ? std::string_view() : TrimLeft(entry.substr(close + 1));
  }
  std::vector<std::string> words;
  while (!entry.empty()) {
    if (entry.starts_with('\'')) {
      const size_t close = entry.find('\'', 1);
      words.emplace_back(entry.substr(1, close == std::string_view::npos ? close : close - 1));
      entry = close == std::string_view::npos ? std::string_view() : entry.substr(close + 1);
    } else {
      size_t end = 0;
      while (end < entry.size() && !IsBlank(entry[end]) && entry[end] != '\\') ++end;
      if (end == 0) break;
      words.emplace_back(entry.substr(0, end));
      entry = entry.substr(end);
    }
    entry = TrimLeft(entry);
  }
  return words;
}

// The program that a programs-list entry runs: its first command word.
std::string EntryProgram(std::string_view entry, bool* disabled) {
  const std::vector<std::string> words = EntryWords(entry, disabled);
  return words.empty() ? std::string() : words.front();
}

bool EndsWithContinuation(std::string_view line) {
  line = TrimRight(line);
  return line.ends_with('\\') && !line.ends_with("\\n");
}

// The text of a physical line that belongs to the list's value: the header
// loses "programs:", the continuation backslash is dropped.
std::string_view ValuePart(std::string_view line, bool header) {
  if (header) line = TrimLeft(line).substr(std::string_view("programs:").size());
  line = TrimRight(line);
  if (EndsWithContinuation(line)) line.remove_suffix(1);
  return TrimRight(line);
}

bool WriteAtomically(const fs::path& path, std::string_view text, mode_t mode, std::string* error) {
  // A suffix of our own, so a user's ~/.xscreensaver.tmp is never touched.
  return WriteFileAtomically(path, text, mode, error, ".glimmer-tmp");
}

std::optional<std::string> ReadWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return text.str();
}

// Calls `visit`(first, last, text) for each entry of the list on lines
// [header, end]: entries end at a "\n" in the value, blank lines between them
// belong to none. Stops when `visit` returns true, and says whether it did.
template <class Visit>
bool VisitEntries(const std::vector<std::string>& lines, size_t header, size_t end, Visit&& visit) {
  size_t entryStart = header;
  for (size_t i = header; i <= end; ++i) {
    const std::string_view value = ValuePart(lines[i], i == header);
    if (i == entryStart && TrimLeft(value).empty()) {
      entryStart = i + 1;
      continue;
    }
    if (!value.ends_with("\\n") && i < end) continue;  // the entry goes on
    std::string joined;
    for (size_t k = entryStart; k <= i; ++k) {
      joined += ValuePart(lines[k], k == header);
      joined += ' ';
    }
    if (visit(entryStart, i, joined)) return true;
    entryStart = i + 1;
  }
  return false;
}

// `text` as lines without their '\n'.
std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines, bool finalNewline) {
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    out += lines[i];
    if (i + 1 < lines.size() || finalNewline) out += '\n';
  }
  return out;
}

bool HasProgramsList(std::string_view text) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    if (TrimLeft(text.substr(start, end - start)).starts_with("programs:")) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

std::string HackCommand(const fs::path& program, const std::optional<fs::path>& show) {
  std::string command = ShellWord(program.string());
  if (show) command += " " + ShellWord(show->string());
  return command + " -root";
}

std::string HackDescriptionXml(const fs::path& program, const std::optional<fs::path>& show,
                               std::string_view label) {
  std::ostringstream xml;
  xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n\n"
      << "<screensaver name=\"" << XmlEscape(HackName(program)) << "\" _label=\""
      << XmlEscape(label) << "\">\n\n";
  if (show) xml << "  <command arg=\"" << XmlEscape(ShellWord(show->string())) << "\"/>\n";
  xml << "  <command arg=\"-root\"/>\n\n"
      << "  <select id=\"position\">\n"
      << "    <option id=\"stored\" _label=\"Picture position from the player's settings\"/>\n"
      << "    <option id=\"stretch\" _label=\"Stretch the picture to the screen\""
         " arg-set=\"--position stretch\"/>\n"
      << "    <option id=\"fit\" _label=\"Fit the whole picture on the screen\""
         " arg-set=\"--position fit\"/>\n"
      << "    <option id=\"fill\" _label=\"Fill the screen with the picture\""
         " arg-set=\"--position fill\"/>\n"
      << "  </select>\n\n"
      << "  <number id=\"volume\" type=\"slider\" arg=\"--volume %\" _label=\"Volume\""
         " _low-label=\"Silent\" _high-label=\"Loudest\" low=\"0\" high=\"100\" "
         "default=\"100\"/>\n\n"
      << "  <boolean id=\"mute\" _label=\"Mute\" arg-set=\"--mute\"/>\n\n"
      << "  <_description>\n"
      << "Plays an animated Glimmerframe show: pictures under a slowly moving camera, with\n"
      << "animated layers and music. At full volume the player's own volume setting applies.\n\n"
      << "https://glimmerframe.example.org\n"
      << "  </_description>\n"
      << "</screensaver>\n";
  return xml.str();
}

std::string DefaultProgramsList(std::string_view appDefaults) {
  std::string list;
  bool inList = false;
  size_t start = 0;
  while (start < appDefaults.size()) {
    size_t end = appDefaults.find('\n', start);
    if (end == std::string_view::npos) end = appDefaults.size();
    const std::string_view line = appDefaults.substr(start, end - start);
    start = end + 1;
    if (!inList) {
      const std::string_view trimmed = TrimLeft(line);
      if (!trimmed.starts_with("*programs:")) continue;
      inList = true;
      list += trimmed.substr(1);
    } else {
      list += line;
    }
    list += '\n';
    if (!EndsWithContinuation(line)) break;
  }
  return list;
}

std::string WithProgramsEntry(std::string_view text, const fs::path& program,
                              std::string_view command, bool* replaced, std::string_view label) {
  if (replaced) *replaced = false;
  std::vector<std::string> lines = SplitLines(text);
  const bool endedWithNewline = text.empty() || text.back() == '\n';
  const std::string entry = "  GL: \"" + std::string(label) + "\"  " + std::string(command);
  const auto join = [&](bool finalNewline) { return JoinLines(lines, finalNewline); };

  size_t header = lines.size();
  for (size_t i = 0; i < lines.size(); ++i) {
    if (TrimLeft(lines[i]).starts_with("programs:")) {
      header = i;
      break;
    }
  }
  if (header == lines.size()) {
    if (!lines.empty() && !TrimRight(lines.back()).empty()) lines.emplace_back();
    lines.push_back("programs:\t\t\\");
    lines.push_back(entry + "  \\n\\");
    lines.emplace_back();
    return join(true);
  }

  // The list runs while lines end with a continuing backslash.
  size_t last = header;
  while (last + 1 < lines.size() && EndsWithContinuation(lines[last])) ++last;

  // Replace an entry that runs `program`, ending the way its last line did.
  const bool found =
      VisitEntries(lines, header, last, [&](size_t first, size_t i, const std::string& joined) {
        bool disabled = false;
        if (EntryProgram(joined, &disabled) != program.string()) return false;
        const bool continues = EndsWithContinuation(lines[i]);
        const bool terminated = ValuePart(lines[i], i == header).ends_with("\\n");
        std::string line = (disabled ? "-" : "") + entry;
        line += continues ? "  \\n\\" : terminated ? "  \\n" : "";
        std::vector<std::string> replacement;
        if (first == header) replacement.push_back("programs:\t\t\\");
        replacement.push_back(line);
        lines.erase(lines.begin() + long(first), lines.begin() + long(i) + 1);
        lines.insert(lines.begin() + long(first), replacement.begin(), replacement.end());
        return true;
      });
  if (found) {
    if (replaced) *replaced = true;
    return join(endedWithNewline);
  }

  // Not listed: add the entry at the end of the list.
  if (last > header && TrimRight(lines[last]).empty()) {
    lines.insert(lines.begin() + long(last), entry + "  \\n\\");
    return join(endedWithNewline);
  }
  std::string& end = lines[last];
  if (!EndsWithContinuation(end)) {
    const std::string_view value = ValuePart(end, last == header);
    if (value.empty() || value.ends_with("\\n")) {
      end = std::string(TrimRight(end)) + "\\";
    } else {
      end = std::string(TrimRight(end)) + " \\n\\";
    }
  }
  lines.insert(lines.begin() + long(last) + 1, entry + "  \\n");
  return join(true);
}

std::string WithoutProgramsEntries(
    std::string_view text,
    const std::function<bool(const std::string& program, const std::string& show)>& ours,
    std::vector<std::string>* removed) {
  std::vector<std::string> lines = SplitLines(text);
  const bool endedWithNewline = text.empty() || text.back() == '\n';
  size_t header = lines.size();
  for (size_t i = 0; i < lines.size(); ++i) {
    if (TrimLeft(lines[i]).starts_with("programs:")) {
      header = i;
      break;
    }
  }
  if (header == lines.size()) return std::string(text);
  size_t last = header;
  while (last + 1 < lines.size() && EndsWithContinuation(lines[last])) ++last;

  struct Range {
    size_t first, last;
  };
  std::vector<Range> doomed;
  VisitEntries(lines, header, last, [&](size_t first, size_t i, const std::string& joined) {
    bool disabled = false;
    const std::vector<std::string> words = EntryWords(joined, &disabled);
    if (!words.empty() && ours(words[0], words.size() > 1 ? words[1] : std::string())) {
      doomed.push_back({first, i});
      if (removed) removed->push_back(words[0]);
    }
    return false;
  });
  // From the bottom up, so the places above stay where they are.
  for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) {
    const bool wasLast = it->last == last;
    const size_t count = it->last - it->first + 1;
    if (it->first == header) {
      // The header keeps the list going, or ends it when nothing follows.
      lines[header] = wasLast ? "programs:" : "programs:\t\t\\";
      lines.erase(lines.begin() + long(header) + 1, lines.begin() + long(it->last) + 1);
      last -= count - 1;
      continue;
    }
    lines.erase(lines.begin() + long(it->first), lines.begin() + long(it->last) + 1);
    last -= count;
    if (wasLast) {
      // The entry above is the list's last now: it no longer continues.
      std::string& end = lines[last];
      end = std::string(TrimRight(end));
      if (EndsWithContinuation(end)) end = std::string(TrimRight(end.substr(0, end.size() - 1)));
    }
  }
  return JoinLines(lines, endedWithNewline);
}

std::string ShowHackName(std::string_view title) {
  std::string name = "glimmer-";
  bool gap = false;
  for (const unsigned char c : title) {
    if (std::isalnum(c) && c < 0x80) {
      if (gap && name.back() != '-') name += '-';
      name += char(std::tolower(c));
      gap = false;
    } else {
      gap = true;
    }
  }
  if (name.back() == '-') name.pop_back();
  return name == "glimmer" ? "glimmer-show" : name;
}

namespace {

fs::path HomeOf(const InstallOptions& options) {
  if (options.home) return *options.home;
  const char* env = std::getenv("HOME");
  return env && *env ? fs::path(env) : fs::path();
}

fs::path ConfigDirOf(const InstallOptions& options, const fs::path& home) {
  return options.configDir ? *options.configDir : home / ".xscreensaver-hacks";
}

// The programs list file, following a link to where it is kept.
fs::path ListPath(const fs::path& home) {
  std::error_code ec;
  fs::path rcPath = home / ".xscreensaver";
  if (fs::is_symlink(rcPath, ec)) {
    const fs::path target = fs::canonical(rcPath, ec);
    if (!ec) rcPath = target;
  }
  return rcPath;
}

}  // namespace

int InstallXScreenSaverShow(InstallOptions options, const std::string& title, std::ostream& out,
                            std::ostream& err) {
  const fs::path home = HomeOf(options);
  if (home.empty()) {
    err << "glimmer: HOME is not set, so there is no ~/.xscreensaver to add the hack to\n";
    return 1;
  }
  std::error_code ec;
  fs::path program =
      options.program ? fs::absolute(*options.program, ec) : fs::read_symlink("/proc/self/exe", ec);
  if (ec || program.empty()) {
    err << "glimmer: cannot tell where this program is: " << ec.message() << '\n';
    return 1;
  }
  const fs::path links = ConfigDirOf(options, home) / "bin";
  fs::create_directories(links, ec);
  const fs::path link = links / ShowHackName(title);
  fs::remove(link, ec);
  fs::create_symlink(program, link, ec);
  if (ec) {
    err << "glimmer: cannot make the hack's link " << link.string() << ": " << ec.message() << '\n';
    return 1;
  }
  // The label sits in double quotes in the list: none of those, nor
  // backslashes or control characters, in it.
  std::string label;
  for (const unsigned char c : title)
    if (c != '"' && c != '\\' && c >= 0x20 && c != 0x7F) label += char(c);
  options.label = label.empty() ? "Glimmerframe" : label;
  options.program = link;
  return InstallXScreenSaver(options, out, err);
}

int UninstallXScreenSaver(const InstallOptions& options, const std::vector<fs::path>& shows,
                          std::ostream& out, std::ostream& err) {
  const fs::path home = HomeOf(options);
  if (home.empty()) {
    err << "glimmer: HOME is not set, so there is no ~/.xscreensaver to take hacks from\n";
    return 1;
  }
  std::error_code ec;
  const fs::path program =
      options.program ? fs::absolute(*options.program, ec) : fs::read_symlink("/proc/self/exe", ec);
  const fs::path configDir = ConfigDirOf(options, home), links = configDir / "bin";
  std::vector<std::string> wanted;
  for (const fs::path& show : shows) wanted.push_back(fs::absolute(show, ec).string());
  const auto ours = [&](const std::string& entryProgram, const std::string& show) {
    const fs::path p(entryProgram);
    const bool mine =
        p == program || (p.parent_path() == links && p.filename().string().starts_with("glimmer-"));
    if (!mine) return false;
    return wanted.empty() || std::find(wanted.begin(), wanted.end(), show) != wanted.end();
  };
  const fs::path rcPath = ListPath(home);
  std::vector<std::string> removed;
  if (fs::exists(rcPath, ec)) {
    const std::optional<std::string> text = ReadWhole(rcPath);
    if (!text) {
      err << "glimmer: cannot read " << rcPath.string() << '\n';
      return 1;
    }
    const std::string updated = WithoutProgramsEntries(*text, ours, &removed);
    if (updated != *text) {
      struct stat st {};
      const mode_t mode = stat(rcPath.c_str(), &st) == 0 ? st.st_mode & 07777 : 0644;
      std::string error;
      if (!WriteAtomically(rcPath, updated, mode, &error)) {
        err << "glimmer: cannot update the programs list: " << error << '\n';
        return 1;
      }
    }
  }
  if (removed.empty()) {
    out << "No Glimmerframe hack " << (shows.empty() ? "is" : "for those shows is") << " listed in "
        << rcPath.string() << '\n';
    return 0;
  }
  for (const std::string& entry : removed) {
    const fs::path p(entry);
    // The description and, for a show's hack, its link go with the entry.
    fs::remove(configDir / (HackName(p) + ".xml"), ec);
    if (p.parent_path() == links) fs::remove(p, ec);
    out << "Removed " << p.filename().string() << " from " << rcPath.string() << '\n';
  }
  return 0;
}

int InstallXScreenSaver(const InstallOptions& options, std::ostream& out, std::ostream& err) {
  fs::path home;
  if (options.home) {
    home = *options.home;
  } else if (const char* env = std::getenv("HOME"); env && *env) {
    home = env;
  } else {
    err << "glimmer: HOME is not set, so there is no ~/.xscreensaver to add the hack to\n";
    return 1;
  }

  std::error_code ec;
  fs::path program;
  if (options.program) {
    program = fs::absolute(*options.program, ec);
  } else {
    program = fs::read_symlink("/proc/self/exe", ec);
  }
  if (ec || program.empty()) {
    err << "glimmer: cannot tell where this program is: " << ec.message() << '\n';
    return 1;
  }
  std::optional<fs::path> show;
  if (options.show) {
    show = fs::absolute(*options.show, ec);
    if (ec || !fs::is_regular_file(*show, ec)) {
      err << "glimmer: no show file at " << options.show->string() << '\n';
      return 2;
    }
  }
  for (const fs::path* path : {&program, show ? &*show : nullptr}) {
    if (path && !Representable(path->string())) {
      err << "glimmer: " << path->string()
          << " holds quotes, backslashes or control characters, which an XScreenSaver programs "
             "list cannot hold; move or rename it\n";
      return 2;
    }
  }

  // The hack's description.
  const fs::path configDir = options.configDir ? *options.configDir : home / ".xscreensaver-hacks";
  fs::create_directories(configDir, ec);
  const fs::path xmlPath = configDir / (HackName(program) + ".xml");
  std::string error;
  if (ec) {
    err << "glimmer: cannot create " << configDir.string() << ": " << ec.message() << '\n';
    return 1;
  }
  if (!WriteAtomically(xmlPath, HackDescriptionXml(program, show, options.label), 0644, &error)) {
    err << "glimmer: cannot write the hack's description: " << error << '\n';
    return 1;
  }
  out << "Wrote the hack's description to " << xmlPath.string() << '\n';

  // The programs list. A link (dotfiles kept elsewhere) is followed, so the
  // file it points at is rewritten and the link stays.
  fs::path rcPath = home / ".xscreensaver";
  if (fs::is_symlink(rcPath, ec)) {
    const fs::path target = fs::canonical(rcPath, ec);
    if (!ec) rcPath = target;
  }
  std::string text;
  mode_t mode = 0644;
  if (fs::exists(rcPath, ec)) {
    const std::optional<std::string> read = ReadWhole(rcPath);
    if (!read) {
      err << "glimmer: cannot read " << rcPath.string() << '\n';
      return 1;
    }
    text = *read;
    struct stat st {};
    if (stat(rcPath.c_str(), &st) == 0) mode = st.st_mode & 07777;
  }
  // Without a programs list XScreenSaver runs the hacks of its defaults; a
  // list holding only ours would hide them all, so a new list starts from
  // those defaults.
  const bool hadList = HasProgramsList(text);
  std::string base = text;
  size_t defaults = 0;
  if (!hadList) {
    if (const std::optional<std::string> app = ReadWhole(options.appDefaults)) {
      const std::string list = DefaultProgramsList(*app);
      for (size_t at = list.find("\\n"); at != std::string::npos; at = list.find("\\n", at + 2))
        ++defaults;
      if (!list.empty()) {
        if (!base.empty() && base.back() != '\n') base += '\n';
        base += list;
      }
    }
  }
  const std::string command = HackCommand(program, show);
  bool replaced = false;
  const std::string updated = WithProgramsEntry(base, program, command, &replaced, options.label);
  if (updated == text) {
    out << rcPath.string() << " already lists " << command << '\n';
  } else {
    if (!WriteAtomically(rcPath, updated, mode, &error)) {
      err << "glimmer: cannot update the programs list: " << error << '\n';
      return 1;
    }
    out << (replaced  ? "Updated the entry in the programs list in "
            : hadList ? "Added to the programs list in "
                      : "Started a programs list in ")
        << rcPath.string() << ": " << command << '\n';
    if (!hadList && defaults > 0) {
      out << "(The list starts with XScreenSaver's " << defaults << " default hacks from "
          << options.appDefaults.string() << ".)\n";
    } else if (!hadList) {
      out << "(XScreenSaver's defaults were not found at " << options.appDefaults.string()
          << ", so XScreenSaver now offers only the hacks in that list; xscreensaver-settings "
             "can add the others back.)\n";
    }
  }
  if (configDir != fs::path(kSystemConfigDir)) {
    out << "xscreensaver-settings shows the hack's options once its description is in "
        << kSystemConfigDir << ":\n  sudo cp " << ShellWord(xmlPath.string()) << ' '
        << kSystemConfigDir << "/\n";
  }
  return 0;
}

}  // namespace glimmer
