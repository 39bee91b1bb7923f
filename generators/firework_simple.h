#pragma once
// Fireworks: rockets launched from the origin into a sector that burst into
// a ring of sparks when their flight ends; the sparks fall and fade. Rockets
// and sparks are drawn apart into the two textures of a target set and
// added to the scene. ZT_Firework holds the bursts' settings; the registered
// ZT_FireworkSimple adds the sizes.

#include <vector>

#include "generators/static_generators.h"

namespace glimmer {

// The most sparks one burst makes.
inline constexpr uint32_t kMaxSparksPerBurst = 2'000;

class ZT_Firework : public ZT_ParticleOriginGenerator {
  GLIMMER_STORED_CLASS(ZT_Firework, 1)

 public:
  // The falling stars' effect (the same two passes); two rockets a second
  // flying 1.2 s upwards with a 30 degree spread.
  ZT_Firework();
  ZT_Firework(const ZT_Firework&) = default;

  // Sparks per burst, burst speed, gravity, spark life; then the emitter's part.
  void Serialize(Archive& ar, int32_t version) override;
  void InitRuntime(ZT_ParticlesObj& runtime) override;
  // The clock; rockets and sparks moved (a rocket at the end of its flight
  // bursts); new rockets at rate × visibility a second; the four buffers.
  void AdvanceParticles(float t, ZT_ParticlesObj& runtime) override;
  void DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) override;
  bool NeedsSceneCopy() const override { return true; }
  void Restart() override;

  // A rocket from the origin (one draw: its direction).
  void Launch();
  // The sparks of a burst at `at`: per spark its direction, then its speed.
  void Burst(const D3DXVECTOR3& at);
  // Pixel sizes of the kinds built on it.
  virtual float RocketSize() const { return 4; }
  virtual float SparkSize() const { return 4; }

  MediaParamT<uint32_t> sparkCount{60};
  MediaParamT<uint32_t> burstSpeed{60};  // pixels per second
  MediaParamT<uint32_t> gravity{30};     // pixels per second²
  TimeParam sparkLife{150};

  // Not stored.
  std::vector<GeneratorParticle> rockets, sparks;

 private:
  std::vector<GeneratorParticle> bursting_;
  std::vector<TexturePtr> pictures_;
};

class ZT_FireworkSimple : public ZT_Firework {
  GLIMMER_LAYER_KIND(ZT_FireworkSimple)

 public:
  ZT_FireworkSimple() = default;
  ZT_FireworkSimple(const ZT_FireworkSimple&) = default;

  // Spark size and rocket size, then the firework's part.
  void Serialize(Archive& ar, int32_t version) override;
  float RocketSize() const override { return float(rocketSize.Value()); }
  float SparkSize() const override { return float(sparkSize.Value()); }

  MediaParamT<uint32_t> sparkSize{5};   // pixels
  MediaParamT<uint32_t> rocketSize{4};  // pixels
};

}  // namespace glimmer
