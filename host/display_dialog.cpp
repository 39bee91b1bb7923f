#include "host/display_dialog.h"

#include <imgui.h>

#include <cstdio>

#include "host/dialog_buttons.h"

namespace glimmer {
namespace {

constexpr DialogString kSummaryHardware{
    2210, "The screen saver can use hardware 3D rendering on this monitor."};
constexpr DialogString kSummarySoftware{
    2211, "The screen saver can use software 3D rendering on this monitor."};
constexpr DialogString kSummaryNone{2212, "The screen saver cannot be displayed on this monitor."};

// Help messages, by what the adapter offers and whether hardware is turned off.
constexpr DialogString kHelpHardware{
    2200,
    "This monitor's graphics card draws the screen saver with hardware 3D rendering, the fastest "
    "way. If the pictures look wrong, check \"Disable hardware 3D rendering\" to draw with "
    "software instead; that is slower."};
constexpr DialogString kHelpHardwareOnly{
    2201,
    "This monitor's graphics card draws the screen saver with hardware 3D rendering. No software "
    "renderer is available for it, so disabling hardware rendering leaves the monitor without "
    "the screen saver."};
constexpr DialogString kHelpDisabledSoftware{
    2202,
    "Hardware 3D rendering is turned off for this monitor, so the screen saver is drawn with "
    "software rendering, which is slower. Clear \"Disable hardware 3D rendering\" to use the "
    "graphics card again."};
constexpr DialogString kHelpDisabledReference{
    2203,
    "Hardware 3D rendering is turned off for this monitor, and only the reference renderer, "
    "which is far too slow for the screen saver, remains. Clear \"Disable hardware 3D "
    "rendering\" to show the screen saver here."};
constexpr DialogString kHelpDisabledNothing{
    2204,
    "Hardware 3D rendering is turned off for this monitor and no other renderer is available, so "
    "the screen saver cannot be displayed here. Clear \"Disable hardware 3D rendering\" to show "
    "it again."};
constexpr DialogString kHelpSoftware{
    2205,
    "This monitor's graphics card offers no hardware 3D rendering that the screen saver can use, "
    "so it is drawn with software rendering, which is slower. A newer graphics driver may add "
    "hardware support."};
constexpr DialogString kHelpReferenceOnly{
    2206,
    "This monitor's graphics card offers neither hardware nor software 3D rendering that the "
    "screen saver can use; only the reference renderer is there, which is far too slow. A newer "
    "graphics driver may help."};
constexpr DialogString kHelpNothing{
    2207,
    "No 3D rendering that the screen saver can use was found for this monitor, so it cannot be "
    "displayed here. Check that the graphics driver is installed and supports OpenGL 3.3."};

}  // namespace

DisplayDialog::DisplayDialog(DisplayChoices& choices, bool oneScreenOnly)
    : choices_(choices), opened_(choices), tabbed_(choices.monitors.size() > 1 && !oneScreenOnly) {}

int DisplayDialog::pageCount() const {
  if (choices_.monitors.empty()) return 0;
  return tabbed_ ? int(choices_.monitors.size()) : 1;
}

MonitorChoice& DisplayDialog::page(int index) {
  return choices_.monitors.at(size_t(index));
}
const MonitorChoice& DisplayDialog::page(int index) const {
  return choices_.monitors.at(size_t(index));
}

std::string DisplayDialog::TabText(int pageIndex) {
  char text[32];
  std::snprintf(text, sizeof text, kTabFormat, pageIndex + 1);
  return text;
}

int DisplayDialog::FormatBits(uint32_t format) {
  return format >= 20 && format <= 22 ? 32 : 16;
}

std::vector<std::string> DisplayDialog::ModeListTexts(const MonitorChoice& monitor) {
  std::vector<std::string> texts{kAutomatic};
  for (const DisplayModeChoice& mode : monitor.modes) {
    char text[64];
    std::snprintf(text, sizeof text, kModeFormat, int(mode.width), int(mode.height),
                  FormatBits(mode.format));
    texts.push_back(text);
  }
  return texts;
}

int DisplayDialog::ModeSelection(const MonitorChoice& monitor) {
  const ScreenSettings& s = monitor.settings;
  if (s.AutomaticMode()) return 0;
  for (size_t i = 0; i < monitor.modes.size(); ++i) {
    const DisplayModeChoice& mode = monitor.modes[i];
    if (mode.width == s.width && mode.height == s.height && mode.format == s.format) {
      return int(i) + 1;
    }
  }
  return 0;
}

DialogString DisplayDialog::RenderingSummary(const MonitorChoice& monitor) {
  if (monitor.hasHardware && !monitor.settings.disableHardware) return kSummaryHardware;
  if (monitor.hasSoftware) return kSummarySoftware;
  return kSummaryNone;
}

DialogString DisplayDialog::HelpText(const MonitorChoice& monitor) {
  if (monitor.hasHardware) {
    if (!monitor.settings.disableHardware) {
      return monitor.hasSoftware ? kHelpHardware : kHelpHardwareOnly;
    }
    if (monitor.hasSoftware) return kHelpDisabledSoftware;
    return monitor.hasReference ? kHelpDisabledReference : kHelpDisabledNothing;
  }
  if (monitor.hasSoftware) return kHelpSoftware;
  return monitor.hasReference ? kHelpReferenceOnly : kHelpNothing;
}

void DisplayDialog::SelectMode(int index, int listEntry) {
  ScreenSettings& s = page(index).settings;
  const std::vector<DisplayModeChoice>& modes = page(index).modes;
  if (listEntry <= 0 || size_t(listEntry) > modes.size()) {
    s.width = s.height = s.format = 0;
    return;
  }
  const DisplayModeChoice& mode = modes[size_t(listEntry) - 1];
  s.width = mode.width;
  s.height = mode.height;
  s.format = mode.format;
}

void DisplayDialog::SetDisableHardware(int index, bool disable) {
  page(index).settings.disableHardware = disable;
}

void DisplayDialog::SetLeaveBlack(int index, bool leaveBlack) {
  page(index).settings.leaveBlack = leaveBlack;
}

namespace {

constexpr const char* kHelpPopup = "Help##display";

void DrawPage(DisplayDialog& dialog, int index) {
  ImGui::PushID(index);
  const MonitorChoice& monitor = dialog.page(index);
  ImGui::TextUnformatted(monitor.adapterName.c_str());
  ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + 380.0f);
  ImGui::TextUnformatted(DisplayDialog::RenderingSummary(monitor).text.data());
  ImGui::PopTextWrapPos();
  if (ImGui::Button(DisplayDialog::kHelp)) ImGui::OpenPopup(kHelpPopup);
  if (ImGui::BeginPopupModal(kHelpPopup, nullptr, ImGuiWindowFlags_AlwaysAutoResize)) {
    ImGui::PushTextWrapPos(360.0f);
    ImGui::TextUnformatted(DisplayDialog::HelpText(monitor).text.data());
    ImGui::PopTextWrapPos();
    if (ImGui::Button("OK", ImVec2(DialogButtonWidth(), 0.0f))) ImGui::CloseCurrentPopup();
    ImGui::EndPopup();
  }

