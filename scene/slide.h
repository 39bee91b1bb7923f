#pragma once
// ZT_2D_Light: a slide's background picture, its camera, and the renderer
// that draws the picture and the slide's layers.

#include "document/file_links.h"
#include "document/stored_item.h"
#include "scene/camera.h"
#include "scene/renderer_interface.h"

namespace glimmer {

class ZT_2D_Light : public ZT_IOF_Item, public ZT_ABRender {
  GLIMMER_STORED_CLASS(ZT_2D_Light, 3)

 public:
  // The picture from version 2, the camera from version 3.
  void Serialize(Archive& ar, int32_t version) override;

  void CopyScene(int remaining, bool keep) override;

  ZT_ImageFileLink picture{u"common_res.dll", 5};
  ZQN_Camera camera;
  int32_t picturePosition = 1;
};

}  // namespace glimmer
