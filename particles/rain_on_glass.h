#pragma once
// ZT_RainOnGlass: rain drops landing on a pane of glass. Each drop flies
// onto the glass and fades in, then either stays put (three of four, drawn
// from the sheet's other cells and turned a little) or slides down under
// gravity against a changing friction, shrinking as it goes; touching drops
// merge into one that slides. Drops that leave the glass die.

#include <cstdint>
#include <memory>
#include <vector>

#include "params/geometry_params.h"
#include "particles/emitters.h"
#include "particles/particle_runtime.h"
#include "particles/rain_routines.h"
#include "scene/layer_kind.h"

namespace glimmer {

// At most this many drops on one pane: glass without gravity or drops
// without size would otherwise gather drops for ever. Births beyond wait.
inline constexpr uint32_t kMaxRainDrops = 20'000;

class ZT_RainOnGlass : public QVX_ParticleSystemCtrl {
  GLIMMER_LAYER_KIND(ZT_RainOnGlass)

 public:
  ZT_RainOnGlass();
  // Rate, glass, gravity and fall direction, then the particle base.
  void Serialize(Archive& ar, int32_t version) override;

  QVX_EvenImitter rate;
  QVX_RectImitter glass;
  UINTSclaleTo<float> gravity{100, 1.0f, 0.0f};  // pull on sliding drops
  MediaDirection fallDirection{270};             // degrees: where drops go
};

class RainOnGlassSystem : public ParticleKindRuntime<ZT_RainOnGlass> {
 public:
  explicit RainOnGlassSystem(const ZT_RainOnGlass& constructor);

 protected:
  void BuildRoutines() override;
  bool Emit(float dt, size_t first) override;
  float WarmUpTime() const override { return 15.0f; }
  void PlaceDefault(float width, float height) override;
  void AttachResources(QVX_DocResManager* resources, GpuDevice* device) override;

 private:
  void InitNewborn(size_t i);

  RainDrops drops_;
  PRA_RainMerge merge_;
  PRA_Die die_;
  std::unique_ptr<PRC_CrossQuad> leavesGlass_;
  InteractionContext interaction_;
  size_t fallSlot_ = 0, dynamicSlot_ = 0, colourSlot_ = 0;
  std::vector<D3DXVECTOR3> positions_;
  OverlapScratch scratch_;
  bool capReported_ = false;
};

}  // namespace glimmer
