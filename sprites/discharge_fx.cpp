#include "sprites/discharge_fx.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "common/wide_string.h"
#include "document/resource_manager.h"
#include "params/param_serialization.h"
#include "params/random_source.h"
#include "platform/screen_context.h"
#include "scene/render_context.h"
#include "store/archive.h"

namespace glimmer {
namespace {

// The module's arc pictures, and the built-in streaks that stand in for them.
constexpr uint16_t kArcPicture = 95, kPlainArcPicture = 98;
constexpr int32_t kArcStandIn = kArcPicture, kPlainArcStandIn = kPlainArcPicture;
constexpr float kShapeInterval = 0.1f;

float SegLength(const D3DXVECTOR3& v) {
  return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

// v ÷ |v|; a zero (or non-finite) vector has no direction and gives `fallback`.
D3DXVECTOR3 Normalised(const D3DXVECTOR3& v, const D3DXVECTOR3& fallback) {
  const float l = SegLength(v);
  if (!(l > 0) || !std::isfinite(l)) return fallback;
  return {v.x / l, v.y / l, v.z / l};
}

D3DXVECTOR3 Blend(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float f) {
  return {a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f, a.z + (b.z - a.z) * f};
}

}  // namespace

ZT_DischargeFXConstructor::ZT_DischargeFXConstructor() {
  effect = ZT_HLSLEffectFile(u"common_res.dll", kBlendEffectId);
  size.StoreValue(50);
  blendMode.StoreValue(1);
  colour.StoreValue(0xFFFFCC);
  glowColour.StoreValue(0xFF9900);
  float w = 320, h = 180;
  if (const RenderContext* c = CurrentRenderContext(); c && c->TargetWidth > 0) {
    w = float(c->TargetWidth);
    h = float(c->TargetHeight);
  }
  startPoint.StoreValue({w * 0.2f, h * 0.5f, 0});
  endPoint.StoreValue({w * 0.8f, h * 0.5f, 0});
}

void ZT_DischargeFXConstructor::Serialize(Archive& ar, int32_t) {
  Field(ar, "startPoint", startPoint, ReadMode::Direct);
  Field(ar, "endPoint", endPoint, ReadMode::Direct);
  Field(ar, "deviation", deviation);
  Field(ar, "style", style);
  Field(ar, "flickerInterval", flickerInterval);
  Field(ar, "arcSpeed", arcSpeed);
  SerializeBase<ZT_GlowEffectCtrl>(ar, *this);
}

void ZT_DischargeFXConstructor::Restart() {
  ZT_GlowEffectCtrl::Restart();
  shapeTime = 0;
}

uint32_t ZT_DischargeFXConstructor::SegmentCount() {
  const uint32_t n = count.Value();
  if (n <= kMaxArcSegments) return n;
  if (!capReported_) {
    std::cerr << "glimmer: the discharge layer \"" << ToUtf8(name) << "\" asks for " << n
              << " arc segments; it draws " << kMaxArcSegments << "\n";
    capReported_ = true;
  }
  return kMaxArcSegments;
}

float ZT_DischargeFXConstructor::FlickerSeconds() const {
  // Raw values above 100 would give a negative interval; 0 already means
  // every frame in which the time advanced.
  return std::max(flickerInterval.Scaled(), 0.0f);
}

void ZT_DischargeFXConstructor::NewArcShape(std::vector<ArcSegment>& list) const {
  const D3DXVECTOR3 s = startPoint.Value(), e = endPoint.Value();
  const size_t n = list.size();
  // The normal of the line S–E; with S = E the arc has no line, and
  // stands upright.
  const D3DXVECTOR3 normal = Normalised({e.y - s.y, -(e.x - s.x), 0}, {0, -1, 0});
  const float a = deviation.Scaled();
  D3DXVECTOR3 q = s;
  for (size_t i = 0; i < n; ++i) {
    const D3DXVECTOR3 d{e.x - q.x, e.y - q.y, e.z - q.z};
    const float length = SegLength(d) / float(n - i);
    D3DXVECTOR3 v = d;
    if (i + 1 < n) {
      const float u1 = RandomUniform(-a, a);
      const float u2 = RandomUniform(-a, a);
      v = {d.x + u1 * d.y, d.y + u2 * d.x, 2 * d.z};
    }
    ArcSegment& seg = list[i];
    seg.direction = Normalised(v, {1, 0, 0});
    seg.normal = normal;
    seg.length = length;
    const D3DXVECTOR3 p{q.x + seg.direction.x * length, q.y + seg.direction.y * length,
                        q.z + seg.direction.z * length};
    seg.centre = {(q.x + p.x) / 2, (q.y + p.y) / 2, (q.z + p.z) / 2};
    q = p;
  }
}

void ZT_DischargeFXConstructor::Reshape(uint32_t n) {
  previousShape.resize(n);
  nextShape.resize(n);
  NewArcShape(previousShape);
  NewArcShape(nextShape);
}

void ZT_DischargeFXConstructor::SpawnSprite(SpriteRecord&) {
  Reshape(SegmentCount());
}

void ZT_DischargeFXConstructor::PrepareFrame() {
  segmentIndex = 0;
  // A count changed at run time: the arc is drawn anew at its new length.
  const uint32_t n = SegmentCount();
  if (nextShape.size() != n) Reshape(n);
  if (motionTime - shapeTime > kShapeInterval) {
    shapeTime = motionTime;
    previousShape = nextShape;  // same size: copies in place
    NewArcShape(nextShape);
  }
}

void ZT_DischargeFXConstructor::MoveSprite(SpriteRecord& r) {
  const size_t n = nextShape.size();
  const size_t k = size_t(segmentIndex);
  segmentIndex += 1;
  r.velocity = {0, 0, 0};
  r.direction = {0, 0, 0};
  if (k >= n || previousShape.size() != n) {
    // Beyond the arc's segments (a capped count): nothing to show.
    r.halfWidth = r.halfHeight = 0;
    return;
  }
  const float f = (motionTime - shapeTime) * arcSpeed.Scaled();
  const ArcSegment &a = previousShape[k], &b = nextShape[k];
  r.position = Blend(a.centre, b.centre, f);
  r.right = Blend(a.direction, b.direction, f);
  r.up = Blend(a.normal, b.normal, f);
  r.halfWidth = (a.length + (b.length - a.length) * f) * 0.5f;
  r.halfHeight = float(size.Value()) * 0.5f;
  if (lastTime - r.timeMark > FlickerSeconds()) {
    r.timeMark = lastTime;
    if (OddDraw()) {
      r.vA = 0;
      r.vB = 0.5f;
    } else {
      r.vA = 0.5f;
      r.vB = 1;
    }
    if (OddDraw()) std::swap(r.vA, r.vB);
  }
  // The picture's outer fifths only at the two ends of the arc.
  r.uA = k == 0 ? 0 : 0.195f;
  r.uB = k + 1 == n ? 1 : 0.805f;
  r.colour = ColourFor(r.alphaFactor);
}

void ZT_DischargeFXConstructor::LoadEffectResources() {
  ZT_FXParticleSystemCtrl::LoadEffectResources();
  image.SetValue({u"common_res.dll", style.Value() != 0 ? kArcPicture : kPlainArcPicture});
  ResolveGlowTextures();
  // The player carries no arc pictures of its own: a streak stands in.
  if (!spriteTexture) {
    if (QVX_DocResManager* resources = QVX_DocResManager::Current())
      spriteTexture =
          resources->LoadBuiltinTexture(style.Value() != 0 ? kArcStandIn : kPlainArcStandIn, true);
  }
}

GLIMMER_REGISTER_GLOW_KIND(ZT_DischargeFXConstructor)

}  // namespace glimmer
