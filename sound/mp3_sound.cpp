#include "sound/mp3_sound.h"

#include <algorithm>

#include "document/resource_modules.h"
#include "platform/audio/sound_formats.h"
#include "store/archive.h"

namespace glimmer {

void ZT_MP3_Constructor::Serialize(Archive& ar, int32_t) {
  Field(ar, "File", File);
  SerializeBase<ZT_Sound_Ctrl>(ar, *this);
}

void ZT_MP3_Constructor::Open() {
  std::vector<uint8_t> fromFile;
  std::span<const uint8_t> bytes = File.Data;
  if (bytes.empty()) {
    // Read only: a file the name points at is never written or copied.
    if (auto file = LocateFile(File.Name)) {
      if (auto read = ReadResourceFile(*file)) fromFile = std::move(*read);
    }
    bytes = fromFile;
  }
  if (bytes.empty()) {
    Refuse("it carries no sound");
    return;
  }
  std::string error;
  const std::optional<MpegAudioInfo> info = ScanMpegAudio(bytes, error);
  if (!info) {
    Refuse(error);
    return;
  }
  Prepare(bytes, info->durationHundredths);
}

void ZT_MP3_Constructor::PlayStep(float) {
  if (!voice_) return;
  const TimeLineState state = LineState();
  if (!voice_->IsPlaying() && state == TimeLineState::Shown) {
    voice_->SetLevel(LevelMillibels(), PanMillibels());
    voice_->Play(false);
  }
  if (state == TimeLineState::Hidden) voice_->Stop();
}

int ZT_MP3_Constructor::LevelMillibels() const {
  const int v = int(std::min(Volume.Value(), 100u));
  return int((v * 100 - 10000) * 0.4);
}

int ZT_MP3_Constructor::PanMillibels() const {
  const int b = int(std::min(Balance.Value(), 100u));
  return int((b * 200 - 10000) * 0.4);
}

GLIMMER_REGISTER_LAYER_KIND(ZT_MP3_Constructor, ZT_Sound)

}  // namespace glimmer
