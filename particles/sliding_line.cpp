#include "particles/sliding_line.h"

#include <algorithm>

#include "params/param_serialization.h"
#include "params/time_lines.h"
#include "store/archive.h"

namespace glimmer {

void QVX_SlidingLine::Serialize(Archive& ar, int32_t) {
  Field(ar, "length", length);
  Field(ar, "directionMode", directionMode);
  SerializeBase<QVX_StaticLineCtrl>(ar, *this);
}

SlidingLineSystem::SlidingLineSystem(const QVX_SlidingLine& constructor)
    : StaticLineSystem(std::make_unique<QVX_SlidingLine>(constructor)) {}

void SlidingLineSystem::Restart() {
  StaticLineSystem::Restart();
  armed_ = false;
}

void SlidingLineSystem::Advance(float t) {
  AdvanceClocks(t);
  const QVX_SlidingLine& s = settings();
  QVX_Timing* line = GetTiming().Line();
  const TimeLineState state = line ? line->State() : TimeLineState::Shown;
  const float L = PathLength(), piece = float(s.length.Value());
  // A pass starts when the line is shown again: the direction for it, and
  // a head that lives as long as its tip is on the path.
  if (armed_ && state == TimeLineState::Shown) {
    armed_ = false;
    const bool reversed = s.directionMode.Value() == 1 ? !Reversed() : false;
    if (reversed != Reversed()) SamplePath(reversed);
    const float k = line ? line->CycleLength() : 0.0f;
    ResetHead(L + piece > 0 ? k * L / (L + piece) : 0.0f);
  } else if (!armed_ && state != TimeLineState::Shown) {
    armed_ = true;
  }
  const float progress = line ? line->PhaseProgress() : 0.0f;
  const float tip = progress * (L + piece);
  // The head goes with the tip: hidden once the tip is past the path's end,
  // and whenever the line is.
  headHidden_ = tip > L || state == TimeLineState::Hidden;
  BuildLine(std::max(0.0f, tip - piece), tip);
}

float SlidingLineSystem::Along(float x) const {
  const float piece = float(settings().length.Value());
  return piece > 0 ? 1.0f - x / piece : 1.0f;
}

float SlidingLineSystem::WidthAt(float x) const {
  return settings().width.Scaled() * settings().widthEnvelope.Level(Along(x));
}

float SlidingLineSystem::OpacityAt(float x) const {
  const QVX_SlidingLine& s = settings();
  return float(s.lineLook.colours.transparency.Scaled()) * s.opacityEnvelope.Level(Along(x));
}

GLIMMER_REGISTER_LAYER_KIND(QVX_SlidingLine, SlidingLineSystem)

}  // namespace glimmer