  ImGui::BeginDisabled(!monitor.hasHardware);
  bool disable = monitor.settings.disableHardware;
  if (ImGui::Checkbox(DisplayDialog::kDisableHardware, &disable)) {
    dialog.SetDisableHardware(index, disable);
  }
  ImGui::EndDisabled();

  int draw = monitor.settings.leaveBlack ? 1 : 0;
  if (ImGui::RadioButton(DisplayDialog::kDrawOnMonitor, &draw, 0))
    dialog.SetLeaveBlack(index, false);
  if (ImGui::RadioButton(DisplayDialog::kLeaveBlack, &draw, 1)) dialog.SetLeaveBlack(index, true);

  ImGui::BeginDisabled(monitor.settings.leaveBlack);
  ImGui::TextUnformatted("Display mode:");
  const std::vector<std::string> modes = DisplayDialog::ModeListTexts(monitor);
  const int selected = DisplayDialog::ModeSelection(monitor);
  if (ImGui::BeginListBox("##modes",
                          ImVec2(380.0f, 5.0f * ImGui::GetTextLineHeightWithSpacing()))) {
    for (int i = 0; i < int(modes.size()); ++i) {
      if (ImGui::Selectable(modes[size_t(i)].c_str(), i == selected)) dialog.SelectMode(index, i);
      if (i == selected && ImGui::IsWindowAppearing()) ImGui::SetScrollHereY();
    }
    ImGui::EndListBox();
  }
  ImGui::EndDisabled();
  ImGui::PopID();
}

}  // namespace

DialogResult DrawDisplayDialog(DisplayDialog& dialog) {
  if (!ImGui::BeginPopupModal(
          DisplayDialog::kCaption, nullptr,
          ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings)) {
    return DialogResult::Open;
  }
  DialogResult result = DialogResult::Open;
  if (dialog.pageCount() == 0) {
    ImGui::TextUnformatted("No monitors were found.");
  } else if (!dialog.tabbed()) {
    DrawPage(dialog, 0);
  } else if (ImGui::BeginTabBar("##monitors")) {
    for (int i = 0; i < dialog.pageCount(); ++i) {
      if (ImGui::BeginTabItem(DisplayDialog::TabText(i).c_str())) {
        DrawPage(dialog, i);
        ImGui::EndTabItem();
      }
    }
    ImGui::EndTabBar();
  }
  ImGui::Separator();
  bool reverse = dialog.reverseOrder();
  if (ImGui::Checkbox(DisplayDialog::kReverseOrder, &reverse)) dialog.SetReverseOrder(reverse);

  return EndPopupWithOkCancel(result);
}

}  // namespace glimmer
