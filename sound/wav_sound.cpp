#include "sound/wav_sound.h"

#include <algorithm>

#include "document/resource_manager.h"
#include "platform/audio/sound_formats.h"
#include "store/archive.h"

namespace glimmer {

ZT_WAV_Constructor::ZT_WAV_Constructor() {
  timing.Flags |= 1;
  reserved = 1;
}

void ZT_WAV_Constructor::Serialize(Archive& ar, int32_t) {
  File.Serialize(ar, "File");
  SerializeBase<ZT_Sound_Ctrl>(ar, *this);
}

void ZT_WAV_Constructor::Open() {
  timing.Flags |= 0xE;
  QVX_DocResManager* resources = QVX_DocResManager::Current();
  const std::vector<uint8_t> bytes =
      resources ? resources->FileBytes(File) : std::vector<uint8_t>{};
  if (bytes.empty()) {
    Refuse("the document holds no file for its link");
    return;
  }
  std::string error;
  const std::optional<WaveInfo> info = ParseWave(bytes, error);
  if (!info) {
    Refuse(error);
    return;
  }
  if (info->durationHundredths > kMaxHundredths) {
    Prepare({}, info->durationHundredths);  // refuses, before any copy is made
    return;
  }
  Prepare(CanonicalWave(bytes, *info), info->durationHundredths);
}

void ZT_WAV_Constructor::PlayStep(float) {
  if (!voice_) return;
  const TimeLineState state = LineState();
  const bool loop = timing.Kind() == int32_t(TimingKind::Continues);
  if (!voice_->IsPlaying()) {
    if (state == TimeLineState::Shown && (loop || !startedThisPhase_)) {
      voice_->SetLevel(LevelMillibels(), PanMillibels());
      voice_->Play(loop);
      startedThisPhase_ = true;
    }
  } else if (voice_->IsLooping() && state == TimeLineState::Hidden) {
    voice_->Stop();
  }
  if (state != TimeLineState::Shown) startedThisPhase_ = false;
}

void ZT_WAV_Constructor::Stop() {
  startedThisPhase_ = false;
  ZT_Sound_Ctrl::Stop();
}

int ZT_WAV_Constructor::LevelMillibels() const {
  return int(std::min(Volume.Value(), 100u)) * 50 - 5000;
}

int ZT_WAV_Constructor::PanMillibels() const {
  return int(std::min(Balance.Value(), 100u)) * 100 - 5000;
}

GLIMMER_REGISTER_LAYER_KIND(ZT_WAV_Constructor, ZT_Sound)

}  // namespace glimmer
