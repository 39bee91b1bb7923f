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
  DX_V::PCT* v = LockQuads(quads_, n);
  if (!v) return;
  const QVX_ThroughSpaceCtrl& s = settings();
  const ParticleAppearance& a = s.appearance;
  const QuadCorners uv = CornerCoordinates(a, frames_);
  const float size = float(a.baseSize.Value());
  const int32_t rotation = a.rotationMode.Value();
  const bool spins = rotation == 2 && a.spinSpeed.Value() != 0;
  const float spinTime = a.spinSpeed.LocalTime;
  const D3DXVECTOR3 f = s.focus.Value();
  // Every particle in the table's first colour, at its own opacity.
  const std::vector<uint32_t>& colours = a.colours.colours.Value();
  const uint32_t bgr = colours.empty() ? 0xFFFFFF : colours.front();
  const uint32_t rgb = ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
  const float alphaLevel = float(a.colours.transparency.Scaled()) / 255.0f;
  for (uint32_t q = 0; q < n; ++q) {
    // Newborns flying inwards were put in front of the older, nearer ones.
    const Particle& p = engine_.At(s.outward ? q : n - 1 - q);
    float c = p.orientCos, sn = p.orientSin;
    if (spins && p.spin * spinTime != 0) {
      const float angle = p.spin * spinTime;
      const float rc = std::cos(angle), rs = std::sin(angle);
      const float nc = c * rc - sn * rs, ns = sn * rc + c * rs;
      c = nc;
      sn = ns;
    } else if (rotation == 1) {
      TurnAlong(c, sn, p.position - f);  // pointing away from the focus
    }
    const float w = size, h = size * frames_.aspect;
    const D3DXVECTOR3 hw{w / 2 * c, w / 2 * sn, 0}, hh{-h / 2 * sn, h / 2 * c, 0};
    // Seen from depth z: about the focus, scaled by 1 / z; nothing at or
    // behind the eye.
    const float z = p.position.z;
    const float k = z > 0 ? 1.0f / z : NAN;
    const D3DXVECTOR3 corners[4] = {
        (p.position - hw + hh - f) * k + f, (p.position - hw - hh - f) * k + f,
        (p.position + hw + hh - f) * k + f, (p.position + hw - hh - f) * k + f};
    const uint32_t alpha = ChannelByte(alphaLevel * engine_.OpacityFactor(p));
    WriteQuad(v + 4 * q, corners, (alpha << 24) | rgb, uv, p.frame);
  }
  quads_.VertexBuffer->Unlock();
  quadCount_ = n;
}

GLIMMER_REGISTER_LAYER_KIND(QVX_ThroughSpaceCtrl, ThroughSpaceSystem)

}  // namespace glimmer
