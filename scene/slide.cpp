#include "scene/slide.h"

#include "document/archive.h"
#include "document/class_registry.h"

namespace glimmer {

GLIMMER_REGISTER_CLASS(SlideRegistry, ZT_2D_Light)

void ZT_2D_Light::Serialize(Archive& ar, int32_t version) {
  if (version >= 2) picture.Serialize(ar, "picture");
  if (version >= 3) SerializeMember(ar, "camera", camera);
}

void ZT_2D_Light::CopyScene(int, bool) {
  // Scene copies come with the slide renderer; no layer kind asks for one yet.
}

}  // namespace glimmer
