#pragma once
// The frames of an animated picture a generator shows: every frame of its
// picture with the frame's delay, the frame on show and when it last changed.

#include <cstddef>
#include <vector>

#include "document/file_links.h"
#include "document/resource_manager.h"
#include "platform/gpu/gpu_resources.h"

namespace glimmer {

class Effect;
class ZT_ABRender;
class ZT_ParticlesObj;

// The frames of a generator's picture through the current resource manager;
// none without a manager or for an empty link. The ordinary path takes what
// the document carries for the link first; the alternative one (a non-zero
// image-path setting) takes the link's frame list first, with pixels kept at
// the top left, and falls back to the ordinary path where that finds nothing,
// so that a picture carried only as a file is not lost.
TextureSet LoadGeneratorPicture(const ZT_ImageFileLink& link, bool alternative);

struct GeneratorFrames {
  // Every frame of `link` with its delay, by the image path (see
  // LoadGeneratorPicture). `aspect`, when given, gets the picture's height
  // over its width where the picture has a size.
  void LoadFrames(const ZT_ImageFileLink& link, bool alternative, float* aspect = nullptr);
  // Moves to the next frame (wrapping) once the current one's delay has
  // passed at `now` on the animation clock.
  void NextFrameAfterDelay(float now);
  // Buffer 0 of `runtime` with the frame on show as texture 0; nothing
  // without a frame.
  void DrawCurrentFrame(ZT_ABRender& renderer, ZT_ParticlesObj& runtime, Effect* effect) const;

  // Not stored.
  std::vector<TexturePtr> frames;
  std::vector<float> frameDelays;  // seconds
  size_t frameIndex = 0;
  float lastSwitch = 0;
};

// Buffer 0 of `runtime` with `picture` as the texture of stage 0; nothing
// without a picture. Through an effect, the effect's first technique runs (the
// one a freshly loaded effect has selected, whatever other layers sharing it
// chose) with the picture also as its "Texture1", the parameter its sampler
// reads, so the picture's shape and colour show.
void DrawOnStage0(ZT_ABRender& renderer, ZT_ParticlesObj& runtime, const TexturePtr& picture,
                  Effect* effect);

}  // namespace glimmer
