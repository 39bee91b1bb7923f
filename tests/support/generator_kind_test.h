#pragma once
// Generator kinds run headless: a kind's runtime on the shared device with a
// 320 × 180 slide installed, advanced frame by frame; and the stored forms of
// the generator bases for documents made with the test writer.

#include <memory>
#include <vector>

#include "generators/particle_generator.h"
#include "params/time_lines.h"
#include "store/stream_writer.h"
#include "tests/support/scene_test.h"

namespace glimmer::testing {

class GeneratorKindTest : public LayerKindTest<ZT_ParticlesObj> {
 protected:
  template <class Ctor>
  static Ctor& Settings(ZT_ParticlesObj& runtime) {
    return static_cast<Ctor&>(runtime.Generator());
  }
  // The centre and the extent of quad `i` of a buffer.
  struct QuadShape {
    float cx, cy, width, height;
    D3DCOLOR colour;
  };
  static QuadShape Shape(const ZT_ParticlesObj& runtime, size_t buffer, uint32_t i) {
    const ZT_ParticlesObj::Bounds& b = runtime.QuadBounds(buffer, i);
    return {(b.left + b.right) / 2, (b.top + b.bottom) / 2, b.right - b.left, b.bottom - b.top,
            runtime.QuadVertices(buffer, i)[0].color};
  }
};

// A dab of the stored list: position and up to five parameter pairs.
struct StoredDab {
  float x, y;
  std::vector<float> values;
  std::vector<float> seconds;
};

// The dab list at the air brush's `version`.
inline void WriteDabs(ZT_IOF_W& w, int32_t version, const std::vector<StoredDab>& dabs) {
  w.WriteUInt32(uint32_t(dabs.size()));
  for (const StoredDab& d : dabs) {
    w.WriteFloat(d.x);
    w.WriteFloat(d.y);
    w.WriteFloat(0);
    if (version == 1) {
      for (size_t i = 0; i < 5; ++i) w.WriteFloat(i < d.values.size() ? d.values[i] : 1.0f);
      continue;
    }
    w.WriteUInt32(uint32_t(d.values.size()));
    for (size_t i = 0; i < d.values.size(); ++i) {
      w.WriteFloat(d.values[i]);
      if (version >= 3) w.WriteFloat(i < d.seconds.size() ? d.seconds[i] : 1.0f);
    }
  }
}

// The textured generator's part at `version` (and the generator's at
// `generatorVersion`): one module picture, effect 97, colour 1 0x336699 at
// 20 %, colour 2 0xFFFFFF at 0 %, blend mode `blend`.
inline void WriteTexGeneratorBase(ZT_IOF_W& w, int32_t version, int32_t generatorVersion = 3,
                                  int32_t blend = 3) {
  w.WriteHeader(u"ZT_TexParticleGenerator", version);
  w.WriteInt32(1);
  w.WriteString(u"common_res.dll");
  w.WriteUInt64(62);
  w.WriteString(u"common_res.dll");
  w.WriteUInt64(97);
  w.WriteInt32(0x336699);
  w.WriteUInt32(20);
  w.WriteInt32(0xFFFFFF);
  w.WriteUInt32(0);
  w.WriteLong(blend);
  if (version >= 2) {
    w.WriteLong(1);  // flip vertical
    w.WriteLong(0);
  }
  if (version >= 3) w.WriteLong(1);  // alternative image path
  w.WriteHeader(u"ZT_ParticleGenerator", generatorVersion);
  if (generatorVersion >= 2) {
    w.WriteInt32(1);  // one emitter
    w.WriteFloat(5);
    w.WriteFloat(6);
    w.WriteFloat(0);
    w.WriteUInt32(1);
    w.WriteFloat(0.5f);
    if (generatorVersion >= 3) w.WriteFloat(2.0f);
  }
  if (generatorVersion >= 3) {
    w.WriteUInt32(8);   // lifetime
    w.WriteUInt32(12);  // rate
    w.WriteUInt32(0);
    w.WriteUInt32(40);  // start speed
    w.WriteLong(1);     // emitting
  }
  w.WriteHeader(u"ZT_ABObj_Constructor", 1);
  w.WriteString(u"generator");
}

// The placed rectangle's part (corners 10..110 × 20..80) over the textured
// generator base of version 3.
inline void WriteRectRegionBase(ZT_IOF_W& w) {
  w.WriteHeader(u"ZT_ParticleRctRgnGenerator", 1);
  const float corners[4][2] = {{10, 20}, {10, 80}, {110, 20}, {110, 80}};
  for (const auto& c : corners) {
    w.WriteFloat(c[0]);
    w.WriteFloat(c[1]);
    w.WriteFloat(0);
  }
  WriteTexGeneratorBase(w, 3);
}

}  // namespace glimmer::testing
