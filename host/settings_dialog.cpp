#include "host/settings_dialog.h"

#include <imgui.h>

#include <algorithm>
#include <iostream>

#include "host/dialog_buttons.h"
#include "platform/ui/imgui_layer.h"
#include "platform/ui/open_url.h"

namespace glimmer {

SettingsDialog::SettingsDialog(SettingsDialogInputs inputs) : inputs_(std::move(inputs)) {
  const SaverSettings stored = ReadStored();
  position_ = stored.picturePosition;
  display_choices_.monitors = inputs_.monitors;
  display_choices_.reverseOrder = stored.allScreensSame;
  stored_choices_ = display_choices_;
  if (!inputs_.openAddress) inputs_.openAddress = OpenInBrowser;
}

const std::string& SettingsDialog::credits() const {
  static const std::string ours = kDefaultCredits;
  return inputs_.credits.empty() ? ours : inputs_.credits;
}

SaverSettings SettingsDialog::ReadStored() const {
  return inputs_.settingsFile ? SaverSettings::Read(*inputs_.settingsFile) : SaverSettings{};
}

// Reads the file as it is now, applies `change` and writes it back, so values
// stored meanwhile by others (or by the sound dialog) survive.
bool SettingsDialog::Store(const std::function<void(SaverSettings&)>& change) {
  if (!inputs_.settingsFile) {
    error_ = "there is no settings file to store the settings in (HOME is not set)";
    return false;
  }
  SaverSettings settings = SaverSettings::Read(*inputs_.settingsFile);
  change(settings);
  std::string error;
  if (!settings.Write(*inputs_.settingsFile, &error)) {
    error_ = "the settings could not be stored: " + error;
    return false;
  }
  error_.clear();
  return true;
}

SoundDialog& SettingsDialog::OpenSoundDialog() {
  sound_.emplace(ReadStored());
  return *sound_;
}

void SettingsDialog::CloseSoundDialog(DialogResult result) {
  if (!sound_) return;
  if (result == DialogResult::Ok) {
    const SoundDialog& sound = *sound_;
    Store([&](SaverSettings& settings) { sound.StoreTo(settings); });
  }
  sound_.reset();
}

DisplayDialog& SettingsDialog::OpenDisplayDialog() {
  display_.emplace(display_choices_, inputs_.oneScreenOnly);
  return *display_;
}

void SettingsDialog::CloseDisplayDialog(DialogResult result) {
  if (!display_) return;
  if (result == DialogResult::Ok) {
    display_->Ok();
  } else {
    display_->Cancel();
  }
  display_.reset();
}

void SettingsDialog::OpenWebsite() {
  std::string error;
  if (!inputs_.openAddress(kWebsiteAddress, &error)) {
    error_ = "the web page could not be opened: " + error;
  }
}

bool SettingsDialog::Ok() {
  const bool stored = Store([&](SaverSettings& settings) {
    settings.picturePosition = position_;
    settings.allScreensSame = display_choices_.reverseOrder;
    for (const MonitorChoice& monitor : display_choices_.monitors) {
      settings.screens[monitor.screen] = monitor.settings;
    }
  });
  if (stored) result_ = DialogResult::Ok;
  return stored;
}

void SettingsDialog::Cancel() {
  display_.reset();
  sound_.reset();
  display_choices_ = stored_choices_;
  result_ = DialogResult::Cancel;
}

namespace {

constexpr float kGroupWidth = 0.0f;  // the panel's width

// The height of a group holding its title and `rows` rows of controls.
float GroupHeight(int rows) {
  const ImGuiStyle& style = ImGui::GetStyle();
  return 2 * (style.WindowPadding.y + style.ChildBorderSize) +
         ImGui::GetTextLineHeightWithSpacing() + rows * ImGui::GetFrameHeightWithSpacing() -
         style.ItemSpacing.y;
}

// A framed group with its title, like a group box, sized to its contents.
template <typename Body>
void Group(const char* title, float height, Body body) {
  ImGui::BeginChild(title, ImVec2(kGroupWidth, height), true, ImGuiWindowFlags_NoScrollbar);
  ImGui::TextDisabled("%s", title);
  body();
  ImGui::EndChild();
}

// Closes the popup `id` when the model closed its dialog without a button.
void CloseStalePopup(const char* id) {
  if (!ImGui::IsPopupOpen(id)) return;
  if (ImGui::BeginPopupModal(id)) {
    ImGui::CloseCurrentPopup();
    ImGui::EndPopup();
  }
}

}  // namespace

void DrawSettingsDialog(SettingsDialog& dialog) {
  const float line = ImGui::GetFrameHeightWithSpacing();
  const auto& groups = SettingsDialog::kGroups;

  Group(groups[0], GroupHeight(1), [&] {
    ImGui::AlignTextToFramePadding();
    ImGui::TextUnformatted(SettingsDialog::kPictureLabel);
    ImGui::SameLine();
    int position = int(dialog.picturePosition());
    ImGui::SetNextItemWidth(160.0f);
    if (ImGui::Combo("##position", &position, SettingsDialog::kPositionItems.data(),
                     int(SettingsDialog::kPositionItems.size()))) {
      dialog.SetPicturePosition(PicturePosition(position));
    }
  });

  Group(groups[1], GroupHeight(1), [&] {
    if (ImGui::Button(SettingsDialog::kDisplayButton)) dialog.OpenDisplayDialog();
    // The model says which dialog is open; the popup follows it.
    if (DisplayDialog* display = dialog.displayDialog()) {
      if (!ImGui::IsPopupOpen(DisplayDialog::kCaption)) ImGui::OpenPopup(DisplayDialog::kCaption);
      const DialogResult result = DrawDisplayDialog(*display);
      if (result != DialogResult::Open) dialog.CloseDisplayDialog(result);
    } else {
      CloseStalePopup(DisplayDialog::kCaption);
    }
  });

  Group(groups[2], GroupHeight(1), [&] {
    if (ImGui::Button(SettingsDialog::kSoundButton)) dialog.OpenSoundDialog();
    if (SoundDialog* sound = dialog.soundDialog()) {
      if (!ImGui::IsPopupOpen(SoundDialog::kCaption)) ImGui::OpenPopup(SoundDialog::kCaption);
      const DialogResult result = DrawSoundDialog(*sound);
      if (result != DialogResult::Open) dialog.CloseSoundDialog(result);
    } else {
      CloseStalePopup(SoundDialog::kCaption);
    }
  });

  const float buttons = ImGui::GetFrameHeightWithSpacing() + ImGui::GetStyle().ItemSpacing.y;
  const float errorLine =
      dialog.lastError().empty() ? 0.0f : ImGui::GetTextLineHeightWithSpacing() * 2;
  const float information =
      std::max(GroupHeight(3), ImGui::GetContentRegionAvail().y - buttons - errorLine);
  Group(groups[3], information, [&] {
    ImGui::BeginChild("##credits", ImVec2(0.0f, -line), false);
    ImGui::TextWrapped("%s", dialog.credits().c_str());
    ImGui::EndChild();
    if (ImGui::Button(SettingsDialog::kWebsiteButton)) dialog.OpenWebsite();
  });

  if (!dialog.lastError().empty()) {
    ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(0.75f, 0.0f, 0.0f, 1.0f));
    ImGui::TextWrapped("%s", dialog.lastError().c_str());
    ImGui::PopStyleColor();
  }

