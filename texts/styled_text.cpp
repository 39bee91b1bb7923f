#include "texts/styled_text.h"

#include <algorithm>
#include <cmath>

#include "document/resource_manager.h"
#include "params/param_serialization.h"
#include "params/smart_timing.h"
#include "platform/gpu/builtin_effects.h"
#include "platform/gpu/d3dx_math.h"
#include "platform/gpu/effect.h"
#include "platform/gpu/embedded_glsl.h"
#include "platform/gpu/texture_loader.h"
#include "platform/image/image_codec.h"
#include "platform/screen_context.h"
#include "scene/render_context.h"
#include "scene/renderer_interface.h"
#include "store/archive.h"

namespace glimmer {
namespace {

void ColourField(Archive& ar, std::string_view name, SmartCOLORREF& c) {
  int32_t rgb = int32_t(c.Value());
  Field(ar, name, rgb);
  if (ar.IsReading()) c.SetValue(uint32_t(rgb));
}

// A texture of `image` on the current device.
TexturePtr Upload(const Image& image) {
  GpuDevice* device = CurrentDevice();
  if (!device || image.empty()) return nullptr;
  const std::vector<uint8_t> png = EncodePng(image);
  return CreateTextureFromFileInMemoryEx(*device, png, kD3dxDefault, kD3dxDefault, 1, 0,
                                         D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_TRIANGLE,
                                         D3DX_FILTER_NONE, 0, nullptr);
}

// The glyphs' alpha widened by `reach` pixels, fading outwards.
Image Glow(const Image& glyphs, uint32_t reach) {
  Image out = glyphs;
  if (reach == 0) return out;
  const int r = int(std::min<uint32_t>(reach, 32));
  const int w = int(glyphs.width), h = int(glyphs.height);
  std::vector<uint8_t> row(size_t(w) * size_t(h));
  // Separable maximum: along rows, then along columns.
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      int m = 0;
      for (int k = std::max(0, x - r); k <= std::min(w - 1, x + r); ++k) {
        const int fall = 255 * std::abs(k - x) / (r + 1);
        m = std::max(m, glyphs.Pixel(uint32_t(k), uint32_t(y))[3] - fall);
      }
      row[size_t(y) * size_t(w) + size_t(x)] = uint8_t(std::max(0, m));
    }
  }
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      int m = 0;
      for (int k = std::max(0, y - r); k <= std::min(h - 1, y + r); ++k) {
        const int fall = 255 * std::abs(k - y) / (r + 1);
        m = std::max(m, int(row[size_t(k) * size_t(w) + size_t(x)]) - fall);
      }
      out.Pixel(uint32_t(x), uint32_t(y))[3] = uint8_t(std::max(0, m));
    }
  }
  return out;
}

// The text box as an opaque rectangle with a soft edge of `soft` pixels.
Image Box(uint32_t width, uint32_t height, uint32_t soft) {
  Image out;
  out.width = width;
  out.height = height;
  out.rgba.assign(size_t(width) * height * 4, 255);
  const float s = float(std::max<uint32_t>(soft, 1));
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      const float d = std::min(
          {float(x) + 0.5f, float(width - x) - 0.5f, float(y) + 0.5f, float(height - y) - 0.5f});
      out.Pixel(x, y)[3] = uint8_t(255.0f * std::clamp(d / s, 0.0f, 1.0f));
    }
  }
  return out;
}

// The glyph picture with `margin` more transparent pixels on every side.
Image Pad(const Image& in, uint32_t margin) {
  Image out;
  out.width = in.width + 2 * margin;
  out.height = in.height + 2 * margin;
  out.rgba.assign(size_t(out.width) * out.height * 4, 0);
  for (size_t i = 0; i < out.rgba.size(); i += 4)
    out.rgba[i] = out.rgba[i + 1] = out.rgba[i + 2] = 255;
  for (uint32_t y = 0; y < in.height; ++y) {
    std::copy_n(in.Pixel(0, y), size_t(in.width) * 4, out.Pixel(margin, y + margin));
  }
  return out;
}

