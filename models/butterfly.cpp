#include "models/butterfly.h"

#include <cmath>

#include "params/param_serialization.h"
#include "params/random_source.h"
#include "store/archive.h"

namespace glimmer {

namespace {
constexpr float kPi = 3.14159265358979f;
constexpr float kDegree = kPi / 180;
constexpr char16_t kModule[] = u"common_res.dll";
// The player's own butterfly resources.
constexpr uint64_t kWingPicture = 1100, kBodyPicture = 1101;
constexpr uint64_t kBodyMesh = 1110, kWingMesh = 1111;

constexpr auto Rotation = RotationMatrix;
constexpr auto Translation = TranslationMatrix;
constexpr auto Scaling = ScalingMatrix;
}  // namespace

ZT_ButterflyConstructor::ZT_ButterflyConstructor()
    : bodyImage(kModule, kBodyPicture), bodyMesh(kModule, kBodyMesh) {
  image = ZT_ImageFileLink(kModule, kWingPicture);
  mesh = ZT_MeshFile(kModule, kWingMesh);
}

void ZT_ButterflyConstructor::Serialize(Archive& ar, int32_t version) {
  Field(ar, "bodyImage", bodyImage);
  Field(ar, "bodyMesh", bodyMesh);
  Field(ar, "unusedA", unusedA);
  Field(ar, "unusedB", unusedB);
  if (version >= 2) Field(ar, "wingScale", wingScale);
  if (!std::isfinite(wingScale)) wingScale = 1;
  SerializeBase<ZT_3D_Obj_Ctrl>(ar, *this);
}

void ZT_ButterflyConstructor::PrepareMeshes(
    std::vector<std::unique_ptr<ZT_MeshInstance>>& instances) {
  MakeRootAndChildInstances(instances, LoadMesh(bodyMesh), LoadTexture(bodyImage), false,
                            LoadMesh(mesh), LoadTexture(image));
}

void ZT_ButterflyConstructor::AttachNodes(
    const std::vector<std::unique_ptr<ZT_Node>>& roots,
    std::vector<std::unique_ptr<ZT_MeshInstance>>& instances) {
  AttachRootsAndChildren(roots, instances);
}

std::unique_ptr<ZT_Node> ZT_ButterflyConstructor::BuildNodeTree() {
  auto root = std::make_unique<ZT_Node>();
  root->Local = Scaling(0.5f, 0.5f, 0.5f) * Rotation(D3DXMatrixRotationY, 90);
  auto wing1 = std::make_unique<ZT_Node>();
  auto wing2 = std::make_unique<ZT_Node>();
  auto a1 = std::make_unique<AC_ButterflyWing>();
  auto a2 = std::make_unique<AC_ButterflyWing>();
  root->animation = std::make_unique<AC_Butterfly>(*this, *a1, *a2);
  for (auto* wing : {wing1.get(), wing2.get()}) {
    wing->Local = Scaling(wingScale, wingScale, wingScale);
    wing->cullByFlag = true;
  }
  wing1->animation = std::move(a1);
  wing2->animation = std::move(a2);
  root->AddOwnedChild(std::move(wing1));
  root->AddOwnedChild(std::move(wing2));
  return root;
}

void AC_ButterflyWing::Animate(ZT_Node& node) {
  node.World = node.Local * M;
  node.flag = flag;
}

AC_Butterfly::AC_Butterfly(const ZT_ButterflyConstructor& owner, AC_ButterflyWing& wing1,
                           AC_ButterflyWing& wing2)
    : owner_(owner), wing1_(wing1), wing2_(wing2) {
  const D3DXVECTOR3 start = owner.RandomPointInBounds();
  x = start.x;
  y = start.y;
  const float h0 = RandomUniform(0, 360);
  heading = {h0, h0, 350};
  t10_ = Rotation(D3DXMatrixRotationX, 10);
  mirror_ = Scaling(-1, 1, 1);
}

void AC_Butterfly::Animate(ZT_Node& node) {
  const float step = owner_.frameStep;
  D3DXMATRIX world = node.Local;
  world = Rotation(D3DXMatrixRotationY, heading.value) * world;
  // Banking into turns.
  if (heading.value - heading.target < -5) {
    bank.SetTarget(25);
  } else if (heading.value - heading.target > 5) {
    bank.SetTarget(-25);
  }
  // The nose rises when slow.
  if (speed.value < 100) {
    world = Rotation(D3DXMatrixRotationX, (1 - speed.value / 100) * 15) * world;
  }
  world = t10_ * world;
  world = Rotation(D3DXMatrixRotationZ, bank.value) * world;
  if (bank.value == bank.target) bank.SetTarget(0);
  // A fast downstroke and a slower upstroke.
  flap += step * 7 * flapRate;
  if (flap > upperFlap) flapRate = -160;
  if (flap < lowerFlap) flapRate = 100;
  // The body bobs with the wings.
  world = world * Translation(0, flap * -3 / 45, 0);
  const D3DXMATRIX w = Rotation(D3DXMatrixRotationZ, flap);
  wing1_.M = w;
  wing2_.M = w * mirror_;
  wing1_.flag = flap > 0 ? 1 : 0;
  wing2_.flag = flap < 0 ? 1 : 0;
  // Forward along the heading; up or down by the climb.
  x += speed.value * std::cos(heading.value * kDegree) * step;
  y += climb.value * step;
  world = world * Translation(x, y, 0);
  for (ApproachingValue* v : {&climb, &heading, &bank, &speed}) v->Approach(step);
  Decide();
  const float s = float(owner_.size.Value()) / 100;
  node.World = Scaling(s, s, s) * world;
}

void AC_Butterfly::Decide() {
  const ZT_ButterflyConstructor& o = owner_;
  if (y < o.height * o.boundsTop) {
    requestedMode = 1;
    climb.SetTarget(100);
  } else if (y > o.height * o.boundsBottom) {
    requestedMode = 0;
    climb.SetTarget(-190);
  }
  const bool left = x < o.width * o.boundsLeft;
  const bool right = !left && x > o.width * o.boundsRight;
  if (left || right) {
    heading.SetTarget(left ? 0.0f : -180.0f);
    heading.SetRateMagnitude(350);
    speed.SetTarget(300);
  }
  if (requestedMode != mode) {
    if (requestedMode == 1) {
      // Gliding: the wings come down and stay below the body.
      upperFlap = 0;
      if (flap < lowerFlap * 0.5f) {
        mode = 1;
        flapRate = -std::fabs(flapRate) / 100;
      }
    } else {
      upperFlap = -lowerFlap;
      mode = 0;
      flapRate = speed.value > 20 ? RandomUniform(-160, speed.value / 3 - 50) : 160;
    }
    return;
  }
  if (o.motionTime - lastDecision < 0.25f) return;
  switch (NextRandom() % 5) {
    case 0:
      requestedMode = 0;
      climb.SetTarget(RandomUniform(-190, 0));
      break;
    case 1:
      requestedMode = 1;
      climb.SetTarget(RandomUniform(100, 150));
      break;
    case 2:
      requestedMode = 0;
      speed.SetTarget(RandomUniform(-25, 300));
      break;
    default:
      if (mode == 0 && heading.value == heading.target) {
        const bool even = (NextRandom() & 1) == 0;
        heading.SetTarget(even ? RandomUniform(155, 205) : RandomUniform(-25, 25));
        heading.SetRateMagnitude(RandomUniform(50, 350));
      }
      break;
  }
  lastDecision = o.motionTime;
}

GLIMMER_REGISTER_3D_KIND(ZT_ButterflyConstructor)

}  // namespace glimmer
