#pragma once
// glimmer sheet: a contact sheet of a show, one frame of every slide (as the
// thumbnail picks it) with its number and name beneath.

#include <cstdint>
#include <filesystem>

#include "app/commands.h"

namespace glimmer {

struct SheetOptions {
  std::filesystem::path out = "sheet.png";
  uint32_t columns = 4;
  uint32_t cellWidth = 320, cellHeight = 180;  // each slide's frame
};

// Plays the show from its start and draws each slide once it has been on
// for the thumbnail's time; 0 on success, 1 when the show does not load or
// the sheet cannot be written, 2 for a sheet too large.
int RunSheet(const DocumentArgs& args, const SheetOptions& options, std::ostream& out);

}  // namespace glimmer
