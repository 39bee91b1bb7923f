#include "sound/sound_layer.h"

#include <iostream>

#include "common/wide_string.h"
#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

ZT_Sound_Ctrl::ZT_Sound_Ctrl(const ZT_Sound_Ctrl& o)
    : ZT_ABObj_Constructor(o),
      Volume(o.Volume),
      Balance(o.Balance),
      DurationHundredths(o.DurationHundredths) {}

void ZT_Sound_Ctrl::Serialize(Archive& ar, int32_t version) {
  Field(ar, "Volume", Volume);
  Field(ar, "Balance", Balance);
  int32_t mode = 0;
  uint32_t from = 0, to = 0;
  if (version < 3) {
    Field(ar, "legacyMode", mode);
    Field(ar, "legacyFrom", from);
    Field(ar, "legacyTo", to);
  }
  SerializeBase<ZT_ABObj_Constructor>(ar, *this);
  if (ar.IsReading() && version < 3) {
    // Mode 0 loops for as long as the slide shows; mode 1 plays after a
    // random pause of `from` to `to` seconds.
    timing.StoreValue(mode);
    if (mode == 0) {
      timing.SetCurrent(std::make_shared<QVX_ContinuesTimeLine>());
    } else if (mode == 1) {
      auto line = std::make_shared<QVX_RandomTimeLine>();
      line->HiddenRange.Min.SetValue(from * 100);
      line->HiddenRange.Max.SetValue(to * 100);
      line->Reset();
      timing.SetCurrent(line);
    }
  }
}

void ZT_Sound_Ctrl::Stop() {
  if (voice_) voice_->Stop();
}

bool ZT_Sound_Ctrl::Prepare(std::span<const uint8_t> encoded, int32_t hundredths) {
  if (hundredths > kMaxHundredths) {
    Refuse("it plays for " + std::to_string(hundredths / 100) + " s; a sound layer plays at most " +
           std::to_string(kMaxHundredths / 100) + " s");
    return false;
  }
  DurationHundredths = hundredths;
  timing.DefaultFadeIn = 0;
  timing.DefaultFadeOut = 0;
  timing.DefaultVisible = float(hundredths) / 100;
  if (!CurrentScreen().playsSound || !AudioOutput::IsOpen()) return true;
  std::string error;
  std::shared_ptr<SoundClip> clip = SoundClip::Decode(encoded, error);
  if (!clip) {
    Refuse(error);
    return false;
  }
  voice_ = std::make_unique<SoundVoice>(std::move(clip));
  voice_->SetLevel(LevelMillibels(), PanMillibels());
  return true;
}

void ZT_Sound_Ctrl::Refuse(const std::string& why) {
  voice_.reset();
  // Every screen reads the show; the one that sounds says why it is silent.
  if (CurrentScreen().playsSound)
    std::cerr << "glimmer: the sound layer \"" << ToUtf8(name) << "\" stays silent: " << why
              << "\n";
}

TimeLineState ZT_Sound_Ctrl::LineState() const {
  const QVX_Timing* line = timing.Line();
  return line ? line->State() : TimeLineState::Shown;
}

ZT_Sound::ZT_Sound(const ZT_Sound_Ctrl& constructor) : ZT_ABObj(constructor.Clone()) {
  Sound().Open();
}

ZT_Sound::~ZT_Sound() {
  Sound().Stop();
}

void ZT_Sound::SetActive(bool active) {
  if (!active) Sound().Stop();
  enabled_ = active;
  ZT_ABObj::SetActive(active);
}

void ZT_Sound::Advance(float localTime) {
  if (enabled_) Sound().PlayStep(localTime);
}

}  // namespace glimmer
