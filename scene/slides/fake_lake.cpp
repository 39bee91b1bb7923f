#include "scene/slides/fake_lake.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <vector>

#include "document/resource_manager.h"
#include "params/param_serialization.h"
#include "render/state_blocks.h"
#include "scene/slides/slide_support.h"
#include "store/archive.h"
#include "store/class_registry.h"

namespace glimmer {

GLIMMER_REGISTER_CLASS(SlideRegistry, FakeLake2D)

FakeLake2D::FakeLake2D() : BumpId(Guid::Fresh()) {}

void FakeLake2D::Serialize(Archive& ar, int32_t version) {
  if (version > 1) {
    // Stored with Tiling first, ahead of Speed.
    Field(ar, "Tiling", Tiling);
    Field(ar, "Speed", Speed);
    Field(ar, "Waterline", Waterline);
    Field(ar, "RippleOpacity", RippleOpacity);
    Field(ar, "TintAlpha", TintAlpha);
    Field(ar, "TintFade", TintFade);
    Field(ar, "RippleHeight", RippleHeight);
    Field(ar, "HazeHeight", HazeHeight);
    Field(ar, "ReflectionQuality", ReflectionQuality);
    Field(ar, "TintColour", TintColour);
  }
  Field(ar, "BumpId", BumpId);
  Field(ar, "BumpName", BumpName);
  Field(ar, "BumpFlag", BumpFlag);
  SerializeBase<ZT_2D_Light>(ar, *this);
}

float FakeLake2D::WaterlineFraction() const {
  // Stored values past 100 would put the lake above the picture.
  return std::clamp(Waterline.Scaled(), 0.0f, 0.5f);
}

uint32_t FakeLake2D::ReflectionSide(int32_t quality, uint32_t maxTextureSize) {
  uint32_t side = 128u << std::clamp(quality, 0, 6);
  while (side > 128 && maxTextureSize != 0 && side > maxTextureSize) side >>= 1;
  return side;
}

namespace {

// A rectangle (x, y, w, h) as the strip (x, y + h), (x, y), (x + w, y + h), (x + w, y).
void SetRectangle(std::array<FakeLake2D::ColourVertex, 4>& q, float x, float y, float w, float h) {
  q[0] = {x, y + h, 0, q[0].color};
  q[1] = {x, y, 0, q[1].color};
  q[2] = {x + w, y + h, 0, q[2].color};
  q[3] = {x + w, y, 0, q[3].color};
}

}  // namespace

void FakeLake2D::PlaceLake() {
  const float W = float(pictureWidth_), H = float(pictureHeight_);
  const float b = WaterlineFraction();
  const float shore = H * (1 - b);
  // Top left, bottom left, bottom right; top left, bottom right, top right.
  const float pos[6][3] = {{0, shore, 1 - b}, {0, H, 1 - 2 * b}, {W, H, 1 - 2 * b},
                           {0, shore, 1 - b}, {W, H, 1 - 2 * b}, {W, shore, 1 - b}};
  const float ru[6] = {0, 0, 1, 0, 1, 1};
  for (int i = 0; i < 6; ++i) {
    lake_[size_t(i)].x = pos[i][0];
    lake_[size_t(i)].y = pos[i][1];
    lake_[size_t(i)].z = 0;
    lake_[size_t(i)].ru = ru[i];
    lake_[size_t(i)].rv = pos[i][2];
  }
  SetRectangle(tint_, 0, shore, W, b * H);
  // The haze rises HazeHeight picture pixels above the shore line; a lake of
  // no height has no haze either.
  const float haze = b > 0 ? float(std::min<uint32_t>(HazeHeight.Value(), pictureHeight_)) : 0;
  SetRectangle(haze_, 0, shore, float(int(W)), -haze);
}

void FakeLake2D::MakeReflection() {
  reflection_.reset();
  GpuDevice* d = CurrentDevice();
  if (!d) return;
  const Image picture = SlidePictureImage(*this);
  if (picture.empty()) return;
  const uint32_t side = ReflectionSide(ReflectionQuality.Value(), d->MaxTextureSize());
  const int32_t q = ReflectionQuality.Value();
  if (q < 0 || q > 24 || side != (128u << q)) {
    static bool said = false;
    if (!said) {
      std::cerr << "glimmer: FakeLake2D: reflection quality " << q
                << " is out of range; the reflection is " << side << " pixels square\n";
      said = true;
    }
  }
  reflection_ = MakeTexture(*d, ResizeTriangle(picture, side, side));
}

void FakeLake2D::PrepareResources() {
  ZT_2D_Light::PrepareResources();
  // Bump coordinates: the map repeats Tiling times across the lake.
  const float t = std::max(Tiling.Scaled(), 0.01f);
  const float bump[6][2] = {{0.01f, 0.01f}, {0.01f, t}, {t, t}, {0.01f, 0.01f}, {t, t}, {t, 0.01f}};
  for (int i = 0; i < 6; ++i) {
    lake_[size_t(i)].bu = bump[i][0];
    lake_[size_t(i)].bv = bump[i][1];
  }
  const float bottom = TintAlpha.Scaled();
  const float shore = (1 - TintFade.Scaled()) * bottom;
  const uint32_t c = TintColour.Value();
  tint_[0].color = tint_[2].color = DeviceColour(c, AlphaByte(bottom));
  tint_[1].color = tint_[3].color = DeviceColour(c, AlphaByte(shore));
  // The haze band rises from the shore line (vertices 1 and 3) to its clear
  // top (vertices 0 and 2).
  haze_[1].color = haze_[3].color = DeviceColour(c, AlphaByte(shore));
  haze_[0].color = haze_[2].color = DeviceColour(c, 0);
  PlaceLake();
  MakeReflection();
  bump_.reset();
  if (QVX_DocResManager* resources = QVX_DocResManager::Current())
    bump_ = resources->GetGuidTexture(BumpId).Texture;
}

void FakeLake2D::RestoreDeviceObjects() {
  ZT_2D_Light::RestoreDeviceObjects();
  Speed.Restart();
}

void FakeLake2D::AdvanceCamera(float t) {
  ZT_2D_Light::AdvanceCamera(t);
  Speed.Advance(t);
  const float a = Speed.LocalTime * 4.5f;
  const float c = 0.04f * std::cos(a), s = 0.04f * std::sin(a);
  bumpMatrix_ = {c, -s, s, c};
}

void FakeLake2D::DrawPicture(int flag) {
  ZT_2D_Light::DrawPicture(flag);
  if (!reflection_ || WaterlineFraction() <= 0) return;
  GpuDevice& d = Device();
  RenderContext& c = Context();
  d.SetTransform(D3DTS_VIEW, c.View);
  d.SetTransform(D3DTS_PROJECTION, c.Projection);
  d.SetTransform(D3DTS_WORLD, c.GetWorld(D3DXMATRIX{}));
  if (bump_) {
    // Stage 0 perturbs stage 1's reflection coordinates by the bump map
    // through the turning matrix.
    const BumpBlock lake{
        .matrix = {bumpMatrix_[0], bumpMatrix_[1], bumpMatrix_[2], bumpMatrix_[3]}};
    lake.Apply(d);
    d.SetTexture(0, bump_);
    d.SetTexture(1, reflection_);
  } else {
    // No bump map: the reflection unperturbed.
    kSlideState.Apply(d);
    d.SetTexture(0, reflection_);
    d.SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1);
  }
  d.SetFVF(D3DFVF_XYZ | D3DFVF_TEX2);
  d.DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, lake_.data(), sizeof(LakeVertex));
  d.SetTexture(1, nullptr);
  d.SetTexture(0, nullptr);
  kDiffuseAlpha.Apply(d);
  d.SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, tint_.data(), sizeof(ColourVertex));
  d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, haze_.data(), sizeof(ColourVertex));
  kSlideState.Apply(d);
}

}  // namespace glimmer
