#pragma once
// ZT_ButterflyConstructor: a flock of butterflies that flap their wings,
// wander with banking turns, glide now and then and stay within the bounds.

#include "models/obj3d_ctrl.h"
#include "params/scaled_slider.h"

namespace glimmer {

class AC_Butterfly;

class ZT_ButterflyConstructor : public ZT_3D_Obj_Ctrl {
  GLIMMER_LAYER_KIND(ZT_ButterflyConstructor)

 public:
  // The built-in body, wings and pictures.
  ZT_ButterflyConstructor();
  // Body image, body mesh, two unused settings, from version 2 the wing
  // scale; then the 3D part (whose image and mesh are the wings').
  void Serialize(Archive& ar, int32_t version) override;

  // 0: body mesh with body picture; 1: wing mesh with wing picture, see-through.
  void PrepareMeshes(std::vector<std::unique_ptr<ZT_MeshInstance>>& instances) override;
  void AttachNodes(const std::vector<std::unique_ptr<ZT_Node>>& roots,
                   std::vector<std::unique_ptr<ZT_MeshInstance>>& instances) override;
  // The body node (with the butterfly's animation) and its two wings.
  std::unique_ptr<ZT_Node> BuildNodeTree() override;

  ZT_ImageFileLink bodyImage;
  ZT_MeshFile bodyMesh;
  UINTSclaleTo<float> unusedA{50, 1.0f, 0.0f}, unusedB{50, 1.0f, 0.0f};
  float wingScale = 1;
};

// A wing: world = local × M, with M and the flag set by its butterfly.
class AC_ButterflyWing : public ZT_AnimationBase {
 public:
  void Animate(ZT_Node& node) override;

  D3DXMATRIX M;
  uint8_t flag = 0;
};

// One butterfly's flight: heading, climb, bank and speed approach their
// targets; the wings flap; decisions every 0.25 s of motion time.
class AC_Butterfly : public ZT_AnimationBase {
 public:
  // Draws the start point (x, y) and the heading.
  AC_Butterfly(const ZT_ButterflyConstructor& owner, AC_ButterflyWing& wing1,
               AC_ButterflyWing& wing2);
  void Animate(ZT_Node& node) override;

  float flap = 0, flapRate = 100, upperFlap = 55, lowerFlap = -55;
  float x = 0, y = 0, z = 0;
  ApproachingValue climb{50, 50, 250}, heading, bank{0, 0, 50}, speed{50, 50, 350};
  int mode = 0, requestedMode = 0;
  float lastDecision = 0;

 private:
  // Steps 12 to 14 of a frame: bounds, mode changes, random decisions.
  void Decide();

  const ZT_ButterflyConstructor& owner_;
  AC_ButterflyWing& wing1_;
  AC_ButterflyWing& wing2_;
  D3DXMATRIX t10_, mirror_;
};

}  // namespace glimmer
