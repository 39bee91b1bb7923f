#pragma once
// QVX_WavingLine: a ribbon from A to B that swings like a rope held at A,
// on the straight-line base ZT_StraightLine.

#include <cstdint>
#include <vector>

#include "particles/line_base.h"
#include "scene/layer_kind.h"

namespace glimmer {

class ZT_StraightLine : public QVX_ParticleSystemCtrl {
  GLIMMER_STORED_CLASS(ZT_StraightLine, 1)

 public:
  // Point A, then point B.
  void Serialize(Archive& ar, int32_t version) override;

  MediaParamT<D3DXVECTOR3> pointA{D3DXVECTOR3{60, 90, 0}}, pointB{D3DXVECTOR3{260, 90, 0}};
};

class QVX_WavingLine : public ZT_StraightLine {
  GLIMMER_LAYER_KIND(QVX_WavingLine)

 public:
  // Width and its envelope, lineLook, amplitude, the second wave's weight,
  // showHead and the head's offsets.
  void Serialize(Archive& ar, int32_t version) override;

  UINTSclaleTo<float> width{8, 1.0f, 0.0f};  // pixels
  LifeEnvelope widthEnvelope;
  ParticleAppearance lineLook;
  MediaParamT<uint32_t> amplitude{20};              // pixels
  UINTSclaleTo<float> secondWave{50, 0.01f, 0.0f};  // weight of the second wave
  MediaParamT<int32_t> showHead{1};
  MediaParamT<float> headAcross, headAlong;  // the head's offset from the tip, pixels
};

class WavingLineSystem : public ParticleKindRuntime<QVX_WavingLine> {
 public:
  // Nodes of the rope: kNodes quads join kNodes + 1 nodes.
  static constexpr int kNodes = 100;

  using ParticleKindRuntime::ParticleKindRuntime;
  void Advance(float t) override;
  void Restart() override;
  void Render(ZT_ABRender& renderer, int pass) override;
  bool NeedsSceneCopy() const override { return SceneCopyCount() > 0; }
  int SceneCopyCount() const override;

  const RibbonLook& Ribbon() const { return ribbon_; }
  // The displacement along the normal at f (0 at A, 1 at B) and simulated
  // time T, and its slope in f.
  float Displacement(float f, float T) const;
  float Slope(float f, float T) const;
  float SimulatedTime() const { return time_; }
  // Node i's position.
  const D3DXVECTOR3& Node(int i) const { return nodes_[size_t(i)]; }

 protected:
  void BuildRoutines() override;
  void AttachResources(QVX_DocResManager* resources, GpuDevice* device) override;
  bool Emit(float, size_t) override { return false; }
  float WarmUpTime() const override { return 0; }

 private:
  void BuildRibbon();

  RibbonLook ribbon_;
  float time_ = 0;
  std::vector<D3DXVECTOR3> nodes_ = std::vector<D3DXVECTOR3>(kNodes + 1);
  std::vector<D3DXVECTOR3> tangents_ = std::vector<D3DXVECTOR3>(kNodes + 1);
};

}  // namespace glimmer
