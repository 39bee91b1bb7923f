#pragma once
// Time lines: each answers, once per frame, how much local time has passed,
// whether its object is hidden, fading in, shown or fading out, and how
// visible it is (0..1). Registered in the QVX_Timing registry.

#include <memory>
#include <set>
#include <string_view>

#include "common/guid.h"
#include "params/animated_params.h"
#include "params/callback_controls.h"
#include "store/stored_item.h"

namespace glimmer {

enum class TimeLineState : int32_t { Shown = 0, Hidden = 1, FadingIn = 2, FadingOut = 3 };

class QVX_SmartTiming;

// Finds the timing of a live object by its identity (the objects of a show).
class TimingDirectory {
 public:
  virtual std::shared_ptr<QVX_SmartTiming> FindTiming(const Guid& id) const = 0;

 protected:
  ~TimingDirectory() = default;
};

class QVX_Timing : public ZT_IOF_Item {
  GLIMMER_STORED_CLASS(QVX_Timing, 1)

 public:
  void Serialize(Archive& ar, int32_t version) override;

  virtual void Resolve(const TimingDirectory* directory) { (void)directory; }
  // Steps the clock to outer time t; returns the time the line reports.
  virtual float Advance(float t);
  virtual void Reset();
  virtual float Visibility() const { return CurrentVisibility; }
  virtual float PhaseProgress() const { return 0.0f; }
  virtual float CycleLength() const { return 0.0f; }
  virtual TimeLineState State() const { return CurrentState; }
  // Sets the period of a manual line, in hundredths; others ignore it.
  virtual void SetDuration(uint32_t hundredths) { (void)hundredths; }
  virtual void CopySettings(const QVX_SmartTiming& timing) { (void)timing; }

  TimeLineState CurrentState = TimeLineState::Shown;
  float CurrentVisibility = 1.0f;
  MediaSpeedParam Clock;
};

// Always shown, fully visible.
class QVX_ContinuesTimeLine : public QVX_Timing {
  GLIMMER_STORED_CLASS(QVX_ContinuesTimeLine)

 public:
  void Serialize(Archive& ar, int32_t version) override;
};

// Shown and hidden for random durations, with fades between.
class QVX_RandomTimeLine : public QVX_Timing {
  GLIMMER_STORED_CLASS(QVX_RandomTimeLine)

 public:
  void Serialize(Archive& ar, int32_t version) override;
  float Advance(float t) override;
  void Reset() override;
  float PhaseProgress() const override;
  float CycleLength() const override;
  void CopySettings(const QVX_SmartTiming& timing) override;

  RandomRange HiddenRange{100, 100};
  RandomRange VisibleRange{100, 100};
  TimeParam FadeIn{50};
  TimeParam FadeOut{50};

  float SwitchTime = 0.0f;
  float FadeRate = 0.0f;
  float VisibleDuration = 0.0f;
};

// One visible span of a manual line, in seconds of its period.
struct TimeWindow {
  float Start = 0, End = 0, FadeInEnd = 0, FadeOutStart = 0;
  bool operator==(const TimeWindow&) const = default;
};
struct WindowsByEnd {
  bool operator()(const TimeWindow& a, const TimeWindow& b) const { return a.End < b.End; }
};
// Kept sorted by End; a window whose End equals one already held is not added.
using TimeWindowSet = std::set<TimeWindow, WindowsByEnd>;
// A count, then four floats per window: Start, End, FadeInEnd, FadeOutStart.
void Field(Archive& ar, std::string_view name, TimeWindowSet& windows);

// Shown within stored windows of a looping period.
class QVX_ManualTimeLine : public QVX_Timing {
  GLIMMER_STORED_CLASS(QVX_ManualTimeLine)

 public:
  QVX_ManualTimeLine();
  void Serialize(Archive& ar, int32_t version) override;
  float Advance(float t) override;
  void Reset() override;
  float CycleLength() const override { return WindowLength; }
  void SetDuration(uint32_t hundredths) override { Duration.SetValue(hundredths); }

  TimeParam Duration{1000};
  TimeWindowSet Windows;

  float WindowLength = 0.0f;
  float Position = 0.0f;
};

// Follows another object's time line: mirrors it (mode 0) or opens a window
// of its own each time the other appears (mode 1).
class QVX_DependedTimeLine : public QVX_Timing {
  GLIMMER_STORED_CLASS(QVX_DependedTimeLine)

 public:
  QVX_DependedTimeLine();
  void Serialize(Archive& ar, int32_t version) override;
  void Resolve(const TimingDirectory* directory) override;
  float Advance(float t) override;
  float Visibility() const override;
  TimeLineState State() const override;

  MediaParamT<Guid> MasterId;
  MediaParamT<int32_t> Mode;
  RandomRange DelayRange{0, 0};
  RandomRange VisibleRange{100, 100};
  TimeParam FadeIn{50};
  TimeParam FadeOut{50};

  bool Triggered = false;
  float WindowStart = 0, WindowFadeInEnd = 0, WindowFadeOutStart = 0, WindowEnd = 0;
  float LastTime = 0.0f;
  TimeLineState LastMasterState = TimeLineState::Hidden;

  // The master's timing while its object lives; empty before Resolve or
  // when no object has MasterId.
  std::shared_ptr<QVX_SmartTiming> Master() const { return master_.lock(); }

 private:
  void MasterIdChanged() { Resolve(directory_); }
  // The line behind the master's current timing, or null.
  const QVX_Timing* MasterLine() const;

  std::weak_ptr<QVX_SmartTiming> master_;
  const TimingDirectory* directory_ = nullptr;
  SmartCalbackCtrl<QVX_DependedTimeLine> masterIdWatch_{&QVX_DependedTimeLine::MasterIdChanged,
                                                        this, &MasterId};
};

}  // namespace glimmer
