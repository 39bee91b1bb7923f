#pragma once
// The display settings dialog: per monitor, the adapter's name, what it can
// render, the hardware switch, whether to draw on it at all and its display
// mode; for all monitors, the "Show images in reverse order" choice. One page
// when there is one monitor or only one screen is used, else a tab per
// monitor. The dialog edits the caller's choices in place; Cancel puts back
// the copies taken when it opened.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/dialog_result.h"
#include "host/saver_settings.h"

namespace glimmer {

// One display mode an adapter offers.
struct DisplayModeChoice {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t format = 0;  // Direct3D format number: 20, 21, 22 are the 32-bit formats

  bool operator==(const DisplayModeChoice&) const = default;
};

// One monitor as the dialog shows it.
struct MonitorChoice {
  int screen = 1;                        // monitor number, 1-based: its [Screen n] section
  std::string adapterName;               // the adapter's description
  bool hasHardware = false;              // a hardware device works on the adapter
  bool hasSoftware = false;              // a software device works on it
  bool hasReference = false;             // only the (slow) reference device is there
  std::vector<DisplayModeChoice> modes;  // in the order the list shows them
  ScreenSettings settings;               // the user's choices, edited by the dialog

  bool operator==(const MonitorChoice&) const = default;
};

// What the display dialog edits.
struct DisplayChoices {
  std::vector<MonitorChoice> monitors;
  bool reverseOrder = false;  // "AllScreensSame"

  bool operator==(const DisplayChoices&) const = default;
};

// A fixed text with its string-table number.
struct DialogString {
  int id;
  std::string_view text;
};

class DisplayDialog {
 public:
  static constexpr const char* kCaption = "Display Settings";
  static constexpr const char* kTabFormat = "Monitor %d";
  static constexpr const char* kAutomatic = "Automatic";
  static constexpr const char* kModeFormat = "%d by %d, %d bit color";
  static constexpr const char* kHelp = "Help";
  static constexpr const char* kDisableHardware = "Disable hardware 3D rendering";
  static constexpr const char* kDrawOnMonitor = "Display screen saver on this monitor";
  static constexpr const char* kLeaveBlack = "Display nothing on this monitor";
  static constexpr const char* kReverseOrder = "Show images in reverse order";

  // Takes copies of `choices` for Cancel. `oneScreenOnly`: the saver uses a
  // single monitor, so the dialog shows one page (the first monitor's).
  DisplayDialog(DisplayChoices& choices, bool oneScreenOnly);

  // A tab per monitor (more than one monitor and not one screen only).
  bool tabbed() const { return tabbed_; }
  // The pages shown: every monitor when tabbed, else the first; none without
  // monitors.
  int pageCount() const;
  MonitorChoice& page(int index);
  const MonitorChoice& page(int index) const;
  // "Monitor 2" for the second page.
  static std::string TabText(int pageIndex);

  // "Automatic", then every mode as "%d by %d, %d bit color".
  static std::vector<std::string> ModeListTexts(const MonitorChoice& monitor);
  // The list entry of the stored mode; 0 (Automatic) for the automatic mode
  // and for a stored mode the adapter no longer offers.
  static int ModeSelection(const MonitorChoice& monitor);
  // 32 for the formats 20 to 22, else 16.
  static int FormatBits(uint32_t format);

  // The rendering summary line: hardware when present and not disabled, else
  // software when present, else that nothing can be shown.
  static DialogString RenderingSummary(const MonitorChoice& monitor);
  // The Help message for what the monitor has and what the user chose.
  static DialogString HelpText(const MonitorChoice& monitor);

  // Control actions on page `index`.
  void SelectMode(int index, int listEntry);  // 0 = Automatic
  void SetDisableHardware(int index, bool disable);
  void SetLeaveBlack(int index, bool leaveBlack);
  void SetReverseOrder(bool reverse) { choices_.reverseOrder = reverse; }
  bool reverseOrder() const { return choices_.reverseOrder; }

  // OK keeps the edits; Cancel restores the monitors and the reverse-order
  // choice from the copies taken at open.
  void Ok() {}
  void Cancel() { choices_ = opened_; }

 private:
  DisplayChoices& choices_;
  DisplayChoices opened_;
  bool tabbed_;
};

// Draws the dialog as the modal popup DisplayDialog::kCaption (the caller
// opens it with ImGui::OpenPopup). Returns Ok or Cancel in the frame a button
// was pressed (the popup is then closed; the caller applies the result), Open
// otherwise.
DialogResult DrawDisplayDialog(DisplayDialog& dialog);

}  // namespace glimmer
