#pragma once
// ZT_WAV_Constructor: a sound layer playing RIFF WAVE data the resource
// manager holds. On a continuous time line it loops while the slide shows;
// on any other it plays once each time the line shows it.

#include "document/file_links.h"
#include "sound/sound_layer.h"

namespace glimmer {

class ZT_WAV_Constructor : public ZT_Sound_Ctrl {
  GLIMMER_LAYER_KIND(ZT_WAV_Constructor)

 public:
  // A new layer marks bit 0 of its timing flags and the layer's int.
  ZT_WAV_Constructor();
  ZT_WAV_Constructor(const ZT_WAV_Constructor&) = default;

  // The file link (path and stamp), then the sound part.
  void Serialize(Archive& ar, int32_t version) override;

  // The linked bytes from the resource manager, chunks checked, decoded in
  // memory; sets bits 1 to 3 of the timing flags.
  void Open() override;
  void PlayStep(float t) override;
  // Also lets a sound that plays once play again when its slide returns.
  void Stop() override;
  std::unique_ptr<ZT_Sound_Ctrl> Clone() const override {
    return std::make_unique<ZT_WAV_Constructor>(*this);
  }
  // Volume × 50 − 5000 and Balance × 100 − 5000.
  int LevelMillibels() const override;
  int PanMillibels() const override;

  ZT_FileLink3 File;

 private:
  // A sound that plays once has started in the shown phase now running.
  bool startedThisPhase_ = false;
};

}  // namespace glimmer
