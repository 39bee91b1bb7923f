#pragma once
// FakeUndervater: the whole slide (picture and layers) is drawn offscreen and
// then shown through an embedded underwater distortion (effect 88).

#include <memory>

#include "scene/scene_object.h"
#include "scene/slide.h"

namespace glimmer {

class FakeUndervater : public ZT_2D_Light {
  GLIMMER_STORED_CLASS(FakeUndervater)

 public:
  FakeUndervater();
  // Version 1: the water's speed value alone, halved; from version 2 the
  // whole "ZT_UnderwaterFX" by fixed class. Then the picture slide.
  void Serialize(Archive& ar, int32_t version) override;

  void PrepareResources() override;
  void RestoreDeviceObjects() override;
  void AdvanceCamera(float t) override;
  void EndFrame(int flag) override;
  bool NeedsCapture() const override { return true; }

  // The embedded effect's settings (null only when no effect provides it).
  ZT_ABObj_Constructor* Water() const { return water_.get(); }

 private:
  std::unique_ptr<ZT_ABObj_Constructor> water_;
  std::shared_ptr<ZT_ABObj> runtime_;
};

}  // namespace glimmer
