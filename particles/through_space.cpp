#include "particles/through_space.h"

#include <cmath>

#include "params/param_serialization.h"
#include "platform/gpu/d3dx_math.h"
#include "store/archive.h"

namespace glimmer {
namespace {

constexpr float kRadiansPerDegree = 3.14159265358979f / 180.0f;
constexpr float kLife = 5.0f;        // seconds of flight
constexpr float kDepthSpeed = 0.2f;  // depth units a second: 1 → 0 over the life

uint32_t ChannelByte(float level) {
  const float v = level * 255.0f + 0.5f;
  if (!(v > 0.0f)) return 0;
  if (v >= 255.0f) return 255;
  return static_cast<uint32_t>(v);
}

bool Finite(const D3DXVECTOR3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

}  // namespace

void QVX_ThroughSpaceCtrl::Serialize(Archive& ar, int32_t version) {
  Field(ar, "rate", rate.rate);
  Field(ar, "rectangle", rectangle.quad);
  Field(ar, "spinSpeed", spinSpeed);
  Field(ar, "spinReverse", spinReverse);
  Field(ar, "focus", focus);
  Field(ar, "outward", outward);
  if (version > 1) Field(ar, "flightSpeed", flightSpeed);
  SerializeBase<QVX_ParticleSystemCtrl>(ar, *this);
  if (!ar.IsReading()) return;
  ParticleAppearance& a = appearance;
  if (version < 3) {
    a.sizeEnvelope.riseEnd.SetValue(0);
    a.sizeEnvelope.fallStart.SetValue(100);
    a.opacityEnvelope.riseEnd.SetValue(outward ? 0 : 10);
    a.opacityEnvelope.fallStart.SetValue(outward ? 90 : 100);
  }
  if (version == 1) {
    // The texture speed of that time was the flight speed.
    flightSpeed.SetScale(a.textureSpeed.Scale(), a.textureSpeed.Offset());
    flightSpeed.SetValue(a.textureSpeed.Value());
    a.textureSpeed.SetValue(100);
  }
}

void ThroughSpaceSystem::PlaceDefault(float width, float height) {
  QVX_ThroughSpaceCtrl& s = settings();
  s.rectangle.quad.SetCentered(width, height, {width / 2, height / 2, 0});
  const D3DXVECTOR3 c0 = s.rectangle.quad.Corners[0].Value(),
                    c3 = s.rectangle.quad.Corners[3].Value();
  s.focus.SetValue((c0 + c3) * 0.5f);
}

void ThroughSpaceSystem::BuildRoutines() {
  engine_.SetAgeRule(AgeRule::Constant);
  engine_.AddRoutine({.kind = RoutineKind::Kinematic});
  engine_.AddAppearanceRoutines();
}

void ThroughSpaceSystem::Restart() {
  spinAngle_ = 0;
  ParticleKindRuntime::Restart();
}

bool ThroughSpaceSystem::Emit(float dt, size_t) {
  const QVX_ThroughSpaceCtrl& s = settings();
  const int32_t n = settings().rate.Count(Visibility() * dt);
  if (n <= 0) return true;
  positions_.resize(size_t(n));
  s.rectangle.Positions(positions_);
  for (const D3DXVECTOR3& position : positions_) {
    if (!engine_.Spawn(position)) break;
    const size_t i = engine_.Count() - 1;
    engine_.InitFromAppearance(i, kLife);
    Particle& p = engine_.At(i);
    p.position.z = s.outward ? 0.0f : 1.0f;
    p.velocity.z = s.outward ? kDepthSpeed : -kDepthSpeed;
  }
  return true;
}

void ThroughSpaceSystem::Advance(float t) {
  Attach();
  QVX_ThroughSpaceCtrl& s = settings();
  s.flightSpeed.Advance(t);
  s.spinSpeed.Advance(t);
  const float step = s.flightSpeed.StepTime, turn = s.spinSpeed.StepTime;
  AdvanceAppearanceClocks(t);
  engine_.StepAll(step);
  StepAndEmit(step);
  spinAngle_ = std::fmod(spinAngle_ + (s.spinReverse.Value() != 0 ? -turn : turn), 360.0f);
  // The layer turns about the focus.
  const D3DXVECTOR3 f = s.focus.Value();
  D3DXMATRIX to, spin, back, m;
  D3DXMatrixTranslation(&to, -f.x, -f.y, -f.z);
  D3DXMatrixRotationZ(&spin, spinAngle_ * kRadiansPerDegree);
  D3DXMatrixTranslation(&back, f.x, f.y, f.z);
  D3DXMatrixMultiply(&m, &to, &spin);
  D3DXMatrixMultiply(&quads_.World, &m, &back);
  BuildQuads();
}

void ThroughSpaceSystem::BuildQuads() {
  quadCount_ = 0;
  const uint32_t n = uint32_t(engine_.Count());
  if (n == 0) return;
  if (quads_.PrimitiveCount < 2 * n) quads_.SetQuadCount(n);
  if (!quads_.VertexBuffer) return;
  auto* v =
      static_cast<DX_V::PCT*>(quads_.VertexBuffer->Lock(0, n * 4 * uint32_t(sizeof(DX_V::PCT))));
  if (!v) return;
  const QVX_ThroughSpaceCtrl& s = settings();
  const ParticleAppearance& a = s.appearance;
  float u0 = 0, u1 = frames_.uExtent, v0 = 0, v1 = frames_.vExtent;
  if (a.flipU.Value()) std::swap(u0, u1);
  if (a.flipV.Value()) std::swap(v0, v1);
  const float cornerU[4] = {u0, u0, u1, u1}, cornerV[4] = {v1, v0, v1, v0};
  const float size = float(a.baseSize.Value());
  const int32_t rotation = a.rotationMode.Value();
  const bool spins = rotation == 2 && a.spinSpeed.Value() != 0;
  const float spinTime = a.spinSpeed.LocalTime;
  const D3DXVECTOR3 f = s.focus.Value();
  const std::vector<uint32_t>& colours = a.colours.colours.Value();
  const uint32_t bgr = colours.empty() ? 0xFFFFFF : colours.front();
  const uint32_t rgb = ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
  const float alphaLevel = float(a.colours.transparency.Scaled()) / 255.0f;
  for (uint32_t q = 0; q < n; ++q) {
    // Newborns flying inwards were put in front of the older, nearer ones.
    const Particle& p = engine_.At(s.outward ? q : n - 1 - q);
    DX_V::PCT* quad = v + 4 * q;
    float c = p.orientCos, sn = p.orientSin;
    const auto turnBy = [&](float rc, float rs) {
      const float nc = c * rc - sn * rs, ns = sn * rc + c * rs;
      c = nc;
      sn = ns;
    };
    if (spins) {
      const float angle = p.spin * spinTime;
      if (angle != 0) turnBy(std::cos(angle), std::sin(angle));
    } else if (rotation == 1) {
      // Pointing away from the focus; at the focus itself, as born.
      const D3DXVECTOR3 d = p.position - f;
      const float len = Length(d);
      if (len > 0) {
        const D3DXVECTOR3 n = d * (1.0f / len);
        turnBy(n.x, std::copysign(std::sqrt(n.y * n.y + n.z * n.z), -n.y));
      }
    }
    const float w = size, h = size * frames_.aspect;
    const D3DXVECTOR3 hw{w / 2 * c, w / 2 * sn, 0}, hh{-h / 2 * sn, h / 2 * c, 0};
    const D3DXVECTOR3 corners[4] = {p.position - hw + hh, p.position - hw - hh,
                                    p.position + hw + hh, p.position + hw - hh};
    // Seen from depth z: about the focus, scaled by 1 / z; nothing at or
    // behind the eye.
    const float z = p.position.z;
    bool visible = z > 0;
    D3DXVECTOR3 projected[4];
    for (int k = 0; k < 4 && visible; ++k) {
      projected[k] = (corners[k] - f) * (1.0f / z) + f;
      visible = Finite(projected[k]);
    }
    const uint32_t alpha = ChannelByte(alphaLevel * engine_.OpacityFactor(p));
    for (int k = 0; k < 4; ++k) {
      quad[k].x = visible ? projected[k].x : 0;
      quad[k].y = visible ? projected[k].y : 0;
      quad[k].z = visible ? projected[k].z : 0;
      quad[k].color = visible ? (alpha << 24) | rgb : 0;
      quad[k].u = cornerU[k] * p.frame[0] + p.frame[2];
      quad[k].v = cornerV[k] * p.frame[1] + p.frame[3];
    }
  }
  quads_.VertexBuffer->Unlock();
  quadCount_ = n;
}

GLIMMER_REGISTER_LAYER_KIND(QVX_ThroughSpaceCtrl, ThroughSpaceSystem)

}  // namespace glimmer
