#include "host/dialog_buttons.h"

#include <imgui.h>

namespace glimmer {

DialogResult EndPopupWithOkCancel(DialogResult result) {
  ImGui::Spacing();
  if (ImGui::Button("OK", ImVec2(80.0f, 0.0f))) result = DialogResult::Ok;
  ImGui::SameLine();
  if (ImGui::Button("Cancel", ImVec2(80.0f, 0.0f))) result = DialogResult::Cancel;
  if (result != DialogResult::Open) ImGui::CloseCurrentPopup();
  ImGui::EndPopup();
  return result;
}

}  // namespace glimmer
