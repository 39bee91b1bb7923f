#include "scene/slide_show.h"

#include "document/archive.h"
#include "document/class_registry.h"

namespace glimmer {

void ZT_SlideShow_Light::Serialize(Archive& ar, int32_t) {
  SerializeList(ar, "slides", slides, kMinHeaderBytes, [&](ZT_SafePtr<ZT_SlideContainer>& slide) {
    SerializeObject(ar, "", SlideContainerRegistry(), slide);
  });
  SerializeList(ar, "music", music, kMinHeaderBytes, [&](ZT_SafePtr<ZT_AudioFile>& entry) {
    if (!entry) entry = std::make_shared<ZT_AudioFile>();
    SerializeMember(ar, "", *entry);
  });
}

}  // namespace glimmer
