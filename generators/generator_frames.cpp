#include "generators/generator_frames.h"

#include "document/resource_manager.h"
#include "generators/particle_generator.h"
#include "platform/gpu/effect.h"
#include "platform/gpu/gpu_device.h"
#include "scene/renderer_interface.h"

namespace glimmer {

TextureSet LoadGeneratorPicture(const ZT_ImageFileLink& link, bool alternative) {
  QVX_DocResManager* resources = QVX_DocResManager::Current();
  if (!resources || link.Path().empty()) return {};
  if (alternative) {
    TextureSet set = resources->GetFrameTextures(link, 1);
    if (!set.empty()) return set;
  }
  return resources->FindTextures(link, 1);
}

void GeneratorFrames::LoadFrames(const ZT_ImageFileLink& link, bool alternative, float* aspect) {
  const TextureSet set = LoadGeneratorPicture(link, alternative);
  if (!set.empty()) {
    frames = set.Textures;
    frameDelays = set.Delays;
    if (aspect && set.ImageWidth > 0) *aspect = float(set.ImageHeight) / float(set.ImageWidth);
  }
  frameDelays.resize(frames.size(), 0.0f);
}

void GeneratorFrames::NextFrameAfterDelay(float now) {
  if (now < lastSwitch) lastSwitch = now;
  if (frames.empty()) return;
  frameIndex %= frames.size();
  if (now - lastSwitch > frameDelays[frameIndex]) {
    lastSwitch = now;
    frameIndex = (frameIndex + 1) % frames.size();
  }
}

void GeneratorFrames::DrawCurrentFrame(ZT_ABRender& renderer, ZT_ParticlesObj& runtime,
                                       Effect* effect) const {
  if (frames.empty()) return;
  DrawOnStage0(renderer, runtime, frames[frameIndex % frames.size()], effect);
}

void DrawOnStage0(ZT_ABRender& renderer, ZT_ParticlesObj& runtime, const TexturePtr& picture,
                  Effect* effect) {
  if (!picture) return;
  if (effect) {
    if (effect->Desc().techniques.empty() ||
        !effect->SetTechnique(effect->Desc().techniques.front().name))
      return;
    effect->SetTexture("Texture1", picture);
  }
  renderer.Device().SetTexture(0, picture);
  runtime.DrawBuffer(renderer, 0, effect);
  renderer.Device().SetTexture(0, nullptr);
}

}  // namespace glimmer
