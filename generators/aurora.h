#pragma once
// ZT_Aurora: a curtain of tall quads standing on the dabs of a stroke, whose
// heights, opacity and sideways sway travel along it as three sine waves,
// each on its own clock; the quads join into one layer.

#include "generators/air_brush.h"

namespace glimmer {

class ZT_Aurora : public ZT_AirBrush {
  GLIMMER_LAYER_KIND(ZT_Aurora)

 public:
  ZT_Aurora();
  ZT_Aurora(const ZT_Aurora&) = default;

  // Curtain height, then speed, amplitude and wavelength of the height,
  // opacity and sway waves, the sway direction; then the air-brush part.
  void Serialize(Archive& ar, int32_t version) override;
  // The pictures and effect and one buffer.
  void InitRuntime(ZT_ParticlesObj& runtime) override;
  // The three clocks, then the curtain.
  void AdvanceParticles(float t, ZT_ParticlesObj& runtime) override;
  void DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) override;
  void Restart() override;

  // Writes the curtain's quads for the clocks as they stand.
  void BuildCurtain(ZT_ParticlesObj& runtime);

  MediaParamT<uint32_t> curtainHeight{200};  // pixels
  MediaSpeedParam speed1{25, 0.03f, 0.0f};
  UINTSclaleTo<float> heightAmplitude{13, 0.01f, 0.0f};
  UINTSclaleTo<float> heightWavelength{32, 1.0f, 1.0f};
  MediaSpeedParam speed2{51, 0.03f, 0.0f};
  UINTSclaleTo<float> opacityAmplitude{33, 0.01f, 0.0f};
  UINTSclaleTo<float> opacityWavelength{121, 1.0f, 1.0f};
  MediaSpeedParam speed3{18, 0.03f, 0.0f};
  UINTSclaleTo<float> swayAmplitude{33, 1.0f, 0.0f};  // pixels
  UINTSclaleTo<float> swayWavelength{19, 1.0f, 1.0f};
  MediaParamT<uint32_t> swayDirection{90};  // degrees
};

}  // namespace glimmer
