#include "effects/screen_effect.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "common/wide_string.h"
#include "document/resource_manager.h"
#include "params/colour_params.h"
#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "platform/gpu/d3dx_math.h"
#include "platform/gpu/embedded_glsl.h"
#include "store/archive.h"

namespace glimmer {
namespace {
constexpr float kPiF = 3.14159265358979f;
constexpr float kTwoPiF = 6.28318530717958647692f;
}  // namespace

void ZT_FX_Constructor::Serialize(Archive& ar, int32_t version) {
  Field(ar, "speed", speed);
  Field(ar, "techniqueMode", techniqueMode);
  Field(ar, "mask", maskId);
  Field(ar, "maskName", maskName);
  Field(ar, "editorFlag", editorFlag);
  Field(ar, "effect", effect);
  if (version >= 2) Field(ar, "scale", scale);
  if (version >= 3) {
    Field(ar, "effectQuad", effectQuad);
    Field(ar, "quadReserved", quadReserved);
  }
  if (version >= 4) Field(ar, "phase", phase);
  SerializeBase<ZT_ABObj_Constructor>(ar, *this);
}

FxMode ZT_FX_Constructor::Mode() const {
  const int32_t mode = techniqueMode.Value();
  if (mode >= 0 && mode <= 2) return FxMode(mode);
  static bool said = false;
  if (!said) {
    std::cerr << "glimmer: the screen effect \"" << ToUtf8(name) << "\" asks for technique mode "
              << mode << "; it draws on its effect quad (mode 0)\n";
    said = true;
  }
  return FxMode::Quad;
}

void ZT_DirectionBased::Serialize(Archive& ar, int32_t) {
  Field(ar, "strength", strength);
  Field(ar, "direction", direction);
  SerializeBase<ZT_FX_Constructor>(ar, *this);
}

D3DXVECTOR3 ZT_DirectionBased::DirectionVector() const {
  // RotationZ(360 − a) applied to (1, 0, 0): (cos a, −sin a).
  const float a = (360.0f - float(direction.Value() % 360)) * kPiF / 180.0f;
  return {std::cos(a), std::sin(a), 0};
}

void ZT_CentralBased::Serialize(Archive& ar, int32_t) {
  Field(ar, "centre", centre);
  // A centre a document gives is where the author put it.
  if (ar.IsReading()) placed = true;
  SerializeBase<ZT_FX_Constructor>(ar, *this);
}

void ZT_LineBased::Serialize(Archive& ar, int32_t) {
  Field(ar, "lineDirection", lineDirection);
  Field(ar, "centre", centre);
  if (ar.IsReading()) placed = true;
  SerializeBase<ZT_FX_Constructor>(ar, *this);
}

D3DXVECTOR3 ZT_LineBased::Line(int which, float w, float h) const {
  if (!(w > 0) || !(h > 0)) return {};
  const D3DXVECTOR3 c = centre.Value();
  const D3DXVECTOR4& d = which == 0 ? lineDirection.Direction() : lineDirection.Normal();
  // Through c and c + direction, or c and c − normal (y components
  // subtracted: the screen's y grows downwards).
  const float px = c.x / w, py = c.y / h;
  const float qx = which == 0 ? (c.x + d.x) / w : (c.x - d.x) / w;
  const float qy = (c.y - d.y) / h;
  const float length = std::hypot(qx - px, qy - py);
  if (!(length > 0)) return {};
  return {(py - qy) / length, (qx - px) / length, (qy * px - qx * py) / length};
}

float IntegerNoise(int32_t n) {
  const uint32_t u = static_cast<uint32_t>(n);
  const uint32_t m = (u << 13) ^ u;
  const uint32_t v = (m * (m * m * 15731u + 789221u) - 771171059u) & 0x7FFFFFFFu;
  return 1.0f - float(double(v) / 1073741824.0);
}

float OctaveNoise(float x, int octaves, float wavelength, float persistence) {
  if (!std::isfinite(x) || !(wavelength > 0)) return 0;
  float total = 0, weight = 1;
  for (int i = 0; i < octaves; ++i) {
    const double e = std::ldexp(double(x), i) / wavelength;
    const double whole = std::trunc(e);
    // The integer part wraps like the integer noise itself.
    const int32_t n = int32_t(uint32_t(int64_t(std::fmod(whole, 4294967296.0))));
    const double g = (1 - std::cos(kPiF * (e - whole))) / 2;
    total +=
        weight * float(IntegerNoise(n) * (1 - g) + IntegerNoise(int32_t(uint32_t(n) + 1u)) * g);
    weight *= persistence;
  }
  return total;
}

float WaveShape(int type, float fxTime, float phase) {
  switch (type) {
    case 2: {
      const float t = fxTime / kTwoPiF + phase;
      const float a = t - std::floor(t);
      return ((a > 0.5f ? 1 - a : a) - 0.25f) * 4;
    }
    case 3:
      return std::sin(phase + fxTime);
    case 4:
      return OctaveNoise((phase + fxTime) * 50, 3, 75, 0.5f);
    default:
      return 0;
  }
}

float WaveShare(int type, float fxTime, float phase) {
  if (type < 2 || type > 4) return 1;
  return std::clamp((WaveShape(type, fxTime, phase) + 1) * 0.5f, 0.0f, 1.0f);
}

// ------------------------------------------------------------------ runtime

ScreenEffectRuntime::ScreenEffectRuntime(std::unique_ptr<ZT_FX_Constructor> constructor)
    : ZT_ABObj(std::move(constructor)) {}

ScreenEffectRuntime::~ScreenEffectRuntime() = default;

float ScreenEffectRuntime::Visibility() const {
  const QVX_Timing* line = const_cast<ScreenEffectRuntime*>(this)->GetTiming().Line();
  return line ? line->Visibility() : 1.0f;
}

void ScreenEffectRuntime::SlideSize(const ZT_ABRender& renderer, float& w, float& h) {
  w = float(renderer.GetPictureWidth());
  h = float(renderer.GetPictureHeight());
  if (!(w > 0)) w = 1;
  if (!(h > 0)) h = 1;
}

TexturePtr ScreenEffectRuntime::LoadPicture(const ZT_FileLink3& link, uint16_t fallback) {
  QVX_DocResManager* resources = QVX_DocResManager::Current();
  if (!resources) return nullptr;
  if (!link.Path().empty()) {
    const TextureSet set = resources->FindTextures(link, 4);
    if (!set.empty() && set.Textures.front()) return set.Textures.front();
  }
  const TextureSet builtin = resources->FindTextures(ZT_FileLink3(u"common_res.dll", fallback), 4);
  return builtin.empty() ? nullptr : builtin.Textures.front();
}

D3DXVECTOR4 ScreenEffectRuntime::Colour(int32_t colorref) {
  return ColorToFloat4(static_cast<uint32_t>(colorref), 255);
}

D3DXVECTOR4 ScreenEffectRuntime::PlacedCentre(ZT_CentralBased& settings, float w, float h) {
  if (!settings.placed) {
    settings.centre.StoreValue({w / 2, h / 2, 0});
    settings.placed = true;
  }
  const D3DXVECTOR3 c = settings.centre.Value();
  const float x = c.x / w, y = c.y / h;
  return {std::isfinite(x) ? x : 0.5f, std::isfinite(y) ? y : 0.5f, 0, 0};
}

void ScreenEffectRuntime::Prepare() {
  QVX_DocResManager* resources = QVX_DocResManager::Current();
  GpuDevice* device = CurrentDevice();
  if (!resources || !device) return;
  effect_ = resources->GetEffect(Fx().effect, StandInEffect());
  if (!effect_) {
    static bool said = false;
    if (!said) {
      std::cerr << "glimmer: the screen effect \"" << ToUtf8(Fx().name)
                << "\" has no effect to draw with; it is skipped\n";
      said = true;
    }
  }
  mask_ = resources->GetGuidTexture(Fx().maskId).Texture;
  if (!mask_) {
    // No mask: the effect applies everywhere.
    mask_ = device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    if (mask_) mask_->UploadImage(0, Image{1, 1, {255, 255, 255, 255}});
  }
  grid_ = ZT_IndexedMesh<DX_V::PCT>(device);
}

void ScreenEffectRuntime::Restart() {
  ZT_ABObj::Restart();
  fxTime_ = previous_ = 0;
}

void ScreenEffectRuntime::AdvanceFx(float t) {
  if (t < previous_) previous_ = t;
  fxTime_ += std::min(t - previous_, 0.2f) * Fx().speed.Scaled();
  previous_ = t;
}

void ScreenEffectRuntime::Ready() {
  if (!prepared_) {
    prepared_ = true;
    Prepare();
  }
}

void ScreenEffectRuntime::Advance(float t) {
  Ready();
  AdvanceFx(t);
}

bool ScreenEffectRuntime::NeedsSceneCopy() const {
  return IsActive() && DrawMode() != FxMode::Quad;
}

bool ScreenEffectRuntime::KeepsSceneCopy(bool first) const {
  return DrawMode() == FxMode::Boundary && first;
}

void ScreenEffectRuntime::Render(ZT_ABRender& renderer, int pass) {
  if (DrawMode() == FxMode::Screen) renderer.CopyScene(pass, true);
  Draw(renderer);
}

void ScreenEffectRuntime::BuildGrid(float w, float h) {
  gridW_ = w;
  gridH_ = h;
  const uint32_t cells = GridCells();
  if (cells == 0) return;
  const ZT_FX_Constructor& fx = Fx();
  D3DXVECTOR3 c[4];
  for (int i = 0; i < 4; ++i) c[i] = fx.effectQuad.Corners[i].Value();
  // A quad of no area (never set, or stored before the quad was) covers
  // the whole slide.
  const float area = std::fabs((c[3].x - c[0].x) * (c[3].y - c[0].y));
  if (!(area > 0)) {
    c[0] = {0, 0, 0};
    c[1] = {0, h, 0};
    c[2] = {w, 0, 0};
    c[3] = {w, h, 0};
  }
  grid_.SetQuadCount(cells * cells);
  DX_V::PCT* v = grid_.Lock();
  if (!v) return;
  // Corner 0 top left, 1 bottom left, 2 top right, 3 bottom right; each
  // cell a quad whose texture coordinates are its place on the slide and
  // whose colour's red and green are its place within the quad (0 … 1).
  const auto at = [&](float s, float t) {
    const D3DXVECTOR3 top = c[0] + (c[2] - c[0]) * s, bottom = c[1] + (c[3] - c[1]) * s;
    return top + (bottom - top) * t;
  };
  const float step = 1.0f / float(cells);
  for (uint32_t j = 0; j < cells; ++j) {
    for (uint32_t i = 0; i < cells; ++i) {
      const float s0 = float(i) * step, s1 = s0 + step, t0 = float(j) * step, t1 = t0 + step;
      const float st[4][2] = {{s0, t1}, {s0, t0}, {s1, t1}, {s1, t0}};
      DX_V::PCT* q = v + 4 * (j * cells + i);
      for (int k = 0; k < 4; ++k) {
        const D3DXVECTOR3 p = at(st[k][0], st[k][1]);
        // The colour carries the place within the quad: red across, green down.
        const uint32_t r = uint32_t(st[k][0] * 255 + 0.5f), g = uint32_t(st[k][1] * 255 + 0.5f);
        q[k] = {p.x, p.y, 0, 0xFF0000FFu | (r << 16) | (g << 8), p.x / w, p.y / h};
      }
    }
  }
  grid_.Unlock();
}

void ScreenEffectRuntime::Draw(ZT_ABRender& renderer) {
  if (!effect_) return;
  float w = 0, h = 0;
  SlideSize(renderer, w, h);
  // The common parameters, set right before this layer's draw.
  const float a = w / h;
  float s = Fx().scale.Scaled();
  if (!(s > 0) || !std::isfinite(s)) s = 1;
  if (ShortScale()) {
    effect_->SetVector("Scale", {a / s, 1 / s, 0, 0});
  } else {
    effect_->SetVector("Scale", {a / s, 1 / s, s / a, s});
  }
  effect_->SetTexture("Mask", mask_);
  const TexturePtr* scene = renderer.GetSceneTextureSlot();
  effect_->SetTexture("Background", scene ? *scene : renderer.GetPictureTexture());
  effect_->SetTechnique(DrawMode() == FxMode::Quad ? "Main" : "MainFX");
  SetParameters(renderer);
  DrawEffect(renderer);
}

void ScreenEffectRuntime::DrawEffect(ZT_ABRender& renderer) {
  if (DrawMode() != FxMode::Quad) {
    renderer.DrawFx(renderer.GetPictureQuad(), *effect_);
    return;
  }
  float w = 0, h = 0;
  SlideSize(renderer, w, h);
  if (w != gridW_ || h != gridH_) BuildGrid(w, h);
  if (grid_.PrimitiveCount > 0) renderer.DrawIndexedFx(grid_, *effect_);
}

// -------------------------------------------------------------- effect desc

std::shared_ptr<const EffectDesc> MakeScreenEffect(
    std::string name, std::string glsl, std::vector<std::pair<std::string, EffectParamType>> params,
    std::vector<std::string> textures, const std::vector<std::pair<std::string, bool>>& extra) {
  using P = EffectParamType;
  auto d = std::make_shared<EffectDesc>();
  d->name = std::move(name);
  d->params = {{"Scale", P::Float4}, {"Mask", P::Texture}, {"Background", P::Texture}};
  for (auto& p : params) d->params.push_back(std::move(p));
  std::vector<EffectSamplerDesc> samplers = {
      {"BackgroundSampler", "Background", D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE,
       D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP},
      {"MaskSampler", "Mask", D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE, D3DTADDRESS_CLAMP,
       D3DTADDRESS_CLAMP}};
  for (const std::string& t : textures) {
    d->params.push_back({t, P::Texture});
    samplers.push_back({t + "Sampler", t, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE,
                        D3DTADDRESS_WRAP, D3DTADDRESS_WRAP});
  }
  const auto pass = [&](const char* technique, bool blended) {
    EffectPassDesc p;
    p.name = "P0";
    p.renderStates = {{D3DRS_ALPHABLENDENABLE, blended ? 1u : 0u},
                      {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
                      {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
                      {D3DRS_BLENDOP, D3DBLENDOP_ADD},
                      {D3DRS_CULLMODE, D3DCULL_NONE},
                      {D3DRS_ZENABLE, 0},
                      {D3DRS_ALPHATESTENABLE, 0},
                      {D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_ALL}};
    p.samplers = samplers;
    p.pixelShader = TechniqueShader(glsl, technique, EmbeddedGlsl("effects/screen_effect.glsl"));
    return p;
  };
  d->techniques = {{"Main", {pass("Main", true)}}, {"MainFX", {pass("MainFX", false)}}};
  for (const auto& [technique, blended] : extra)
    d->techniques.push_back({technique, {pass(technique.c_str(), blended)}});
  return d;
}

}  // namespace glimmer
