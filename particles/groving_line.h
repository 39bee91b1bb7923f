#pragma once
// QVX_GrovingLine: a line that grows along its path with the layer's
// visibility, and may withdraw from its start while the layer fades out.

#include <cstdint>

#include "particles/line_base.h"
#include "scene/layer_kind.h"

namespace glimmer {

class QVX_GrovingLine : public QVX_StaticLineCtrl {
  GLIMMER_LAYER_KIND(QVX_GrovingLine)

 public:
  // The tail's width and opacity envelopes; from version 2 retract.
  void Serialize(Archive& ar, int32_t version) override;

  LifeEnvelope tailWidthEnvelope, tailOpacityEnvelope;
  MediaParamT<int32_t> retract;  // non-zero: fading out takes the line away from its start
};

class GrovingLineSystem : public StaticLineSystem {
 public:
  explicit GrovingLineSystem(const QVX_GrovingLine& constructor);
  QVX_GrovingLine& settings() { return static_cast<QVX_GrovingLine&>(Constructor()); }
  const QVX_GrovingLine& settings() const {
    return static_cast<const QVX_GrovingLine&>(Constructor());
  }

  void Advance(float t) override;
  void Restart() override;
  // The visible length.
  float Visible() const { return visible_; }

 protected:
  float WidthAt(float x) const override;
  float OpacityAt(float x) const override;

 private:
  float visible_ = 0;
  TimeLineState previous_ = TimeLineState::Hidden;
};

}  // namespace glimmer
