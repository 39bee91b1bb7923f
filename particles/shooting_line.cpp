#include "particles/shooting_line.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "params/param_serialization.h"
#include "params/path_cursor.h"
#include "params/random_source.h"
#include "store/archive.h"

namespace glimmer {

void QVX_ShootingLine::Serialize(Archive& ar, int32_t version) {
  Field(ar, "path", path);
  lineLook.SerializeBlock(ar, "lineLook", "lineLookVersion");
  Field(ar, "minimumInterval", interval.minimum);
  Field(ar, "maximumInterval", interval.maximum);
  Field(ar, "speed", speed);
  Field(ar, "spread", spread);
  Field(ar, "trailLength", trailLength);
  Field(ar, "trailWidth", trailWidth);
  Field(ar, "trailEnvelope", trailEnvelope);
  Field(ar, "swayFrequency", swayFrequency);
  Field(ar, "showHead", showHead);
  Field(ar, "headAcross", headAcross);
  Field(ar, "headAlong", headAlong);
  SerializeBase<QVX_ParticleSystemCtrl>(ar, *this);
  if (ar.IsReading()) {
    if (version < 2) std::swap(appearance, lineLook);
    path.StepsPerSegment = 20;
    path.Rebuild();
  }
}

ShootingLineSystem::ShootingLineSystem(const QVX_ShootingLine& constructor)
    : ShootingLineSystem(std::make_unique<QVX_ShootingLine>(constructor)) {}

ShootingLineSystem::ShootingLineSystem(std::unique_ptr<QVX_ShootingLine> system)
    : ParticleSystemRuntime(std::move(system)) {}

void ShootingLineSystem::BuildRoutines() {
  QVX_ShootingLine& s = settings();
  s.path.StepsPerSegment = 20;
  s.path.Rebuild();
  // The heads age by the distance they travel and die at the path's end.
  age_ = {.path = &s.path, .speed = s.speed.Scaled()};
  engine_.SetAgeRoutine(&ConstPathAge, &age_, 0);
  engine_.AddAppearanceRoutines();
  sway_ = engine_.AddRoutine({.kind = RoutineKind::Harmonic, .index = 6, .k = {1, 0}}, 2);
  point_ = {.samples = &s.path.Samples, .width = float(s.spread.Value())};
  engine_.AddRoutine({.kind = RoutineKind::Custom, .apply = &PathPoint, .context = &point_});
}

void ShootingLineSystem::AttachResources(QVX_DocResManager* resources, GpuDevice* device) {
  ribbon_.Load(settings().lineLook, resources, device);
}

float ShootingLineSystem::WarmUpTime() const {
  const float speed = settings().speed.Scaled();
  return speed > 0 ? settings().path.TotalLength / speed : 0.0f;
}

bool ShootingLineSystem::Emit(float dt, size_t) {
  QVX_ShootingLine& s = settings();
  // A streak needs a path and a speed to travel it at.
  if (s.path.PointCount() < 2 || s.path.Samples.size() < 2 || !(s.speed.Scaled() > 0) ||
      !(s.path.TotalLength > 0)) {
    return false;
  }
  const int32_t n = s.interval.Count(Visibility() * dt);
  const D3DXVECTOR3 start = s.path.PointAt(0)->Value();
  const size_t first = engine_.Count();
  for (int32_t k = 0; k < n; ++k) {
    if (!engine_.Spawn(start)) break;
    const size_t i = engine_.Count() - 1;
    const float side = RandomUniform(-1, 1);
    engine_.InitFromAppearance(i, s.path.TotalLength);
    Particle& p = engine_.At(i);
    p.aux[2] = side;
    engine_.StartHarmonic(i, sway_, s.swayFrequency.Scaled());
    p.tag = nextTag_++;
    streaks_.push_back({.tag = p.tag,
                        .lead = 0,
                        .phase = engine_.State(i, engine_.Routines()[sway_])[0],
                        .side = side});
  }
  // Each new head is stepped by the whole step, not sub-stepped.
  engine_.StepFrom(first, dt);
  return false;
}

float ShootingLineSystem::SwayAt(const Streak& streak, float a) const {
  const float o = std::cos(a * settings().swayFrequency.Scaled() + streak.phase) * streak.side *
                  float(settings().spread.Value());
  return std::isfinite(o) ? o : 0.0f;
}

void ShootingLineSystem::Step(float dt) {
  StepAndEmit(dt);
  const QVX_ShootingLine& s = settings();
  const float L = s.path.TotalLength, trail = float(s.trailLength.Value());
  // A streak's tip goes with its head, then on past the path's end until
  // its trail has left the path too.
  size_t kept = 0;
  for (Streak& streak : streaks_) {
    const Particle* head = engine_.FindByTag(streak.tag);
    streak.lead = head ? head->age : streak.lead + s.speed.Scaled() * dt;
    if (!(streak.lead - trail <= L)) continue;
    streaks_[kept++] = streak;
  }
  streaks_.resize(kept);
}

void ShootingLineSystem::Restart() {
  streaks_.clear();
  settings().interval.Restart();
  RestartEmpty();
  if (System().timing.Value() != 0) return;
  const int steps = WarmUpSteps(WarmUpTime());
  for (int k = 0; k < steps; ++k) Step(0.1f);
}

void ShootingLineSystem::BuildTrails() {
  const QVX_ShootingLine& s = settings();
  const std::vector<PathSample>& samples = s.path.Samples;
  const std::vector<uint32_t>& colours = s.lineLook.colours.colours.Value();
  const float L = s.path.TotalLength, trail = float(s.trailLength.Value());
  if (samples.size() < 2 || colours.empty() || !(trail > 0)) {
    ribbon_.End(0);
    return;
  }
  // The quads of every trail: one per sample boundary crossed, and one more.
  uint32_t n = 0;
  for (const Streak& streak : streaks_) {
    const float a0 = std::max(0.0f, streak.lead - trail), a1 = std::min(streak.lead, L);
    if (!(a1 > a0)) continue;
    PathCursor cursor(&samples);
    D3DXVECTOR3 P, D;
    cursor.MoveBy(a0, P, D);
    n += uint32_t(std::max(0, cursor.CountAhead(a1 - a0)));
  }
  DX_V::PCT* v = ribbon_.Begin(n);
  if (!v) {
    ribbon_.End(0);
    return;
  }
  const uint32_t cap = std::min(n, kMaxRibbonQuads);
  const uint32_t bgr = colours.front();
  const float tile = ribbon_.TileLength(s.trailWidth.Scaled());
  const float alpha = float(s.lineLook.colours.transparency.Scaled());
  uint32_t quads = 0;
  for (const Streak& streak : streaks_) {
    const float a0 = std::max(0.0f, streak.lead - trail), a1 = std::min(streak.lead, L);
    if (!(a1 > a0) || quads >= cap) continue;
    // The trail's points: its end, every sample it covers, its tip; each
    // swayed as the head was when it passed there.
    points_.clear();
    PathCursor cursor(&samples);
    D3DXVECTOR3 P, D;
    cursor.MoveBy(a0, P, D);
    float r = a1 - a0;
    const auto add = [&](float a) {
      PathCursor at(&samples);
      D3DXVECTOR3 position, direction;
      at.SeekOffset(a, SwayAt(streak, a), position, direction);
      points_.push_back({position, a});
    };
    add(a0);
    while (r > 0 && points_.size() <= cap - quads) {
      cursor.StepChord(r, P, D);
      add(a1 - r);
    }
    RibbonLook::Section previous;
    for (size_t k = 0; k < points_.size(); ++k) {
      const TrailPoint& p = points_[k];
      const D3DXVECTOR3 step =
          k > 0 ? p.position - points_[k - 1].position
                : points_[std::min(k + 1, points_.size() - 1)].position - p.position;
      const float b = 1 - (streak.lead - p.distance) / trail;
      const RibbonLook::Section next = RibbonLook::MakeSection(
          p.position, step, s.trailWidth.Scaled() * s.trailEnvelope.Level(b),
          tile > 0 ? (streak.lead - p.distance) / tile : 0.0f, bgr,
          alpha * s.lineLook.opacityEnvelope.Level(b));
      if (k > 0 && quads < cap) RibbonLook::Join(v + 4 * quads++, previous, next);
      previous = next;
    }
  }
  ribbon_.End(quads);
}

void ShootingLineSystem::Advance(float t) {
  Attach();
  QVX_ShootingLine& s = settings();
  MediaSpeedParam& clock = s.QVX_ParticleSystemCtrl::speed;
  clock.Advance(t);
  // Only the heads' appearance animates; the trails keep their look's first
  // texture frame.
  AdvanceAppearanceClocks(t);
  age_.speed = s.speed.Scaled();
  Step(clock.StepTime);
  // The heads' offsets from their tips, along and across their flight.
  for (size_t i = 0; i < engine_.Count(); ++i) {
    Particle& p = engine_.At(i);
    const float l = Length(p.velocity);
    const D3DXVECTOR3 d = l > 0 ? p.velocity * (1.0f / l) : D3DXVECTOR3{1, 0, 0};
    p.direction = d * s.headAlong.Value();
    p.side = D3DXVECTOR3{-d.y, d.x, 0} * s.headAcross.Value();
  }
  BuildQuads();
  BuildTrails();
}

int ShootingLineSystem::SceneCopyCount() const {
  if (!IsActive()) return 0;
  const QVX_ShootingLine& s = settings();
  return RibbonLook::SceneCopies(s.lineLook) +
         (s.showHead.Value() != 0 && s.appearance.glowMode.Value() == 2 ? 1 : 0);
}

void ShootingLineSystem::Render(ZT_ABRender& renderer, int pass) {
  const QVX_ShootingLine& s = settings();
  ribbon_.Draw(renderer, pass, s.lineLook);
  if (s.showHead.Value() == 0) return;
  if (s.appearance.glowMode.Value() == 2) renderer.CopyScene(pass, false);
  DrawAppearance(renderer, quads_, quadCount_, s.appearance, frames_, effect_.get(), glow_.get());
}

GLIMMER_REGISTER_LAYER_KIND(QVX_ShootingLine, ShootingLineSystem)

}  // namespace glimmer
