#include "particles/ray_of_light.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "common/wide_string.h"
#include "params/param_serialization.h"
#include "params/random_source.h"
#include "store/archive.h"

namespace glimmer {
namespace {

// IPR_ConstantAge as an ordinary routine: the ray ages and ends after the
// life in its state.
bool RayAge(const RoutineSlot&, Particle& p, float* s, float dt) {
  p.age += dt;
  return p.age <= s[0];
}

// IPR_Increment on rnd2 with the ray's own rate. State: last age, amount
// left, rate.
bool RayFade(const RoutineSlot&, Particle& p, float* s, float) {
  if (!(s[1] > 0) || !(s[0] < p.age)) return true;
  const float d = std::fabs(s[2] * (p.age - s[0]));
  s[0] = p.age;
  p.rnd2 += std::copysign(std::min(s[1], d), s[2]);
  s[1] -= d;
  return true;
}

D3DXVECTOR3 Unit(const D3DXVECTOR3& v) {
  const float length = Length(v);
  return length > 0 ? v * (1.0f / length) : D3DXVECTOR3{0, 0, 0};
}

}  // namespace

void ZT_RayOfLight::Serialize(Archive& ar, int32_t) {
  Field(ar, "frame", frame);
  Field(ar, "count", count);
  Field(ar, "life", life);
  Field(ar, "lifeSpread", life.Spread);
  Field(ar, "width", width);
  Field(ar, "widthSpread", width.Spread);
  Field(ar, "drift", drift);
  Field(ar, "driftSpread", drift.Spread);
  Field(ar, "spreadOut", spreadOut);
  Field(ar, "startCut", startCut);
  Field(ar, "endCut", endCut);
  Field(ar, "edgeFade", edgeFade);
  Field(ar, "reserved", reserved);
  SerializeBase<QVX_ParticleSystemCtrl>(ar, *this);
}

void RayOfLightSystem::BuildRoutines() {
  engine_.SetAgeRule(AgeRule::None);
  engine_.AddRoutine({.kind = RoutineKind::Custom, .apply = &RayAge}, 1);
  fadeIn_ = engine_.AddRoutine({.kind = RoutineKind::Custom, .apply = &RayFade}, 3);
  fadeOut_ = engine_.AddRoutine({.kind = RoutineKind::Custom, .apply = &RayFade}, 3);
  engine_.AddRoutine({.kind = RoutineKind::Kinematic});
}

void RayOfLightSystem::PlaceDefault(float width, float height) {
  MediaQuad& f = settings().frame;
  f.SetCentered(width * 0.8f, height * 0.8f, {width / 2, height / 2, 0});
  // The top edge is 60 % of the bottom edge.
  const float cx = (f.Corners[0].Value().x + f.Corners[3].Value().x) / 2;
  const float half = (f.Corners[3].Value().x - f.Corners[0].Value().x) * 0.3f;
  D3DXVECTOR3 c0 = f.Corners[0].Value(), c2 = f.Corners[2].Value();
  c0.x = cx - half;
  c2.x = cx + half;
  f.Corners[0].SetValue(c0);
  f.Corners[2].SetValue(c2);
}

bool RayOfLightSystem::Emit(float, size_t) {
  const ZT_RayOfLight& s = settings();
  uint32_t m = s.count.Value();
  if (m > kMaxRays) {
    if (!capReported_) {
      std::cerr << "glimmer: the ray layer \"" << ToUtf8(s.name) << "\" asks for " << m
                << " rays; it keeps " << kMaxRays << "\n";
      capReported_ = true;
    }
    m = kMaxRays;
  }
  const RoutineSlot& in = engine_.Routines()[fadeIn_];
  const RoutineSlot& out = engine_.Routines()[fadeOut_];
  while (engine_.Count() < m) {
    const float x = RandomUniform(0, 1);
    if (!engine_.Spawn({x, 0, 0})) break;
    const size_t i = engine_.Count() - 1;
    const float d = s.life.Scaled() * RandomUniform(s.life.Spread.Scaled(), 1);
    float* row = engine_.StateRow(i);
    row[0] = d;
    // Fades in over the first half of its life and out over the second (a
    // ray without life has no rate and stays dark).
    const float rate = d > 0 ? 2 / d : 0;
    float* fi = row + in.state;
    fi[0] = 0;
    fi[1] = 1;
    fi[2] = rate;
    float* fo = row + out.state;
    fo[0] = d / 2;
    fo[1] = 1;
    fo[2] = -rate;
    Particle& p = engine_.At(i);
    p.age = 0;
    p.rnd2 = 0;
    p.rnd1 = s.width.Scaled() * RandomUniform(s.width.Spread.Scaled(), 1);
    const bool left = NextRandom() % 2 != 0;
    const float drift = s.drift.Scaled() * RandomUniform(s.drift.Spread.Scaled(), 1);
    p.velocity = {left ? -drift : drift, 0, 0};
  }
  return false;
}

void RayOfLightSystem::Advance(float t) {
  Attach();
  ZT_RayOfLight& s = settings();
  s.speed.Advance(t);
  const float step = s.speed.StepTime;
  engine_.StepAll(step);
  StepAndEmit(step);
  BuildQuads();
}

float RayOfLightSystem::EdgeFactor(float g, float fade) {
  if (!(fade > 0)) return 1;
  float c = 1;
  if (g < fade) {
    c = g / fade;
  } else if (g > 1 - fade) {
    c = (1 - g) / fade;
  }
  return std::clamp(c, 0.0f, 1.0f);
}

void RayOfLightSystem::BuildQuads() {
  quadCount_ = 0;
  const ZT_RayOfLight& s = settings();
  const ParticleAppearance& a = s.appearance;
  const std::vector<uint32_t>& colours = a.colours.colours.Value();
  // Without a colour there is nothing to draw with.
  if (colours.empty()) return;
  const uint32_t n = uint32_t(engine_.Count());
  DX_V::PCT* v = LockQuads(quads_, 3 * n);
  if (!v) return;
  const uint32_t rgb =
      ((colours[0] & 0xFF) << 16) | (colours[0] & 0xFF00) | ((colours[0] >> 16) & 0xFF);
  const float alphaLevel = float(a.colours.transparency.Scaled()) / 255.0f;
  const D3DXVECTOR3 c0 = s.frame.Corners[0].Value(), c1 = s.frame.Corners[1].Value();
  const D3DXVECTOR3 c2 = s.frame.Corners[2].Value(), c3 = s.frame.Corners[3].Value();
  const float startCut = s.startCut.Scaled(), endCut = s.endCut.Scaled();
  const float spreadOut = s.spreadOut.Scaled(), fade = s.edgeFade.Scaled();
  const float uE = frames_.uExtent, vE = frames_.vExtent;
  const D3DXVECTOR3 acrossTop = Unit(c2 - c0), acrossBottom = Unit(c3 - c1);
  for (uint32_t q = 0; q < n; ++q) {
    const Particle& p = engine_.At(q);
    const float g = p.position.x, h = p.rnd1 / 2;
    const float o = p.rnd2 * EdgeFactor(g, fade);
    const uint32_t shown = (ChannelByte(alphaLevel * o) << 24) | rgb;
    const D3DXVECTOR3 top = c2 + (c0 - c2) * g, bottom = c3 + (c1 - c3) * g;
    const D3DXVECTOR3 p0 = top + (bottom - top) * startCut, p1 = bottom + (top - bottom) * endCut;
    const D3DXVECTOR3 wA = acrossTop * h, wB = acrossBottom * (h * spreadOut);
    const D3DXVECTOR3 w0 = wA + (wB - wA) * startCut, w1 = wB + (wA - wB) * endCut;
    const float vStart = vE * startCut, vEnd = vE * (1 - endCut);
    struct Corner {
      D3DXVECTOR3 at;
      float u, v;
      uint32_t colour;
    };
    const Corner quads[3][4] = {
        {{p1 - w1, 0, vEnd, shown},
         {p0 - w0, 0, vStart, shown},
         {p1 + w1, uE, vEnd, shown},
         {p0 + w0, uE, vStart, shown}},
        {{p0 - w0, 0, vStart, shown},
         {top - wA, 0, 0, rgb},
         {p0 + w0, uE, vStart, shown},
         {top + wA, uE, 0, rgb}},
        {{bottom - wB, 0, vE, rgb},
         {p1 - w1, 0, vEnd, shown},
         {bottom + wB, uE, vE, rgb},
         {p1 + w1, uE, vEnd, shown}},
    };
    bool finite = std::isfinite(o);
    for (const auto& quad : quads) {
      for (const Corner& c : quad) finite = finite && Finite(c.at);
    }
    DX_V::PCT* out = v + 12 * q;
    for (const auto& quad : quads) {
      for (const Corner& c : quad) {
        *out++ = finite ? DX_V::PCT{c.at.x, c.at.y, c.at.z, c.colour, c.u, c.v}
                        : DX_V::PCT{0, 0, 0, 0, 0, 0};
      }
    }
  }
  quads_.VertexBuffer->Unlock();
  quadCount_ = 3 * n;
}

GLIMMER_REGISTER_LAYER_KIND(ZT_RayOfLight, RayOfLightSystem)

}  // namespace glimmer
