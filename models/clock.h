#pragma once
// ZT_ClockConstructor: a clock whose hour and minute hands show the local
// time, placed by the centre of its rectangle and sized in pixels.

#include "models/obj3d_ctrl.h"

namespace glimmer {

class ZT_ClockConstructor : public ZT_3D_Obj_Ctrl {
  GLIMMER_LAYER_KIND(ZT_ClockConstructor)

 public:
  // The built-in disc, dial and hands pictures; 200 pixels in the middle of
  // a 640 × 480 picture.
  ZT_ClockConstructor();
  // The placement rectangle, the hands image; then the 3D part (whose
  // image is the dial's and whose mesh draws dial and hands).
  void Serialize(Archive& ar, int32_t version) override;

  // 0: the mesh with the dial picture; 1: the mesh with the hands picture.
  void PrepareMeshes(std::vector<std::unique_ptr<ZT_MeshInstance>>& instances) override;
  void AttachNodes(const std::vector<std::unique_ptr<ZT_Node>>& roots,
                   std::vector<std::unique_ptr<ZT_MeshInstance>>& instances) override;
  // The dial node and its hour and minute hands.
  std::unique_ptr<ZT_Node> BuildNodeTree() override;
  // The rectangle's edges = centre ± size ÷ 2.
  void SyncPlacement();

  MediaRectangle placement;  // left, right, top, bottom, centre x, centre y
  ZT_ImageFileLink handsImage;
};

// The dial: world = local × Scaling(size) × Translation(centre); the
// rectangle follows the centre and size first.
class AC_Static : public ZT_AnimationBase {
 public:
  explicit AC_Static(ZT_ClockConstructor& owner) : owner_(owner) {}
  void Animate(ZT_Node& node) override;

 private:
  ZT_ClockConstructor& owner_;
};

// A hand: world = local × RotationY(its angle for the local time).
class AC_ClockArrow : public ZT_AnimationBase {
 public:
  enum Kind { kHour, kMinute };
  explicit AC_ClockArrow(Kind kind) : kind_(kind) {}
  void Animate(ZT_Node& node) override;
  // Degrees clockwise from 12 o'clock.
  static float Angle(Kind kind, int hours, int minutes, int seconds);

 private:
  Kind kind_;
  float angle_ = 0;  // kept when the time cannot be read
};

}  // namespace glimmer
