#include "scene/slides/flame.h"

#include "document/resource_manager.h"
#include "params/param_serialization.h"
#include "platform/gpu/effect.h"
#include "scene/embedded_effects.h"
#include "store/archive.h"
#include "store/class_registry.h"

namespace glimmer {

GLIMMER_REGISTER_CLASS(SlideRegistry, ZT_FlameLight)

ZT_FlameLight::ZT_FlameLight() : fire_(CreateEmbeddedEffect(u"ZT_FireFX")) {
  // The fire's noise and flame pictures are the shared module's.
  if (auto* fx = dynamic_cast<EmbeddedFx*>(fire_.get()))
    fx->SetPictureLinks({u"common_res.dll", 7}, {u"common_res.dll", 8});
}

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

void ZT_FlameLight::PlaceQuads() {
  const float w = float(pictureWidth_), h = float(pictureHeight_);
  // The haze covers the picture; the fire burns on the band above its
  // lower edge (or below it, with a drop).
  if (DX_V::PCT* q = hazeQuad_.Lock()) {
    q[0] = {0, h, 0, 0xFFFFFFFF, 0, 1};
    q[1] = {0, 0, 0, 0xFFFFFFFF, 0, 0};
    q[2] = {w, h, 0, 0xFFFFFFFF, 1, 1};
    q[3] = {w, 0, 0, 0xFFFFFFFF, 1, 0};
    hazeQuad_.Unlock();
  }
  const auto [top, bottom] = FireBand(h);
  if (DX_V::PCT* q = fireQuad_.Lock()) {
    q[0] = {0, top, 0, 0xFFFFFFFF, 0, 0};
    q[1] = {w, top, 0, 0xFFFFFFFF, 1, 0};
    q[2] = {0, bottom, 0, 0xFFFFFFFF, 0, 0.95f};
    q[3] = {w, bottom, 0, 0xFFFFFFFF, 1, 0.95f};
    fireQuad_.Unlock();
  }
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
  if (d) {
    for (Mesh* quad : {&hazeQuad_, &fireQuad_}) {
      *quad = Mesh(d);
      quad->CreateVertices(4);
      quad->PrimitiveType = D3DPT_TRIANGLESTRIP;
    }
    PlaceQuads();
  }
  fireRuntime_.reset();
  if (fire_) fireRuntime_ = fire_->CreateRuntime();
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

void ZT_FlameLight::DrawFire() {
  auto* fire = dynamic_cast<EmbeddedFxRuntime*>(fireRuntime_.get());
  if (!fire || !fireQuad_.VertexBuffer) return;
  const std::shared_ptr<Effect> effect = fire->LoadedEffect();
  if (!effect) return;
  GpuDevice& d = Device();
  RenderContext& c = Context();
  // No clip planes cut the flames.
  const uint32_t clip = d.GetRenderState(D3DRS_CLIPPLANEENABLE);
  d.SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
  // Every parameter is set right before this draw: the effect is shared
  // with any fire layer of the show.
  Effect& e = *effect;
  const float time = fire->EffectTime();
  D3DXMatrixIdentity(&c.ParallaxMatrix);
  e.SetMatrix("WorldViewProj", c.GetWorld(fireQuad_.World) * c.View * c.Projection);
  e.SetMatrix("ViewProj", c.PlacedView * c.Projection);
  e.SetTexture("Noise", fire->Picture(0));
  e.SetTexture("Pattern", fire->Picture(1));
  e.SetVector("c11", {0, 1.3f * time, 0, 0});
  e.SetVector("c12", {0, 2.1f * time, 0, 0});
  e.SetVector("c13", {0, 2.3f * time, 0, 0});
  e.SetTechnique("AsEffect");
  DrawFx(fireQuad_, e);
  d.SetRenderState(D3DRS_CLIPPLANEENABLE, clip);
}

void ZT_FlameLight::DrawPicture(int flag) {
  ZT_2D_Light::DrawPicture(flag);
  if (FireOn.Value() != 0) DrawFire();
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
    e.SetTexture("Background", sceneTexture_);
    e.SetTexture("Bumpmap", hazeBump_);
    e.SetFloat("stenght", HazeStrength.Scaled() * 0.05f);
    e.SetVector("Offset", {T, -T, 0, 0});
    e.SetVector("bump_scale", {b, w > 0 ? b * h / w : b, 0, 0});
    e.SetTechnique("BumpmapDistortLow2");
    DrawFx(hazeQuad_, e);
  }
  ZT_2D_Light::EndFrame(flag);
}

}  // namespace glimmer
