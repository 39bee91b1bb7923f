#pragma once
// Single sprites: QVX_SingleParticle, the stored base of a layer that is one
// textured quad written straight into its buffer, and QVX_StaticObject, one
// standing sprite that may turn about its centre.

#include <cstdint>
#include <memory>

#include "params/animated_params.h"
#include "params/geometry_params.h"
#include "particles/particle_runtime.h"
#include "scene/layer_kind.h"

namespace glimmer {

class QVX_SingleParticle : public QVX_ParticleSystemCtrl {
  GLIMMER_STORED_CLASS(QVX_SingleParticle, 1)

 public:
  // The quad.
  void Serialize(Archive& ar, int32_t version) override;

  // Corner 0 top left, 1 bottom left, 2 top right, 3 bottom right.
  MediaQuad quad;
};

class QVX_StaticObject : public QVX_SingleParticle {
  GLIMMER_LAYER_KIND(QVX_StaticObject)

 public:
  // The turn speed, then counter-clockwise.
  void Serialize(Archive& ar, int32_t version) override;

  MediaSpeedParam turnSpeed{0, 0.4f, 0.0f};  // degrees per second
  MediaParamT<int32_t> counterClockwise;
  float angle = 0;  // degrees turned, clockwise on screen
};

// The runtime of a single sprite: one quad, no particles.
class SingleParticleSystem : public ParticleSystemRuntime {
 public:
  explicit SingleParticleSystem(std::unique_ptr<QVX_SingleParticle> system);
  QVX_SingleParticle& Single() { return static_cast<QVX_SingleParticle&>(System()); }

  void Restart() override;

 protected:
  bool Emit(float, size_t) override { return false; }
  float WarmUpTime() const override { return 0; }
  void BuildRoutines() override {}
  void AttachResources(QVX_DocResManager* resources, GpuDevice* device) override;
  // Writes the quad's corners and the current frame's texture coordinates.
  void WriteQuad();
  // Colours the quad: the first colour with the transparency × `visibility`.
  void Colour(float visibility);
};

class StaticObjectSystem : public SingleParticleSystem {
 public:
  explicit StaticObjectSystem(const QVX_StaticObject& constructor);
  // Around a copy of a kind built on the static object.
  explicit StaticObjectSystem(std::unique_ptr<QVX_StaticObject> system);
  QVX_StaticObject& settings() { return static_cast<QVX_StaticObject&>(Constructor()); }
  const QVX_StaticObject& settings() const {
    return static_cast<const QVX_StaticObject&>(Constructor());
  }

  void Advance(float t) override;
};

}  // namespace glimmer
