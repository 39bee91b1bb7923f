#pragma once
// ZT_SlideShow_Light: the show root. It owns the slides in stored order and
// the show's music list.

#include <vector>

#include "common/safe_ptr.h"
#include "document/audio_file.h"
#include "document/stored_item.h"
#include "scene/slide_container.h"

namespace glimmer {

class ZT_SlideShow_Light : public ZT_IOF_Item {
  GLIMMER_STORED_CLASS(ZT_SlideShow_Light, 1)

 public:
  // The root's version is not consulted: every stored root has one layout.
  void Serialize(Archive& ar, int32_t version) override;

  // Slide containers, each created through the slide-container registry.
  std::vector<ZT_SafePtr<ZT_SlideContainer>> slides;
  std::vector<ZT_SafePtr<ZT_AudioFile>> music;
};

}  // namespace glimmer