float Lerp(float a, float b, float t) {
  return a + (b - a) * t;
}

}  // namespace

D3DXVECTOR4 TextStyleGroup::Colour() const {
  return ColorToFloat4(colour.Value(), transparency.Scaled());
}

TextStyling::TextStyling() : effect(u"common_res.dll", kStyledTextEffectId) {
  timeLine = std::make_shared<QVX_RandomTimeLine>();
  groups[0].colour.StoreValue(0x302010);
  groups[0].transparency.StoreValue(40);
  groups[0].size.StoreValue(8);
  groups[1].colour.StoreValue(0x40C0FF);
  groups[1].size.StoreValue(4);
  groups[2].colour.StoreValue(0x000000);
  groups[2].transparency.StoreValue(30);
  groups[2].size.StoreValue(3);
  shadowDirection.Recompute();
}

void SerializeStyling(Archive& ar, TextStyling& s, MediaQuad* placement) {
  Field(ar, "effect", s.effect);
  if (placement) Field(ar, "placement", *placement);
  static constexpr const char* kGroups[3] = {"background", "glow", "shadow"};
  for (size_t i = 0; i < 3; ++i) {
    TextStyleGroup& g = s.groups[i];
    ar.BeginStruct(kGroups[i]);
    Field(ar, "enabled", g.enabled);
    ColourField(ar, "colour", g.colour);
    Field(ar, "transparency", g.transparency);
    Field(ar, "size", g.size, ReadMode::Direct);
    ar.EndStruct();
  }
  Field(ar, "shadowSoftness", s.shadowSoftness, ReadMode::Direct);
  Field(ar, "shadowDirection", s.shadowDirection);
  if (ar.IsReading()) s.shadowDirection.Recompute();
  Field(ar, "link1", s.link1);
  Field(ar, "fillEnabled", s.fillEnabled);
  Field(ar, "fillLink", s.fillLink);
  Field(ar, "fillScale", s.fillScale);
  Field(ar, "speed", s.speed, ReadMode::Direct);
  for (size_t i = 0; i < 2; ++i) {
    ColourField(ar, "pairColour" + std::to_string(i + 1), s.colourPairs[i].Color);
    Field(ar, "pairTransparency" + std::to_string(i + 1), s.colourPairs[i].Transparency);
  }
  Field(ar, "extra1", s.extra[0]);
  Field(ar, "extra2", s.extra[1]);
  Field(ar, "fadeInType", s.fadeInType);
  Field(ar, "fadeOutType", s.fadeOutType);
  Field(ar, "timeLine", s.timeLine, TimingRegistry());
}

QVX_Text::QVX_Text() = default;

void QVX_Text::Serialize(Archive& ar, int32_t) {
  Field(ar, "textKind", textKind);
  Field(ar, "text", text);
  Field(ar, "style", style);
  Field(ar, "extraA", extraA);
  Field(ar, "extraB", extraB);
  // The layer's smart timing switches the text on and off; the styling's
  // own time line is kept as stored beside it.
  SerializeBase<ZT_ABObj_Constructor>(ar, *this);
}

TextTransition FadeEnd(int32_t type, float left, float top, float width, float height,
                       float targetWidth, float targetHeight) {
  TextTransition t;
  switch (type) {
    case 1:
      t.alpha = 0;
      break;
    // The offsets of the slides from the left, the right, below and above,
    // as the format states them: from the placement's corner less the
    // picture's size, or plus the target's.
    case 2:
      t.dx = left - width;
      break;
    case 3:
      t.dx = left + targetWidth;
      break;
    case 4:
      t.dy = top + targetHeight;
      break;
    case 5:
      t.dy = top - height;
      break;
    case 6:
      t.wipeY = 1;
      break;
    case 7:
      t.wipeX = 1;
      break;
    case 8:
      t.wipeX = t.wipeY = 1;
      break;
    default:
      break;  // no fade
  }
  return t;
}

