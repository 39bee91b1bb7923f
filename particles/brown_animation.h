#pragma once
// QVX_BrownAnimation: a fixed population of particles wandering inside a
// rectangle, made once when the layer starts.

#include <cstdint>
#include <vector>

#include "params/animated_params.h"
#include "particles/emitters.h"
#include "particles/particle_runtime.h"
#include "particles/routines.h"
#include "scene/layer_kind.h"

namespace glimmer {

class QVX_BrownAnimation : public QVX_ParticleSystemCtrl {
  GLIMMER_LAYER_KIND(QVX_BrownAnimation)

 public:
  // Count, speed, frequency, duration, then the bounds.
  void Serialize(Archive& ar, int32_t version) override;

  MediaParamT<uint32_t> count{50};
  UINTSclaleTo<float> speed{25, 0.04f, 0.0f};      // a factor on the wander
  UINTSclaleTo<float> frequency{45, 0.02f, 0.1f};  // changes per second
  UINTSclaleTo<float> duration{24, 0.02f, 0.02f};  // seconds a change takes
  QVX_RectImitter bounds;                          // where the particles are born and wander
};

class BrownAnimationSystem : public ParticleSystemRuntime {
 public:
  explicit BrownAnimationSystem(const QVX_BrownAnimation& constructor);

  QVX_BrownAnimation& settings() { return static_cast<QVX_BrownAnimation&>(Constructor()); }
  const QVX_BrownAnimation& settings() const {
    return static_cast<const QVX_BrownAnimation&>(Constructor());
  }

  void Advance(float t) override;
  // The population is made again (whatever the timing), then wanders for
  // the warm-up when the layer starts with the show.
  void Restart() override;

 protected:
  BrownAnimationSystem(std::unique_ptr<QVX_BrownAnimation> system);
  void BuildRoutines() override;
  bool Emit(float, size_t) override { return false; }
  void PlaceDefault(float width, float height) override;
  // Fills the population up to the count, or cuts it down to it.
  void Populate();
  // Prepares the newborn i (the firefly gives it its appearance).
  virtual void Prepare(size_t i) { (void)i; }
  // The simulation step of the layer's own clock to outer time t.
  float OwnStep(float t);

  BrownianContext wander_;
  MediaSpeedParam clock_{100, 0.01f, 0.0f};

 private:
  // Each particle a quad of the texture's own size × scale, unturned, in the
  // first colour.
  void BuildSimpleQuads(float scale);

  std::vector<D3DXVECTOR3> births_;
};

}  // namespace glimmer
