#pragma once
// Generators along a path: ZT_PathGenerator holds a spline path; the
// registered ZT_PathAnimtion (spelled so in documents) sends animated
// particles along it, evenly spaced, round and round.

#include <vector>

#include "generators/generator_frames.h"
#include "generators/particle_generator.h"
#include "params/paths.h"

namespace glimmer {

class ZT_PathGenerator : public ZT_TexParticleGenerator {
  GLIMMER_STORED_CLASS(ZT_PathGenerator, 1)

 public:
  ZT_PathGenerator() = default;
  ZT_PathGenerator(const ZT_PathGenerator&) = default;

  // The path's points, then the textured part.
  void Serialize(Archive& ar, int32_t version) override;
  // The point `distance` pixels along the path (wrapping past its end);
  // the first point for a path without length.
  D3DXVECTOR3 PointAt(float distance) const;

  SplinePath path;
};

class ZT_PathAnimtion : public ZT_PathGenerator, public GeneratorFrames {
  GLIMMER_LAYER_KIND(ZT_PathAnimtion)

 public:
  ZT_PathAnimtion();
  ZT_PathAnimtion(const ZT_PathAnimtion&) = default;

  // Count, particle size, travel speed, animation speed, from version 2
  // the motion speed; then the path's part.
  void Serialize(Archive& ar, int32_t version) override;
  // The pictures, the first one's frames, the path sampled, one buffer.
  void InitRuntime(ZT_ParticlesObj& runtime) override;
  // The animation clock steps the frames, the motion clock the travel.
  void AdvanceParticles(float t, ZT_ParticlesObj& runtime) override;
  // The current frame on stage 0, the particles through the effect.
  void DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) override;
  void Restart() override;

  MediaParamT<uint32_t> count{8};
  MediaParamT<uint32_t> particleSize{20};           // pixels
  UINTSclaleTo<float> travelSpeed{40, 1.0f, 0.0f};  // pixels per second
  MediaSpeedParam animationSpeed{100, 0.01f, 0.0f};
  MediaSpeedParam motionSpeed{50, 0.02f, 0.0f};
};

}  // namespace glimmer
