#pragma once
// Lightning: ZT_StringGenerator holds a chain's two end points; the
// registered ZT_LightningGN draws a jagged bolt between them with random
// branches, flashing up each time its layer fades in. The bolt and its glow
// go into one texture of a target set, the branches into the other, and
// both are added to the scene.

#include <array>
#include <vector>

#include "generators/static_generators.h"

namespace glimmer {

// The most points a bolt or branch has, and the most branches.
inline constexpr uint32_t kMaxBoltSegments = 512;
inline constexpr uint32_t kMaxBoltBranches = 64;

class ZT_StringGenerator : public ZT_TexParticleGenerator {
  GLIMMER_STORED_CLASS(ZT_StringGenerator, 1)

 public:
  // From a third of the target's width at the top to two thirds at the bottom.
  ZT_StringGenerator();
  ZT_StringGenerator(const ZT_StringGenerator&) = default;

  // The start and end points (x, y, z each), then the textured part.
  void Serialize(Archive& ar, int32_t version) override;

  MediaParamT<D3DXVECTOR3> startPoint, endPoint;  // slide pixels
};

// One straight piece of a bolt.
struct BoltSegment {
  D3DXVECTOR3 from, to;
};

class ZT_LightningGN : public ZT_StringGenerator {
  GLIMMER_LAYER_KIND(ZT_LightningGN)

 public:
  // The falling stars' effect (the same two passes).
  ZT_LightningGN();
  ZT_LightningGN(const ZT_LightningGN&) = default;

  // Segments, width, deviation, branches, branch length, branch spread,
  // glow, seed, flash time, flicker, in version 1 seven timing values,
  // brightness, glow width and the random switch; then the chain's part.
  // Version 1 becomes a random time line.
  void Serialize(Archive& ar, int32_t version) override;
  // The first bolt and three buffers.
  void InitRuntime(ZT_ParticlesObj& runtime) override;
  // The millisecond clock; a new bolt on the first frame shown after the
  // layer was hidden; the quads.
  void AdvanceParticles(float t, ZT_ParticlesObj& runtime) override;
  void DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) override;
  bool NeedsSceneCopy() const override { return true; }
  void Restart() override;

  // A new bolt and its branches: one draw first; without the random switch
  // the kind's seed, so every bolt is the same; afterwards the sequence
  // carries on from that first draw.
  void Generate();
  // How bright the bolt is now: a flash fading over the flash time to a
  // flickering afterglow.
  float Brightness() const;

  MediaParamT<uint32_t> segments{24};
  MediaParamT<uint32_t> width{3};                  // pixels
  UINTSclaleTo<float> deviation{12, 0.01f, 0.0f};  // of the bolt's length
  MediaParamT<uint32_t> branches{4};
  UINTSclaleTo<float> branchLength{35, 0.01f, 0.0f};  // of the bolt's length
  UINTSclaleTo<float> branchSpread{40, 1.0f, 0.0f};   // degrees
  UINTSclaleTo<float> glow{400, 0.01f, 0.0f};         // glow width ÷ width
  MediaParamT<uint32_t> seed{7};
  MediaParamT<uint32_t> flashTime{400};    // milliseconds
  MediaParamT<uint32_t> flicker{12};       // flickers a second
  std::array<uint32_t, 7> legacyTiming{};  // version 1 only
  UINTSclaleTo<float> brightness{100, 0.01f, 0.0f};
  MediaParamT<uint32_t> glowWidth{0};  // pixels added to the glow
  int32_t random = 0;

  // Not stored.
  std::vector<BoltSegment> bolt, branchSegments;
  float clockMs = 0, previousTime = 0;
  bool shown = false;

 private:
  // Points from `from` towards `to` (n segments), bent sideways by up to
  // `bend` pixels, most in the middle; one draw a point.
  void Chain(const D3DXVECTOR3& from, const D3DXVECTOR3& to, uint32_t n, float bend,
             std::vector<BoltSegment>& out);
  std::vector<TexturePtr> pictures_;
};

}  // namespace glimmer
