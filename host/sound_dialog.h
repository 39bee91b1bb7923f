#pragma once
// The sound dialog: a vertical volume trackbar inside the group "Volume"
// (range 0 to 100, a tick every 10, loudest at the top) and the check box
// "Mute". The model holds the trackbar position as the trackbar sees it, 0 at
// the top; the drawing is a thin ImGui layer over it.

#include "host/dialog_result.h"
#include "host/saver_settings.h"

namespace glimmer {

class SoundDialog {
 public:
  static constexpr const char* kCaption = "Sound Settings";
  static constexpr int kTrackbarMin = 0;
  static constexpr int kTrackbarMax = 100;
  static constexpr int kTickSpacing = 10;

  // Opens on the stored values: trackbar position = 100 − volume, check box =
  // mute.
  explicit SoundDialog(const SaverSettings& stored);

  int trackbarPosition() const { return position_; }
  // Positions outside the range are clamped into it.
  void SetTrackbarPosition(int position);
  bool mute() const { return mute_; }
  void SetMute(bool mute) { mute_ = mute; }

  // The volume the current position stands for.
  int volume() const { return kTrackbarMax - position_; }

  // What OK stores: "SoundVolume" = 100 − position and "MuteSound" = the
  // check state. Nothing else in `settings` changes.
  void StoreTo(SaverSettings& settings) const;

 private:
  int position_;
  bool mute_;
};

// Draws the dialog as the modal popup SoundDialog::kCaption, opened by the
// caller with ImGui::OpenPopup. Returns Ok or Cancel in the frame a button was
// pressed (the popup is then closed), Open otherwise.
DialogResult DrawSoundDialog(SoundDialog& dialog);

}  // namespace glimmer
