#pragma once
// QVX_SlidingLine: a piece of line of a fixed length that slides along its
// path once per cycle of the layer's time line, forwards or in alternate
// directions.

#include <cstdint>

#include "particles/line_base.h"
#include "scene/layer_kind.h"

namespace glimmer {

class QVX_SlidingLine : public QVX_StaticLineCtrl {
  GLIMMER_LAYER_KIND(QVX_SlidingLine)

 public:
  // The piece's length, then the direction mode.
  void Serialize(Archive& ar, int32_t version) override;

  MediaParamT<uint32_t> length{100};   // pixels
  MediaParamT<int32_t> directionMode;  // 1: the direction turns after every pass
};

class SlidingLineSystem : public StaticLineSystem {
 public:
  explicit SlidingLineSystem(const QVX_SlidingLine& constructor);
  QVX_SlidingLine& settings() { return static_cast<QVX_SlidingLine&>(Constructor()); }
  const QVX_SlidingLine& settings() const {
    return static_cast<const QVX_SlidingLine&>(Constructor());
  }

  void Advance(float t) override;
  void Restart() override;

 protected:
  float WidthAt(float x) const override;
  float OpacityAt(float x) const override;

 private:
  // Where x back from the tip lies on the piece: 0 at its tail, 1 at its tip.
  float Along(float x) const;

  bool armed_ = false;
};

}  // namespace glimmer
