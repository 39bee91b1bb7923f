#include "sprites/bound_control.h"

#include <algorithm>
#include <cmath>

#include "params/param_serialization.h"
#include "params/random_source.h"

namespace glimmer {

void ZT_BoundControl::Serialize(Archive& ar, int32_t) {
  Field(ar, "mode", mode);
  Field(ar, "fadeOut", fadeOutMs);
  Field(ar, "fadeIn", fadeInMs);
  Field(ar, "pauseMin", pauseMinMs);
  Field(ar, "pauseMax", pauseMaxMs);
}

bool ZT_BoundControl::Gone(const SpriteRecord& r, const ZT_ParticleSystemCtrl& o) const {
  const float hw = std::fabs(r.halfWidth), hh = std::fabs(r.halfHeight);
  switch (edge) {
    case Edge::Top:
      return o.Top() > r.position.y + hh;
    case Edge::Bottom:
      return r.position.y - hh > o.Bottom();
    case Edge::Left:
      return o.Left() > r.position.x + hw;
    case Edge::Right:
      return r.position.x - hw > o.Right();
  }
  return false;
}

bool ZT_BoundControl::Touching(const SpriteRecord& r, const ZT_ParticleSystemCtrl& o) const {
  switch (edge) {
    case Edge::Top:
      return o.Top() > r.position.y - r.halfHeight;
    case Edge::Bottom:
      return r.position.y + r.halfHeight > o.Bottom();
    case Edge::Left:
      return o.Left() > r.position.x - r.halfWidth;
    case Edge::Right:
      return r.position.x + r.halfWidth > o.Right();
  }
  return false;
}

void ZT_BoundControl::FlipDirection(SpriteRecord& r) const {
  if (edge == Edge::Top || edge == Edge::Bottom) {
    r.direction.y = -r.direction.y;
  } else {
    r.direction.x = -r.direction.x;
  }
}

void ZT_BoundControl::Clamp(SpriteRecord& r, const ZT_ParticleSystemCtrl& o, float outside) const {
  const bool vertical = edge == Edge::Top || edge == Edge::Bottom;
  float& p = vertical ? r.position.y : r.position.x;
  const float half = std::fabs(vertical ? r.halfHeight : r.halfWidth);
  const float nearBound = vertical ? o.Top() : o.Left();
  const float farBound = vertical ? o.Bottom() : o.Right();
  const float hi = farBound - half + outside * 2 * half;
  const float lo = nearBound + half - outside * 2 * half;
  if (p > hi) {
    p = hi - 1;
  } else if (p < lo) {
    p = lo + 1;
  }
}

void ZT_BoundControl::StartPause(SpriteRecord& r, const ZT_ParticleSystemCtrl& o) const {
  r.pauseEnd = RandomUniform(float(pauseMinMs), float(pauseMaxMs)) * 0.001f + o.motionTime;
  r.pauseClock = o.motionTime;
  r.frozen = true;
}

bool ZT_BoundControl::ApplyEdge(SpriteRecord& r, const ZT_ParticleSystemCtrl& o) const {
  const int32_t m = mode.Value();
  if (r.edgeState == -1) {
    if (m == 0) {
      if (!Gone(r, o)) return false;
      if (r.alphaFactor <= 0) {
        // Across to just beyond the opposite edge, somewhere along it.
        const float hw = r.halfWidth, hh = r.halfHeight;
        switch (edge) {
          case Edge::Top:
            r.position.y = o.Bottom() + hh - 1;
            break;
          case Edge::Bottom:
            r.position.y = o.Top() - hh + 1;
            break;
          case Edge::Left:
            r.position.x = o.Right() + hw - 1;
            break;
          case Edge::Right:
            r.position.x = o.Left() - hw + 1;
            break;
        }
        if (edge == Edge::Top || edge == Edge::Bottom) {
          r.position.x = RandomUniform(o.Left(), o.Right());
        } else {
          r.position.y = RandomUniform(o.Top(), o.Bottom());
        }
        r.fadingIn = true;
      }
      Engage(r);
      return true;
    }
    if (m == 1) {
      if (!Touching(r, o)) return false;
      FlipDirection(r);
      Engage(r);
      return true;
    }
    if (m == 2) {
      if (!Gone(r, o)) return false;
      FlipDirection(r);
      StartPause(r, o);
      Engage(r);
      return true;
    }
    return false;
  }
  if (r.edgeState != int32_t(edge)) return false;
  switch (m) {
    case 1:
      Clamp(r, o, 0);
      if (!Touching(r, o)) r.edgeState = -1;
      return true;
    case 2:
      Clamp(r, o, 1);
      r.pauseClock += o.frameStep;
      if (r.pauseClock <= r.pauseEnd) return true;
      r.frozen = false;
      if (!Gone(r, o)) r.edgeState = -1;
      return true;
    case 0:
      if (r.fadingIn) {
        r.pauseClock += o.frameStep;
        if (r.pauseClock <= r.pauseEnd) return true;
        r.frozen = false;
        const bool wasOpaque = r.alphaFactor >= 1;
        if (r.alphaFactor < 1) {
          r.alphaFactor =
              fadeInMs == 0
                  ? 1.0f
                  : std::min(1.0f, r.alphaFactor + o.frameStep * 1000.0f / float(fadeInMs));
        }
        if (wasOpaque) {
          r.edgeState = -1;
          r.fadingIn = false;
        }
        return true;
      }
      if (r.alphaFactor > 0) {
        r.alphaFactor =
            fadeOutMs == 0
                ? 0.0f
                : std::max(0.0f, r.alphaFactor - o.frameStep * 1000.0f / float(fadeOutMs));
      }
      if (r.alphaFactor <= 0) {
        r.edgeState = -1;
        StartPause(r, o);
      }
      return true;
    default:
      return true;
  }
}

}  // namespace glimmer
