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
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace glimmer {

struct InstallOptions {
  std::optional<std::filesystem::path> program;    // default: this program (/proc/self/exe)
  std::optional<std::filesystem::path> show;       // a show FILE for the hack to play
  std::string label = "Glimmerframe";              // the hack's name in the list
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

// One hack a show, each with its own name and description: the show plays
// through a link to this program named "glimmer-" and the title's letters
// (HOME/.xscreensaver-hacks/bin/glimmer-autumn-lake), since XScreenSaver
// finds a hack's description by its program's name; the description file
// and the programs-list entry are then those of that link, labelled `title`.
// `options.show` is the show, `options.program` the program the link points
// at. Returns as InstallXScreenSaver.
int InstallXScreenSaverShow(InstallOptions options, const std::string& title, std::ostream& out,
                            std::ostream& err);

// The link name for a show titled `title`: "glimmer-" and its letters and
// digits in lower case, other runs as one '-' ("glimmer-show" for none).
std::string ShowHackName(std::string_view title);

// Takes our hacks out of the programs list and removes their links and
// description files: every entry that runs the program or one of the show
// links, or with `shows` given only the entries playing those shows. The
// user's other entries and lines stay byte for byte. Returns 0 (also when
// nothing was listed), 1 when a file cannot be read or written.
int UninstallXScreenSaver(const InstallOptions& options,
                          const std::vector<std::filesystem::path>& shows, std::ostream& out,
                          std::ostream& err);

// `text` without the programs-list entries for which `ours`(program, show)
// holds (show: the entry's second word, empty when none); the list's other
// entries and every other line stay. `removed` gets the programs removed.
std::string WithoutProgramsEntries(
    std::string_view text,
    const std::function<bool(const std::string& program, const std::string& show)>& ours,
    std::vector<std::string>* removed = nullptr);

// The hack's command: `program`, the show when given, and -root, each word
// single-quoted when it holds characters the shell would read.
std::string HackCommand(const std::filesystem::path& program,
                        const std::optional<std::filesystem::path>& show);

// The XML description of the hack for `program` (its file name gives the
// hack's name) playing `show` when given, shown as `label`.
std::string HackDescriptionXml(const std::filesystem::path& program,
                               const std::optional<std::filesystem::path>& show,
                               std::string_view label = "Glimmerframe");

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
                              std::string_view command, bool* replaced = nullptr,
                              std::string_view label = "Glimmerframe");

}  // namespace glimmer
