#pragma once
// How a settings dialog ended, with the values the dialogs return.

namespace glimmer {

enum class DialogResult : int {
  Open = 0,    // still showing
  Ok = 1,      // the OK button
  Cancel = 2,  // the Cancel button, or the window closed
};

}  // namespace glimmer
