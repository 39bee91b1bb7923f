#include "scene/slides/fake_underwater.h"

#include "scene/embedded_effects.h"
#include "store/archive.h"
#include "store/class_registry.h"

namespace glimmer {

GLIMMER_REGISTER_CLASS(SlideRegistry, FakeUndervater)

FakeUndervater::FakeUndervater() : water_(CreateEmbeddedEffect(u"ZT_UnderwaterFX")) {}

void FakeUndervater::Serialize(Archive& ar, int32_t version) {
  if (!water_) ar.Fail("FakeUndervater: no underwater effect is built into this player");
  auto* fx = dynamic_cast<EmbeddedFx*>(water_.get());
  if (version == 1) {
    uint32_t speed = fx ? fx->SpeedValue() : 0;
    Field(ar, "speed", speed);
    if (fx && ar.IsReading()) fx->SetSpeedValue(speed >> 1);
  } else {
    Field(ar, "water", *water_);
  }
  SerializeBase<ZT_2D_Light>(ar, *this);
}

void FakeUndervater::PrepareResources() {
  ZT_2D_Light::PrepareResources();
  // The effect loads what it draws with on its first step.
  runtime_ = water_ ? water_->CreateRuntime() : nullptr;
}

void FakeUndervater::RestoreDeviceObjects() {
  ZT_2D_Light::RestoreDeviceObjects();
  if (runtime_) runtime_->Restart();
}

void FakeUndervater::AdvanceCamera(float t) {
  ZT_2D_Light::AdvanceCamera(t);
  if (runtime_) runtime_->Advance(t);
}

void FakeUndervater::EndFrame(int flag) {
  // The finished slide comes back from the capture: it is drawn back as it
  // is and becomes the scene texture, which the water then draws through
  // where its quad and mask lie (all of the slide in technique mode 1).
  EndCapture(false);
  if (runtime_) runtime_->Draw(*this);
  ZT_2D_Light::EndFrame(flag);
}

}  // namespace glimmer