TextTransition TransitionFor(TimeLineState state, float visibility, int32_t fadeInType,
                             int32_t fadeOutType, float left, float top, float width, float height,
                             float targetWidth, float targetHeight) {
  if (state != TimeLineState::FadingIn && state != TimeLineState::FadingOut) return {};
  const int32_t type = state == TimeLineState::FadingIn ? fadeInType : fadeOutType;
  const TextTransition end = FadeEnd(type, left, top, width, height, targetWidth, targetHeight);
  const float v = std::clamp(std::isfinite(visibility) ? visibility : 1.0f, 0.0f, 1.0f);
  TextTransition t;
  t.alpha = Lerp(end.alpha, 1, v);
  t.dx = Lerp(end.dx, 0, v);
  t.dy = Lerp(end.dy, 0, v);
  t.wipeX = Lerp(end.wipeX, 0, v);
  t.wipeY = Lerp(end.wipeY, 0, v);
  return t;
}

// ------------------------------------------------------------------ runtime

QVX_TextObj::QVX_TextObj(std::unique_ptr<QVX_Text> constructor)
    : ZT_ABObj(std::move(constructor)) {}

void QVX_TextObj::Load() {
  if (loaded_) return;
  QVX_DocResManager* resources = QVX_DocResManager::Current();
  GpuDevice* device = CurrentDevice();
  if (!resources || !device) return;
  loaded_ = true;
  QVX_Text& t = Text();
  TextStyling& s = t.styling;
  effect_ = resources->GetEffect(s.effect, kStyledTextEffectId);
  // The text resource, with room round the glyphs for the glow and shadow:
  // the text picture the document carries (the first picture of the text's
  // own link, rendered in the author's font and styling), else the string
  // drawn in the style's font.
  Image text;
  const ZT_NamedFileLinkData& own = s.link1.Value();
  if (!own.Images.empty()) {
    if (auto carried = DecodeImage(resources->FileBytes(ZT_FileLink3(own.Images.front()))))
      text = std::move(*carried);
  }
  if (text.empty()) text = RasteriseText(t.text.Value(), t.style.Font()).image;
  if (!text.empty()) {
    const uint32_t margin =
        std::min<uint32_t>(std::max(s.groups[1].size.Value(), s.groups[2].size.Value()), 32) + 2;
    const Image padded = Pad(text, margin);
    pictureWidth_ = padded.width;
    pictureHeight_ = padded.height;
    pictures_[0] = Upload(padded);
    pictures_[1] = Upload(Glow(padded, s.groups[1].size.Value()));
    pictures_[2] = Upload(Box(padded.width, padded.height, std::max<uint32_t>(margin, 2)));
  }
  // The fill: a link of exactly one picture (or animation).
  const ZT_NamedFileLinkData& fill = s.fillLink.Value();
  if (fill.Images.size() == 1) {
    const TextureSet set = resources->FindTextures(ZT_FileLink3(fill.Images.front()), 4);
    fillFrames_ = set.Textures;
    fillDelays_ = set.Delays;
    fillWidth_ = set.ImageWidth;
    fillHeight_ = set.ImageHeight;
  }
  quad_ = std::make_unique<ZT_IndexedMesh<DX_V::PCT>>(device);
  quad_->SetQuadCount(1);
}

void QVX_TextObj::Restart() {
  ZT_ABObj::Restart();
  Load();
  fillFrame_ = 0;
  fillClock_ = 0;
  previous_ = 0;
}

void QVX_TextObj::Advance(float t) {
  Load();
  // The fill's clock: steps of at most 0.2 s, times the speed factor.
  if (t < previous_) previous_ = t;
  const float step = std::min(t - previous_, kMaxClockStep) * Text().styling.speed.Scaled();
  previous_ = t;
  if (fillFrames_.size() > 1 && std::isfinite(step)) {
    fillClock_ += step;
    const float delay = fillFrame_ < fillDelays_.size() ? fillDelays_[fillFrame_] : 0.1f;
    if (fillClock_ > std::max(delay, 0.01f)) {
      fillClock_ = 0;
      fillFrame_ = (fillFrame_ + 1) % fillFrames_.size();
    }
  }
}

