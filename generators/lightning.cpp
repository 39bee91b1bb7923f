#include "generators/lightning.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "generators/falling_stars.h"
#include "params/param_serialization.h"
#include "params/random_source.h"
#include "params/time_lines.h"
#include "scene/render_context.h"
#include "store/archive.h"

namespace glimmer {

namespace {
constexpr float kPiF = 3.14159265358979f;
}  // namespace

ZT_StringGenerator::ZT_StringGenerator() {
  float w = 320, h = 180;
  if (const RenderContext* c = CurrentRenderContext(); c && c->TargetWidth > 0) {
    w = float(c->TargetWidth);
    h = float(c->TargetHeight);
  }
  startPoint.StoreValue({w / 3, 0, 0});
  endPoint.StoreValue({2 * w / 3, h, 0});
}

void ZT_StringGenerator::Serialize(Archive& ar, int32_t) {
  Field(ar, "startPoint", startPoint, ReadMode::Direct);
  Field(ar, "endPoint", endPoint, ReadMode::Direct);
  SerializeBase<ZT_TexParticleGenerator>(ar, *this);
}

ZT_LightningGN::ZT_LightningGN() {
  effect = ZT_HLSLEffectFile(u"common_res.dll", kFallingStarsEffectId);
  images = {ZT_ImageFileLink(u"common_res.dll", 68), ZT_ImageFileLink(u"common_res.dll", 62)};
  colour1.Color.StoreValue(0xFFF0E0);
  colour2.Color.StoreValue(0xFF9060);
}

void ZT_LightningGN::Serialize(Archive& ar, int32_t version) {
  Field(ar, "segments", segments);
  Field(ar, "width", width);
  Field(ar, "deviation", deviation);
  Field(ar, "branches", branches);
  Field(ar, "branchLength", branchLength);
  Field(ar, "branchSpread", branchSpread);
  Field(ar, "glow", glow);
  Field(ar, "seed", seed);
  Field(ar, "flashTime", flashTime);
  Field(ar, "flicker", flicker);
  if (version == 1) {
    for (size_t i = 0; i < legacyTiming.size(); ++i)
      Field(ar, "legacyTiming" + std::to_string(i + 1), legacyTiming[i]);
  }
  Field(ar, "brightness", brightness);
  Field(ar, "glowWidth", glowWidth);
  Field(ar, "random", random);
  SerializeBase<ZT_StringGenerator>(ar, *this);
  if (!ar.IsReading() || version != 1) return;
  // The first bolts timed themselves: hidden and visible ranges and the
  // fades in hundredths become a random time line (the seventh value, a
  // start delay, is not used).
  const auto& l = legacyTiming;
  auto line = std::make_shared<QVX_RandomTimeLine>();
  line->HiddenRange.Min.SetValue(std::min(l[0], l[1]));
  line->HiddenRange.Max.SetValue(std::max(l[0], l[1]));
  line->VisibleRange.Min.SetValue(std::min(l[2], l[3]));
  line->VisibleRange.Max.SetValue(std::max(l[2], l[3]));
  line->FadeIn.SetValue(l[4]);
  line->FadeOut.SetValue(l[5]);
  timing.StoreValue(int32_t(TimingKind::Random));
  timing.SetCurrent(line);
}

void ZT_LightningGN::Chain(const D3DXVECTOR3& from, const D3DXVECTOR3& to, uint32_t n, float bend,
                           std::vector<BoltSegment>& out) {
  const D3DXVECTOR3 along = to - from;
  const float length = Length(along);
  const D3DXVECTOR3 side =
      length > 0 ? D3DXVECTOR3{-along.y / length, along.x / length, 0} : D3DXVECTOR3{0, 0, 0};
  D3DXVECTOR3 previous = from;
  for (uint32_t i = 1; i <= n; ++i) {
    const float f = float(i) / float(n);
    D3DXVECTOR3 p = from + along * f;
    if (i < n) p = p + side * (RandomUniform(-1, 1) * bend * std::sin(kPiF * f));
    out.push_back({previous, p});
    previous = p;
  }
}

void ZT_LightningGN::Generate() {
  const int32_t r0 = NextRandom();
  if (random == 0) SeedRandom(seed.Value());
  const uint32_t n = std::clamp(segments.Value(), 1u, kMaxBoltSegments);
  const uint32_t nb = std::min(branches.Value(), kMaxBoltBranches);
  const D3DXVECTOR3 a = startPoint.Value(), b = endPoint.Value();
  const float length = Length(b - a);
  bolt.clear();
  branchSegments.clear();
  Chain(a, b, n, deviation.Scaled() * length, bolt);
  const uint32_t branchPoints = std::max(n / 3, 2u);
  for (uint32_t k = 0; k < nb && n > 1; ++k) {
    const BoltSegment& at = bolt[size_t(RandomInt(0, int32_t(n) - 2))];
    const D3DXVECTOR3 dir = Normalize(b - a);
    const float turn = RandomUniform(-1, 1) * branchSpread.Scaled() * kPiF / 180;
    const float reach = branchLength.Scaled() * length * RandomUniform(0.5f, 1);
    const D3DXVECTOR3 d{dir.x * std::cos(turn) - dir.y * std::sin(turn),
                        dir.x * std::sin(turn) + dir.y * std::cos(turn), 0};
    Chain(at.to, at.to + d * reach, branchPoints, deviation.Scaled() * reach, branchSegments);
  }
  SeedRandom(uint32_t(r0));
}

void ZT_LightningGN::InitRuntime(ZT_ParticlesObj& runtime) {
  ZT_TexParticleGenerator::InitRuntime(runtime);
  const TexturePtr core = Picture(0), halo = Picture(1) ? Picture(1) : Picture(0);
  pictures_ = {core, halo, halo, nullptr};
  Generate();
  for (size_t k = 0; k < 3; ++k) runtime.ReserveQuads(k, 0);
}

float ZT_LightningGN::Brightness() const {
  const float flash =
      flashTime.Value() > 0 ? std::clamp(1 - clockMs / float(flashTime.Value()), 0.0f, 1.0f) : 0.0f;
  const float wave = 0.5f + 0.5f * std::sin(clockMs / 1000 * float(flicker.Value()) * 2 * kPiF);
  return brightness.Scaled() * (0.55f + 0.25f * wave + 0.45f * flash);
}

void ZT_LightningGN::AdvanceParticles(float t, ZT_ParticlesObj& runtime) {
  // A time that went back restarts the step from there: the clock never
  // runs backwards.
  if (t < previousTime) previousTime = t;
  clockMs += (t - previousTime) * 1000;
  previousTime = t;
  const QVX_Timing* line = timing.Line();
  if (line && line->State() == TimeLineState::Hidden) {
    shown = false;
  } else if (!shown) {
    Generate();
    clockMs = 0;
    shown = true;
  }
  const float v = Visibility() * Brightness();
  const float w = float(width.Value());
  const float glowW = w * glow.Scaled() + float(glowWidth.Value());
  const auto fill = [&](size_t buffer, const std::vector<BoltSegment>& list, float size,
                        const ColorAlphaPair& colour, float opacity) {
    const uint32_t n = uint32_t(list.size());
    runtime.ReserveQuads(buffer, n);
    if (n == 0 || !runtime.LockBuffer(buffer)) return;
    const D3DCOLOR c = QuadColour(colour, opacity);
    for (uint32_t i = 0; i < n; ++i) {
      const D3DXVECTOR3 along = list[i].to - list[i].from;
      const float len = Length(along);
      const D3DXVECTOR3 across =
          len > 0 ? D3DXVECTOR3{-along.y / len, along.x / len, 0} * (size / 2) : D3DXVECTOR3{};
      // Overlap the joints by half a width so the bolt has no gaps.
      const D3DXVECTOR3 over = len > 0 ? along * (size / 2 / len) : D3DXVECTOR3{};
      const D3DXVECTOR3 a = list[i].from - over, b = list[i].to + over;
      const D3DXVECTOR3 corners[4] = {a + across, a - across, b + across, b - across};
      runtime.SetQuad(buffer, i, corners, c);
    }
    runtime.UnlockBuffer(buffer);
  };
  fill(0, bolt, w, colour1, v);
  fill(1, bolt, glowW, colour2, v * 0.6f);
  fill(2, branchSegments, glowW * 0.6f, colour2, v * 0.7f);
}

void ZT_LightningGN::DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) {
  if (!loadedEffect) {
    DrawLayer(renderer, runtime, "BlendMask", 0x00000000, pictures_, 1);
    return;
  }
  DrawTwoTargets(renderer, runtime, pictures_);
}

void ZT_LightningGN::Restart() {
  ZT_StringGenerator::Restart();
  clockMs = 0;
  previousTime = 0;
}

GLIMMER_REGISTER_GENERATOR_KIND(ZT_LightningGN)

}  // namespace glimmer
