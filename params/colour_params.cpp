#include "params/colour_params.h"

#include <cmath>

namespace glimmer {

D3DXVECTOR4 ColorToFloat4(uint32_t c, uint8_t alpha) {
  return {static_cast<float>(c & 0xFF) / 255.0f, static_cast<float>((c >> 8) & 0xFF) / 255.0f,
          static_cast<float>((c >> 16) & 0xFF) / 255.0f, static_cast<float>(alpha) / 255.0f};
}

D3DXVECTOR4 ColorAlphaPair::ToFloat4() const {
  return ColorToFloat4(Color.Value(), Alpha());
}

SmartColorHSB::SmartColorHSB() {
  Attach();
}

SmartColorHSB::SmartColorHSB(const SmartColorHSB& o)
    : MediaControl(o), Hue(o.Hue), Saturation(o.Saturation), Brightness(o.Brightness) {
  Attach();
}

SmartColorHSB& SmartColorHSB::operator=(const SmartColorHSB& o) {
  SetHsb(o.Hue.Value(), o.Saturation.Value(), o.Brightness.Value());
  return *this;
}

void SmartColorHSB::Attach() {
  Hue.AppendControl(this);
  Saturation.AppendControl(this);
  Brightness.AppendControl(this);
  Recompute();
}

void SmartColorHSB::OnChanged(MediaControl*) {
  Recompute();
}

void SmartColorHSB::SetHsb(uint32_t hue, uint32_t saturation, uint32_t brightness) {
  Hue.StoreValue(hue);
  Saturation.StoreValue(saturation);
  Brightness.StoreValue(brightness);
  Recompute();
}

void SmartColorHSB::Recompute() {
  const float s = static_cast<float>(Saturation.Value()) * 0.01f;
  const float v = static_cast<float>(Brightness.Value()) * 0.01f;
  alpha_ = 1.0f;
  if (s == 0.0f) {
    red_ = green_ = blue_ = v;
    return;
  }
  // Hues wrap at 360 degrees: 360 is red again, as 0 is.
  const float h = static_cast<float>(Hue.Value() % 360) / 60.0f;
  const int i = static_cast<int>(std::floor(h));
  const float f = h - static_cast<float>(i);
  const float p = (1.0f - s) * v;
  const float q = (1.0f - f * s) * v;
  const float t = (1.0f - (1.0f - f) * s) * v;
  switch (i) {
    case 0:
      red_ = v, green_ = t, blue_ = p;
      break;
    case 1:
      red_ = q, green_ = v, blue_ = p;
      break;
    case 2:
      red_ = p, green_ = v, blue_ = t;
      break;
    case 3:
      red_ = p, green_ = q, blue_ = v;
      break;
    case 4:
      red_ = t, green_ = p, blue_ = v;
      break;
    default:
      red_ = v, green_ = p, blue_ = q;
      break;
  }
}

}  // namespace glimmer
