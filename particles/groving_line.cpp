#include "particles/groving_line.h"

#include "params/param_serialization.h"
#include "params/time_lines.h"
#include "store/archive.h"

namespace glimmer {

void QVX_GrovingLine::Serialize(Archive& ar, int32_t version) {
  Field(ar, "tailWidthEnvelope", tailWidthEnvelope);
  Field(ar, "tailOpacityEnvelope", tailOpacityEnvelope);
  if (version >= 2) Field(ar, "retract", retract);
  SerializeBase<QVX_StaticLineCtrl>(ar, *this);
}

GrovingLineSystem::GrovingLineSystem(const QVX_GrovingLine& constructor)
    : StaticLineSystem(std::make_unique<QVX_GrovingLine>(constructor)) {}

void GrovingLineSystem::Restart() {
  StaticLineSystem::Restart();
  visible_ = 0;
  previous_ = TimeLineState::Hidden;
}

void GrovingLineSystem::Advance(float t) {
  AdvanceClocks(t);
  QVX_Timing* line = GetTiming().Line();
  const float k = line ? line->CycleLength() : 0.0f;
  const TimeLineState state = line ? line->State() : TimeLineState::Shown;
  // A new head whenever the line appears (and, without a cycle, on every
  // frame it is shown: its life is then 0).
  const bool shown = state != TimeLineState::Hidden;
  if (shown && (k == 0 || previous_ == TimeLineState::Hidden)) ResetHead(k);
  previous_ = state;
  const float L = PathLength();
  visible_ = Visibility() * L;
  headHidden_ = !shown;
  if (settings().retract.Value() != 0 && state == TimeLineState::FadingOut) {
    BuildLine(L - visible_, L);
  } else {
    BuildLine(0, visible_);
  }
}

float GrovingLineSystem::WidthAt(float x) const {
  const QVX_GrovingLine& s = settings();
  const float L = PathLength();
  if (!(L > 0)) return s.width.Scaled();
  return s.width.Scaled() * s.widthEnvelope.Level(x / L) *
         s.tailWidthEnvelope.Level((visible_ - x) / L);
}

float GrovingLineSystem::OpacityAt(float x) const {
  const QVX_GrovingLine& s = settings();
  const float alpha = float(s.lineLook.colours.transparency.Scaled());
  const float L = PathLength();
  if (!(L > 0)) return alpha;
  return alpha * s.opacityEnvelope.Level(x / L) * s.tailOpacityEnvelope.Level((visible_ - x) / L);
}

GLIMMER_REGISTER_LAYER_KIND(QVX_GrovingLine, GrovingLineSystem)

}  // namespace glimmer
