#pragma once
// Particle kinds run headless: a kind's runtime on the shared device with a
// 320 × 180 target installed, advanced frame by frame; and the older stored
// forms' common tail (the particle base of version 4) for documents made
// with the test writer.

#include <cmath>
#include <memory>

#include "params/time_lines.h"
#include "particles/particle_runtime.h"
#include "store/stream_writer.h"
#include "tests/support/scene_test.h"

namespace glimmer::testing {

class ParticleKindTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    context_.TargetWidth = 320;
    context_.TargetHeight = 180;
  }
  // The runtime of `kind`, restarted as a slide start does.
  template <class Ctor>
  std::shared_ptr<ParticleSystemRuntime> Start(const Ctor& kind) {
    auto runtime = std::dynamic_pointer_cast<ParticleSystemRuntime>(kind.CreateRuntime());
    runtime->Restart();
    return runtime;
  }
  // Frames at `fps` from time `from` up to `to`; returns `to`.
  static float Run(ParticleSystemRuntime& runtime, float from, float to, float fps = 50) {
    for (int k = 0;; ++k) {
      const float t = from + float(k) / fps;
      if (t > to + 1e-4f) break;
      runtime.Advance(t);
    }
    return to;
  }
  static QVX_Timing& Line(ParticleSystemRuntime& runtime) { return *runtime.GetTiming().Line(); }
  static void SetVisibility(ParticleSystemRuntime& runtime, TimeLineState state, float visibility) {
    Line(runtime).CurrentState = state;
    Line(runtime).CurrentVisibility = visibility;
  }
};

// The particle base in its version-4 form (no appearance block) with the
// layer base after it: what older documents of every kind end with.
inline void WriteOldParticleBase(ZT_IOF_W& w, uint32_t textureSpeedU = 100) {
  w.WriteHeader(u"QVX_ParticleSystemCtrl", 4);
  w.WriteInt32(0);  // no image links
  w.WriteInt32(0);  // no shape records
  w.WriteString(u"common_res.dll");
  w.WriteUInt64(185);
  w.WriteUInt32(textureSpeedU);
  w.WriteUInt32(8);  // baseSize
  w.WriteInt32(0xFFFFFF);
  w.WriteUInt32(0);
  for (int i = 0; i < 3; ++i) w.WriteLong(0);
  w.WriteUInt32(100);  // simulation speed u
  w.WriteHeader(u"ZT_ABObj_Constructor", 1);
  w.WriteString(u"old layer");
}

}  // namespace glimmer::testing
