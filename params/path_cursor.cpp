#include "params/path_cursor.h"

namespace glimmer {
namespace {

D3DXVECTOR3 Sideways(const PathSample& s, float lateral) {
  return {s.Position.x + s.Tangent.y * lateral, s.Position.y - s.Tangent.x * lateral, 0.0f};
}

}  // namespace

bool PathCursor::Advance(float distance) {
  const int32_t n = Count();
  if (Index < 0) Index = 0;
  Offset += distance;
  while (Index < n - 1 && Offset > At(Index).SegmentLength) {
    Offset -= At(Index).SegmentLength;
    ++Index;
  }
  if (Index >= n - 1) {
    Index = n - 2;
    Offset = At(Index).SegmentLength;
    return false;
  }
  return true;
}

float PathCursor::Fraction() const {
  const float len = At(Index).SegmentLength;
  return len > 0.0f ? Offset / len : 0.0f;
}

bool PathCursor::MoveBy(float distance, D3DXVECTOR3& position, D3DXVECTOR3& direction) {
  if (Count() < 2) return false;
  if (!Advance(distance)) {
    position = At(Count() - 1).Position;
    direction = At(Count() - 1).Tangent;
    return false;
  }
  const float u = Fraction();
  position = Lerp(At(Index).Position, At(Index + 1).Position, u);
  direction = Lerp(At(Index).Tangent, At(Index + 1).Tangent, u);
  return true;
}

bool PathCursor::MoveByOffset(float distance, float lateral, D3DXVECTOR3& position,
                              D3DXVECTOR3& direction) {
  if (Count() < 2) return false;
  const bool inside = Advance(distance);
  const D3DXVECTOR3 a = Sideways(At(Index), lateral);
  const D3DXVECTOR3 b = Sideways(At(Index + 1), lateral);
  direction = b - a;
  position = inside ? Lerp(a, b, Fraction()) : b;
  return inside;
}

bool PathCursor::SeekOffset(float distance, float lateral, D3DXVECTOR3& position,
                            D3DXVECTOR3& direction) {
  const int32_t n = Count();
  if (n < 2 || distance < 0.0f) return false;
  if (distance > At(n - 2).CumulativeLength) {
    Index = n - 2;
    Offset = At(Index).SegmentLength;
    position = Sideways(At(n - 1), lateral);
    direction = Sideways(At(n - 1), lateral) - Sideways(At(n - 2), lateral);
    return false;
  }
  // The last segment whose start lies at or before `distance`.
  int32_t lo = 0, hi = n - 2;
  while (lo < hi) {
    const int32_t mid = (lo + hi + 1) / 2;
    const PathSample& s = At(mid);
    if (s.CumulativeLength - s.SegmentLength <= distance) {
      lo = mid;
    } else {
      hi = mid - 1;
    }
  }
  Index = lo;
  Offset = 0.0f;
  const PathSample& s = At(lo);
  return MoveByOffset(distance - (s.CumulativeLength - s.SegmentLength), lateral, position,
                      direction);
}

bool PathCursor::StepChord(float& remaining, D3DXVECTOR3& position, D3DXVECTOR3& direction) {
  const int32_t n = Count();
  if (n < 2) {
    remaining = 0.0f;
    return false;
  }
  if (Index >= n - 1) {
    position = At(n - 1).Position;
    direction = At(n - 1).Tangent;
    remaining = 0.0f;
    return false;
  }
  const float a = Offset + remaining;
  Offset = 0.0f;
  const PathSample& cur = At(Index);
  const PathSample& next = At(Index + 1);
  if (a > cur.SegmentLength) {
    position = next.Position;
    direction = next.Tangent;
    remaining = a - cur.SegmentLength;
    ++Index;
    return true;
  }
  const D3DXVECTOR3 chord = Normalize(next.Position - cur.Position);
  position = cur.Position + chord * a;
  direction = chord;
  remaining = 0.0f;
  return false;
}

int32_t PathCursor::CountAhead(float distance) const {
  const int32_t n = Count();
  if (n < 2 || distance == 0.0f) return 0;
  int32_t i = Index < 0 ? 0 : Index;
  float offset = Offset + distance;
  int32_t crossed = 0;
  while (i < n - 1 && offset > At(i).SegmentLength) {
    offset -= At(i).SegmentLength;
    ++i;
    ++crossed;
  }
  return 1 + crossed;
}

void PathCursor::SampleIndex(int32_t index, float lateral, D3DXVECTOR3& position,
                             D3DXVECTOR3& direction) const {
  const int32_t n = Count();
  if (n == 0) return;
  if (index < 0) index = 0;
  if (index > n - 1) index = n - 1;
  position = Sideways(At(index), lateral);
  direction = At(index).Tangent;
}

}  // namespace glimmer
