#pragma once
// ZQN_Camera: the camera over a slide's picture: still, panning at random,
// or travelling a path of points forwards and back.

#include "document/file_links.h"
#include "params/animated_params.h"
#include "params/paths.h"
#include "store/stored_item.h"

namespace glimmer {

class ZQN_Camera : public ZT_IOF_Item {
  GLIMMER_STORED_CLASS(ZQN_Camera, 3)

 public:
  ZQN_Camera() = default;
  void Serialize(Archive& ar, int32_t version) override;

  struct Pose {
    float x = 0, y = 0, zoom = 1;
    bool active = false;
  };
  // Steps the camera clock to slide time t and returns where it looks.
  Pose Advance(float t);
  // Back to the start: the picture centre, or the path's first point.
  void Reset();

  MediaParamT<int32_t> Mode;                        // 0 still, 1 random pan, 2 path
  UINTSclaleTo<float> Zoom{120, 0.01f, 0.0f};       // the random pan's zoom (1.2)
  MediaSpeedParam Speed{50, 0.02f, 0.0f};           // the camera clock's speed (1.0)
  MediaParamTB<int32_t> Running;                    // animates only while 1
  ZT_ImageFileLink Image{u"common_res.dll", 6};     // stored, no effect
  MediaParamT<uint32_t> WindowWidth, WindowHeight;  // the part of the picture shown in mode 2
  CameraPath Path;

  // Runtime.
  D3DXVECTOR3 From, To;
  float FromZoom = 1.0f, ToZoom = 1.0f;
  float SegmentStart = 0.0f, SegmentEnd = 0.0f;
  uint32_t PictureWidth = 0, PictureHeight = 0;
  size_t Cursor = 0;
  bool Forward = true;

 private:
  void NextSegment(float t);
};

}  // namespace glimmer
