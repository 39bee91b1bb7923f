#pragma once
// The line kinds' common ground: a glowing ribbon laid along a sampled path,
// its width and opacity varying along its length, drawn with a look of its
// own (lineLook) and optionally crowned by a head particle at its tip.
//
// QVX_LineCtrl and QVX_StaticLineCtrl are the stored bases of the growing
// and sliding lines; RibbonLook is the ribbon's loaded look and drawing,
// shared by every line kind; StaticLineSystem is the runtime of the lines
// on a spline path (the ribbon builder and the head).

#include <cstdint>
#include <memory>
#include <vector>

#include "params/animated_params.h"
#include "params/path_cursor.h"
#include "params/paths.h"
#include "particles/particle_runtime.h"
#include "render/render_targets.h"

namespace glimmer {

// Ribbons of more quads than this are cut short (a path is sampled 100
// times a segment).
inline constexpr uint32_t kMaxRibbonQuads = 200'000;
// A path is sampled 100 times a segment, less on paths of so many segments
// that the samples would pass this (with one message naming the layer).
inline constexpr size_t kMaxLineSamples = 200'000;

class QVX_LineCtrl : public QVX_ParticleSystemCtrl {
  GLIMMER_STORED_CLASS(QVX_LineCtrl, 2)

 public:
  // The path's points, showHead, lineLook, the head's offsets; version 1
  // has one more int32 (ignored) and its two appearances the other way
  // round.
  void Serialize(Archive& ar, int32_t version) override;

  SplinePath path;
  MediaParamT<int32_t> showHead{1};          // non-zero: the head is drawn
  ParticleAppearance lineLook;               // the ribbon's look (the main one is the head's)
  MediaParamT<float> headAcross, headAlong;  // the head's offset from the tip, pixels
};

class QVX_StaticLineCtrl : public QVX_LineCtrl {
  GLIMMER_STORED_CLASS(QVX_StaticLineCtrl, 1)

 public:
  // Width, then the width and opacity envelopes (four sliders each).
  void Serialize(Archive& ar, int32_t version) override;

  UINTSclaleTo<float> width{8, 1.0f, 0.0f};  // pixels
  LifeEnvelope widthEnvelope, opacityEnvelope;
};

// The four sliders of an envelope, as stored.
void Field(Archive& ar, std::string_view name, LifeEnvelope& envelope);

// The ribbon of a line: its look's loaded texture frames, effect, glow and
// composing surface, the quads, and how they are drawn.
class RibbonLook {
 public:
  // Loads `look` (filtered) and makes the surface for its multiply blend.
  void Load(ParticleAppearance& look, QVX_DocResManager* resources, GpuDevice* device);
  // The look's texture clocks to outer time t.
  void AdvanceClocks(ParticleAppearance& look, float t);
  // The scene copies a frame's Draw takes: one for a glow over the scene,
  // one for the multiply blend (blend 1); other blends have no technique.
  static int SceneCopies(const ParticleAppearance& look);
  // The texture's tile length along a ribbon `width` pixels wide.
  float TileLength(float width) const { return width * frames.aspect; }

  // One cross-section of a ribbon: its two edge points, texture v and colour.
  struct Section {
    D3DXVECTOR3 left, right;
    float v = 0;
    uint32_t colour = 0;
  };
  // The cross-section at P for the direction D (any length) of `width`
  // pixels, texture v = `v`, colour 0x00BBGGRR with an alpha of `alpha`
  // (0…255).
  static Section MakeSection(const D3DXVECTOR3& P, const D3DXVECTOR3& D, float width, float v,
                             uint32_t bgr, float alpha);
  // The vertices of n ribbon quads, locked; null for none.
  DX_V::PCT* Begin(uint32_t n);
  // Quad q joins cross-sections a and b.
  static void Join(DX_V::PCT* quad, const Section& a, const Section& b);
  // Unlocks the quads and makes the first n the drawn ones.
  void End(uint32_t n);

  // The glow, then the ribbon: blended over the target (blend 0) or
  // multiplied into the scene through the surface (blend 1); takes the
  // copies SceneCopies counts.
  void Draw(ZT_ABRender& renderer, int pass, const ParticleAppearance& look);

  TextureFrames frames;
  std::shared_ptr<Effect> effect;
  std::unique_ptr<QVX_BlurSurface> glow;
  std::unique_ptr<QVX_PrerenderSurface> surface;
  ZT_IndexedMesh<DX_V::PCT> quads{nullptr};
  uint32_t count = 0;

 private:
  void DrawQuads(ZT_ABRender& renderer);
};

// The runtime of a line on a spline path (growing and sliding): the path
// sampled in its direction, the ribbon between two distances along it and
// one head particle at its tip.
class StaticLineSystem : public ParticleSystemRuntime {
 public:
  explicit StaticLineSystem(std::unique_ptr<QVX_StaticLineCtrl> system);

  QVX_StaticLineCtrl& Line() { return static_cast<QVX_StaticLineCtrl&>(System()); }
  const QVX_StaticLineCtrl& Line() const {
    return static_cast<const QVX_StaticLineCtrl&>(System());
  }
  const RibbonLook& Ribbon() const { return ribbon_; }
  const ParticleEngine& Head() const { return head_; }
  uint32_t HeadQuads() const { return quadCount_; }
  bool HeadHidden() const { return headHidden_; }
  float PathLength() const { return length_; }
  bool Reversed() const { return reversed_; }
  // The distances along the path the ribbon covers now.
  float RibbonStart() const { return from_; }
  float RibbonEnd() const { return to_; }

  void Restart() override;
  void Render(ZT_ABRender& renderer, int pass) override;
  bool NeedsSceneCopy() const override { return SceneCopyCount() > 0; }
  int SceneCopyCount() const override;

 protected:
  // The width (pixels) and opacity (0…255) at distance x back from the tip.
  virtual float WidthAt(float x) const {
    (void)x;
    return Line().width.Scaled();
  }
  virtual float OpacityAt(float x) const {
    (void)x;
    return float(Line().lineLook.colours.transparency.Scaled());
  }
  void BuildRoutines() override;
  void AttachResources(QVX_DocResManager* resources, GpuDevice* device) override;
  bool Emit(float, size_t) override { return false; }
  float WarmUpTime() const override { return 0; }

  // Samples the path again in the direction `reversed`.
  void SamplePath(bool reversed);
  // A new head at its place with a life of `life` seconds and age 0.
  void ResetHead(float life);
  // The ribbon from s0 to s1 along the path (the tail at s0, the tip at
  // s1), then the head stepped by the simulation step and put at the tip.
  void BuildLine(float s0, float s1);
  // The system clock and the appearances' clocks to outer time t.
  void AdvanceClocks(float t);

  RibbonLook ribbon_;
  ParticleEngine head_;
  bool headHidden_ = false;  // not drawn this frame

 private:
  std::vector<PathSample> samples_;
  float length_ = 0;
  bool reversed_ = false;
  bool sampleCapReported_ = false;
  float from_ = 0, to_ = 0;
  D3DXVECTOR3 headPlace_{500, 500, 0};
};

}  // namespace glimmer
