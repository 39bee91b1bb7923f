#pragma once
// Installs the player as an XScreenSaver hack for the current user:
//
// - the hack's description, an XML file named after the program
//   (glimmer.xml for .../glimmer) with the picture position, volume and mute
//   options that xscreensaver-settings shows. XScreenSaver reads these only
//   from its own configuration folder (/usr/share/xscreensaver/config), so
//   the file is written to ~/.xscreensaver-hacks/ (or a folder given) and the
//   installer says how to copy it there;
// - the hack's entry in the "programs:" list of ~/.xscreensaver:
//       GL: "Glimmerframe" /path/to/glimmer [FILE] -root
//   added once; a second install replaces the entry in place. Every other
//   line of the file stays as it was; the file is written atomically.
//
// The hack's options on its command line: --position stretch|fit|fill,
// --volume N (0 to 100), --mute; XScreenSaver swaps -root for -window-id when
// it previews.

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace glimmer {

struct InstallOptions {
  std::optional<std::filesystem::path> program;    // default: this program (/proc/self/exe)
  std::optional<std::filesystem::path> show;       // a show FILE for the hack to play
  std::optional<std::filesystem::path> home;       // default: $HOME
  std::optional<std::filesystem::path> configDir;  // default: HOME/.xscreensaver-hacks
  // XScreenSaver's own defaults, whose programs list a new list starts from.
  std::filesystem::path appDefaults = "/etc/X11/app-defaults/XScreenSaver";
};

// Returns 0 on success, 1 when a file cannot be read or written or there is
// no home folder, 2 for a program or show path that the programs list
// cannot hold (quotes, backslashes, control characters). Reports what it did
// on `out` and failures on `err`.
int InstallXScreenSaver(const InstallOptions& options, std::ostream& out, std::ostream& err);

// The hack's command: `program`, the show when given, and -root, each word
// single-quoted when it holds characters the shell would read.
std::string HackCommand(const std::filesystem::path& program,
                        const std::optional<std::filesystem::path>& show);

// The XML description of the hack for `program` (its file name gives the
// hack's name) playing `show` when given.
std::string HackDescriptionXml(const std::filesystem::path& program,
                               const std::optional<std::filesystem::path>& show);

// The programs list of XScreenSaver's app-defaults text ("*programs:" and its
// continued lines), as a ~/.xscreensaver holds it ("programs:"); empty when
// the text has none.
std::string DefaultProgramsList(std::string_view appDefaults);

// `text` (the contents of ~/.xscreensaver, possibly empty) with the entry
// for `command` in its programs list: an entry that runs `program` is
// replaced (keeping a leading '-' that disables it), otherwise the entry is
// appended to the list, or a list is added at the end when there is none.
// Lines outside the entry are kept byte for byte. `replaced` tells whether
// an entry was there.
std::string WithProgramsEntry(std::string_view text, const std::filesystem::path& program,
                              std::string_view command, bool* replaced = nullptr);

}  // namespace glimmer
