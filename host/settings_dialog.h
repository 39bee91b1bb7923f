#pragma once
// The settings dialog: the picture position ("Image Settings"), buttons that
// open the display and sound dialogs, and "Information" with the show's
// credits and a button to the player's web page. OK stores the picture
// position and the display settings; Cancel stores nothing (the sound dialog
// stores its own values when it is confirmed).
//
// SettingsDialog is the dialog's logic, usable without a window;
// DrawSettingsDialog draws it with ImGui; RunSettingsDialog opens a window
// and runs it until it closes.

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/dialog_result.h"
#include "host/display_dialog.h"
#include "host/saver_settings.h"
#include "host/sound_dialog.h"

namespace glimmer {

class SettingsDialog;

// The player's web page and the credits shown when the show has none.
inline constexpr const char* kWebsiteAddress = "https://glimmerframe.example.org";
inline constexpr const char* kDefaultCredits =
    "Glimmerframe player: plays animated screensaver shows on Linux with OpenGL.\n"
    "Written by the Glimmerframe developers.";
inline constexpr const char* kProgramTitle = "Glimmerframe";

// RunSettingsDialog's result when no window could be opened.
inline constexpr int kSettingsDialogFailed = 3;

struct SettingsDialogInputs {
  // Where the settings are read and stored; without one nothing is stored.
  std::optional<std::filesystem::path> settingsFile;
  std::string title = kProgramTitle;  // the window's caption
  std::string credits;                // the show's credits; empty: ours
  // The display dialog's monitors, in monitor order, with the user's
  // current choices; and whether the saver uses a single screen.
  std::vector<MonitorChoice> monitors;
  bool oneScreenOnly = true;
  // Opens a web address; the default starts the browser through xdg-open.
  std::function<bool(const std::string& address, std::string* error)> openAddress;
  // Called before each frame with the frame's number: lets tests drive and
  // close a live dialog.
  std::function<void(SettingsDialog& dialog, int frame)> onFrame;
};

class SettingsDialog {
 public:
  static constexpr const char* kPictureLabel = "Picture position:";
  static constexpr std::array<const char*, 3> kPositionItems{"Stretch", "Fit", "Fill"};
  static constexpr const char* kDisplayButton = "Display Settings...";
  static constexpr const char* kSoundButton = "Sound Settings...";
  static constexpr const char* kWebsiteButton = "Website";
  static constexpr std::array<const char*, 4> kGroups{"Image Settings", "Display Settings",
                                                      "Sound Settings", "Information"};

  // Opens on the stored settings: the picture position from "PicPos" and the
  // display choices from `inputs.monitors` and "AllScreensSame".
  explicit SettingsDialog(SettingsDialogInputs inputs);
  // The display dialog refers to this object's choices.
  SettingsDialog(const SettingsDialog&) = delete;
  SettingsDialog& operator=(const SettingsDialog&) = delete;

  const std::string& caption() const { return inputs_.title; }
  const std::string& credits() const;

  // The drop-down list.
  PicturePosition picturePosition() const { return position_; }
  void SetPicturePosition(PicturePosition position) { position_ = position; }

  // The sound dialog, opened on the values stored now. Closing it with Ok
  // stores "SoundVolume" and "MuteSound" at once; with Cancel nothing.
  SoundDialog& OpenSoundDialog();
  SoundDialog* soundDialog() { return sound_ ? &*sound_ : nullptr; }
  void CloseSoundDialog(DialogResult result);

  // The display dialog over this dialog's display choices. Ok keeps its
  // edits until this dialog's OK stores them; Cancel restores them.
  DisplayDialog& OpenDisplayDialog();
  DisplayDialog* displayDialog() { return display_ ? &*display_ : nullptr; }
  void CloseDisplayDialog(DialogResult result);
  const DisplayChoices& displayChoices() const { return display_choices_; }
  bool oneScreenOnly() const { return inputs_.oneScreenOnly; }

  // The Website button: opens kWebsiteAddress.
  void OpenWebsite();

  // OK: stores "PicPos", "AllScreensSame" and every monitor's display
  // settings, and ends the dialog. When they cannot be written the dialog
  // stays open with the reason in lastError().
  bool Ok();
  // Cancel: drops the display edits (back to the stored choices) and ends
  // the dialog; "PicPos" is left as stored.
  void Cancel();

  DialogResult result() const { return result_; }
  // The last failure to store or to open the web page; empty when none.
  const std::string& lastError() const { return error_; }

 private:
  SaverSettings ReadStored() const;
  bool Store(const std::function<void(SaverSettings&)>& change);

  SettingsDialogInputs inputs_;
  PicturePosition position_;
  DisplayChoices display_choices_;
  DisplayChoices stored_choices_;
  std::optional<SoundDialog> sound_;
  std::optional<DisplayDialog> display_;
  DialogResult result_ = DialogResult::Open;
  std::string error_;
};

// Draws the dialog into the current ImGui window, with the sound and display
// dialogs as modal popups over it.
void DrawSettingsDialog(SettingsDialog& dialog);

// Opens a window for the settings dialog and runs it until it ends. Returns
// 1 for OK, 2 for Cancel (closing the window cancels), and
// kSettingsDialogFailed with a message on standard error when no window can
// be opened (no display).
int RunSettingsDialog(const SettingsDialogInputs& inputs);

}  // namespace glimmer
