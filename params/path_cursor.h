#pragma once
// A position along the samples of a SplinePath, moved by distance. Positions
// between samples are linear; zero-length segments (repeated points) are
// crossed without dividing by zero.

#include <cstdint>
#include <vector>

#include "common/d3dx_vector.h"
#include "params/paths.h"

namespace glimmer {

class PathCursor {
 public:
  PathCursor() = default;
  explicit PathCursor(const std::vector<PathSample>* samples) : Samples(samples) {}

  // Moves on by `distance`. False (with the end position) when it runs off
  // the end or there are fewer than two samples (then nothing is output).
  bool MoveBy(float distance, D3DXVECTOR3& position, D3DXVECTOR3& direction);
  // As MoveBy, on the path offset sideways by `lateral` along each sample's
  // normal; the direction is the offset chord.
  bool MoveByOffset(float distance, float lateral, D3DXVECTOR3& position, D3DXVECTOR3& direction);
  // Moves to `distance` from the start, offset sideways.
  bool SeekOffset(float distance, float lateral, D3DXVECTOR3& position, D3DXVECTOR3& direction);
  // Walks `remaining` on along the chords: true when a sample was crossed
  // (its position is output and `remaining` reduced), false when the walk
  // ends inside a segment or at the last sample (`remaining` becomes 0).
  bool StepChord(float& remaining, D3DXVECTOR3& position, D3DXVECTOR3& direction);
  // 1 + the number of sample boundaries moving by `distance` would cross.
  int32_t CountAhead(float distance) const;
  // The sample at `index` (clamped), offset sideways, and its tangent.
  void SampleIndex(int32_t index, float lateral, D3DXVECTOR3& position,
                   D3DXVECTOR3& direction) const;

  const std::vector<PathSample>* Samples = nullptr;
  int32_t Index = 0;
  float Offset = 0.0f;

 private:
  int32_t Count() const { return Samples ? static_cast<int32_t>(Samples->size()) : 0; }
  const PathSample& At(int32_t i) const { return (*Samples)[static_cast<size_t>(i)]; }
  // Advances Index/Offset by `distance`; false when clamped at the end.
  bool Advance(float distance);
  // The fraction of the current segment covered by Offset (0 on a zero-length one).
  float Fraction() const;
};

}  // namespace glimmer
