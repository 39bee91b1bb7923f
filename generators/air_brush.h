#pragma once
// ZT_AirBrush: a fixed list of dabs painted along strokes, each drawn as a
// quad of the brush size (height × the picture's aspect) in colour 1. The
// kinds built on it animate the dabs.

#include <cstdint>
#include <vector>

#include "generators/particle_generator.h"

namespace glimmer {

class ZT_AirBrush : public ZT_TexParticleGenerator {
  GLIMMER_STORED_CLASS(ZT_AirBrush, 3)

 public:
  ZT_AirBrush() = default;
  ZT_AirBrush(const ZT_AirBrush&) = default;

  // Brush size, the dabs (version 1: x, y, z and five parameters each;
  // version 2: single values; version 3: pairs), then the textured part.
  void Serialize(Archive& ar, int32_t version) override;
  // The pictures and effect, then the dab quads.
  void InitRuntime(ZT_ParticlesObj& runtime) override;
  // The dabs stay as painted; their quads follow the time line's fades.
  void AdvanceParticles(float t, ZT_ParticlesObj& runtime) override;
  void AddDab(const D3DXVECTOR3& position) override;

  // One quad per dab in buffer 0: brush size × (1, aspect), colour 1, the
  // time line's visibility.
  void BuildDabGeometry(ZT_ParticlesObj& runtime);

  MediaParamT<uint32_t> brushSize{32};  // pixels
  std::vector<GeneratorParticle> dabs;

 protected:
  // The visibility the dab quads were last built with (−1: never).
  float builtVisibility_ = -1;
};

}  // namespace glimmer
