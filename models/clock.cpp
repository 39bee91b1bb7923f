#include "models/clock.h"

#include <cmath>

#include "params/param_serialization.h"
#include "params/scaled_slider.h"
#include "store/archive.h"

namespace glimmer {

namespace {
constexpr float kDegree = 3.14159265358979f / 180;
constexpr char16_t kModule[] = u"common_res.dll";
// The player's own clock resources.
constexpr uint64_t kDialPicture = 1102, kHandsPicture = 1103, kDiscMesh = 1112;

constexpr auto Scaling = ScalingMatrix;
constexpr auto Translation = TranslationMatrix;
}  // namespace

ZT_ClockConstructor::ZT_ClockConstructor() : handsImage(kModule, kHandsPicture) {
  image = ZT_ImageFileLink(kModule, kDialPicture);
  mesh = ZT_MeshFile(kModule, kDiscMesh);
  size.StoreValue(200);
  placement.ExtraA.StoreValue(320);
  placement.ExtraB.StoreValue(240);
  SyncPlacement();
}

void ZT_ClockConstructor::Serialize(Archive& ar, int32_t) {
  Field(ar, "placement", placement);
  Field(ar, "handsImage", handsImage);
  SerializeBase<ZT_3D_Obj_Ctrl>(ar, *this);
}

void ZT_ClockConstructor::SyncPlacement() {
  const int32_t cx = placement.ExtraA.Value(), cy = placement.ExtraB.Value();
  const int32_t half = int32_t(std::min<uint32_t>(size.Value(), 1u << 30) / 2);
  if (placement.Left.Value() != cx - half) placement.Left.SetValue(cx - half);
  if (placement.Right.Value() != cx + half) placement.Right.SetValue(cx + half);
  if (placement.Top.Value() != cy - half) placement.Top.SetValue(cy - half);
  if (placement.Bottom.Value() != cy + half) placement.Bottom.SetValue(cy + half);
}

void ZT_ClockConstructor::PrepareMeshes(std::vector<std::unique_ptr<ZT_MeshInstance>>& instances) {
  const MeshBuffers disc = LoadMesh(mesh);
  MakeRootAndChildInstances(instances, disc, LoadTexture(image), true, disc,
                            LoadTexture(handsImage));
}

void ZT_ClockConstructor::AttachNodes(const std::vector<std::unique_ptr<ZT_Node>>& roots,
                                      std::vector<std::unique_ptr<ZT_MeshInstance>>& instances) {
  AttachRootsAndChildren(roots, instances);
}

std::unique_ptr<ZT_Node> ZT_ClockConstructor::BuildNodeTree() {
  auto root = std::make_unique<ZT_Node>();
  D3DXMATRIX turn;
  D3DXMatrixRotationX(&turn, 90 * kDegree);
  root->Local = Scaling(0.01f, 0.01f, 0.01f) * turn;
  root->animation = std::make_unique<AC_Static>(*this);
  auto hour = std::make_unique<ZT_Node>();
  hour->Local = Scaling(0.01f, 1, 0.3f) * Translation(0, 0, 10);
  hour->animation = std::make_unique<AC_ClockArrow>(AC_ClockArrow::kHour);
  auto minute = std::make_unique<ZT_Node>();
  minute->Local = Scaling(0.01f, 1, 0.38f) * Translation(0, 0, 13);
  minute->animation = std::make_unique<AC_ClockArrow>(AC_ClockArrow::kMinute);
  root->AddOwnedChild(std::move(hour));
  root->AddOwnedChild(std::move(minute));
  return root;
}

void AC_Static::Animate(ZT_Node& node) {
  owner_.SyncPlacement();
  const float s = float(owner_.size.Value());
  node.World = node.Local * Scaling(s, s, s) *
               Translation(float(owner_.placement.ExtraA.Value()),
                           float(owner_.placement.ExtraB.Value()), 0);
}

float AC_ClockArrow::Angle(Kind kind, int hours, int minutes, int seconds) {
  if (kind == kMinute) return (float(seconds) / 60 + float(minutes)) * 6;
  return (float(hours % 12) + float(minutes) / 60) * 30;
}

void AC_ClockArrow::Animate(ZT_Node& node) {
  if (const std::optional<LocalTimeOfDay> now = ReadLocalTime()) {
    angle_ = Angle(kind_, now->hours, now->minutes, now->seconds);
  }
  D3DXMATRIX turn;
  D3DXMatrixRotationY(&turn, angle_ * kDegree);
  node.World = node.Local * turn;
}

GLIMMER_REGISTER_3D_KIND(ZT_ClockConstructor)

}  // namespace glimmer
