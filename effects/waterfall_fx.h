#pragma once
// ZT_WaterfallFX: water falling through the mask along the direction:
// streaks of white water run down over the picture and refract it, and
// foam gathers where the mask ends below.

#include <array>
#include <cstdint>

#include "document/file_links.h"
#include "effects/screen_effect.h"

namespace glimmer {

class ZT_WaterfallFX : public ZT_DirectionBased {
  GLIMMER_LAYER_KIND(ZT_WaterfallFX)

 public:
  ZT_WaterfallFX();
  // Columns, streak length, refraction, whiteness, foam, the water
  // picture, colour, reverse; then the direction-based part. The
  // direction is where the water falls (270, down, for a new one); the
  // strength (u × 0.012) is slide heights fallen per clock unit.
  void Serialize(Archive& ar, int32_t version) override;

  // Streak columns across the slide: u × 0.2 + 2 (2 to 22).
  UINTSclaleTo<float> columns{50, 0.2f, 2.0f};
  // A streak's length: u × 0.01 + 0.05 slide heights (0.05 to 1.05).
  UINTSclaleTo<float> length{30, 0.01f, 0.05f};
  // How far the water bends the picture behind it: u × 0.0004 (100: 4 %).
  UINTSclaleTo<float> refraction{40, 0.0004f, 0.0f};
  // How white the streaks are: u × 0.01.
  UINTSclaleTo<float> whiteness{50, 0.01f, 0.0f};
  // The foam and spray where the water lands: u × 0.01.
  UINTSclaleTo<float> foam{60, 0.01f, 0.0f};
  // The streaks' picture, read along its width; built-in streak 57 when
  // missing.
  ZT_ImageFileLink water{u"common_res.dll", 57};
  // The water's colour, a COLORREF (0x00BBGGRR).
  MediaParamT<int32_t> colour{0x00FFF4E6};
  // Non-zero: the water rises against the direction.
  MediaParamT<int32_t> reverse;
};

class WaterfallFX : public FxKind<ZT_WaterfallFX> {
 public:
  using FxKind::FxKind;
  // What the shader reads from the state texture, each −1..1: the flow's
  // phase over one streak length, the refraction ÷ 0.05, the flow's screen
  // direction (x, y), whiteness, foam, columns ÷ 32, the length and the
  // colour's red, green, blue (and a 0).
  const std::array<float, 12>& State() const { return state_; }

 protected:
  void Prepare() override;
  void SetParameters(ZT_ABRender& renderer) override;

 private:
  TexturePtr picture_;
  // A 6 × 1 texture of signed 16-bit pairs holding State(), rewritten each
  // frame: this effect takes its settings as textures.
  TexturePtr stateTexture_;
  std::array<float, 12> state_{};
  std::array<int16_t, 12> texels_{};
};

}  // namespace glimmer
