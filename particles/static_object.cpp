#include "particles/static_object.h"

#include "params/param_serialization.h"
#include "platform/gpu/d3dx_math.h"
#include "store/archive.h"

namespace glimmer {
namespace {
constexpr float kRadiansPerDegree = 3.14159265358979f / 180.0f;
}

void QVX_SingleParticle::Serialize(Archive& ar, int32_t) {
  Field(ar, "quad", quad);
  SerializeBase<QVX_ParticleSystemCtrl>(ar, *this);
}

void QVX_StaticObject::Serialize(Archive& ar, int32_t) {
  Field(ar, "turnSpeed", turnSpeed);
  Field(ar, "counterClockwise", counterClockwise);
  SerializeBase<QVX_SingleParticle>(ar, *this);
}

SingleParticleSystem::SingleParticleSystem(std::unique_ptr<QVX_SingleParticle> system)
    : ParticleSystemRuntime(std::move(system)) {}

void SingleParticleSystem::AttachResources(QVX_DocResManager*, GpuDevice*) {
  WriteQuad();
}

void SingleParticleSystem::Restart() {
  ParticleSystemRuntime::Restart();
  WriteQuad();
}

void SingleParticleSystem::WriteQuad() {
  DX_V::PCT* v = LockQuads(quads_, 1);
  quadCount_ = 0;
  if (!v) return;
  const MediaQuad& q = Single().quad;
  // The vertices run corner 1, 0, 3, 2: bottom left first, as every quad's.
  const D3DXVECTOR3 corners[4] = {q.Corners[1].Value(), q.Corners[0].Value(), q.Corners[3].Value(),
                                  q.Corners[2].Value()};
  const float cell[4] = {1, 1, 0, 0};
  glimmer::WriteQuad(v, corners, 0, CornerCoordinates(System().appearance, frames_), cell);
  quads_.VertexBuffer->Unlock();
  quadCount_ = 1;
}

void SingleParticleSystem::Colour(float visibility) {
  if (quadCount_ == 0) return;
  DX_V::PCT* v = LockQuads(quads_, 1);
  if (!v) return;
  const ColourTable& c = System().appearance.colours;
  const std::vector<uint32_t>& colours = c.colours.Value();
  const uint32_t bgr = colours.empty() ? 0 : colours.front();
  const uint32_t colour =
      (ChannelByte(float(c.transparency.Scaled()) / 255.0f * visibility) << 24) |
      (ChannelByte(float(bgr & 0xFF) / 255.0f) << 16) |
      (ChannelByte(float((bgr >> 8) & 0xFF) / 255.0f) << 8) |
      ChannelByte(float((bgr >> 16) & 0xFF) / 255.0f);
  for (int k = 0; k < 4; ++k) v[k].color = colour;
  quads_.VertexBuffer->Unlock();
}

StaticObjectSystem::StaticObjectSystem(const QVX_StaticObject& constructor)
    : SingleParticleSystem(std::make_unique<QVX_StaticObject>(constructor)) {}

StaticObjectSystem::StaticObjectSystem(std::unique_ptr<QVX_StaticObject> system)
    : SingleParticleSystem(std::move(system)) {}

void StaticObjectSystem::Advance(float t) {
  Attach();
  QVX_StaticObject& s = settings();
  AdvanceAppearanceClocks(t);
  WriteQuad();
  Colour(Visibility());
  // Turning: clockwise on screen for a positive angle; without a turn
  // speed the sprite stands upright.
  if (s.turnSpeed.Value() != 0) {
    s.turnSpeed.Advance(t);
    const float w = s.turnSpeed.StepTime;
    s.angle += s.counterClockwise.Value() != 0 ? -w : w;
    s.angle = std::fmod(s.angle, 360.0f);
  } else {
    s.angle = 0;
  }
  const MediaQuad& q = s.quad;
  const D3DXVECTOR3 c{(q.Corners[0].Value().x + q.Corners[3].Value().x) / 2,
                      (q.Corners[0].Value().y + q.Corners[3].Value().y) / 2, 0};
  D3DXMATRIX to, turn, back, m;
  D3DXMatrixTranslation(&to, -c.x, -c.y, 0);
  D3DXMatrixRotationZ(&turn, s.angle * kRadiansPerDegree);
  D3DXMatrixTranslation(&back, c.x, c.y, 0);
  D3DXMatrixMultiply(&m, &to, &turn);
  D3DXMatrixMultiply(&quads_.World, &m, &back);
}

GLIMMER_REGISTER_LAYER_KIND(QVX_StaticObject, StaticObjectSystem)

}  // namespace glimmer
