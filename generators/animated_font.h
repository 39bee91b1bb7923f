#pragma once
// ZT_AnimatedFont: a line of text set from a picture font, its letters
// riding a wave that travels along the line. The first picture holds the
// font: 16 × 16 cells, the character with code c in column c mod 16 of row
// c ÷ 16.

#include <string>

#include "generators/static_generators.h"

namespace glimmer {

// The most letters one line shows.
inline constexpr uint32_t kMaxFontLetters = 1'000;

class ZT_AnimatedFont : public ZT_StaticGenerator {
  GLIMMER_LAYER_KIND(ZT_AnimatedFont)

 public:
  ZT_AnimatedFont();
  ZT_AnimatedFont(const ZT_AnimatedFont&) = default;

  // Text, letter size, spacing, wave amplitude, wavelength and speed; then
  // the origin's part.
  void Serialize(Archive& ar, int32_t version) override;
  void InitRuntime(ZT_ParticlesObj& runtime) override;
  // The wave's clock, then one quad per letter.
  void AdvanceParticles(float t, ZT_ParticlesObj& runtime) override;
  void Restart() override;

  // Letters from the origin (the line's left end, mid-height) rightwards,
  // each raised by the wave.
  void BuildLetters(ZT_ParticlesObj& runtime);

  std::u16string text = u"GLIMMER";
  MediaParamT<uint32_t> letterSize{24};           // pixels
  MediaParamT<uint32_t> spacing{20};              // pixels from letter to letter
  UINTSclaleTo<float> amplitude{8, 1.0f, 0.0f};   // pixels
  UINTSclaleTo<float> wavelength{3, 1.0f, 1.0f};  // letters a radian
  MediaSpeedParam waveSpeed{100, 0.02f, 0.0f};    // radians a second
};

}  // namespace glimmer
