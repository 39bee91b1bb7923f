#pragma once
// QVX_ParticleTracer: a trail emitter that follows the particles of another
// engine. Each step it sheds trail particles around every parent's drawn
// centre, which fly off at random or away from (or back towards) the
// parent, and lets its own particles age. It has its own appearance and
// engine, and a stored form without a class header, kept inside its owner's.

#include <cstdint>
#include <string>
#include <vector>

#include "params/scaled_slider.h"
#include "particles/emitters.h"
#include "particles/particle_appearance.h"
#include "particles/particle_engine.h"

namespace glimmer {

class Archive;

class QVX_ParticleTracer {
 public:
  static constexpr int32_t kVersion = 4;

  explicit QVX_ParticleTracer(std::u16string layerName = u"trails");
  // A copy has the settings; its engine starts empty, bound to its own
  // appearance.
  QVX_ParticleTracer(const QVX_ParticleTracer& o);
  QVX_ParticleTracer& operator=(const QVX_ParticleTracer& o);

  // Tracer versions 1 to 4: from 2 an appearance block of its own (before
  // it only the base size), from 3 the appearance's envelopes as stored,
  // from 4 no physics switch (older versions always have physics).
  void Serialize(Archive& ar);

  // The trails' routine table: kinematics, then the appearance's routines,
  // with a constant age of `life`. Built when first needed; call again
  // when the appearance's waves or physics change.
  void BuildRoutines();
  // Prepares the newborn trail particle i, shed from `origin` by a parent
  // of `size` pixels: the appearance draws, then its velocity (a random
  // one when travel > 0, else along the line from the origin), rnd2 = 0.
  void Launch(size_t i, const D3DXVECTOR3& origin, float size);
  // One step: while the life is positive, trails around every parent in
  // order (one rate counter for them all), then every trail steps by dt.
  void EmitTrails(float size, float dt, const ParticleEngine& parents);

  ParticleEngine& Engine() { return engine_; }
  const ParticleEngine& Engine() const { return engine_; }

  QVX_CircleImitter circle;
  QVX_EvenImitter rate;
  ParticleAppearance appearance;
  UINTSclaleTo<float> life{0, 0.01f, 0.0f};     // seconds
  UINTSclaleTo<float> spread{0, 0.01f, 0.0f};   // the circle's diameter per pixel of parent
  UINTSclaleTo<float> travel{0, 0.02f, -1.0f};  // distance factor over a life

 private:
  std::u16string layerName_;
  ParticleEngine engine_;
  std::vector<D3DXVECTOR3> births_;  // reused from step to step
  bool built_ = false;
};

}  // namespace glimmer
