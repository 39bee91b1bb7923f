#include "generators/static_animation.h"

#include "document/resource_manager.h"
#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "platform/gpu/effect.h"
#include "platform/gpu/gpu_device.h"
#include "scene/renderer_interface.h"
#include "store/archive.h"

namespace glimmer {

ZT_StaticAnimation::ZT_StaticAnimation() {
  effect = ZT_HLSLEffectFile(u"common_res.dll", kAnimationEffectId);
}

void ZT_StaticAnimation::Serialize(Archive& ar, int32_t) {
  Field(ar, "speed", speed);
  Field(ar, "reverse", reverse);
  SerializeBase<ZT_SingleRectGN>(ar, *this);
}

void ZT_StaticAnimation::InitRuntime(ZT_ParticlesObj& runtime) {
  ZT_SingleRectGN::InitRuntime(runtime);
  if (!images.empty()) LoadFrames(images[0], imagePath.Value() != 0);
}

void ZT_StaticAnimation::StepFrames() {
  const float now = speed.LocalTime;
  if (now < lastSwitch) lastSwitch = now;
  if (frameDelays.empty()) return;
  const size_t n = frameDelays.size();
  frameIndex %= n;
  if (frameDelays[frameIndex] < now - lastSwitch) {
    lastSwitch = now;
    frameIndex = reverse != 0 ? (frameIndex + n - 1) % n : (frameIndex + 1) % n;
  }
}

void ZT_StaticAnimation::AdvanceParticles(float t, ZT_ParticlesObj&) {
  speed.Advance(t);
  StepFrames();
}

void ZT_StaticAnimation::DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) {
  if (frames.empty()) return;
  const TexturePtr& frame = frames[frameIndex % frames.size()];
  if (!frame) return;
  if (!loadedEffect) {
    drawn_[0] = frame;
    DrawLayer(renderer, runtime, "BlendMask", 0x00000000, drawn_, 1);
    return;
  }
  Effect& e = *loadedEffect;
  if (!e.SetTechnique("Blend_Normal")) return;
  e.SetTexture("Texture", frame);
  e.SetVector("Color",
              {float(colour1.Color.Red()) / 255, float(colour1.Color.Green()) / 255,
               float(colour1.Color.Blue()) / 255, Visibility() * float(colour1.Alpha()) / 255});
  runtime.DrawBuffer(renderer, 0, &e);
}

void ZT_StaticAnimation::Restart() {
  ZT_SingleRectGN::Restart();
  speed.Restart();
  lastSwitch = 0;
}

GLIMMER_REGISTER_GENERATOR_KIND(ZT_StaticAnimation)

namespace {

// Effect 116: "Blend_Normal", a picture ("Texture") tinted by "Color" and
// laid over the target with its alpha.
std::shared_ptr<const EffectDesc> MakeAnimationEffect() {
  using P = EffectParamType;
  auto d = std::make_shared<EffectDesc>();
  d->name = "animated picture (116)";
  d->params = {{"Texture", P::Texture}, {"Color", P::Float4}};
  EffectPassDesc pass;
  pass.name = "P0";
  pass.renderStates = AlphaBlendPassStates();
  pass.samplers = {{"TextureSampler", "Texture"}};
  pass.pixelShader = TechniqueShader("generators/static_animation.glsl", "Blend_Normal");
  d->techniques = {{"Blend_Normal", {pass}}};
  return d;
}

}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", kAnimationEffectId, MakeAnimationEffect)

}  // namespace glimmer
