#include "particles/single_object_path.h"

#include <cmath>

#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

void QVX_ParticlePathCtrl::Serialize(Archive& ar, int32_t) {
  path.Serialize(ar, "path");
  SerializeBase<QVX_ParticleSystemCtrl>(ar, *this);
  if (ar.IsReading()) path.Rebuild();
}

void QVX_SigleObjectPath::Serialize(Archive& ar, int32_t) {
  Field(ar, "speed", speed);
  Field(ar, "orientation", orientation);
  SerializeBase<QVX_ParticlePathCtrl>(ar, *this);
}

bool PolylineWalker::Walk(const std::vector<D3DXVECTOR3>& q, float distance) {
  const size_t n = q.size();
  if (n < 2 || !std::isfinite(distance)) return false;
  float total = 0;
  for (size_t i = 1; i < n; ++i) total += Length(q[i] - q[i - 1]);
  if (!(total > 0) || !std::isfinite(total)) return false;
  if (segment >= n) Reset();
  into += distance;
  // A whole round trip is 2 × total: only what is left of it is walked.
  into = std::fmod(into, 2 * total);
  for (;;) {
    const size_t j = forward ? segment + 1 : segment - 1;
    const D3DXVECTOR3 d = q[j] - q[segment];
    const float length = Length(d);
    if (length > 0) direction = d * (1.0f / length);
    if (length > into) {
      position = q[segment] + direction * into;
      return true;
    }
    // On to the next segment, turning at either end (zero-length segments
    // are crossed without moving).
    segment = j;
    if (j == 0 || j == n - 1) forward = !forward;
    into -= length;
  }
}

SingleObjectPathSystem::SingleObjectPathSystem(const QVX_SigleObjectPath& constructor)
    : ParticleSystemRuntime(std::make_unique<QVX_SigleObjectPath>(constructor)) {}

void SingleObjectPathSystem::PlaceDefault(float width, float height) {
  SmartPath<DX_SmartPnt>& path = settings().path;
  path.Points.clear();
  path.AddPoint({width / 3, height / 2, 0}, nullptr);
  path.AddPoint({2 * width / 3, height / 2, 0}, nullptr);
  path.Rebuild();
}

void SingleObjectPathSystem::BuildRoutines() {
  settings().path.Smooth.SetValue(0);
  settings().path.Rebuild();
  walker_.Reset();
}

void SingleObjectPathSystem::Restart() {
  ZT_ABObj::Restart();
  Attach();
  walker_.Reset();
  walker_.Walk(settings().path.Polyline, 0);
}

void SingleObjectPathSystem::Advance(float t) {
  Attach();
  QVX_SigleObjectPath& s = settings();
  s.speed.Advance(t);
  AdvanceAppearanceClocks(t);
  // The distance grows with the speed per second, the same at any frame rate.
  if (!walker_.Walk(s.path.Polyline, s.speed.StepTime * kPixelsPerSecond)) {
    quadCount_ = 0;
    return;
  }
  DX_V::PCT* v = LockQuads(quads_, 1);
  quadCount_ = 0;
  if (!v) return;
  const D3DXVECTOR3 p = walker_.position, d = walker_.direction;
  D3DXVECTOR3 X{1, 0, 0}, Y{0, 1, 0};
  const int32_t orientation = s.orientation.Value();
  if (orientation == 1) {
    X = d;
    Y = {d.y, -d.x, 0};
  } else if (orientation == 2 && d.x < 0) {
    X = {-1, 0, 0};
  } else if (orientation == 3 && d.y > 0) {
    Y = {0, -1, 0};
  }
  const ParticleAppearance& a = s.appearance;
  const TexturePtr& texture = frames_.Current();
  const float scale = float(a.baseSize.Value()) * 0.01f;
  const float w = texture ? float(texture->Width()) * frames_.uExtent * scale : 0.0f;
  const float h = texture ? float(texture->Height()) * frames_.vExtent * scale : 0.0f;
  const D3DXVECTOR3 W = X * (w / 2), H = Y * (h / 2);
  const D3DXVECTOR3 corners[4] = {p - W + H, p - W - H, p + W + H, p + W - H};
  const std::vector<uint32_t>& colours = a.colours.colours.Value();
  const uint32_t bgr = colours.empty() ? 0 : colours.front();
  const uint32_t colour = (ChannelByte(float(a.colours.transparency.Scaled()) / 255.0f) << 24) |
                          ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
  const float cell[4] = {1, 1, 0, 0};
  WriteQuad(v, corners, colour, CornerCoordinates(a, frames_), cell);
  quads_.VertexBuffer->Unlock();
  quadCount_ = 1;
}

GLIMMER_REGISTER_LAYER_KIND(QVX_SigleObjectPath, SingleObjectPathSystem)

}  // namespace glimmer
