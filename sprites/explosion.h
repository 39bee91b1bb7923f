#pragma once
// ZT_ExplosionConstructor: one quad at a point whose fire the effect's "Main"
// technique computes from a gradient picture and a noise picture. A new
// explosion starts at every whole second of motion time; it grows from a
// quarter to full size while its time line fades in and vanishes while the
// line is hidden. The noise drifts in one direction.

#include <array>

#include "scene/layer_kind.h"
#include "sprites/fx_sprites.h"

namespace glimmer {

// The player's built-in explosion effect in the shared module.
inline constexpr uint16_t kExplosionEffectId = 1020;

struct NoiseShift {
  float x = 0, y = 0;
};

class ZT_ExplosionConstructor : public ZT_StatBaseFXCtrl {
  GLIMMER_LAYER_KIND(ZT_ExplosionConstructor)

 public:
  // Size 250, double motion speed, the built-in explosion effect.
  ZT_ExplosionConstructor();
  // Noise parameters, drift, in version 1 the legacy timing, seed, fresh
  // flag, second colour, then the placed part. Version 1 becomes a random
  // time line.
  void Serialize(Archive& ar, int32_t version) override;
  void Restart() override;
  void MoveSprite(SpriteRecord& r) override;
  void LoadEffectResources() override;
  uint16_t FallbackEffect() const override { return kExplosionEffectId; }
  bool SetEffectParameters(ZT_ABRender& renderer,
                           const ZT_SpriteArrayT<DX_V::PCT>& geometry) override;

  // The "Main" technique and its parameters on the loaded effect; a new
  // explosion at each whole second of motion time. False without an effect.
  bool ApplyParameters();
  // The next explosion's noise shift: fresh draws, or the next pair of the
  // seed's sequence.
  void NewNoiseShift();

  UINTSclaleTo<float> noise1{21, -0.01f, 1.0f}, noise2{15, 0.01f, 0.0f}, noise3{42, 0.01f, 0.0f};
  MediaDirection driftDirection{0};
  MediaSpeedParam driftSpeed{50, 0.005f, 0.0f};
  std::array<uint32_t, 5> legacyTiming{};  // version 1 only
  MediaParamT<uint32_t> seed{0};
  MediaParamT<int32_t> freshRandom{0};
  SmartCOLORREF secondColour{0};

  // Not stored.
  float driftStep = 0, driftTime = 0, driftPrevious = 0;
  TexturePtr gradientTexture, noiseTexture;
  NoiseShift previousNoiseShift, noiseShift;
  float lastWholeTime = 0;
  int32_t explosionCount = 1;

 private:
  // Where the seed's sequence stands after the pairs drawn so far, so that
  // the next pair costs one draw, not one per explosion since the restart.
  uint32_t seededState_ = 0;
  int32_t seededPairs_ = 0;
  uint32_t seededFrom_ = 0;
};

}  // namespace glimmer
