#pragma once
// ZT_Sound_Ctrl: the base of the sound layers (volume, balance and the
// sound's length), and ZT_Sound, the runtime object of every sound layer. It
// draws nothing: each frame it starts, loops or stops its sound as the
// layer's time line shows and hides it.
//
// Sounds are decoded from the document's bytes in memory. A sound that cannot
// be read leaves its layer silent with one message; only the screen whose
// context plays sound (CurrentScreen().playsSound) makes voices, so a show
// on several screens is heard once.

#include <memory>
#include <span>
#include <string>

#include "params/time_lines.h"
#include "platform/audio/audio_output.h"
#include "scene/layer_kind.h"

namespace glimmer {

class ZT_Sound_Ctrl : public ZT_ABObj_Constructor {
  GLIMMER_STORED_CLASS(ZT_Sound_Ctrl, 3)

 public:
  // The longest sound a layer decodes: its samples are held whole.
  static constexpr int32_t kMaxHundredths = 10 * 60 * 100;

  ZT_Sound_Ctrl() = default;
  // Copies the settings; the copy opens its own voice.
  ZT_Sound_Ctrl(const ZT_Sound_Ctrl& o);

  // Volume and balance; in versions 1 and 2 an old timing record (mode and a
  // range in seconds) that becomes the time line; then the layer part.
  void Serialize(Archive& ar, int32_t version) override;

  // Reads the sound, learns its length and, where this screen sounds, makes
  // its voice at the layer's level; stopped.
  virtual void Open() = 0;
  virtual void Stop();
  // Starts, restarts or stops the sound by the time line's state now.
  virtual void PlayStep(float t) = 0;
  virtual std::unique_ptr<ZT_Sound_Ctrl> Clone() const = 0;

  // The layer's level and pan in hundredths of a decibel.
  virtual int LevelMillibels() const = 0;
  virtual int PanMillibels() const = 0;

  // The voice that sounds; null while silent.
  const SoundVoice* Voice() const { return voice_.get(); }

  MediaParamT<uint32_t> Volume{100};  // percent
  MediaParamT<uint32_t> Balance{50};  // 0 left, 50 centre, 100 right
  int32_t DurationHundredths = 0;     // the sound's length once opened

 protected:
  // Takes the sound's length (refused beyond kMaxHundredths) and decodes
  // `encoded` into the voice when this screen sounds. False: silent.
  bool Prepare(std::span<const uint8_t> encoded, int32_t hundredths);
  // Silent from here on; the reason said once on standard error.
  void Refuse(const std::string& why);
  TimeLineState LineState() const;

  std::unique_ptr<SoundVoice> voice_;
};

class ZT_Sound : public ZT_ABObj {
 public:
  // A copy of `constructor`, opened at once.
  explicit ZT_Sound(const ZT_Sound_Ctrl& constructor);
  ~ZT_Sound() override;

  void Draw(ZT_ABRender& renderer) override { (void)renderer; }
  // Inactive stops the sound; the flag decides whether frames step it.
  void SetActive(bool active) override;
  void Advance(float localTime) override;
  int GetKind() const { return 1; }

  ZT_Sound_Ctrl& Sound() { return static_cast<ZT_Sound_Ctrl&>(Constructor()); }
  bool Enabled() const { return enabled_; }

 private:
  bool enabled_ = true;
};

}  // namespace glimmer
