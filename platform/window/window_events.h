#pragma once

#include <cstdint>
// What the saver hears from its windows and says to the desktop, in the
// host's own terms rather than SDL's.

#include <string>

namespace glimmer {

struct WindowEvent {
  enum class Kind { Quit, Key, Button, Move, FocusLost, Closed, Suspend, Other };
  Kind kind = Kind::Other;
  int x = 0, y = 0;            // Move: the pointer on the desktop
  int localX = 0, localY = 0;  // Move, Button: the pointer in the window
  uint32_t window = 0;         // Move, Button: the window's id
  // Key: the key's character in lower case (' ', 'f', 'q'), 27 for Escape,
  // other keys' codes above 127; `repeat` for a held key's repeats.
  int key = 0;
  bool repeat = false;
};

class WindowEvents {
 public:
  // The next waiting event; false when none is waiting. Focus counts as lost
  // only when it went to another program after one of ours had it.
  bool Poll(WindowEvent& event);

 private:
  bool hadFocus_ = false;
};

void HideCursor();
// The system's hand cursor (over a link) or its arrow.
void SetHandCursor(bool hand);
// A message box over the desktop; nothing when the video system never
// started (the text has gone to standard error already).
void ShowErrorMessage(const std::string& title, const std::string& text);
// Shuts the video system down if it was started.
void StopVideo();
// Gives the processor away briefly (a frame loop without vertical sync).
void PauseBriefly();

}  // namespace glimmer
