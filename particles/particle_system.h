#pragma once
// QVX_ParticleSystemCtrl: the stored base of every particle-system kind: the
// particles' appearance and the simulation speed, then the layer's own part.
// Kinds derive from it, store their own block before it and give it its
// runtime.

#include <cstdint>

#include "params/animated_params.h"
#include "particles/particle_appearance.h"
#include "scene/scene_object.h"

namespace glimmer {

class QVX_ParticleSystemCtrl : public ZT_ABObj_Constructor {
  GLIMMER_STORED_CLASS(QVX_ParticleSystemCtrl, 5)

 public:
  // Version 5: the appearance (its version, name and fields) and the
  // simulation speed. Versions 1 to 4: the older texture, shape, effect and
  // colour fields (below), the speed from version 4.
  void Serialize(Archive& ar, int32_t version) override;

  ParticleAppearance appearance;
  MediaSpeedParam speed{100, 0.01f, 0.0f};

 private:
  void SerializeLegacy(Archive& ar, int32_t version);
};

}  // namespace glimmer
