#include "host/sound_dialog.h"

#include <imgui.h>

#include <algorithm>

#include "host/dialog_buttons.h"

namespace glimmer {

SoundDialog::SoundDialog(const SaverSettings& stored)
    : position_(kTrackbarMax - std::clamp(stored.soundVolume, kTrackbarMin, kTrackbarMax)),
      mute_(stored.muteSound) {}

void SoundDialog::SetTrackbarPosition(int position) {
  position_ = std::clamp(position, kTrackbarMin, kTrackbarMax);
}

void SoundDialog::StoreTo(SaverSettings& settings) const {
  settings.soundVolume = kTrackbarMax - position_;
  settings.muteSound = mute_;
}

DialogResult DrawSoundDialog(SoundDialog& dialog) {
  if (!ImGui::BeginPopupModal(
          SoundDialog::kCaption, nullptr,
          ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings)) {
    return DialogResult::Open;
  }
  DialogResult result = DialogResult::Open;

  ImGui::TextUnformatted("Volume");
  ImGui::Separator();
  // ImGui's vertical slider has its maximum at the top, so it shows the
  // volume; the trackbar position is its mirror image.
  // Wide enough for "100" in the dialog's font.
  const ImVec2 size(
      std::max(28.0f, ImGui::CalcTextSize("100").x + 2 * ImGui::GetStyle().FramePadding.x + 4.0f),
      160.0f);
  const ImVec2 origin = ImGui::GetCursorScreenPos();
  int volume = dialog.volume();
  if (ImGui::VSliderInt("##volume", size, &volume, SoundDialog::kTrackbarMin,
                        SoundDialog::kTrackbarMax)) {
    dialog.SetTrackbarPosition(SoundDialog::kTrackbarMax - volume);
  }
  // Tick marks beside the trackbar, one every kTickSpacing positions.
  ImDrawList* draw = ImGui::GetWindowDrawList();
  const ImU32 tickColour = ImGui::GetColorU32(ImGuiCol_Text);
  constexpr int kSpan = SoundDialog::kTrackbarMax - SoundDialog::kTrackbarMin;
  for (int p = SoundDialog::kTrackbarMin; p <= SoundDialog::kTrackbarMax;
       p += SoundDialog::kTickSpacing) {
    const float y =
        origin.y + 4.0f + (size.y - 8.0f) * float(p - SoundDialog::kTrackbarMin) / kSpan;
    draw->AddLine(ImVec2(origin.x + size.x + 3.0f, y), ImVec2(origin.x + size.x + 9.0f, y),
                  tickColour);
  }
  ImGui::SameLine(0.0f, 16.0f);
  bool mute = dialog.mute();
  if (ImGui::Checkbox("Mute", &mute)) dialog.SetMute(mute);

  return EndPopupWithOkCancel(result);
}

}  // namespace glimmer