void QVX_TextObj::WriteQuad(const D3DXVECTOR3 corners[4], float dx, float dy) {
  DX_V::PCT* v = quad_->Lock();
  if (!v) return;
  // Vertices bottom left, top left, bottom right, top right, as every quad's.
  const D3DXVECTOR3 c[4] = {corners[1], corners[0], corners[3], corners[2]};
  const float uv[4][2] = {{0, 1}, {0, 0}, {1, 1}, {1, 0}};
  for (int k = 0; k < 4; ++k) {
    v[k].x = c[k].x + dx;
    v[k].y = c[k].y + dy;
    v[k].z = c[k].z;
    v[k].color = 0xFFFFFFFF;
    v[k].u = uv[k][0];
    v[k].v = uv[k][1];
  }
  quad_->Unlock();
}

QVX_TextObj::QuadBox QVX_TextObj::PlacementBox(D3DXVECTOR3 corners[4]) {
  const MediaQuad& q = Text().Placement();
  for (int k = 0; k < 4; ++k) corners[k] = q.Corners[k].Value();
  return {corners[0].x, corners[0].y, corners[3].x - corners[0].x, corners[3].y - corners[0].y};
}

bool QVX_TextObj::HasBody() const {
  return quad_ && pictures_[0] && pictureWidth_ > 0 && pictureHeight_ > 0;
}

void QVX_TextObj::Draw(ZT_ABRender& renderer) {
  Load();
  QVX_Text& t = Text();
  // Without the effect or a text to draw there is nothing to draw.
  if (!effect_ || !quad_ || !HasBody()) return;
  Effect& e = *effect_;
  const TextStyling& s = t.styling;
  D3DXVECTOR3 corners[4];
  const QuadBox box = PlacementBox(corners);
  const D3DXVECTOR4 size{float(pictureWidth_), float(pictureHeight_), 0, 0};
  e.SetVector("TextSize", size);
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  e.SetMatrix("wvpMatrix", identity);
  // 1. The background box.
  if (s.groups[0].enabled.Value() != 0 && pictures_[2]) {
    WriteQuad(corners, 0, 0);
    e.SetTexture("TaxtImg", pictures_[2]);
    e.SetVector("Color", s.groups[0].Colour());
    e.SetTechnique("Background");
    renderer.DrawColoredFx(*quad_, e);
  }
  // 2. The transition of the time line's state.
  const QVX_Timing* line = t.timing.Line();
  const TimeLineState state = line ? line->State() : TimeLineState::Shown;
  if (state == TimeLineState::Hidden) return;
  const RenderContext* c = CurrentRenderContext();
  const float tw = c ? float(c->TargetWidth) : 0, th = c ? float(c->TargetHeight) : 0;
  const TextTransition tr =
      TransitionFor(state, line ? line->Visibility() : 1, s.fadeInType.Value(),
                    s.fadeOutType.Value(), box.left, box.top, box.width, box.height, tw, th);
  DrawBody(renderer, e, tr, corners);
}

const char* QVX_TextObj::SetMainPass(Effect& e, const D3DXVECTOR4& area) const {
  const QVX_Text& t = Text();
  const TextStyling& s = t.styling;
  e.SetVector("TextSize", area);
  e.SetVector("Color", ColorToFloat4(t.style.colour.Value(), t.style.transparency.Scaled()));
  const bool fill = s.fillEnabled.Value() != 0 && !fillFrames_.empty() && fillWidth_ > 0 &&
                    fillHeight_ > 0 && fillFrames_[fillFrame_ % fillFrames_.size()];
  if (!fill) return "MainColorFill";
  // A scale of 0 would divide by zero: it counts as 1.
  const float scale = s.fillScale.Scaled() > 0 ? s.fillScale.Scaled() : 1.0f;
  e.SetVector("fill_tex_scale",
              {1 / scale / float(fillWidth_), 1 / scale / float(fillHeight_), 0, 0});
  e.SetTexture("Filling", fillFrames_[fillFrame_ % fillFrames_.size()]);
  return "MainTexFill";
}

