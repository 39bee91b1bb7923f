#pragma once
// ZT_MP3_Constructor: a sound layer carrying a whole MPEG audio file. It
// restarts from the beginning whenever the sound has ended while the layer
// is shown, and stops when the layer is hidden.

#include "sound/sound_layer.h"
#include "store/records.h"

namespace glimmer {

class ZT_MP3_Constructor : public ZT_Sound_Ctrl {
  GLIMMER_LAYER_KIND(ZT_MP3_Constructor)

 public:
  // The file as a named blob, then the sound part.
  void Serialize(Archive& ar, int32_t version) override;

  // The blob's bytes (or, when it carries none, the file its name points
  // at); frames checked, length taken in hundredths, decoded in memory.
  void Open() override;
  void PlayStep(float t) override;
  std::unique_ptr<ZT_Sound_Ctrl> Clone() const override {
    return std::make_unique<ZT_MP3_Constructor>(*this);
  }
  // (Volume × 100 − 10000) × 0.4 and (Balance × 200 − 10000) × 0.4,
  // truncated; −10000 muted reaches these layers through the master level.
  int LevelMillibels() const override;
  int PanMillibels() const override;

  NamedBlob File;
};

}  // namespace glimmer