  const float buttonWidth = DialogButtonWidth();
  ImGui::SetCursorPosX(ImGui::GetWindowContentRegionMax().x - 2 * buttonWidth -
                       ImGui::GetStyle().ItemSpacing.x);
  if (ImGui::Button("OK", ImVec2(buttonWidth, 0.0f))) dialog.Ok();
  ImGui::SameLine();
  if (ImGui::Button("Cancel", ImVec2(buttonWidth, 0.0f))) dialog.Cancel();
}

int RunSettingsDialog(const SettingsDialogInputs& inputs) {
  std::string error;
  std::unique_ptr<UiWindow> window = UiWindow::Open(inputs.title, 460, 420, &error);
  if (!window) {
    std::cerr << "glimmer: cannot open the settings dialog: " << error << '\n';
    return kSettingsDialogFailed;
  }
  SettingsDialog dialog(inputs);
  int frame = 0;
  window->Run([&] {
    if (inputs.onFrame) inputs.onFrame(dialog, frame);
    ++frame;
    if (dialog.result() == DialogResult::Open) DrawSettingsDialog(dialog);
    return dialog.result() == DialogResult::Open;
  });
  if (dialog.result() == DialogResult::Open) dialog.Cancel();  // the window was closed
  return int(dialog.result());
}

}  // namespace glimmer