void QVX_TextObj::DrawBody(ZT_ABRender& renderer, Effect& e, const TextTransition& tr,
                           const D3DXVECTOR3 corners[4]) {
  const QVX_Text& t = Text();
  const TextStyling& s = t.styling;
  const float left = corners[0].x, top = corners[0].y;
  const float width = corners[3].x - corners[0].x, height = corners[3].y - corners[0].y;
  WriteQuad(corners, tr.dx, tr.dy);
  e.SetFloat("Fade_Alpha", tr.alpha);
  e.SetTexture("TaxtImg", pictures_[0]);
  e.SetTexture("TextEffect", pictures_[1]);
  e.SetVector("fade_pos", {tr.wipeX, tr.wipeY, left + width / 2, top + height / 2});
  const bool glow = s.groups[1].enabled.Value() != 0;
  e.SetVector("GlowColor", glow ? s.groups[1].Colour() : D3DXVECTOR4{0, 0, 0, 0});
  // 3. The shadow, moved within the quad by its distance along its direction.
  const float pw = float(pictureWidth_), ph = float(pictureHeight_);
  if (s.Shadow().enabled.Value() != 0) {
    const float dist = float(s.Shadow().size.Value());
    const D3DXVECTOR4& d = s.shadowDirection.Direction();
    e.SetVector("Shift", {dist * d.x / pw, -dist * d.y / ph, 0, 0});
    e.SetVector("Color", s.Shadow().Colour());
    e.SetTechnique("Shadow");
    renderer.DrawColoredFx(*quad_, e);
  }
  // 4. The text, filled with its colour or the current fill picture.
  const char* technique = SetMainPass(e, {pw, ph, 0, 0});
  e.SetVector("Shift", {0, 0, tr.dx, tr.dy});
  e.SetTechnique(technique);
  renderer.DrawColoredFx(*quad_, e);
}

namespace {

std::shared_ptr<const EffectDesc> MakeStyledTextEffect() {
  using P = EffectParamType;
  auto d = std::make_shared<EffectDesc>();
  d->name = "styled text";
  d->params = {{"wvpMatrix", P::Matrix},      {"TaxtImg", P::Texture},  {"TextEffect", P::Texture},
               {"Filling", P::Texture},       {"Fade_Alpha", P::Float}, {"fade_pos", P::Float4},
               {"Shift", P::Float4},          {"Color", P::Float4},     {"GlowColor", P::Float4},
               {"fill_tex_scale", P::Float2}, {"TextSize", P::Float2}};
  auto pass = [](const char* technique) {
    EffectPassDesc p;
    p.name = "P0";
    p.renderStates = AlphaBlendPassStates();
    p.samplers = {{"TaxtImgSampler", "TaxtImg", D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE,
                   D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP},
                  {"TextEffectSampler", "TextEffect", D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE,
                   D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP},
                  {"FillingSampler", "Filling", D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE,
                   D3DTADDRESS_WRAP, D3DTADDRESS_WRAP}};
    p.pixelShader =
        TechniqueShader("texts/styled_text.glsl", technique, EmbeddedGlsl("texts/text_fill.glsl"));
    return p;
  };
  d->techniques = {{"Background", {pass("Background")}},
                   {"Shadow", {pass("Shadow")}},
                   {"MainTexFill", {pass("MainTexFill")}},
                   {"MainColorFill", {pass("MainColorFill")}}};
  return d;
}

}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", kStyledTextEffectId, MakeStyledTextEffect)

}  // namespace glimmer
