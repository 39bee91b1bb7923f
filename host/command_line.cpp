#include "host/command_line.h"

#include <charconv>

namespace glimmer {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// All of `digits` as a number in `base`; nullopt when empty, not all digits
// (no sign, no spaces) or too large.
std::optional<uint64_t> ParseUnsigned(std::string_view digits, int base) {
  if (digits.empty()) return std::nullopt;
  uint64_t value = 0;
  const char* end = digits.data() + digits.size();
  const auto [ptr, ec] = std::from_chars(digits.data(), end, value, base);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

// An X window id: hexadecimal with a 0x prefix, as the daemon writes it, or
// decimal. Zero is no window.
std::optional<uint64_t> ParseWindowId(std::string_view text) {
  std::optional<uint64_t> id;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    id = ParseUnsigned(text.substr(2), 16);
  } else {
    id = ParseUnsigned(text, 10);
  }
  if (id && *id == 0) return std::nullopt;
  return id;
}

RunMode ModeOfSwitch(char c) {
  switch (c) {
    case 'c':
    case 'C':
      return RunMode::Settings;
    case 'p':
    case 'P':
      return RunMode::Preview;
    case 't':
    case 'T':
      return RunMode::Test;
    case 'a':
    case 'A':
      return RunMode::ChangePassword;
    case 'r':
    case 'R':
      return RunMode::RunNothing;
    case 'n':
    case 'N':
      return RunMode::ShowNothing;
    default:
      return RunMode::FullScreen;
  }
}

bool TakesParent(RunMode mode) {
  return mode == RunMode::Settings || mode == RunMode::Preview || mode == RunMode::ChangePassword;
}

}  // namespace

CommandLine ParseSaverSwitches(std::string_view text) {
  CommandLine out;
  const size_t mark = text.find_first_of("/-");
  if (mark == std::string_view::npos || mark + 1 >= text.size()) return out;
  out.mode = ModeOfSwitch(text[mark + 1]);
  if (!TakesParent(out.mode)) return out;

  std::string_view rest = text.substr(mark + 2);
  if (!rest.empty() && (rest[0] == ' ' || rest[0] == ':')) rest.remove_prefix(1);
  while (!rest.empty() && IsBlank(rest[0])) rest.remove_prefix(1);
  size_t end = 0;
  while (end < rest.size() && !IsBlank(rest[end])) ++end;
  const std::string_view number = rest.substr(0, end);
  if (number.empty()) return out;  // no parent window
  if (const auto parent = ParseUnsigned(number, 10)) {
    out.parentWindow = *parent;
  } else {
    out.error = "the parent window handle is not a decimal number: '" + std::string(number) + "'";
  }
  return out;
}

CommandLine ParseFullCommandLine(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  if (i < line.size() && line[i] == '"') {
    // A quoted path may hold spaces, slashes and dashes; it ends at the
    // closing quote, and anything glued to that quote still belongs to it.
    const size_t close = line.find('"', i + 1);
    i = close == std::string_view::npos ? line.size() : close + 1;
  }
  while (i < line.size() && !IsBlank(line[i])) ++i;
  return ParseSaverSwitches(line.substr(i));
}

CommandLine ParseCommandLine(const std::vector<std::string>& args,
                             std::optional<std::string_view> xscreensaverWindow) {
  CommandLine out;
  bool window = false;
  bool idGiven = false;
  std::string idText;
  std::vector<std::string_view> rest;

  for (size_t i = 0; i < args.size(); ++i) {
    std::string_view name = args[i];
    if (name.starts_with("--")) name.remove_prefix(1);
    if (name == "-root") {
      out.root = true;
    } else if (name == "-window") {
      window = true;
    } else if (name == "-window-id") {
      if (i + 1 < args.size()) {
        idText = args[++i];
        idGiven = true;
      } else {
        out.error = "-window-id needs a window id";
      }
    } else if (name.starts_with("-window-id=")) {
      idText = name.substr(11);
      idGiven = true;
    } else if (name == "-fps") {
      out.fps = true;
    } else if (name == "-no-vsync") {
      out.vsync = false;
    } else {
      rest.push_back(args[i]);
    }
  }

  const bool envGiven = xscreensaverWindow && !xscreensaverWindow->empty();
  if (idGiven) {
    out.mode = RunMode::Preview;
    if (const auto id = ParseWindowId(idText)) {
      out.windowId = true;
      out.parentWindow = *id;
    } else {
      out.error = "-window-id: not a window id: '" + idText + "'";
    }
  } else if (envGiven && !window && (out.root || rest.empty())) {
    out.mode = RunMode::Preview;
    if (const auto id = ParseWindowId(*xscreensaverWindow)) {
      out.windowId = true;
      out.parentWindow = *id;
    } else {
      out.error =
          "XSCREENSAVER_WINDOW: not a window id: '" + std::string(*xscreensaverWindow) + "'";
    }
  } else if (out.root) {
    out.mode = RunMode::FullScreen;
  } else if (window) {
    out.mode = RunMode::Test;
  } else if (out.error.empty()) {
    std::string joined;
    for (const std::string_view word : rest) {
      if (!joined.empty()) joined += ' ';
      joined += word;
    }
    const CommandLine switches = ParseSaverSwitches(joined);
    out.mode = switches.mode;
    out.parentWindow = switches.parentWindow;
    out.error = switches.error;
  }
  return out;
}

}  // namespace glimmer
