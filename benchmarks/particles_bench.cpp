// The particle engine headless: one step of 100,000 fountain particles (age,
// colour, kinematics, air resistance and one wave: harmonic, or noise) on
// one core; one frame of a particle tree of the shipped shape with 50,000
// tree particles; and 100,000 particle quads at 1920 × 1080 built and drawn
// through the layer, beside raw OpenGL building and drawing the same quads
// with the same texture and blending in the same run (the ceiling). Two
// scene effects the same way, each frame (stepping, quads, drawing) beside
// raw OpenGL drawing the same quads: rain on glass at its default
// population, and fire with 20,000 flames.

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "benchmarks/bench_support.h"
#include "params/random_source.h"
#include "particles/fire.h"
#include "particles/fountain.h"
#include "particles/particle_engine.h"
#include "particles/rain_on_glass.h"
#include "particles/tree/root.h"
#include "platform/gpu/gpu_device.h"
#include "platform/screen_context.h"
#include "scene/render_context.h"
#include "scene/slide.h"
#include "show/show_document.h"

namespace {

using namespace glimmer;
using namespace glimmer::bench;

constexpr int kParticles = 100'000;
constexpr float kSize = 8;

// A fountain's look: a colour gradient over life, gravity and air
// resistance, and a size wave (1 harmonic, 2 noise).
void FountainLook(ParticleAppearance& a, int waveMode) {
  ZT_NamedFileLinkData spot;
  spot.Primary = {u"common_res.dll", 62};
  a.texture.SetValue(spot);
  a.baseSize.SetValue(uint32_t(kSize));
  a.colours.mode.SetValue(1);
  a.colours.colours.SetValue({0xFFE0C0, 0xFF8040});
  a.flags.SetValue(kPhysics);
  a.gravityMode.SetValue(1);
  a.gravity.SetValue(20);
  a.airResistance.SetValue(30);
  a.sizeWave.mode.SetValue(waveMode);
}

// n particles spread over the screen, long-lived, moving.
void Populate(ParticleEngine& engine) {
  SeedRandom(1);
  for (int i = 0; i < kParticles; ++i) {
    engine.Spawn({RandomUniform(0, kW), RandomUniform(0, kH), 0});
    engine.InitFromAppearance(size_t(i), 1e6f);
    engine.At(size_t(i)).velocity = {RandomUniform(-50, 50), RandomUniform(-200, 0), 0};
  }
}

void BM_FountainStep(benchmark::State& state) {
  ParticleAppearance a;
  FountainLook(a, int(state.range(0)));
  ParticleEngine engine(a, u"bench");
  engine.AddAppearanceRoutines();
  engine.AddRoutine({.kind = RoutineKind::Kinematic});
  Populate(engine);
  for (auto _ : state) {
    engine.StepAll(1.0f / 60);
    benchmark::DoNotOptimize(engine.At(0));
  }
  state.SetItemsProcessed(state.iterations() * kParticles);
  state.SetLabel(state.range(0) == 1 ? "100k particles, harmonic wave"
                                     : "100k particles, noise wave");
}
BENCHMARK(BM_FountainStep)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The shipped tree's shape: a stem whose point emitter throws 12,500 sparks
// a second living 2 s, and an additive leaf whose follower sprite rides on
// every spark: 50,000 tree particles in the steady state, each with its
// transforms (sizes, waves, spin, forces, kinematics, envelopes, colour).
// One frame of simulation at 60 frames a second: births, steps, deaths.
void BM_TreeStep(benchmark::State& state) {
  QVX_PSTree_Root root;
  auto stem = std::make_shared<QVX_PSTree_Stem>();
  auto& emitter = static_cast<QVX_PSGeomEmit_Point&>(*stem->geometry);
  emitter.name = u"Point Emitter";
  emitter.count = 12'500;
  emitter.life = 2.0f;
  emitter.speed.SetValue(120);
  emitter.speed.Spread.SetValue(50);
  emitter.forces.gravityMode.SetValue(1);
  emitter.forces.gravity.SetValue(10);
  auto leaf = std::make_shared<QVX_PSTree_Leaf>();
  leaf->look.blend.SetValue(1);
  leaf->look.colours.mode.SetValue(1);
  leaf->geometry->name = u"Point";
  stem->children.push_back(leaf);
  root.children.push_back(stem);
  SeedRandom(1);
  root.AttachRuntime(nullptr, nullptr, 0, 0);
  const std::vector<TreeParticle*> parents = {&root.rootParticle};
  constexpr float kDt = 1.0f / 60;
  const auto frame = [&] {
    stem->AdvanceNode(kDt, parents);
    root.rootParticle.age += kDt;
  };
  for (int k = 0; k < 150; ++k) frame();  // past the first sparks' life
  size_t live = 0;
  for (auto _ : state) {
    frame();
    live = stem->geometry->pool.Count() + leaf->geometry->pool.Count();
    benchmark::DoNotOptimize(live);
  }
  state.SetItemsProcessed(state.iterations() * int64_t(live));
  state.counters["tree_particles"] = double(live);
  state.SetLabel("shipped tree shape, ~50k tree particles");
}
BENCHMARK(BM_TreeStep)->Unit(benchmark::kMillisecond);

// A screen with the show's resources, render context and a slide to draw
// through, for the layer's runtime.
struct Screen {
  Screen() {
    doc.resources->Attach(Device());
    context.TargetWidth = kW;
    context.TargetHeight = kH;
    context.Place({0, 0, float(kW), float(kH)}, kW, kH, 0, kW, kH);
    scope.emplace(doc.resources->ScreenFor(&Device(), &context));
  }
  ShowDocument doc;
  RenderContext context;
  std::optional<ScreenScope> scope;
  ZT_2D_Light slide;
};

void BM_LayerQuads(benchmark::State& state) {
  Screen screen;
  QVX_FontainPtclSys fountain;
  FountainLook(fountain.appearance, 1);
  fountain.rate.rate.SetValue(0);
  fountain.timing.SetValue(1);  // no warm-up
  auto runtime = std::dynamic_pointer_cast<ParticleSystemRuntime>(fountain.CreateRuntime());
  runtime->Restart();
  Populate(runtime->Engine());
  GpuDevice& d = Device();
  d.Clear(D3DCLEAR_TARGET, 0xFF000000, 1, 0);
  for (auto _ : state) {
    runtime->BuildQuads();
    runtime->Render(screen.slide, 0);
    d.Finish();
  }
  if (runtime->QuadCount() != uint32_t(kParticles)) state.SkipWithError("quads were not built");
  state.SetItemsProcessed(state.iterations() * kParticles);
  state.SetLabel("100k quads of 8 px through the layer");
}
BENCHMARK(BM_LayerQuads)->Unit(benchmark::kMillisecond)->UseRealTime();

// The ceiling: the same quads (same particles, size, texture, colours and
// alpha blending) written and drawn with plain OpenGL.
void BM_RawGlQuads(benchmark::State& state) {
  Screen screen;
  ParticleAppearance a;
  FountainLook(a, 1);
  ParticleEngine engine(a, u"bench");
  engine.AddAppearanceRoutines();
  Populate(engine);
  engine.StepAll(0);  // colours
  RawQuads quads(uint32_t(kParticles), SoftSpot(64));
  for (auto _ : state) {
    RawQuads::Vertex* v = quads.Vertices();
    for (uint32_t q = 0; q < uint32_t(kParticles); ++q, v += 4) {
      const Particle& p = engine.At(q);
      const float h = kSize / 2 * engine.SizeFactor(p);
      const uint32_t c = engine.QuadColour(p, 255);
      v[0] = {p.position.x - h, p.position.y + h, 0, c, 0, 1};
      v[1] = {p.position.x - h, p.position.y - h, 0, c, 0, 0};
      v[2] = {p.position.x + h, p.position.y + h, 0, c, 1, 1};
      v[3] = {p.position.x + h, p.position.y - h, 0, c, 1, 0};
    }
    quads.Draw();
    glFinish();
  }
  state.SetItemsProcessed(state.iterations() * kParticles);
  state.SetLabel("the same quads in plain OpenGL");
}
BENCHMARK(BM_RawGlQuads)->Unit(benchmark::kMillisecond)->UseRealTime();

// Rain on a full-screen pane with the layer's own defaults, warmed up as a
// slide start does.
std::shared_ptr<ParticleSystemRuntime> Rain() {
  ZT_RainOnGlass rain;
  rain.keepIdentity = 0;  // the pane is the whole screen
  ZT_NamedFileLinkData drops;
  drops.Primary = {u"common_res.dll", 1130};
  rain.appearance.texture.SetValue(drops);
  SeedRandom(1);
  auto runtime = std::dynamic_pointer_cast<ParticleSystemRuntime>(rain.CreateRuntime());
  runtime->Restart();
  return runtime;
}

// A fire whose flames live 2 s, born at 10,000 a second: 20,000 alive.
std::shared_ptr<ParticleSystemRuntime> Fire() {
  ZT_PtclFire fire;
  ZT_NamedFileLinkData puff;
  puff.Primary = {u"common_res.dll", 1131};
  fire.appearance.texture.SetValue(puff);
  fire.appearance.baseSize.SetValue(40);
  fire.appearance.blend.SetValue(1);
  fire.appearance.colours.mode.SetValue(1);
  fire.appearance.colours.colours.SetValue({0x30B8FF, 0x0818B0});
  fire.appearance.gravity.SetValue(14);
  fire.point.position = {kW / 2.0f, kH - 100.0f, 0};
  fire.speed.SetValue(10);  // 40 pixels a second
  fire.range.SetValue(80);
  fire.spread.SetValue(100);
  fire.rate.rate.SetValue(50'000);
  SeedRandom(1);
  auto runtime = std::dynamic_pointer_cast<ParticleSystemRuntime>(fire.CreateRuntime());
  runtime->Restart();
  return runtime;
}

// Frames of a layer at 60 a second: step, quads, drawing.
void LayerFrames(benchmark::State& state, ParticleSystemRuntime& runtime, Screen& screen) {
  GpuDevice& d = Device();
  d.Clear(D3DCLEAR_TARGET, 0xFF000000, 1, 0);
  float t = 0;
  runtime.Advance(t);
  size_t particles = 0;
  for (auto _ : state) {
    runtime.Advance(t += 1.0f / 60);
    runtime.Render(screen.slide, 0);
    d.Finish();
    particles += runtime.Engine().Count();
  }
  if (runtime.QuadCount() == 0) state.SkipWithError("nothing was drawn");
  state.counters["particles"] = double(particles) / double(std::max<size_t>(1, state.iterations()));
}

// The ceiling of a layer's frame: its particles, stepped by the layer
// outside the timing so both runs draw the same populations, written as
// quads (centre, size and colour as the layer draws them) and drawn by
// plain OpenGL.
void RawFrames(benchmark::State& state, ParticleSystemRuntime& runtime, const Image& texture) {
  const ParticleEngine& engine = runtime.Engine();
  const ParticleAppearance& a = runtime.System().appearance;
  const float size = float(a.baseSize.Value());
  // Room for the largest population (a fifth above the warmed-up one).
  const uint32_t room = uint32_t(engine.Count() * 6 / 5) + 64;
  RawQuads quads(room, texture);
  float t = 0;
  runtime.Advance(t);
  size_t particles = 0;
  for (auto _ : state) {
    state.PauseTiming();
    runtime.Advance(t += 1.0f / 60);
    const uint32_t n = std::min(uint32_t(engine.Count()), room);
    particles += n;
    state.ResumeTiming();
    RawQuads::Vertex* v = quads.Vertices();
    for (uint32_t q = 0; q < n; ++q, v += 4) {
      const Particle& p = engine.At(q);
      const float h = size / 2 * engine.SizeFactor(p);
      const uint32_t c = engine.QuadColour(p, 255);
      const D3DXVECTOR3 m = p.Centre();
      v[0] = {m.x - h, m.y + h, 0, c, 0, 1};
      v[1] = {m.x - h, m.y - h, 0, c, 0, 0};
      v[2] = {m.x + h, m.y + h, 0, c, 1, 1};
      v[3] = {m.x + h, m.y - h, 0, c, 1, 0};
    }
    quads.Draw(n);
    glFinish();
  }
  state.counters["particles"] = double(particles) / double(std::max<size_t>(1, state.iterations()));
}

void BM_RainOnGlassFrame(benchmark::State& state) {
  Screen screen;
  auto rain = Rain();
  LayerFrames(state, *rain, screen);
  state.SetLabel("rain on glass at 1920 x 1080, default population");
}
BENCHMARK(BM_RainOnGlassFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(600);

void BM_RainRawQuads(benchmark::State& state) {
  Screen screen;
  auto rain = Rain();
  RawFrames(state, *rain, SoftSpot(64));
  state.SetLabel("the same drops in plain OpenGL");
}
BENCHMARK(BM_RainRawQuads)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(600);

void BM_FireFrame(benchmark::State& state) {
  Screen screen;
  auto fire = Fire();
  LayerFrames(state, *fire, screen);
  state.SetLabel("fire, 20k flames");
}
BENCHMARK(BM_FireFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(12);

void BM_FireRawQuads(benchmark::State& state) {
  Screen screen;
  auto fire = Fire();
  RawFrames(state, *fire, SoftSpot(64));
  state.SetLabel("the same flames in plain OpenGL");
}
BENCHMARK(BM_FireRawQuads)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(12);

}  // namespace

int main(int argc, char** argv) {
  return glimmer::bench::RunAgainstCeilings(argc, argv,
                                            {{"BM_LayerQuads", "BM_RawGlQuads"},
                                             {"BM_RainOnGlassFrame", "BM_RainRawQuads"},
                                             {"BM_FireFrame", "BM_FireRawQuads"}});
}
