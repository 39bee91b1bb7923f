#include "scene/slides/flame.h"

#include "document/resource_manager.h"
#include "params/param_serialization.h"
#include "platform/gpu/effect.h"
#include "scene/embedded_effects.h"
#include "store/archive.h"
#include "store/class_registry.h"

namespace glimmer {

GLIMMER_REGISTER_CLASS(SlideRegistry, ZT_FlameLight)

ZT_FlameLight::ZT_FlameLight() : fire_(CreateEmbeddedEffect(u"ZT_FireFX")) {}

void ZT_FlameLight::Serialize(Archive& ar, int32_t version) {
  if (!fire_) ar.Fail("ZT_FlameLight: no fire effect is built into this player");
  Field(ar, "FireOn", FireOn);
  Field(ar, "HeatHaze", HeatHaze);
  Field(ar, "FireDrop", FireDrop);
  auto* fx = dynamic_cast<EmbeddedFx*>(fire_.get());
  if (version < 2) {
    uint32_t speed = fx ? fx->SpeedValue() : 0;
    Field(ar, "FireSpeed", speed);
    if (fx && ar.IsReading()) fx->SetSpeedValue(speed);
  }
  Field(ar, "HazeBumpImage", HazeBumpImage);
  Field(ar, "HazeEffect", HazeEffect);
  Field(ar, "HazeSpeed", HazeSpeed);
  Field(ar, "HazeStrength", HazeStrength);
  Field(ar, "HazeBumpScale", HazeBumpScale);
  if (version < 2) {
    ZT_ImageFileLink dropped1, dropped2;
    Field(ar, "OldImage1", dropped1);
    Field(ar, "OldImage2", dropped2);
  } else {
    Field(ar, "fire", *fire_);
  }
  SerializeBase<ZT_2D_Light>(ar, *this);
}

std::pair<float, float> ZT_FlameLight::FireBand(float h) const {
  const float bottom = (float(FireDrop.Value()) * 0.005f + 1) * h;
  return {bottom - 0.65f * h, bottom};
}

void ZT_FlameLight::PrepareResources() {
  ZT_2D_Light::PrepareResources();
  GpuDevice* d = CurrentDevice();
  QVX_DocResManager* resources = QVX_DocResManager::Current();
  hazeEffect_.reset();
  hazeBump_.reset();
  if (resources) {
    hazeEffect_ = resources->GetEffect(HazeEffect);
    const TextureSet set = resources->FindTextures(HazeBumpImage, 4);
    if (!set.empty()) hazeBump_ = set.Textures.front();
  }
  // No haze effect: the slide draws without the haze and takes no capture.
  if (!hazeEffect_) HeatHaze.SetValue(0);
  const float w = float(pictureWidth_), h = float(pictureHeight_);
  if (d) {
    hazeMask_ = d->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    if (hazeMask_) hazeMask_->UploadImage(0, Image{1, 1, {255, 255, 255, 255}});
    hazeQuad_ = Mesh(d);
    hazeQuad_.CreateVertices(4);
    hazeQuad_.PrimitiveType = D3DPT_TRIANGLESTRIP;
    if (DX_V::PCT* q = hazeQuad_.Lock()) {
      q[0] = {0, h, 0, 0xFFFFFFFF, 0, 1};
      q[1] = {0, 0, 0, 0xFFFFFFFF, 0, 0};
      q[2] = {w, h, 0, 0xFFFFFFFF, 1, 1};
      q[3] = {w, 0, 0, 0xFFFFFFFF, 1, 0};
      hazeQuad_.Unlock();
    }
  }
  fireRuntime_.reset();
  if (fire_) {
    // The fire burns on the band above the picture's lower edge.
    const auto [top, bottom] = FireBand(h);
    if (auto* fx = dynamic_cast<EmbeddedFx*>(fire_.get())) {
      const D3DXVECTOR3 corners[4] = {{0, top, 0}, {0, bottom, 0}, {w, top, 0}, {w, bottom, 0}};
      fx->SetEffectQuad(corners);
    }
    fireRuntime_ = fire_->CreateRuntime();
  }
}

void ZT_FlameLight::RestoreDeviceObjects() {
  ZT_2D_Light::RestoreDeviceObjects();
  if (fireRuntime_) fireRuntime_->Restart();
  HazeSpeed.Restart();
}

void ZT_FlameLight::AdvanceCamera(float t) {
  if (fireRuntime_) fireRuntime_->Advance(t);
  ZT_2D_Light::AdvanceCamera(t);
  if (hazeEffect_) HazeSpeed.Advance(t);
}

void ZT_FlameLight::DrawPicture(int flag) {
  ZT_2D_Light::DrawPicture(flag);
  if (FireOn.Value() != 0 && fireRuntime_) fireRuntime_->Draw(*this);
}

void ZT_FlameLight::EndFrame(int flag) {
  if (HeatHaze.Value() != 0 && hazeEffect_) {
    // The haze draws the whole finished slide itself, so the capture is not
    // drawn back first.
    EndCapture(true);
    // The effect may be shared with heat-distortion layers: every parameter
    // is set right before this draw.
    Effect& e = *hazeEffect_;
    const float w = float(pictureWidth_), h = float(pictureHeight_);
    const float T = HazeSpeed.LocalTime;
    const float b = HazeBumpScale.Scaled();
    e.SetVector("Scale", {w > 0 && h > 0 ? w / h : 1, 1, 1, 1});
    e.SetTexture("Mask", hazeMask_);
    e.SetTexture("Background", sceneTexture_);
    e.SetTexture("Bumpmap", hazeBump_);
    e.SetFloat("stenght", HazeStrength.Scaled() * 0.05f);
    e.SetVector("Offset", {T, -T, 0, 0});
    e.SetVector("bump_scale", {b, w > 0 ? b * h / w : b, 0, 0});
    e.SetTechnique("MainFX");
    DrawFx(hazeQuad_, e);
  }
  ZT_2D_Light::EndFrame(flag);
}

}  // namespace glimmer
