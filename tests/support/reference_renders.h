#pragma once
// Frames of a show rendered headless by the program, compared with reviewed
// references: every channel within 4 on at least 99.5 % of the pixels. Set
// GLIMMER_UPDATE_REFERENCES=1 to write new references, then review them.

#include <string>
#include <vector>

namespace glimmer::testing {

// Renders `show` (empty: the built-in show) at `size` ("WxH") at `times`
// and compares frame at_T.png with `referenceDir`/`prefix`at_T.png;
// `extraArgs` go to the render command as they stand ("--clock 03:30:00").
void ExpectRendersAsReviewed(const std::string& show, const std::string& size,
                             const std::vector<std::string>& times, const std::string& referenceDir,
                             const std::string& prefix, const std::string& extraArgs = "");

}  // namespace glimmer::testing
