#include "generators/particle_generator.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "common/wide_string.h"
#include "document/resource_manager.h"
#include "generators/generator_frames.h"
#include "params/param_serialization.h"
#include "params/random_source.h"
#include "platform/gpu/effect.h"
#include "platform/screen_context.h"
#include "render/render_targets.h"
#include "scene/render_context.h"
#include "scene/renderer_interface.h"
#include "store/archive.h"

namespace glimmer {

namespace {

// One parameter entry of a stored dab.
struct DabEntry {
  float value = 0, second = 1;
};

bool Finite(const D3DXVECTOR3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

uint32_t ChannelByte(float c) {
  c = std::clamp(c, 0.0f, 1.0f);
  return uint32_t(c * 255 + 0.5f);
}

constexpr uint32_t kTransparentWhite = 0x00FFFFFF;
constexpr float kGeneratorPi = 3.14159265358979f;

}  // namespace

void SerializeDabList(Archive& ar, std::string_view name, std::vector<GeneratorParticle>& dabs,
                      bool pairs, bool legacy, std::string_view owner) {
  std::vector<DabEntry> entries;
  std::vector<size_t> rejected;
  size_t index = 0;
  Field(ar, name, dabs, legacy ? 32 : 16, [&](GeneratorParticle& d) {
    ar.BeginStruct("");
    Field(ar, "x", d.position.x);
    Field(ar, "y", d.position.y);
    Field(ar, "z", d.position.z);
    if (legacy) {
      for (size_t i = 0; i < 5; ++i) Field(ar, "p" + std::to_string(i), d.params[i]);
    } else {
      entries.clear();
      if (!ar.IsReading()) {
        for (size_t i = 0; i < 5; ++i) entries.push_back({d.params[i], d.params[5 + i]});
      }
      Field(ar, "params", entries, pairs ? 8 : 4, [&](DabEntry& e) {
        ar.BeginStruct("");
        Field(ar, "value", e.value);
        if (pairs) Field(ar, "second", e.second);
        ar.EndStruct();
      });
      if (ar.IsReading()) {
        // Pairs fill params[i] and params[5 + i]: five fit; single values ten.
        const size_t fit = pairs ? 5 : kGeneratorParams;
        if (entries.size() > fit) {
          std::cerr << "glimmer: " << owner << ": dab " << index << " has " << entries.size()
                    << " parameters where " << fit << " fit; the dab is left out\n";
          rejected.push_back(index);
        } else {
          for (size_t i = 0; i < entries.size(); ++i) {
            d.params[i] = entries[i].value;
            if (pairs) d.params[5 + i] = entries[i].second;
          }
        }
      }
    }
    d.previous = d.position;
    ++index;
    ar.EndStruct();
  });
  if (!ar.IsReading()) return;
  for (auto it = rejected.rbegin(); it != rejected.rend(); ++it)
    dabs.erase(dabs.begin() + std::ptrdiff_t(*it));
  if (dabs.size() > kMaxGeneratorRecords) {
    std::cerr << "glimmer: " << owner << ": " << dabs.size() << " dabs; the first "
              << kMaxGeneratorRecords << " are kept\n";
    dabs.resize(kMaxGeneratorRecords);
  }
}

// ------------------------------------------------------------ generator

void ZT_ParticleGenerator::Serialize(Archive& ar, int32_t version) {
  if (version >= 2)
    SerializeDabList(ar, "emitters", emitters, version >= 3, false, "ZT_ParticleGenerator");
  if (version >= 3) {
    Field(ar, "lifetime", lifetime);
    Field(ar, "emissionRate", emissionRate);
    Field(ar, "thirdSetting", thirdSetting);
    Field(ar, "startSpeed", startSpeed);
    Field(ar, "emitting", emitting);
  }
  SerializeBase<ZT_ABObj_Constructor>(ar, *this);
}

float ZT_ParticleGenerator::Visibility() const {
  const QVX_Timing* line = timing.Line();
  return line ? line->Visibility() : 1.0f;
}

void ZT_ParticleGenerator::ReportOnce(const std::string& problem) {
  if (reported_) return;
  reported_ = true;
  std::cerr << "glimmer: the generator layer \"" << ToUtf8(name) << "\": " << problem << "\n";
}

void ZT_ParticleGenerator::Restart() {
  clock.Restart();
  lastEmission = 0;
  particles.clear();
  emissionRate.Restart();
}

void ZT_ParticleGenerator::StepRecords(std::vector<GeneratorParticle>& records, float dt) {
  // Compacts in place, keeping birth order.
  size_t kept = 0;
  for (size_t i = 0; i < records.size(); ++i) {
    if (!records[i].Step(dt)) continue;
    if (kept != i) records[kept] = records[i];
    ++kept;
  }
  records.resize(kept);
}

void ZT_ParticleGenerator::AdvanceParticles(float t, ZT_ParticlesObj&) {
  clock.Advance(t);
  StepRecords(emitters, clock.StepTime);
  StepRecords(particles, clock.StepTime);
}

void ZT_ParticleGenerator::AttachProcesses(GeneratorParticle& particle, const GeneratorParticle&) {
  const float life = lifetime.Scaled();
  particle.processes.Add(PAgeConst(life));
  particle.processes.Add(PFade(kOpacityFactor, 0, life, -1));
  // (length, 0, 0) turned about z by −uniform(0, 360)°, then about y by
  // uniform(−180, 180)°.
  const float length = RandomUnit() * startSpeed.Scaled();
  const float aroundZ = -RandomUniform(0, 360) * kGeneratorPi / 180;
  const float aroundY = RandomUniform(-180, 180) * kGeneratorPi / 180;
  const D3DXVECTOR3 flat{length * std::cos(aroundZ), length * std::sin(aroundZ), 0};
  const D3DXVECTOR3 v{flat.x * std::cos(aroundY), flat.y, -flat.x * std::sin(aroundY)};
  particle.processes.Add(PKinetic(v));
}

void ZT_ParticleGenerator::Emit(float t) {
  // The part of a particle not yet due carries over to the next frame, so
  // the rate holds at any frame rate; a clock that went back starts over,
  // and a long frame catches up at most a fifth of a second's worth.
  if (t < lastEmission) lastEmission = t;
  lastEmission = std::max(lastEmission, t - kMaxClockStep);
  const float rate = emissionRate.Scaled();
  const float counted = rate * (t - lastEmission);
  int64_t count = std::isfinite(counted) ? int64_t(counted) : 0;
  if (count > 0) lastEmission += float(count) / rate;
  if (emitting.Value() == 0 || count <= 0) return;
  const uint64_t room =
      kMaxGeneratorRecords > particles.size() ? kMaxGeneratorRecords - particles.size() : 0;
  const uint64_t wanted = uint64_t(count) * emitters.size();
  if (wanted > room) {
    ReportOnce("more than " + std::to_string(kMaxGeneratorRecords) +
               " particles; new ones wait for room");
    if (emitters.empty()) return;
    count = int64_t(room / emitters.size());
  }
  for (GeneratorParticle& e : emitters) {
    const D3DXVECTOR3 d = (e.position - e.previous) * (1.0f / float(count + 1));
    for (int64_t i = 1; i <= count; ++i) {
      GeneratorParticle& p = particles.emplace_back(e.previous + d * float(i));
      AttachProcesses(p, e);
    }
  }
  for (GeneratorParticle& e : emitters) e.previous = e.position;
}

// ------------------------------------------------------------ textured generator

ZT_TexParticleGenerator::ZT_TexParticleGenerator()
    : effect(u"common_res.dll", kGeneratorBlendEffect) {
  colour2.Color.StoreValue(0x000000);
}

void ZT_TexParticleGenerator::Serialize(Archive& ar, int32_t version) {
  Field(ar, "images", images, kMinLinkKeyBytes);
  Field(ar, "effect", effect);
  const auto colour = [&](const char* name, const char* transparency, ColorAlphaPair& c) {
    int32_t rgb = int32_t(c.Color.Value());
    Field(ar, name, rgb);
    if (ar.IsReading()) c.Color.StoreValue(uint32_t(rgb));
    Field(ar, transparency, c.Transparency);
  };
  colour("colour1", "transparency1", colour1);
  colour("colour2", "transparency2", colour2);
  Field(ar, "blendMode", blendMode);
  if (version >= 2) {
    Field(ar, "flipVertical", flipVertical);
    Field(ar, "flipHorizontal", flipHorizontal);
  }
  if (version >= 3) Field(ar, "imagePath", imagePath);
  SerializeBase<ZT_ParticleGenerator>(ar, *this);
}

void ZT_TexParticleGenerator::InitRuntime(ZT_ParticlesObj&) {
  QVX_DocResManager* resources = QVX_DocResManager::Current();
  if (!resources) return;
  textures.clear();
  for (size_t i = 0; i < images.size(); ++i) {
    const TextureSet set = LoadGeneratorPicture(images[i], imagePath.Value() != 0);
    textures.push_back(set.empty() ? nullptr : set.Textures.front());
    if (i == 0 && set.ImageWidth > 0) imageAspect = float(set.ImageHeight) / float(set.ImageWidth);
  }
  if (!effect.Path().empty()) loadedEffect = resources->GetEffect(effect);
}

bool ZT_TexParticleGenerator::NeedsSceneCopy() const {
  const int32_t mode = blendMode.Value();
  return mode == 1 || mode == 2;
}

void ZT_TexParticleGenerator::DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) {
  DrawLayer(renderer, runtime, "BlendMask", 0x00000000, textures, 1);
}

void ZT_TexParticleGenerator::WriteDabQuad(ZT_ParticlesObj& runtime, size_t buffer, uint32_t index,
                                           const D3DXVECTOR3& centre, float w, float h, float size,
                                           float angle, const ColorAlphaPair& colour,
                                           float opacity) {
  const float hw = w * size / 2, hh = h * size / 2;
  const float c = std::cos(angle), s = std::sin(angle);
  const D3DXVECTOR3 r{c * hw, s * hw, 0}, u{-s * hh, c * hh, 0};
  D3DXVECTOR3 corners[4] = {centre - r + u, centre - r - u, centre + r + u, centre + r - u};
  const float alpha = float(colour.Alpha()) / 255 * opacity;
  if (!Finite(corners[0]) || !Finite(corners[3]) || !std::isfinite(alpha)) {
    for (D3DXVECTOR3& k : corners) k = {0, 0, 0};
    runtime.SetQuad(buffer, index, corners, 0);
    return;
  }
  runtime.SetQuad(buffer, index, corners, QuadColour(colour, opacity));
}

D3DCOLOR ZT_TexParticleGenerator::QuadColour(const ColorAlphaPair& colour, float opacity) {
  const float alpha = float(colour.Alpha()) / 255 * opacity;
  if (!std::isfinite(alpha)) return 0;
  return D3DCOLOR_ARGB(ChannelByte(alpha), ChannelByte(float(colour.Color.Red()) / 255),
                       ChannelByte(float(colour.Color.Green()) / 255),
                       ChannelByte(float(colour.Color.Blue()) / 255));
}

RenderTargetSet* ZT_TexParticleGenerator::LayerTarget(ZT_ABRender& renderer) {
  QVX_DocResManager* resources = QVX_DocResManager::Current();
  if (!resources) return nullptr;
  uint32_t w = renderer.GetPictureWidth(), h = renderer.GetPictureHeight();
  if (w == 0 || h == 0) {
    if (const RenderContext* c = CurrentRenderContext()) {
      w = c->TargetWidth;
      h = c->TargetHeight;
    }
  }
  RenderTargetSet& set = resources->GetTargetSet(targetId_.id);
  if (!set.Current || w != targetWidth_ || h != targetHeight_) {
    targetWidth_ = w;
    targetHeight_ = h;
    if (!set.Create(w, h)) return nullptr;
  }
  return &set;
}

void ZT_TexParticleGenerator::DrawLayer(ZT_ABRender& renderer, ZT_ParticlesObj& runtime,
                                        const char* technique, uint32_t clear,
                                        const std::vector<TexturePtr>& pictures, size_t buffers) {
  if (!loadedEffect) {
    // The plain path: the first picture on stage 0, the renderer's sprite states.
    if (pictures.empty() || !pictures[0]) return;
    renderer.Device().SetTexture(0, pictures[0]);
    runtime.DrawBuffer(renderer, 0, nullptr);
    renderer.Device().SetTexture(0, nullptr);
    return;
  }
  const int32_t mode = blendMode.Value();
  if (mode < 0 || mode > 3) {
    ReportOnce("blend mode " + std::to_string(mode) + " is none of 0 to 3; the layer is skipped");
    return;
  }
  Effect& e = *loadedEffect;
  if (!e.SetTechnique(technique)) return;
  RenderTargetSet* target = LayerTarget(renderer);
  if (!target) {
    ReportOnce("no layer target could be made; the layer is skipped");
    return;
  }
  target->BeginRender();
  renderer.BeginOffscreen(targetWidth_, targetHeight_, 3);
  renderer.Device().Clear(D3DCLEAR_TARGET, clear, 1.0f, 0);
  for (size_t i = 0; i < buffers && i < pictures.size(); ++i) {
    if (!pictures[i]) continue;
    e.SetTexture("Texture1", pictures[i]);
    runtime.DrawBuffer(renderer, i, &e);
  }
  target->EndRender();
  renderer.EndOffscreen();
  Composite(renderer, target->Current, clear);
}

void ZT_TexParticleGenerator::DrawTwoTargets(ZT_ABRender& renderer, ZT_ParticlesObj& runtime,
                                             const std::vector<TexturePtr>& pictures) {
  if (!loadedEffect) return;
  Effect& e = *loadedEffect;
  const TexturePtr* scene = renderer.GetSceneTextureSlot();
  RenderTargetSet* set = LayerTarget(renderer);
  if (!set || !scene || !*scene || !e.SetTechnique("BlendMask_Max")) return;
  set->BeginRender();
  renderer.BeginOffscreen(targetWidth_, targetHeight_, 3);
  for (size_t pair = 0; pair < 2; ++pair) {
    if (pair == 1) set->Select((set->Index + 1) % 2);
    renderer.Device().Clear(D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
    for (size_t b = 2 * pair; b < 2 * pair + 2 && b < pictures.size(); ++b) {
      if (!pictures[b]) continue;
      e.SetTexture("Texture1", pictures[b]);
      runtime.DrawBuffer(renderer, b, &e);
    }
  }
  set->EndRender();
  renderer.EndOffscreen();
  if (!e.SetTechnique("Main")) return;
  e.SetTexture("Texture1", *scene);
  e.SetTexture("Texture2", set->Current);
  e.SetTexture("Texture3", set->Targets[size_t((set->Index + 1) % 2)]);
  renderer.DrawFx(renderer.GetPictureQuad(), e);
}

void ZT_TexParticleGenerator::Composite(ZT_ABRender& renderer, const TexturePtr& layer,
                                        uint32_t clear) {
  static constexpr const char* kTechniques[4] = {"CommonTex", "Blend_ScreenTex",
                                                 "Blend_ColorDodgeTex", "Blend_SumTex"};
  const int32_t mode = blendMode.Value();
  if (!loadedEffect || !layer || mode < 0 || mode > 3) return;
  Effect& e = *loadedEffect;
  e.SetVector("BlendColor", {1, 1, 1, 1});
  e.SetVector("MaskClear", clear == kTransparentWhite ? D3DXVECTOR4{1, 1, 1, 0} : D3DXVECTOR4{});
  if (mode == 1 || mode == 2) {
    const TexturePtr* scene = renderer.GetSceneTextureSlot();
    if (!scene || !*scene) return;
    e.SetTexture("Texture1", *scene);
    e.SetTexture("Texture2", layer);
  } else {
    e.SetTexture("Texture1", layer);
  }
  if (!e.SetTechnique(kTechniques[mode])) return;
  renderer.DrawFx(renderer.GetPictureQuad(), e);
}

// ------------------------------------------------------------ runtime

ZT_ParticlesObj::ZT_ParticlesObj(std::unique_ptr<ZT_ParticleGenerator> generator)
    : ZT_ABObj(std::move(generator)) {}

void ZT_ParticlesObj::Init() {
  if (initialised_ || !CurrentDevice()) return;
  initialised_ = true;
  Generator().InitRuntime(*this);
}

void ZT_ParticlesObj::Advance(float t) {
  Init();
  if (initialised_) Generator().AdvanceParticles(t, *this);
}

void ZT_ParticlesObj::Draw(ZT_ABRender& renderer) {
  Init();
  if (initialised_) Generator().DrawParticles(renderer, *this);
}

void ZT_ParticlesObj::Render(ZT_ABRender& renderer, int pass) {
  if (NeedsSceneCopy()) renderer.CopyScene(pass, false);
  Draw(renderer);
}

void ZT_ParticlesObj::Restart() {
  ZT_ABObj::Restart();
  Init();
}

void ZT_ParticlesObj::ReserveQuads(size_t buffer, uint32_t n) {
  if (n > kMaxGeneratorRecords) {
    if (!capReported_) {
      std::cerr << "glimmer: the generator layer \"" << ToUtf8(Generator().name) << "\" asks for "
                << n << " quads; it draws " << kMaxGeneratorRecords << "\n";
      capReported_ = true;
    }
    n = kMaxGeneratorRecords;
  }
  while (buffers_.size() <= buffer) {
    QuadStore& made = buffers_.emplace_back(CurrentDevice());
    made.quads.PrimitiveType = D3DPT_TRIANGLELIST;
  }
  QuadStore& b = buffers_[buffer];
  if (n > b.capacity) {
    // A list that grows frame by frame doubles its storage, not one quad at a time.
    const uint32_t grown =
        b.capacity > 0 ? std::min(std::max(n, 2 * b.capacity), kMaxGeneratorRecords) : n;
    if (b.locked) UnlockBuffer(buffer);
    b.quads.SetQuadCount(grown);
    b.bounds.resize(grown);
    b.capacity = b.quads.VertexBuffer ? grown : 0;
  }
  b.drawn = std::min(n, b.capacity);
}

bool ZT_ParticlesObj::LockBuffer(size_t buffer) {
  if (buffer >= buffers_.size()) return false;
  QuadStore& b = buffers_[buffer];
  b.locked = b.quads.Lock();
  return b.locked != nullptr;
}

void ZT_ParticlesObj::SetQuad(size_t buffer, uint32_t index, const D3DXVECTOR3 corners[4],
                              D3DCOLOR colour, float uA, float uB, float vA, float vB) {
  if (buffer >= buffers_.size()) return;
  QuadStore& b = buffers_[buffer];
  if (!b.locked || index >= b.capacity) return;
  const float uv[4][2] = {{uA, vB}, {uA, vA}, {uB, vB}, {uB, vA}};
  DX_V::PCT* v = b.locked + 4 * size_t(index);
  Bounds& r = b.bounds[index];
  r = {corners[0].x, corners[0].y, corners[0].x, corners[0].y};
  for (size_t k = 0; k < 4; ++k) {
    v[k] = {corners[k].x, corners[k].y, corners[k].z, colour, uv[k][0], uv[k][1]};
    r.left = std::min(r.left, corners[k].x);
    r.right = std::max(r.right, corners[k].x);
    r.top = std::min(r.top, corners[k].y);
    r.bottom = std::max(r.bottom, corners[k].y);
  }
}

void ZT_ParticlesObj::UnlockBuffer(size_t buffer) {
  if (buffer >= buffers_.size()) return;
  QuadStore& b = buffers_[buffer];
  if (b.locked) b.quads.Unlock();
  b.locked = nullptr;
}

const DX_V::PCT* ZT_ParticlesObj::QuadVertices(size_t buffer, uint32_t index) const {
  if (buffer >= buffers_.size()) return nullptr;
  const QuadStore& b = buffers_[buffer];
  if (index >= b.capacity || !b.quads.VertexBuffer) return nullptr;
  return reinterpret_cast<const DX_V::PCT*>(b.quads.VertexBuffer->Data()) + 4 * size_t(index);
}

void ZT_ParticlesObj::DrawBuffer(ZT_ABRender& renderer, size_t buffer, Effect* effect) {
  if (buffer >= buffers_.size() || buffers_[buffer].drawn == 0) return;
  renderer.DrawSpritesFx(buffers_[buffer].quads, effect, 0, buffers_[buffer].drawn);
}

}  // namespace glimmer
