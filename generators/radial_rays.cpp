#include "generators/radial_rays.h"

#include <cmath>

#include "params/param_serialization.h"
#include "params/random_source.h"
#include "store/archive.h"

namespace glimmer {

namespace {
constexpr float kTwoPi = 6.28318530717959f;

D3DXVECTOR3 Turned(const D3DXVECTOR3& v, float a) {
  const float c = std::cos(a), s = std::sin(a);
  return {v.x * c - v.y * s, v.x * s + v.y * c, v.z};
}
}  // namespace

ZT_RadialRays::ZT_RadialRays() {
  images = {ZT_ImageFileLink(u"common_res.dll", 63)};
  colour1.Color.StoreValue(0xA0F0FF);
  colour1.Transparency.StoreValue(40);
  blendMode.StoreValue(3);
}

void ZT_RadialRays::Serialize(Archive& ar, int32_t) {
  Field(ar, "rayLength", rayLength);
  Field(ar, "rayWidth", rayWidth);
  Field(ar, "rayCount", rayCount);
  Field(ar, "imageIndex", imageIndex);
  Field(ar, "random", random);
  Field(ar, "seed", seed);
  Field(ar, "randomMinimum", randomMinimum);
  Field(ar, "rotationSpeed", rotationSpeed);
  Field(ar, "rotationMode", rotationMode);
  Field(ar, "minimumVisibility", minimumVisibility);
  Field(ar, "swingAmplitude", swingAmplitude);
  SerializeBase<ZT_StaticGenerator>(ar, *this);
}

void ZT_RadialRays::InitRuntime(ZT_ParticlesObj& runtime) {
  ZT_TexParticleGenerator::InitRuntime(runtime);
  BuildRays(runtime);
}

void ZT_RadialRays::AdvanceParticles(float t, ZT_ParticlesObj&) {
  rotationSpeed.Advance(t);
  const float turned = rotationSpeed.LocalTime;
  if (rotationMode == 0) {
    angle = turned;
  } else if (rotationMode == 1) {
    angle = -turned;
  } else {
    angle = std::sin(turned) * swingAmplitude.Scaled();
  }
}

void ZT_RadialRays::BuildRays(ZT_ParticlesObj& runtime) {
  const int32_t r0 = NextRandom();
  const bool randomFan = random != 0;
  if (randomFan) SeedRandom(seed.Value());
  uint32_t n = rayCount.Value();
  if (n > kMaxRays) {
    ReportOnce(std::to_string(n) + " rays; it draws " + std::to_string(kMaxRays));
    n = kMaxRays;
  }
  const float m = minimumVisibility.Scaled();
  const float g = Visibility() * (1 - m) + m;
  const int32_t clockMode = timing.ClockMode.Value();
  float length = float(rayLength.Value()), width = float(rayWidth.Value()), alpha = 1;
  if (clockMode == 0) {
    length *= g;
    width *= g;
  } else if (clockMode == 1) {
    alpha = g;
  }
  const D3DCOLOR colour = QuadColour(colour1, alpha);
  const D3DXVECTOR3 o = origin.Value();
  runtime.ReserveQuads(0, n);
  const bool locked = n > 0 && runtime.LockBuffer(0);
  D3DXVECTOR3 direction = Turned({length, 0, 0}, angle);
  const float step = n > 0 ? kTwoPi / float(n) : 0;
  const float low = randomMinimum.Scaled();
  for (uint32_t i = 0; i < n; ++i) {
    const float b = randomFan ? RandomUniform(low, 1) : 1;
    const D3DXVECTOR3 tip = o + direction * b;
    const float len = Length(direction);
    const D3DXVECTOR3 across =
        len > 0 ? D3DXVECTOR3{-direction.y / len, direction.x / len, 0} * (b * width / 2)
                : D3DXVECTOR3{};
    const D3DXVECTOR3 corners[4] = {o + across, o - across, tip + across, tip - across};
    if (locked) runtime.SetQuad(0, i, corners, colour, 0.01f, 0.99f, 0.01f, 0.99f);
    const float turn =
        randomFan ? RandomUniform(low * kTwoPi / float(n), (2 - low) * kTwoPi / float(n)) : step;
    direction = Turned(direction, turn);
  }
  if (locked) runtime.UnlockBuffer(0);
  if (randomFan) SeedRandom(uint32_t(r0));
}

void ZT_RadialRays::DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) {
  BuildRays(runtime);
  if (imageIndex < 0 || size_t(imageIndex) >= textures.size()) {
    ReportOnce("image " + std::to_string(imageIndex) + " of " + std::to_string(textures.size()) +
               " pictures; the rays are skipped");
    return;
  }
  drawn_[0] = textures[size_t(imageIndex)];
  DrawLayer(renderer, runtime, "BlendMask", 0x00000000, drawn_, 1);
}

void ZT_RadialRays::Restart() {
  ZT_StaticGenerator::Restart();
  rotationSpeed.Restart();
  angle = 0;
}

GLIMMER_REGISTER_GENERATOR_KIND(ZT_RadialRays)

}  // namespace glimmer
