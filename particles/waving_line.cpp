#include "particles/waving_line.h"

#include <cmath>

#include "params/param_serialization.h"
#include "params/time_lines.h"
#include "store/archive.h"

namespace glimmer {

void ZT_StraightLine::Serialize(Archive& ar, int32_t) {
  Field(ar, "pointA", pointA);
  Field(ar, "pointB", pointB);
  SerializeBase<QVX_ParticleSystemCtrl>(ar, *this);
}

void QVX_WavingLine::Serialize(Archive& ar, int32_t) {
  Field(ar, "width", width);
  Field(ar, "widthEnvelope", widthEnvelope);
  lineLook.SerializeBlock(ar, "lineLook", "lineLookVersion");
  Field(ar, "amplitude", amplitude);
  Field(ar, "secondWave", secondWave);
  Field(ar, "showHead", showHead);
  Field(ar, "headAcross", headAcross);
  Field(ar, "headAlong", headAlong);
  SerializeBase<ZT_StraightLine>(ar, *this);
}

// y(f, T) = a [sin(πf/2) sin T + w ½ (cos πf − cos 2πf) cos 1.7T]: the end at
// A never moves, the far end swings with both waves.
float WavingLineSystem::Displacement(float f, float T) const {
  const QVX_WavingLine& s = settings();
  return float(s.amplitude.Value()) *
         (std::sin(kPi * f / 2) * std::sin(T) + s.secondWave.Scaled() * 0.5f *
                                                    (std::cos(kPi * f) - std::cos(2 * kPi * f)) *
                                                    std::cos(1.7f * T));
}

float WavingLineSystem::Slope(float f, float T) const {
  const QVX_WavingLine& s = settings();
  return float(s.amplitude.Value()) *
         (kPi / 2 * std::cos(kPi * f / 2) * std::sin(T) +
          s.secondWave.Scaled() * 0.5f *
              (2 * kPi * std::sin(2 * kPi * f) - kPi * std::sin(kPi * f)) * std::cos(1.7f * T));
}

void WavingLineSystem::BuildRoutines() {
  // The head never dies; it keeps the appearance's colour, waves and size.
  engine_.SetAgeRule(AgeRule::Head);
  engine_.AddAppearanceRoutines();
}

void WavingLineSystem::AttachResources(QVX_DocResManager* resources, GpuDevice* device) {
  ribbon_.Load(settings().lineLook, resources, device);
}

void WavingLineSystem::Restart() {
  ParticleKindRuntime::Restart();
  time_ = 0;
  if (engine_.Spawn(settings().pointB.Value())) engine_.InitFromAppearance(0, 1.0f);
}

void WavingLineSystem::BuildRibbon() {
  const QVX_WavingLine& s = settings();
  const D3DXVECTOR3 A = s.pointA.Value(), B = s.pointB.Value(), AB = B - A;
  const float across = std::sqrt(AB.x * AB.x + AB.y * AB.y);
  const D3DXVECTOR3 n =
      across > 0 ? D3DXVECTOR3{-AB.y / across, AB.x / across, 0} : D3DXVECTOR3{0, 0, 0};
  for (int i = 0; i <= kNodes; ++i) {
    const float f = float(i) / kNodes;
    nodes_[size_t(i)] = A + AB * f + n * Displacement(f, time_);
    tangents_[size_t(i)] = AB + n * Slope(f, time_);
  }
  const std::vector<uint32_t>& colours = s.lineLook.colours.colours.Value();
  uint32_t quads = 0;
  DX_V::PCT* v = across > 0 && !colours.empty() ? ribbon_.Begin(kNodes) : nullptr;
  if (v) {
    // The texture is counted back from the tip.
    float fromTip = 0;
    for (int i = kNodes; i > 0; --i) fromTip += Length(nodes_[size_t(i)] - nodes_[size_t(i - 1)]);
    const float tile = ribbon_.TileLength(s.width.Scaled());
    const float alpha = float(s.lineLook.colours.transparency.Scaled());
    const auto section = [&](int i) {
      const float f = float(i) / kNodes;
      return RibbonLook::MakeSection(nodes_[size_t(i)], tangents_[size_t(i)],
                                     s.width.Scaled() * s.widthEnvelope.Level(f),
                                     tile > 0 ? fromTip / tile : 0.0f, colours.front(),
                                     alpha * s.lineLook.opacityEnvelope.Level(f));
    };
    RibbonLook::Section previous = section(0);
    for (int i = 1; i <= kNodes; ++i) {
      fromTip -= Length(nodes_[size_t(i)] - nodes_[size_t(i - 1)]);
      const RibbonLook::Section next = section(i);
      RibbonLook::Join(v + 4 * (i - 1), previous, next);
      previous = next;
    }
    quads = kNodes;
  }
  ribbon_.End(quads);
}

void WavingLineSystem::Advance(float t) {
  Attach();
  QVX_WavingLine& s = settings();
  s.speed.Advance(t);
  const float step = s.speed.StepTime;
  time_ += step;
  BuildRibbon();
  AdvanceAppearanceClocks(t);
  ribbon_.AdvanceClocks(s.lineLook, t);
  StepAndEmit(step);
  // The head sits at the tip plus its offset, pointing along the rope.
  if (engine_.Count() > 0) {
    D3DXVECTOR3 D = tangents_[kNodes];
    const float l = Length(D);
    D = l > 0 ? D * (1.0f / l) : D3DXVECTOR3{1, 0, 0};
    Particle& h = engine_.At(0);
    const float angle = -float(s.appearance.angle.Value()) * kPi / 180;
    h.orientCos = std::cos(angle);
    h.orientSin = std::sin(angle);
    h.spin = s.appearance.spinDirection.Value() == 0 ? 1.0f : -1.0f;
    h.velocity = D;
    h.position =
        nodes_[kNodes] + D * s.headAlong.Value() + D3DXVECTOR3{-D.y, D.x, 0} * s.headAcross.Value();
  }
  quadCount_ = IsHidden() ? 0
                          : engine_.BuildQuads(quads_, float(s.appearance.baseSize.Value()),
                                               frames_, s.appearance.spinSpeed.LocalTime);
}

int WavingLineSystem::SceneCopyCount() const {
  if (!IsActive()) return 0;
  const QVX_WavingLine& s = settings();
  return RibbonLook::SceneCopies(s.lineLook) +
         (s.showHead.Value() != 0 && s.appearance.glowMode.Value() == 2 ? 1 : 0);
}

void WavingLineSystem::Render(ZT_ABRender& renderer, int pass) {
  const QVX_WavingLine& s = settings();
  ribbon_.Draw(renderer, pass, s.lineLook);
  if (s.showHead.Value() == 0) return;
  if (s.appearance.glowMode.Value() == 2) renderer.CopyScene(pass, false);
  DrawAppearance(renderer, quads_, quadCount_, s.appearance, frames_, effect_.get(), glow_.get());
}

GLIMMER_REGISTER_LAYER_KIND(QVX_WavingLine, WavingLineSystem)

}  // namespace glimmer
