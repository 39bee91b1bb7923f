#include "sprites/flow.h"

#include <algorithm>
#include <cmath>

#include "params/param_serialization.h"
#include "params/random_source.h"
#include "sprites/sprite_array.h"

namespace glimmer {

ZT_FlowConstructor::ZT_FlowConstructor() {
  NameEdges();
}

void ZT_FlowConstructor::NameEdges() {
  for (int i = 0; i < 4; ++i) edges[size_t(i)].edge = Edge(i);
}

void ZT_FlowConstructor::Serialize(Archive& ar, int32_t version) {
  Field(ar, "direction", direction);
  Field(ar, "lateralSpeed", lateralSpeed);
  Field(ar, "driftRate", driftRate);
  Field(ar, "speed", speed);
  if (version == 2 && ar.StoresVersions()) {
    int32_t alongFlow = 0;
    Field(ar, "alongFlow", alongFlow);
    if (ar.IsReading()) orientation.SetValue(alongFlow != 0 ? 1 : 0);
  } else if (version >= 3) {
    Field(ar, "orientation", orientation);
  }
  if (version >= 4) {
    static constexpr const char* kNames[4] = {"top", "bottom", "left", "right"};
    for (size_t i = 0; i < 4; ++i) Field(ar, kNames[i], edges[i]);
  }
  NameEdges();
  SerializeBase<ZT_BaseSpriteProp>(ar, *this);
}

void ZT_FlowConstructor::Prepare() {
  const float d = float(direction.Value()) * kPi / 180.0f;
  mainVector = {speed * std::cos(d), -speed * std::sin(d), 0};
  lateralVector = {std::sin(d), std::cos(d), 0};
}

uint32_t ZT_FlowConstructor::SpriteCount() const {
  const uint32_t n = count.Value();
  if (n < 2) return n;
  const double shown = std::trunc(double(n) * double(Visibility()));
  return shown > 0 ? uint32_t(std::min(shown, double(n))) : 0;
}

void ZT_FlowConstructor::SetAxesAlongFlow(SpriteRecord& r) const {
  // The rotation by (360 − direction) degrees.
  const float a = (360.0f - float(direction.Value())) * kPi / 180.0f;
  r.right = RotateZ({1, 0, 0}, a);
  r.up = RotateZ({0, 1, 0}, a);
}

void ZT_FlowConstructor::FlowSpawn(SpriteRecord& r) {
  r.direction = {1, 1, 0};
  r.velocity = {0, 0, RandomUnit() * 2 - 1};
  r.position = RandomPointInBounds();
  ApplySizeRule(r);
  r.colour = ColourFor(r.alphaFactor);
  const int32_t mode = orientation.Value();
  if (mode == 1) {
    SetAxesAlongFlow(r);
  } else if (mode == 0) {
    r.right = {1, 0, 0};
    r.up = {0, 1, 0};
  }
}

void ZT_FlowConstructor::FlowMove(SpriteRecord& r) {
  const float drift = r.velocity.z, lateral = lateralSpeed.Scaled();
  const D3DXVECTOR3 v{(lateralVector.x * drift * lateral + mainVector.x * r.direction.x) * r.scale,
                      (mainVector.y * r.direction.y + lateralVector.y * drift * lateral) * r.scale,
                      0};
  if (!r.frozen) r.position = r.position + v * frameStep;
  for (const ZT_BoundControl& e : edges) {
    if (e.ApplyEdge(r, *this)) break;
  }
  changed = changed || r.frozen;
  const int32_t mode = orientation.Value();
  if (mode == 2) {
    r.right = {std::copysign(1.0f, v.x), 0, 0};
    r.up = {0, 1, 0};
  } else if (mode == 3) {
    r.right = {1, 0, 0};
    r.up = {0, std::copysign(1.0f, v.y), 0};
  }
  // A rate of 0 never changes the drift.
  const float rate = driftRate.Scaled();
  if (rate > 0 && motionTime - r.timeMark > 1.0f / rate) {
    r.timeMark = motionTime;
    if (OddDraw()) r.velocity.z = RandomUnit() * 2 - 1;
  }
  r.colour = ColourFor(r.alphaFactor);
}

void ZT_FlowConstructor::SpawnSprite(SpriteRecord& r) {
  FlowSpawn(r);
}

void ZT_FlowConstructor::MoveSprite(SpriteRecord& r) {
  FlowMove(r);
}

GLIMMER_REGISTER_SPRITE_KIND(ZT_FlowConstructor)

}  // namespace glimmer
