#include "params/time_lines.h"

#include <cmath>

#include "params/param_serialization.h"
#include "params/smart_timing.h"
#include "store/archive.h"
#include "store/class_registry.h"

namespace glimmer {

GLIMMER_REGISTER_CLASS(TimingRegistry, QVX_ContinuesTimeLine)
GLIMMER_REGISTER_CLASS(TimingRegistry, QVX_RandomTimeLine)
GLIMMER_REGISTER_CLASS(TimingRegistry, QVX_ManualTimeLine)
GLIMMER_REGISTER_CLASS(TimingRegistry, QVX_DependedTimeLine)

namespace {

// Sets a fade and notifies once more unconditionally, as stored lines do.
void SerializeFade(Archive& ar, std::string_view name, TimeParam& fade) {
  Field(ar, name, fade);
  if (ar.IsReading()) fade.NotifyControls(nullptr);
}

}  // namespace

void Field(Archive& ar, std::string_view name, TimeWindowSet& windows) {
  std::vector<TimeWindow> list(windows.begin(), windows.end());
  Field(ar, name, list, 16, [&](TimeWindow& w) {
    ar.BeginStruct("");
    Field(ar, "Start", w.Start);
    Field(ar, "End", w.End);
    Field(ar, "FadeInEnd", w.FadeInEnd);
    Field(ar, "FadeOutStart", w.FadeOutStart);
    ar.EndStruct();
  });
  if (ar.IsReading()) windows = TimeWindowSet(list.begin(), list.end());
}

// ---------------------------------------------------------------- base

void QVX_Timing::Serialize(Archive&, int32_t) {}

float QVX_Timing::Advance(float t) {
  Clock.Advance(t);
  return t;
}

void QVX_Timing::Reset() {
  Clock.LastTime = 0.0f;
  Clock.LocalTime = 0.0f;
}

void QVX_ContinuesTimeLine::Serialize(Archive& ar, int32_t) {
  SerializeBase<QVX_Timing>(ar, *this);
}

// ---------------------------------------------------------------- random

void QVX_RandomTimeLine::Serialize(Archive& ar, int32_t) {
  Field(ar, "HiddenRange", HiddenRange);
  Field(ar, "VisibleRange", VisibleRange);
  SerializeFade(ar, "FadeIn", FadeIn);
  SerializeFade(ar, "FadeOut", FadeOut);
  SerializeBase<QVX_Timing>(ar, *this);
}

float QVX_RandomTimeLine::Advance(float t) {
  QVX_Timing::Advance(t);
  const float T = Clock.LocalTime;
  if (T > SwitchTime) {
    switch (CurrentState) {
      case TimeLineState::Shown:
        CurrentState = TimeLineState::FadingOut;
        CurrentVisibility = 1.0f;
        SwitchTime = T + FadeOut.Seconds();
        if (SwitchTime - T != 0.0f) FadeRate = 1.0f / (SwitchTime - T);
        break;
      case TimeLineState::FadingIn:
        CurrentState = TimeLineState::Shown;
        CurrentVisibility = 1.0f;
        FadeRate = 0.0f;
        SwitchTime = T + VisibleDuration;
        break;
      case TimeLineState::FadingOut: {
        CurrentState = TimeLineState::Hidden;
        CurrentVisibility = 0.0f;
        FadeRate = 0.0f;
        const float hidden = HiddenRange.RandomValue();
        SwitchTime = T + hidden;
        VisibleDuration = VisibleRange.RandomValue();
        if (SwitchTime != T) break;
        [[fallthrough]];  // no hidden time: start fading in at once
      }
      case TimeLineState::Hidden:
        CurrentState = TimeLineState::FadingIn;
        CurrentVisibility = 0.0f;
        SwitchTime = T + FadeIn.Seconds();
        if (SwitchTime - T != 0.0f) FadeRate = 1.0f / (SwitchTime - T);
        break;
    }
  } else if (CurrentState == TimeLineState::FadingIn) {
    CurrentVisibility = 1.0f - (SwitchTime - T) * FadeRate;
  } else if (CurrentState == TimeLineState::FadingOut) {
    CurrentVisibility = (SwitchTime - T) * FadeRate;
  }
  return T;
}

void QVX_RandomTimeLine::Reset() {
  QVX_Timing::Reset();
  SwitchTime = 0.0f;
  FadeRate = 0.0f;
  CurrentState = TimeLineState::Hidden;
  VisibleDuration = VisibleRange.RandomValue();
}

float QVX_RandomTimeLine::PhaseProgress() const {
  if (CurrentState != TimeLineState::Shown) return 0.0f;
  if (VisibleDuration == 0.0f) return 1.0f;
  return 1.0f - (SwitchTime - Clock.LocalTime) / VisibleDuration;
}

float QVX_RandomTimeLine::CycleLength() const {
  return FadeOut.Seconds() + FadeIn.Seconds() + VisibleDuration;
}

void QVX_RandomTimeLine::CopySettings(const QVX_SmartTiming& timing) {
  auto hundredths = [](float seconds) {
    return static_cast<uint32_t>(detail::TruncateToInt32(seconds * 100.0f));
  };
  FadeIn.SetValue(hundredths(timing.DefaultFadeIn));
  FadeOut.SetValue(hundredths(timing.DefaultFadeOut));
  VisibleRange.Min.SetValue(hundredths(timing.DefaultVisible));
  VisibleRange.Max.SetValue(hundredths(timing.DefaultVisible));
}

// ---------------------------------------------------------------- manual

QVX_ManualTimeLine::QVX_ManualTimeLine() {
  CurrentState = TimeLineState::Hidden;
  CurrentVisibility = 0.0f;
}

void QVX_ManualTimeLine::Serialize(Archive& ar, int32_t) {
  Field(ar, "Duration", Duration);
  Field(ar, "Windows", Windows);
  SerializeBase<QVX_Timing>(ar, *this);
}

float QVX_ManualTimeLine::Advance(float t) {
  QVX_Timing::Advance(t);
  const double period = Duration.Seconds();
  // A zero period has no position to loop through: the line stays at 0.
  Position = period > 0.0
                 ? static_cast<float>(std::fmod(double{Position} + double{Clock.StepTime}, period))
                 : 0.0f;
  auto it = Windows.lower_bound(TimeWindow{0, Position, 0, 0});
  float lookAhead = Position;
  lookAhead += 1.0f;
  lookAhead += 1.0f;
  lookAhead += 1.0f;
  if (it == Windows.end() || it->Start > lookAhead) {
    CurrentState = TimeLineState::Hidden;
    CurrentVisibility = 0.0f;
    WindowLength = 0.0f;
    return Position;
  }
  const TimeWindow& w = *it;
  const float p = Position;
  if (p < w.Start || p > w.End) {
    CurrentState = TimeLineState::Hidden;
    CurrentVisibility = 0.0f;
  } else if (p < w.FadeInEnd) {
    CurrentState = TimeLineState::FadingIn;
    CurrentVisibility = (p - w.Start) / (w.FadeInEnd - w.Start);
  } else if (p < w.FadeOutStart) {
    CurrentState = TimeLineState::Shown;
    CurrentVisibility = 1.0f;
  } else {
    CurrentState = TimeLineState::FadingOut;
    // A window without a fade-out closes at once at its end.
    CurrentVisibility =
        w.End > w.FadeOutStart ? 1.0f - (p - w.FadeOutStart) / (w.End - w.FadeOutStart) : 0.0f;
  }
  WindowLength = w.End - w.Start;
  return Position;
}

void QVX_ManualTimeLine::Reset() {
  QVX_Timing::Reset();
  CurrentState = TimeLineState::Hidden;
  CurrentVisibility = 0.0f;
  WindowLength = 0.0f;
  Position = 0.0f;
}

// ---------------------------------------------------------------- depended

QVX_DependedTimeLine::QVX_DependedTimeLine() = default;

void QVX_DependedTimeLine::Serialize(Archive& ar, int32_t version) {
  Field(ar, "MasterId", MasterId);
  if (version >= 2) {
    Field(ar, "Mode", Mode);
    Field(ar, "DelayRange", DelayRange);
    Field(ar, "VisibleRange", VisibleRange);
    Field(ar, "FadeIn", FadeIn);
    Field(ar, "FadeOut", FadeOut);
  } else if (ar.IsReading()) {
    Mode.SetValue(0);
  }
  SerializeBase<QVX_Timing>(ar, *this);
}

void QVX_DependedTimeLine::Resolve(const TimingDirectory* directory) {
  directory_ = directory;
  master_.reset();
  if (directory) master_ = directory->FindTiming(MasterId.Value());
  Triggered = false;
  LastMasterState = TimeLineState::Hidden;
}

const QVX_Timing* QVX_DependedTimeLine::MasterLine() const {
  const auto master = master_.lock();
  return master ? master->Line() : nullptr;
}

float QVX_DependedTimeLine::Advance(float t) {
  if (Mode.Value() != 1) return t;
  LastTime = t;
  const QVX_Timing* master = MasterLine();
  if (!master) return t;
  const TimeLineState masterState = master->State();
  if (!Triggered) {
    if (masterState != TimeLineState::Hidden && LastMasterState == TimeLineState::Hidden) {
      Triggered = true;
      WindowStart = t + DelayRange.RandomValue();
      WindowFadeInEnd = WindowStart + FadeIn.Seconds();
      WindowFadeOutStart = WindowFadeInEnd + VisibleRange.RandomValue();
      WindowEnd = WindowFadeOutStart + FadeOut.Seconds();
    }
  } else if (t > WindowEnd) {
    Triggered = false;
  }
  LastMasterState = masterState;
  return t;
}

float QVX_DependedTimeLine::Visibility() const {
  const QVX_Timing* master = MasterLine();
  if (!master) return 0.0f;
  if (Mode.Value() != 1) return master->Visibility();
  const float t = LastTime;
  if (t > WindowEnd) return 0.0f;
  if (t > WindowFadeOutStart)
    return 1.0f - (t - WindowFadeOutStart) / (WindowEnd - WindowFadeOutStart);
  if (t > WindowFadeInEnd) return 1.0f;
  if (t > WindowStart) return (t - WindowStart) / (WindowFadeInEnd - WindowStart);
  return 0.0f;
}

TimeLineState QVX_DependedTimeLine::State() const {
  const QVX_Timing* master = MasterLine();
  if (!master) return TimeLineState::Hidden;
  if (Mode.Value() != 1) return master->State();
  const float t = LastTime;
  if (t > WindowEnd) return TimeLineState::Hidden;
  if (t > WindowFadeOutStart) return TimeLineState::FadingOut;
  if (t > WindowFadeInEnd) return TimeLineState::Shown;
  if (t > WindowStart) return TimeLineState::FadingIn;
  return TimeLineState::Hidden;
}

}  // namespace glimmer
