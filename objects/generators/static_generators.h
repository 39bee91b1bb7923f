#pragma once
// The generators placed at one point or on one rectangle: ZT_StaticGenerator
// (an origin) and ZT_SingleRectGN (a placement quad drawn as one quad,
// flipped by the textured generator's flip settings).

#include "objects/generators/particle_generator.h"
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
