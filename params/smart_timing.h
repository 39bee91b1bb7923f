#pragma once
// QVX_SmartTiming: every layer's holder of its time line, with one line per
// kind created on demand; and the legacy timing record older layers store.

#include <array>

#include "common/safe_ptr.h"
#include "params/time_lines.h"

namespace glimmer {

enum class TimingKind : int32_t { Continues = 0, Random = 1, Manual = 2, Depended = 3 };

class QVX_SmartTiming : public ZT_IOF_Item, public MediaParamT<int32_t> {
  GLIMMER_STORED_CLASS(QVX_SmartTiming, 1)

 public:
  // Bit of Flags that keeps ClockMode 2 from scaling the layer clock.
  static constexpr int32_t kNoVisibilityRate = 0x20;

  QVX_SmartTiming();
  // A runtime copy shares the line objects.
  QVX_SmartTiming(const QVX_SmartTiming& o);
  QVX_SmartTiming& operator=(const QVX_SmartTiming&) = delete;

  void Serialize(Archive& ar, int32_t version) override;
  // Switching Kind makes Lines[Kind] current, creating it first when empty.
  void NotifyControls(MediaControl* sender) override;

  int32_t Kind() const { return Value(); }
  void SetCurrent(ZT_SafePtr<QVX_Timing> line);
  QVX_Timing* Line() const { return Current.get(); }
  // The fade setting: layers that honour it scale their opacity by the
  // line's visibility when the clock mode is 1.
  bool FadesOpacity() const { return ClockMode.Value() == 1; }

  MediaParamT<int32_t> ClockMode;
  ZT_SafePtr<QVX_Timing> Current;
  std::array<ZT_SafePtr<QVX_Timing>, 4> Lines;
  int32_t Flags = 0;
  float DefaultFadeIn = 0.5f;
  float DefaultVisible = 1.0f;
  float DefaultFadeOut = 0.5f;
  float LastOuterTime = 0.0f;
  float LayerTime = 0.0f;
};

// The timing settings of older layer versions, converted into a time line.
class ZT_TimeLineControl : public ZT_IOF_Item {
  GLIMMER_STORED_CLASS(ZT_TimeLineControl, 2)

 public:
  void Serialize(Archive& ar, int32_t version) override;

  // The line these settings describe: continues (kind 0 and unknown kinds),
  // random with the ranges and fades (1), manual with windows and period (2).
  ZT_SafePtr<QVX_Timing> CreateLine() const;
  // Installs that line in `timing` as current, with this Kind and ClockMode.
  void InstallInto(QVX_SmartTiming& timing) const;

  MediaParamT<int32_t> Kind;
  MediaParamT<int32_t> ClockMode;
  RandomRange HiddenRange{100, 100};
  RandomRange VisibleRange{100, 100};
  TimeParam FadeIn{50};
  TimeParam FadeOut{50};
  TimeWindowSet Windows;
  TimeParam Duration{1000};
};

}  // namespace glimmer
