#pragma once
// Emission counters (how many particles are due in a step) and emission
// geometries (where they are born), which the particle-system kinds combine,
// with their stored forms. Every draw comes from the shared random source,
// in the order stated here.

#include <cstdint>
#include <span>
#include <vector>

#include "common/d3dx_vector.h"
#include "params/geometry_params.h"
#include "params/media_param.h"
#include "params/scaled_slider.h"

namespace glimmer {

class Archive;

// At most this many births in one step of one counter, whatever a document
// says of its rates and intervals.
inline constexpr int32_t kMaxBirthsPerStep = 100'000;

// (r cos α, −r sin α, 0) for α uniform in [a0, a1] degrees (one draw).
D3DXVECTOR3 RandomArcPoint(float r, float a0Degrees, float a1Degrees);
// RandomArcPoint(r, a0, a1) turned about the y axis by β uniform in
// ±(a1 − a0) / 2 degrees (two draws).
D3DXVECTOR3 RandomConePoint(float r, float a0Degrees, float a1Degrees);

// Births at an even rate (u × 0.2 per second); the fraction of a birth
// carries over to the next step, so the long-run rate is exact.
class QVX_EvenImitter {
 public:
  int32_t Count(float dt);
  void Restart() { elapsed = 0; }

  UINTSclaleTo<float> rate{100, 0.2f, 0.0f};
  float elapsed = 0;
};

// Births at random intervals between `minimum` and `maximum` seconds; several
// can fall due in one step. Negative intervals count as 0; both 0 gives one
// birth a step.
class QVX_RndImitter {
 public:
  int32_t Count(float dt);
  void Restart() { elapsed = next = 0; }

  MediaParamT<float> minimum{0.5f}, maximum{1.5f};
  float elapsed = 0, next = 0;
};

// Every particle at one point.
class QVX_PointImitter {
 public:
  void Positions(std::span<D3DXVECTOR3> out) const;
  D3DXVECTOR3 position;
};

// Uniformly within a circle of `diameter` about the point (radius first,
// then angle: two draws).
class QVX_CircleImitter : public QVX_PointImitter {
 public:
  void Positions(std::span<D3DXVECTOR3> out) const;
  float diameter = 0;
};

// Within a sector of `radius` about the point, centred on `angle` degrees,
// `width` degrees wide.
class QVX_SectorImitter : public QVX_PointImitter {
 public:
  void Positions(std::span<D3DXVECTOR3> out) const;
  MediaDirection angle;
  MediaParamT<uint32_t> width, radius;
};

// Within the rectangle spanned by corners 0 and 3 of a quad: y first, then x.
class QVX_RectImitter {
 public:
  void Positions(std::span<D3DXVECTOR3> out) const;
  MediaQuad quad;
};

// Positions from a table, each held by one particle until it dies; a birth
// takes a uniformly random free entry (one draw).
class QVX_PosArrImitter {
 public:
  // Takes a free entry; false when every entry is held.
  bool Take(uint32_t& index, D3DXVECTOR3& position);
  void Release(uint32_t index);
  // Frees every entry (a restart).
  void ReleaseAll();
  size_t Size() const { return table_.size(); }
  size_t FreeCount() const { return free_.size(); }
  const std::vector<D3DXVECTOR3>& Table() const { return table_; }
  void SetTable(std::vector<D3DXVECTOR3> table);

 private:
  std::vector<D3DXVECTOR3> table_;
  std::vector<uint32_t> free_;
  std::vector<uint8_t> held_;
};

}  // namespace glimmer
