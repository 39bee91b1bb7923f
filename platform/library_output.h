#pragma once
// What the libraries under the platform layer print on standard error by
// themselves (SDL's, ALSA's and Mesa's own lines while a device opens) is held
// back unless verbose output was asked for; the player's own messages, one
// line each, always show.

namespace glimmer {

// Whether the libraries' own lines reach standard error (off by default).
void ShowLibraryOutput(bool shown);
bool LibraryOutputShown();

// While alive, standard error goes nowhere unless the libraries' output is
// shown. Wrap only the library calls that open devices, never our own
// messages; not for nesting across threads.
class [[nodiscard]] QuietLibraryOutput {
 public:
  QuietLibraryOutput();
  ~QuietLibraryOutput();
  QuietLibraryOutput(const QuietLibraryOutput&) = delete;
  QuietLibraryOutput& operator=(const QuietLibraryOutput&) = delete;

 private:
  int saved_ = -1;
};

}  // namespace glimmer
