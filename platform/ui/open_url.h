#pragma once
// Starting helper programs from the dialogs without waiting for them: the
// web browser for the Website button.

#include <string>
#include <vector>

namespace glimmer {

// Runs argv[0] (looked up on PATH) with `argv` as its arguments, detached: no
// shell is involved, the program is not waited for and leaves no zombie.
// Returns false with the reason in `error` when it could not be started.
bool LaunchDetached(const std::vector<std::string>& argv, std::string* error = nullptr);

// Opens `address` in the user's web browser through xdg-open.
bool OpenInBrowser(const std::string& address, std::string* error = nullptr);

}  // namespace glimmer
