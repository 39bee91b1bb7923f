#pragma once
// Colours: COLORREF values (0x00BBGGRR), the colour-with-transparency pair,
// and a colour kept as hue, saturation and brightness.

#include <cstdint>

#include "common/d3dx_vector.h"
#include "params/media_param.h"
#include "params/scaled_slider.h"

namespace glimmer {

class SmartCOLORREF : public MediaParamT<uint32_t> {
 public:
  using MediaParamT<uint32_t>::MediaParamT;
  uint8_t Red() const { return Value() & 0xFF; }
  uint8_t Green() const { return (Value() >> 8) & 0xFF; }
  uint8_t Blue() const { return (Value() >> 16) & 0xFF; }
};

// The single-precision -2.55 (bit pattern 0xC0233333) that maps a
// transparency percentage onto an alpha byte.
inline constexpr float kTransparencyScale = -2.55f;

// A colour and its transparency in percent; the transparency's Scaled() is
// the alpha byte (0 % → 255, 50 % → 127, 100 % → 0; 101 % wraps to 254).
struct ColorAlphaPair {
  ColorAlphaPair() : Color(0xFFFFFF), Transparency(0, kTransparencyScale, 255.0f) {}
  SmartCOLORREF Color;
  UINTSclaleTo<uint8_t> Transparency;

  uint8_t Alpha() const { return Transparency.Scaled(); }
  // (r, g, b, a) in 0..1, as effect parameters take it.
  D3DXVECTOR4 ToFloat4() const;
};

// The colour as (r, g, b, a) floats in 0..1 for a COLORREF and alpha byte.
D3DXVECTOR4 ColorToFloat4(uint32_t colorref, uint8_t alpha);

// Observes its own hue (degrees), saturation and brightness (percent) and
// keeps red, green and blue in step; alpha is always 1.
class SmartColorHSB : public MediaControl {
 public:
  SmartColorHSB();
  SmartColorHSB(const SmartColorHSB& o);
  SmartColorHSB& operator=(const SmartColorHSB& o);

  void OnChanged(MediaControl* sender) override;
  // Sets the three values, then recomputes once.
  void SetHsb(uint32_t hue, uint32_t saturation, uint32_t brightness);
  D3DXVECTOR4 Rgba() const { return {red_, green_, blue_, alpha_}; }

  MediaParamT<uint32_t> Hue;
  MediaParamT<uint32_t> Saturation;
  MediaParamT<uint32_t> Brightness;

 private:
  void Attach();
  void Recompute();
  float red_ = 0, green_ = 0, blue_ = 0, alpha_ = 1;
};

}  // namespace glimmer
