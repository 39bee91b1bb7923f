#pragma once
// QVX_ShootingLine: streaks shot along a path at random intervals, each a
// head particle trailing a ribbon that narrows and fades towards its end;
// the streaks sway sideways as they travel.

#include <cstdint>
#include <vector>

#include "params/paths.h"
#include "particles/emitters.h"
#include "particles/line_base.h"
#include "particles/routines.h"
#include "scene/layer_kind.h"

namespace glimmer {

class QVX_ShootingLine : public QVX_ParticleSystemCtrl {
  GLIMMER_LAYER_KIND(QVX_ShootingLine)

 public:
  // The path's points, lineLook, the interval, speed, spread, the trail's
  // length, width and envelope, the sway's frequency, showHead and the
  // head's offsets; version 1 has its two appearances the other way round.
  void Serialize(Archive& ar, int32_t version) override;

  SplinePath path;
  ParticleAppearance lineLook;                    // the trails' look (the main one is the heads')
  QVX_RndImitter interval;                        // seconds between streaks
  UINTSclaleTo<float> speed{200, 1.0f, 0.0f};     // pixels per second along the path
  MediaParamT<uint32_t> spread{20};               // pixels: the sway's reach to either side
  MediaParamT<uint32_t> trailLength{120};         // pixels of travel the trail's end follows behind
  UINTSclaleTo<float> trailWidth{6, 1.0f, 0.0f};  // pixels
  LifeEnvelope trailEnvelope;  // the width from the trail's end (0) to its head (1)
  UINTSclaleTo<float> swayFrequency{10, 0.0002f, 0.0f};  // radians per pixel travelled
  MediaParamT<int32_t> showHead{1};
  MediaParamT<float> headAcross, headAlong;  // the head's offset from the streak's tip, pixels
};

class ShootingLineSystem : public ParticleSystemRuntime {
 public:
  explicit ShootingLineSystem(const QVX_ShootingLine& constructor);

  QVX_ShootingLine& settings() { return static_cast<QVX_ShootingLine&>(Constructor()); }
  const QVX_ShootingLine& settings() const {
    return static_cast<const QVX_ShootingLine&>(Constructor());
  }

  // One streak: its head (by tag, while it lives), how far its tip has
  // travelled, its sway's phase and its side.
  struct Streak {
    uint32_t tag = 0;
    float lead = 0;
    float phase = 0;
    float side = 0;
  };
  const std::vector<Streak>& Streaks() const { return streaks_; }
  const RibbonLook& Ribbon() const { return ribbon_; }
  // The sway's sideways offset of a streak at distance a along the path.
  float SwayAt(const Streak& streak, float a) const;

  void Advance(float t) override;
  void Restart() override;
  void Render(ZT_ABRender& renderer, int pass) override;
  bool NeedsSceneCopy() const override { return SceneCopyCount() > 0; }
  int SceneCopyCount() const override;

 protected:
  ShootingLineSystem(std::unique_ptr<QVX_ShootingLine> system);
  void BuildRoutines() override;
  void AttachResources(QVX_DocResManager* resources, GpuDevice* device) override;
  bool Emit(float dt, size_t first) override;
  // One traversal of the path (none without a speed).
  float WarmUpTime() const override;

 private:
  // A step of heads and streaks.
  void Step(float dt);
  void BuildTrails();

  RibbonLook ribbon_;
  ConstPathContext age_;
  PathPointContext point_;
  size_t sway_ = 0;
  uint32_t nextTag_ = 1;
  std::vector<Streak> streaks_;
  struct TrailPoint {
    D3DXVECTOR3 position;
    float distance;
  };
  std::vector<TrailPoint> points_;  // one streak's trail, reused
};

}  // namespace glimmer
