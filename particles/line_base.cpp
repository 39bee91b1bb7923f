#include "particles/line_base.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <utility>

#include "common/wide_string.h"
#include "document/resource_manager.h"
#include "params/param_serialization.h"
#include "platform/gpu/effect.h"
#include "store/archive.h"

namespace glimmer {

void Field(Archive& ar, std::string_view name, LifeEnvelope& envelope) {
  ar.BeginStruct(name);
  Field(ar, "riseEnd", envelope.riseEnd);
  Field(ar, "fallStart", envelope.fallStart);
  Field(ar, "startLevel", envelope.startLevel);
  Field(ar, "endLevel", envelope.endLevel);
  ar.EndStruct();
}

void QVX_LineCtrl::Serialize(Archive& ar, int32_t version) {
  Field(ar, "path", path);
  Field(ar, "showHead", showHead);
  lineLook.SerializeBlock(ar, "lineLook", "lineLookVersion");
  Field(ar, "headAcross", headAcross);
  Field(ar, "headAlong", headAlong);
  if (version < 2) {
    int32_t ignored = 0;
    Field(ar, "unused", ignored);
  }
  SerializeBase<QVX_ParticleSystemCtrl>(ar, *this);
  if (ar.IsReading()) {
    if (version < 2) std::swap(appearance, lineLook);
    path.Rebuild();
  }
}

void QVX_StaticLineCtrl::Serialize(Archive& ar, int32_t) {
  Field(ar, "width", width);
  Field(ar, "widthEnvelope", widthEnvelope);
  Field(ar, "opacityEnvelope", opacityEnvelope);
  SerializeBase<QVX_LineCtrl>(ar, *this);
}

// ---------------------------------------------------------------- ribbon

void RibbonLook::Load(ParticleAppearance& look, QVX_DocResManager* resources, GpuDevice* device) {
  look.flags.SetValue(look.flags.Value() | kFilteredTexture);
  quads = ZT_IndexedMesh<DX_V::PCT>(device);
  surface.reset();
  if (!resources || !device) return;
  ParticleSystemRuntime::LoadAppearance(look, *resources, *device, frames, effect, glow);
  if (look.blend.Value() == 1) surface = std::make_unique<QVX_PrerenderSurface>(*device);
}

void RibbonLook::AdvanceClocks(ParticleAppearance& look, float t) {
  ParticleSystemRuntime::AdvanceClocks(look, frames, t);
}

int RibbonLook::SceneCopies(const ParticleAppearance& look) {
  return (look.glowMode.Value() == 2 ? 1 : 0) + (look.blend.Value() == 1 ? 1 : 0);
}

RibbonLook::Section RibbonLook::MakeSection(const D3DXVECTOR3& P, const D3DXVECTOR3& D, float width,
                                            float v, uint32_t bgr, float alpha) {
  // The normal in the screen plane, unit length: a direction with a z
  // component widens the section by 1 / √(1 − D.z²) so it keeps its width
  // on screen; a direction straight into the screen has no normal.
  const float across = std::sqrt(D.x * D.x + D.y * D.y);
  const D3DXVECTOR3 n =
      across > 1e-6f ? D3DXVECTOR3{-D.y / across, D.x / across, 0} : D3DXVECTOR3{0, 0, 0};
  const float half = std::isfinite(width) ? std::max(width, 0.0f) / 2 : 0.0f;
  Section s;
  s.left = P - n * half;
  s.right = P + n * half;
  s.v = std::isfinite(v) ? v : 0.0f;
  const uint32_t a = ChannelByte(alpha / 255.0f);
  s.colour = (a << 24) | ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
  return s;
}

DX_V::PCT* RibbonLook::Begin(uint32_t n) {
  return LockQuads(quads, std::min(n, kMaxRibbonQuads));
}

void RibbonLook::Join(DX_V::PCT* quad, const Section& a, const Section& b) {
  const bool finite = Finite(a.left) && Finite(a.right) && Finite(b.left) && Finite(b.right);
  const Section* ends[2] = {&a, &b};
  for (int k = 0; k < 4; ++k) {
    const Section& s = *ends[k / 2];
    const D3DXVECTOR3& p = k % 2 == 0 ? s.left : s.right;
    DX_V::PCT& v = quad[k];
    v.x = finite ? p.x : 0;
    v.y = finite ? p.y : 0;
    v.z = finite ? p.z : 0;
    v.color = finite ? s.colour : 0;
    v.u = k % 2 == 0 ? 0.0f : 1.0f;
    v.v = s.v;
  }
}

void RibbonLook::End(uint32_t n) {
  if (quads.VertexBuffer) quads.VertexBuffer->Unlock();
  count = n;
}

void RibbonLook::DrawQuads(ZT_ABRender& renderer) {
  effect->SetTexture("Texture0", frames.Current());
  // The texture repeats along the ribbon.
  const char* technique =
      effect->HasTechnique("BlendNormalWrap") ? "BlendNormalWrap" : "BlendNormal";
  renderer.DrawIndexedFxTechnique(quads, *effect, technique, 2 * count);
}

void RibbonLook::Draw(ZT_ABRender& renderer, int pass, const ParticleAppearance& look) {
  const bool drawn = count > 0 && effect && !look.colours.colours.Value().empty();
  if (look.glowMode.Value() == 2) renderer.CopyScene(pass, false);
  if (drawn)
    ParticleSystemRuntime::DrawGlow(renderer, quads, count, look, frames, *effect, glow.get());
  const int32_t blend = look.blend.Value();
  if (blend == 0) {
    if (drawn) DrawQuads(renderer);
  } else if (blend == 1) {
    renderer.CopyScene(pass, false);
    if (!drawn || !surface) return;
    // The scene copies are in picture space: the surface matches them.
    float width = 0, height = 0;
    renderer.PictureTextureSize(width, height);
    if (surface->Width != uint32_t(width) || surface->Height != uint32_t(height)) {
      surface->Width = uint32_t(width);
      surface->Height = uint32_t(height);
      surface->OnResetDevice();
    }
    if (!surface->Texture) return;
    surface->BeginRender(renderer);
    DrawQuads(renderer);
    const TexturePtr line = surface->EndRender(renderer);
    const TexturePtr* scene = renderer.GetSceneTextureSlot();
    if (!scene || !*scene || !effect->SetTechnique("BlendMultiplay")) return;
    effect->SetTexture("Background", *scene);
    effect->SetTexture("Texture0", line);
    renderer.DrawFx(renderer.GetPictureQuad(), *effect);
  }
}

// ---------------------------------------------------------------- runtime

StaticLineSystem::StaticLineSystem(std::unique_ptr<QVX_StaticLineCtrl> system)
    : ParticleSystemRuntime(std::move(system)), head_(System().appearance, System().name) {}

void StaticLineSystem::BuildRoutines() {
  head_.ClearRoutines();
  head_.SetAgeRule(AgeRule::Head);
  head_.AddAppearanceRoutines();
  SamplePath(reversed_);
  if (head_.Count() == 0) ResetHead(0);
}

void StaticLineSystem::AttachResources(QVX_DocResManager* resources, GpuDevice* device) {
  ribbon_.Load(Line().lineLook, resources, device);
}

void StaticLineSystem::Restart() {
  ParticleSystemRuntime::Restart();
  ResetHead(0);
}

void StaticLineSystem::SamplePath(bool reversed) {
  reversed_ = reversed;
  const size_t points = Line().path.PointCount();
  int32_t steps = 100;
  if (points > 1 && (points - 1) * 100 > kMaxLineSamples) {
    steps = int32_t(std::max<size_t>(1, kMaxLineSamples / (points - 1)));
    if (!sampleCapReported_) {
      std::cerr << "glimmer: the line layer \"" << ToUtf8(Line().name) << "\" has " << points
                << " path points; it is sampled at most " << kMaxLineSamples << " times\n";
      sampleCapReported_ = true;
    }
  }
  length_ = points >= 2 ? Line().path.SampleInto(samples_, steps, reversed) : 0;
  // Fewer than two points, or points all in one place (within rounding):
  // no line.
  if (!std::isfinite(length_) || !(length_ >= 1e-3f)) {
    length_ = 0;
    samples_.clear();
  }
}

void StaticLineSystem::ResetHead(float life) {
  if (head_.Count() > 0) headPlace_ = head_.At(0).position;
  head_.Clear();
  if (!head_.Spawn(headPlace_)) return;
  head_.InitFromAppearance(0, life);
  head_.At(0).age = 0;
}

void StaticLineSystem::AdvanceClocks(float t) {
  Attach();
  Line().speed.Advance(t);
  AdvanceAppearanceClocks(t);
  ribbon_.AdvanceClocks(Line().lineLook, t);
}

void StaticLineSystem::BuildLine(float s0, float s1) {
  const QVX_StaticLineCtrl& s = Line();
  from_ = std::isfinite(s0) ? std::clamp(s0, 0.0f, length_) : 0.0f;
  to_ = std::isfinite(s1) ? std::clamp(s1, from_, length_) : from_;
  const float d = to_ - from_;
  // A tip beyond the path's end is still where the distances are counted from.
  const float beyond = std::isfinite(s1) ? std::max(0.0f, s1 - to_) : 0.0f;
  const std::vector<uint32_t>& colours = s.lineLook.colours.colours.Value();
  uint32_t quads = 0;
  D3DXVECTOR3 P{}, D{};
  if (samples_.size() >= 2 && d > 0 && !colours.empty()) {
    PathCursor cursor(&samples_);
    cursor.MoveBy(from_, P, D);
    const uint32_t n = uint32_t(std::max(0, cursor.CountAhead(d)));
    if (DX_V::PCT* v = ribbon_.Begin(n)) {
      const uint32_t bgr = colours.front();
      const float tile = ribbon_.TileLength(s.width.Scaled());
      const auto section = [&](float r) {
        const float x = r + beyond;
        return RibbonLook::MakeSection(P, D, WidthAt(x), tile > 0 ? x / tile : 0.0f, bgr,
                                       OpacityAt(x));
      };
      RibbonLook::Section previous = section(d);
      const uint32_t cap = std::min(n, kMaxRibbonQuads);
      for (float r = d; r > 0 && quads < cap; ++quads) {
        cursor.StepChord(r, P, D);
        const RibbonLook::Section next = section(r);
        RibbonLook::Join(v + 4 * quads, previous, next);
        previous = next;
      }
    }
  }
  ribbon_.End(quads);
  // The head: stepped, then put at the tip (it keeps its place without a path).
  head_.StepAll(Line().speed.StepTime);
  if (head_.Count() > 0 && samples_.size() >= 2) {
    PathCursor tip(&samples_);
    tip.MoveBy(to_, P, D);
    const float l = Length(D);
    if (l > 0) D = D * (1.0f / l);
    Particle& h = head_.At(0);
    h.position = P + D3DXVECTOR3{-D.y, D.x, 0} * s.headAcross.Value() + D * s.headAlong.Value();
    h.velocity = D;
  }
  quadCount_ = headHidden_ ? 0
                           : head_.BuildQuads(quads_, float(s.appearance.baseSize.Value()), frames_,
                                              s.appearance.spinSpeed.LocalTime);
}

int StaticLineSystem::SceneCopyCount() const {
  if (!IsActive()) return 0;
  const QVX_StaticLineCtrl& s = Line();
  return RibbonLook::SceneCopies(s.lineLook) +
         (s.showHead.Value() != 0 && s.appearance.glowMode.Value() == 2 ? 1 : 0);
}

void StaticLineSystem::Render(ZT_ABRender& renderer, int pass) {
  const QVX_StaticLineCtrl& s = Line();
  ribbon_.Draw(renderer, pass, s.lineLook);
  if (s.showHead.Value() == 0) return;
  if (s.appearance.glowMode.Value() == 2) renderer.CopyScene(pass, false);
  DrawAppearance(renderer, quads_, quadCount_, s.appearance, frames_, effect_.get(), glow_.get());
}

}  // namespace glimmer
