#include "sprites/base_sprite_prop.h"

#include <algorithm>
#include <cmath>

#include "params/param_serialization.h"
#include "params/random_source.h"
#include "params/time_lines.h"

namespace glimmer {

void ZT_BaseSpriteProp::Serialize(Archive& ar, int32_t version) {
  SerializeBase<ZT_ViewObjCtrl>(ar, *this);
  Field(ar, "count", count);
  if (version <= 2) {
    uint32_t speed = motionSpeed.Value();
    Field(ar, "motionSpeed", speed);
    if (ar.IsReading()) motionSpeed.SetValue(speed);
  }
  Field(ar, "size", size);
  Field(ar, "transparency", transparency);
  Field(ar, "blendMode", blendMode);
  int32_t rgb = int32_t(colour.Value());
  Field(ar, "colour", rgb);
  if (ar.IsReading()) colour.SetValue(uint32_t(rgb));
  Field(ar, "pulseRate", pulseRate);
  Field(ar, "pulseMin", pulseMin);
  Field(ar, "pulseMax", pulseMax);
  Field(ar, "scaleMin", scaleMin);
  Field(ar, "scaleMax", scaleMax);
  if (version == 1 && ar.StoresVersions()) {
    ReadInlineImage(ar);
  } else {
    Field(ar, "image", image);
    Field(ar, "overlay", overlay);
  }
  Field(ar, "editorValue", editorValue);
  Field(ar, "editorFloat", editorFloat);
  Field(ar, "frameCount", frameCount);
  Field(ar, "frameRate", frameRate);
  Field(ar, "animated", animated);
  if (version == 1 && ar.StoresVersions()) {
    Field(ar, "inlineValues", inlineValues, 4);
    return;
  }
  if (version >= 4) Field(ar, "imageKind", imageKind);
  if (version >= 5) {
    Field(ar, "flipV", flipV);
    Field(ar, "flipH", flipH);
  }
  if (version >= 6) Field(ar, "staticGeometry", staticGeometry);
  if (version >= 7) Field(ar, "animationSpeed", animationSpeed);
}

// Version 1: an int32 count of pictures, each stored as an image frame (a
// marker, the encoded picture's bytes, its delay in seconds), then one
// resource blob (a module resource, or one more encoded picture).
void ZT_BaseSpriteProp::ReadInlineImage(Archive& ar) {
  Field(ar, "inlineImages", inlineImages, kMinImageFrameBytes);
  Field(ar, "inlineBlob", inlineBlob);
  if (!ar.IsReading()) return;
  for (const ImageFrame& f : inlineImages) {
    if (f.Data.empty()) ar.Fail("ZT_BaseSpriteProp version 1: an inline picture holds no bytes");
  }
}

void ZT_BaseSpriteProp::ResolveInlineImage(std::vector<ImageFrame>& frames) {
  frames.clear();
  if (inlineImages.empty() && inlineBlob.Data.empty()) {
    if (!inlineBlob.Module.empty())
      image.SetValue({inlineBlob.Module, uint64_t(inlineBlob.ResourceId)});
    return;
  }
  frames = inlineImages;
  if (frames.empty()) frames.push_back({inlineBlob.Data, 0.0f});
  // A key of its own per picture: FNV-1a of the first picture's bytes.
  uint64_t stamp = 1469598103934665603ull;
  for (uint8_t b : frames.front().Data) stamp = (stamp ^ b) * 1099511628211ull;
  image.SetValue({u"inline sprite image", stamp});
}

uint32_t ZT_BaseSpriteProp::NextFrame(uint32_t index) {
  return (index + 1) % Frames();
}

namespace {
// trunc(byte × factor) within 0..255; a non-finite product is transparent.
uint32_t ScaledAlpha(uint32_t byte, double factor) {
  const double a = std::trunc(double(byte) * factor);
  if (!(a > 0)) return 0;
  return a >= 255 ? 255u : uint32_t(a);
}
}  // namespace

uint32_t ZT_BaseSpriteProp::ApplyVisibility(uint32_t c) const {
  return (ScaledAlpha(c >> 24, Visibility()) << 24) | (c & 0xFFFFFF);
}

uint32_t ZT_BaseSpriteProp::ColourFor(float alphaFactor) const {
  const uint32_t a = ScaledAlpha(AlphaByte(), alphaFactor);
  return (a << 24) | (uint32_t(colour.Red()) << 16) | (uint32_t(colour.Green()) << 8) |
         colour.Blue();
}

void ZT_BaseSpriteProp::ApplySizeRule(SpriteRecord& r) const {
  const float s = float(size.Value()) * r.scale * 0.5f;
  if (r.aspect < 1) {
    r.halfWidth = s;
    r.halfHeight = s * r.aspect;
  } else {
    r.halfHeight = s;
    r.halfWidth = s / r.aspect;
  }
}

void ZT_BaseSpriteProp::AdvanceClocks(float t) {
  if (!std::isfinite(t)) return;
  const float step = std::min(std::fabs(t - lastTime), kMaxClockStep);
  frameStep = step * (float(motionSpeed.Value()) * 0.02f);
  lastTime = t;
  motionTime += frameStep;
  if (t < animPrevious) animPrevious = t;
  animStep = std::min(t - animPrevious, kMaxClockStep) * animationSpeed.Scaled();
  animPrevious = t;
  animTime += animStep;
}

float ZT_BaseSpriteProp::Visibility() const {
  const QVX_Timing* line = timing.Line();
  return line ? line->Visibility() : 1.0f;
}

bool ZT_BaseSpriteProp::TimeLineHidden() const {
  const QVX_Timing* line = timing.Line();
  return line && line->State() == TimeLineState::Hidden;
}

D3DXVECTOR3 ZT_ParticleSystemCtrl::RandomPointInBounds() const {
  const float x = RandomUniform(Left(), Right());
  const float y = RandomUniform(Top(), Bottom());
  return {x, y, 0};
}

D3DXVECTOR3 ZT_ParticleSystemCtrl::RandomPointInsideBounds(const SpriteRecord& r) const {
  const float x = RandomUniform(Left() + r.halfWidth, Right() - r.halfWidth);
  const float y = RandomUniform(Top() + r.halfHeight, Bottom() - r.halfHeight);
  return {x, y, 0};
}

void ZT_ParticleSystemCtrl::PulseAlpha(SpriteRecord& r, bool respawn) {
  r.alphaFactor += r.pulseRate * frameStep;
  if (r.alphaFactor < pulseMin) {
    if (respawn) SpawnSprite(r);
    r.alphaFactor = pulseMin;
    r.pulseRate = -r.pulseRate;
  } else if (r.alphaFactor > pulseMax) {
    r.alphaFactor = pulseMax;
    r.pulseRate = -r.pulseRate;
  }
}

bool OddDraw() {
  return (NextRandom() & 1) != 0;
}

D3DXVECTOR3 RotateZ(const D3DXVECTOR3& v, float radians) {
  const float c = std::cos(radians), s = std::sin(radians);
  return {v.x * c - v.y * s, v.x * s + v.y * c, v.z};
}

float Cotangent(float degrees) {
  const float t = std::tan(degrees * kPi / 180.0f);
  const float c = 1.0f / t;
  return std::isfinite(c) && std::fabs(t) > 1e-6f ? c : 0.0f;
}

}  // namespace glimmer
