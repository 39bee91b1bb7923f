#include "generators/animated_font.h"

#include <algorithm>
#include <cmath>

#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

ZT_AnimatedFont::ZT_AnimatedFont() {
  images.clear();
}

void ZT_AnimatedFont::Serialize(Archive& ar, int32_t) {
  Field(ar, "text", text);
  Field(ar, "letterSize", letterSize);
  Field(ar, "spacing", spacing);
  Field(ar, "amplitude", amplitude);
  Field(ar, "wavelength", wavelength);
  Field(ar, "waveSpeed", waveSpeed);
  SerializeBase<ZT_StaticGenerator>(ar, *this);
}

void ZT_AnimatedFont::InitRuntime(ZT_ParticlesObj& runtime) {
  ZT_TexParticleGenerator::InitRuntime(runtime);
  BuildLetters(runtime);
}

void ZT_AnimatedFont::AdvanceParticles(float t, ZT_ParticlesObj& runtime) {
  waveSpeed.Advance(t);
  BuildLetters(runtime);
}

void ZT_AnimatedFont::BuildLetters(ZT_ParticlesObj& runtime) {
  uint32_t n = uint32_t(text.size());
  if (n > kMaxFontLetters) {
    ReportOnce(std::to_string(n) + " letters; it shows " + std::to_string(kMaxFontLetters));
    n = kMaxFontLetters;
  }
  runtime.ReserveQuads(0, n);
  if (n == 0 || !runtime.LockBuffer(0)) return;
  const D3DXVECTOR3 o = origin.Value();
  const float size = float(letterSize.Value()), half = size / 2;
  const float step = float(spacing.Value()), lambda = wavelength.Scaled();
  const D3DCOLOR colour = QuadColour(colour1, Visibility());
  for (uint32_t i = 0; i < n; ++i) {
    const uint32_t code = std::min<uint32_t>(text[i], 255);
    const float col = float(code % 16), row = float(code / 16);
    const float rise = amplitude.Scaled() * std::sin(float(i) / lambda - waveSpeed.LocalTime);
    const D3DXVECTOR3 c{o.x + step * float(i) + half, o.y - rise, o.z};
    const D3DXVECTOR3 corners[4] = {{c.x - half, c.y + half, c.z},
                                    {c.x - half, c.y - half, c.z},
                                    {c.x + half, c.y + half, c.z},
                                    {c.x + half, c.y - half, c.z}};
    runtime.SetQuad(0, i, corners, colour, col / 16, (col + 1) / 16, row / 16, (row + 1) / 16);
  }
  runtime.UnlockBuffer(0);
}

void ZT_AnimatedFont::Restart() {
  ZT_StaticGenerator::Restart();
  waveSpeed.Restart();
}

GLIMMER_REGISTER_GENERATOR_KIND(ZT_AnimatedFont)

}  // namespace glimmer
