#pragma once
// The program's command line as a run mode. Two dialects are understood:
// the screen-saver switches (/s, /p 1234, /c:1234, ...) and the options an
// X11 screen-saver daemon passes to its hacks (-root, -window-id ID, the
// XSCREENSAVER_WINDOW environment variable, -window, -fps).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glimmer {

enum class RunMode : int {
  Settings = 0,        // settings dialog (c, or no switch at all)
  Preview = 1,         // draw inside the parent window (p), or inside a given X window
  FullScreen = 2,      // s or any other letter; also -root
  Test = 3,            // a normal window (t, or -window)
  ChangePassword = 4,  // a
  RunNothing = 5,      // r
  ShowNothing = 6,     // n: the program ends at once
};

struct CommandLine {
  RunMode mode = RunMode::Settings;
  // The parent window handle of c, p and a, or the X window of -window-id /
  // XSCREENSAVER_WINDOW; 0 when none was given.
  uint64_t parentWindow = 0;
  bool root = false;      // -root: draw on the root window
  bool windowId = false;  // parentWindow names an existing X window to draw into
  bool fps = false;       // -fps: show the frame rate and device description
  bool vsync = true;      // --no-vsync clears it
  // Non-empty when a window handle or id could not be read; the other fields
  // then hold what was read before the problem.
  std::string error;
};

// Parses the arguments after the program name. Daemon options are taken out
// first (in single- or double-dash form); `-window-id` beats
// XSCREENSAVER_WINDOW, which applies with `-root` or when nothing else picks a
// mode; both make the mode Preview with `windowId` set, since the daemon owns
// that window and ends the player itself. What remains is joined with single
// spaces and read by the switch rule, so "/p 1234" and "/p:1234" agree.
// `xscreensaverWindow` is the value of that environment variable, if set.
CommandLine ParseCommandLine(const std::vector<std::string>& args,
                             std::optional<std::string_view> xscreensaverWindow = std::nullopt);

// The switch rule on a command line without the program path: the switch is
// the character after the first '/' or '-' (any case), then one separator
// (space or colon) and, for c, p and a, the parent window as a decimal number.
CommandLine ParseSaverSwitches(std::string_view text);

// A whole command line as the system hands it over: the first token (the
// program path, quoted or not) is skipped, then the switch rule applies.
CommandLine ParseFullCommandLine(std::string_view line);

}  // namespace glimmer
