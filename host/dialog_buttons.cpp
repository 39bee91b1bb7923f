#include "host/dialog_buttons.h"

#include <imgui.h>

#include <algorithm>

namespace glimmer {

float DialogButtonWidth() {
  return ImGui::GetFontSize() * 5.9f;
}

DialogResult EndPopupWithOkCancel(DialogResult result) {
  ImGui::Spacing();
  // At the right, as the settings dialog has them, sized with the font.
  const float width = DialogButtonWidth();
  const float both = 2 * width + ImGui::GetStyle().ItemSpacing.x;
  ImGui::SetCursorPosX(
      std::max(ImGui::GetCursorPosX(), ImGui::GetWindowContentRegionMax().x - both));
  if (ImGui::Button("OK", ImVec2(width, 0.0f))) result = DialogResult::Ok;
  ImGui::SameLine();
  if (ImGui::Button("Cancel", ImVec2(width, 0.0f))) result = DialogResult::Cancel;
  if (result != DialogResult::Open) ImGui::CloseCurrentPopup();
  ImGui::EndPopup();
  return result;
}

}  // namespace glimmer
