#include "sprites/view_obj_ctrl.h"

#include <cmath>

#include "params/param_serialization.h"
#include "params/scaled_slider.h"

namespace glimmer {

void ZT_ViewObjCtrl::Serialize(Archive& ar, int32_t version) {
  Field(ar, "bounds", bounds);
  Field(ar, "boundsLeft", boundsLeft);
  Field(ar, "boundsRight", boundsRight);
  Field(ar, "boundsTop", boundsTop);
  Field(ar, "boundsBottom", boundsBottom);
  Field(ar, "editorFlag", editorFlag);
  if (version >= 2) Field(ar, "motionSpeed", motionSpeed);
  SerializeBase<ZT_ABObj_Constructor>(ar, *this);
}

void ZT_ViewObjCtrl::Restart() {
  frameStep = 0;
  lastTime = 0;
  motionTime = 0;
}

std::array<D3DXVECTOR3, 4> ZT_ViewObjCtrl::GetBoundsQuad() const {
  const float l = width * boundsLeft, r = width * boundsRight;
  const float t = height * boundsTop, b = height * boundsBottom;
  return {{{l, b, 0}, {l, t, 0}, {r, b, 0}, {r, t, 0}}};
}

bool ZT_ViewObjCtrl::HitTest(float, float) const {
  return false;
}

void ZT_ViewObjCtrl::SetTargetSize(float w, float h) {
  if (!(w > 0) || !(h > 0) || (w == width && h == height)) return;
  width = w;
  height = h;
  SyncRectangle();
}

void ZT_ViewObjCtrl::SyncRectangle() {
  const auto edge = [](float fraction, float size) {
    return detail::TruncateToInt32(fraction * size);
  };
  bounds.Left.SetValue(edge(boundsLeft, width));
  bounds.Right.SetValue(edge(boundsRight, width));
  bounds.Top.SetValue(edge(boundsTop, height));
  bounds.Bottom.SetValue(edge(boundsBottom, height));
}

}  // namespace glimmer
