#pragma once
// ZT_ViewObjCtrl: the bounds of a layer (fractions of the slide, kept in step
// with a pixel rectangle) and its motion speed with the motion clock it
// drives. The base of the sprite groups and of the 3D objects.

#include <array>
#include <cstdint>

#include "common/d3dx_vector.h"
#include "params/geometry_params.h"
#include "scene/scene_object.h"

namespace glimmer {

class ZT_ViewObjCtrl : public ZT_ABObj_Constructor {
  GLIMMER_STORED_CLASS(ZT_ViewObjCtrl, 2)

 public:
  // The rectangle, the four fractions, an editor flag, from version 2 the
  // motion speed; then the layer base.
  void Serialize(Archive& ar, int32_t version) override;
  // The motion clock starts again.
  void Restart() override;

  // The bounds' corners in pixels: (left, bottom), (left, top), (right,
  // bottom), (right, top).
  virtual std::array<D3DXVECTOR3, 4> GetBoundsQuad() const;
  virtual bool HitTest(float x, float y) const;

  // The slide's size W × H; a change writes the fractions back as pixels.
  void SetTargetSize(float w, float h);
  // The rectangle's edges = truncate(fraction × W or H), notifying changes.
  void SyncRectangle();

  MediaRectangle bounds;
  float boundsLeft = 0, boundsRight = 1, boundsTop = 0, boundsBottom = 1;
  bool editorFlag = false;
  MediaParamT<uint32_t> motionSpeed{50};  // 50 = normal speed

  // Not stored: the motion clock (seconds scaled by the motion speed) and
  // the slide's size.
  float frameStep = 0, motionTime = 0, lastTime = 0;
  float width = 0, height = 0;
};

}  // namespace glimmer
