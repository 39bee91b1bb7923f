#pragma once
// The generators placed at one point or on one rectangle: ZT_StaticGenerator
// (an origin) and ZT_SingleRectGN (a placement quad drawn as one quad,
// flipped by the textured generator's flip settings).

#include <vector>

#include "generators/particle_generator.h"
#include "params/geometry_params.h"

namespace glimmer {

class ZT_StaticGenerator : public ZT_TexParticleGenerator {
  GLIMMER_STORED_CLASS(ZT_StaticGenerator, 1)

 public:
  // At the centre of the current render target.
  ZT_StaticGenerator();
  ZT_StaticGenerator(const ZT_StaticGenerator&) = default;

  // x, y, z of the origin, then the textured part.
  void Serialize(Archive& ar, int32_t version) override;

  MediaParamT<D3DXVECTOR3> origin;  // slide pixels
};

class ZT_SingleRectGN : public ZT_StaticGenerator {
  GLIMMER_STORED_CLASS(ZT_SingleRectGN, 2)

 public:
  // A 160 × 120 placement around the origin.
  ZT_SingleRectGN();
  ZT_SingleRectGN(const ZT_SingleRectGN&) = default;

  // The placement quad (version 1: two legacy floats after it), then the
  // origin's part.
  void Serialize(Archive& ar, int32_t version) override;
  // The pictures and effect, then the one quad.
  void InitRuntime(ZT_ParticlesObj& runtime) override;
  // Buffer 0: the placement's corners, flipped by the settings, in colour 1.
  void BuildRectangle(ZT_ParticlesObj& runtime);
  // The clock mode 1 opacity: the time line's visibility, else 1.
  float ClockOpacity() const;

  MediaQuad placement;
  float legacy[2] = {0, 0};  // version 1 only
};

// A particle emitted from the origin: its remaining life, motion, and what
// the kind's own step changes (size, opacity, turn).
struct OriginParticle {
  float life = 0;
  D3DXVECTOR3 position{0, 0, 0}, velocity{0, 0, 0}, acceleration{0, 0, 0};
  float scale = 1, opacity = 1;
  float spin = 0, angle = 0;  // radians per second, radians
  float birthVisibility = 1;
};

// Emits from the origin into a sector, on a clock of its own, at a rate
// that follows the time line's visibility.
class ZT_ParticleOriginGenerator : public ZT_StaticGenerator {
  GLIMMER_STORED_CLASS(ZT_ParticleOriginGenerator, 2)

 public:
  ZT_ParticleOriginGenerator() = default;
  ZT_ParticleOriginGenerator(const ZT_ParticleOriginGenerator&) = default;

  // Lifetime, rate, the kinds' size, the direction, from version 2 the
  // spread, the speed; then the origin's part.
  void Serialize(Archive& ar, int32_t version) override;
  void Restart() override;

  // One emission step of `step` seconds: every particle ages and moves,
  // the dead leave, and new ones are due at rate × visibility a second.
  // Nothing builds up while the layer is hidden.
  void EmitStep(float step);
  // A new particle at the origin heading into the sector at 100 px/s; the
  // kind adds its own state.
  virtual void NewParticle(OriginParticle& p);
  // The kind's per-step change of a particle (after it aged and moved).
  virtual void StepParticle(OriginParticle& p, float dt) { (void)p, (void)dt; }

  UINTSclaleTo<float> particleLifetime{100, 0.04f, 0.0f};  // seconds
  MediaParamT<uint32_t> rate{10};                          // per second when fully shown
  MediaParamT<uint32_t> size{40};                          // the kinds' size, pixels
  MediaSector sector{90};
  MediaSpeedParam speed{50, 0.02f, 0.0f};

  // Not stored.
  float accumulator = 0;
  std::vector<OriginParticle> emitted;
};

// Emits inside a rectangle.
class ZT_ParticleRctRgnGenerator : public ZT_TexParticleGenerator {
  GLIMMER_STORED_CLASS(ZT_ParticleRctRgnGenerator, 1)

 public:
  // The whole of the current render target.
  ZT_ParticleRctRgnGenerator();
  ZT_ParticleRctRgnGenerator(const ZT_ParticleRctRgnGenerator&) = default;

  // The emission quad, then the textured part.
  void Serialize(Archive& ar, int32_t version) override;
  // The quad's extent: left, top, right, bottom.
  void Extent(float& left, float& top, float& right, float& bottom) const;

  MediaQuad region;  // slide pixels
};

}  // namespace glimmer
