#pragma once
// The subcommands of the glimmer program.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <vector>

#include "document/document_source.h"

namespace glimmer {

struct DocumentArgs {
  std::optional<std::filesystem::path> file;         // none: the carried or built-in show
  std::vector<std::filesystem::path> moduleFolders;  // more places for resource modules
};

// The document's bytes (the named file, a show carried by the program, or
// the built-in show), with the resource-module search folders set for it. A
// named JSON show (".json") is composed in memory first. Throws GlimmerError
// 0x8200000B, or JsonFormatError naming the file and the field for a JSON
// show that does not compose.
DocumentBytes FindShow(const DocumentArgs& args);

// Whether `file` names a JSON show (by its extension, in any case).
bool IsJsonShow(const std::filesystem::path& file);

// install-xscreensaver: without shows, the player's own hack; otherwise one
// hack a show that loads, named by its file's name (documents store no title),
// each show that does not load skipped with one message. Returns 0 when every
// show was installed, 1 when one was skipped or a file could not be written.
int RunInstallXScreenSaver(const std::vector<std::filesystem::path>& shows, std::ostream& out,
                           std::ostream& err);
// uninstall-xscreensaver: takes our hacks (those of `shows` only, when given)
// out of the programs list, with their links and descriptions.
int RunUninstallXScreenSaver(const std::vector<std::filesystem::path>& shows, std::ostream& out,
                             std::ostream& err);

// Each returns the process exit code; failures go to standard error.
int RunInfo(const DocumentArgs& args, std::ostream& out);
int RunDump(const DocumentArgs& args, const std::optional<std::filesystem::path>& outDir,
            std::ostream& out);
int RunClasses(std::ostream& out);

struct RenderOptions {
  uint32_t width = 1280, height = 720;
  double fps = 25;
  // Length of the sequence; none: 5 s of PNG frames, or one pass through
  // the show's slides for a video.
  std::optional<double> seconds;
  std::vector<double> at;  // single frames at these times instead of a sequence
  // A folder for PNG frames, or a video file (.mp4, .mkv, .webm).
  std::filesystem::path out = "frames";
  int picturePosition = 2;  // 0 Stretch, 1 Fit, 2 Fill
  int captureScale = 3;     // capture targets at most this many times the frame
  // A video of a show with music or sound layers carries their mix, unless muted.
  bool mute = false;
};
// Writes the document a JSON show describes; nothing is written on error.
int RunCompose(const std::filesystem::path& json, const std::filesystem::path& out,
               std::ostream& os);
// Writes a copy of this program carrying a show (a document, or a JSON show
// composed first), which plays it by default.
int RunPack(const std::filesystem::path& show, const std::filesystem::path& out, std::ostream& os);

// Plays the show headless and writes its frames as PNG files or a video;
// a video gets the show's sound as the player mixes it, at full volume.
// Option values the show or the device rule out are usage errors (exit 2).
int RunRender(const DocumentArgs& args, const RenderOptions& options, std::ostream& out);

}  // namespace glimmer
