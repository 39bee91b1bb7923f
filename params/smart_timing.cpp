#include "params/smart_timing.h"

#include "params/param_serialization.h"
#include "store/archive.h"
#include "store/class_registry.h"

namespace glimmer {
namespace {

constexpr std::u16string_view kLineClasses[4] = {u"QVX_ContinuesTimeLine", u"QVX_RandomTimeLine",
                                                 u"QVX_ManualTimeLine", u"QVX_DependedTimeLine"};

}  // namespace

QVX_SmartTiming::QVX_SmartTiming() {
  Flags &= ~1;
  Current = std::make_shared<QVX_ContinuesTimeLine>();
  Lines[0] = Current;
}

QVX_SmartTiming::QVX_SmartTiming(const QVX_SmartTiming& o)
    : ZT_IOF_Item(o),
      MediaParamT<int32_t>(o),
      ClockMode(o.ClockMode),
      Current(o.Current),
      Lines(o.Lines),
      Flags(o.Flags),
      DefaultFadeIn(o.DefaultFadeIn),
      DefaultVisible(o.DefaultVisible),
      DefaultFadeOut(o.DefaultFadeOut),
      LastOuterTime(o.LastOuterTime),
      LayerTime(o.LayerTime) {}

void QVX_SmartTiming::Serialize(Archive& ar, int32_t) {
  int32_t kind = Kind();
  Field(ar, "Kind", kind);
  Field(ar, "ClockMode", ClockMode);
  Field(ar, "Flags", Flags);
  if (ar.IsReading()) {
    if (kind < 0 || kind > 3) {
      ar.Fail("time-line kind " + std::to_string(kind) + " is not one of 0 to 3");
    }
    StoreValue(kind);
  }
  ZT_SafePtr<QVX_Timing> line = Current;
  Field(ar, "Line", line, TimingRegistry());
  if (ar.IsReading()) {
    // Only the stored line exists after reading; the others come on demand.
    Lines = {};
    SetCurrent(line);
    line->Reset();
  }
}

void QVX_SmartTiming::SetCurrent(ZT_SafePtr<QVX_Timing> line) {
  Current = line;
  Lines[static_cast<size_t>(Kind())] = std::move(line);
}

void QVX_SmartTiming::NotifyControls(MediaControl* sender) {
  const int32_t kind = Kind();
  if (kind >= 0 && kind <= 3) {
    ZT_SafePtr<QVX_Timing>& slot = Lines[static_cast<size_t>(kind)];
    if (!slot) {
      auto created = CreateByName<QVX_Timing>(TimingRegistry(), kLineClasses[kind]);
      slot = ZT_SafePtr<QVX_Timing>(std::move(created));
      if (slot) slot->CopySettings(*this);
    }
    if (slot) Current = slot;
  }
  MediaParamT<int32_t>::NotifyControls(sender);
}

// ---------------------------------------------------------------- legacy

void ZT_TimeLineControl::Serialize(Archive& ar, int32_t version) {
  Field(ar, "Kind", Kind);
  Field(ar, "ClockMode", ClockMode);
  Field(ar, "HiddenMin", HiddenRange.Min);
  Field(ar, "HiddenMax", HiddenRange.Max);
  Field(ar, "VisibleMin", VisibleRange.Min);
  Field(ar, "VisibleMax", VisibleRange.Max);
  Field(ar, "FadeIn", FadeIn);
  Field(ar, "FadeOut", FadeOut);
  Field(ar, "Windows", Windows);
  if (version >= 2) Field(ar, "Duration", Duration);
}

ZT_SafePtr<QVX_Timing> ZT_TimeLineControl::CreateLine() const {
  switch (Kind.Value()) {
    case 1: {
      auto line = std::make_shared<QVX_RandomTimeLine>();
      line->HiddenRange.Min.SetValue(HiddenRange.Min.Value());
      line->HiddenRange.Max.SetValue(HiddenRange.Max.Value());
      line->VisibleRange.Min.SetValue(VisibleRange.Min.Value());
      line->VisibleRange.Max.SetValue(VisibleRange.Max.Value());
      line->FadeIn.SetValue(FadeIn.Value());
      line->FadeOut.SetValue(FadeOut.Value());
      return line;
    }
    case 2: {
      auto line = std::make_shared<QVX_ManualTimeLine>();
      line->Windows = Windows;
      line->Duration.SetValue(Duration.Value());
      return line;
    }
    default:
      return std::make_shared<QVX_ContinuesTimeLine>();
  }
}

void ZT_TimeLineControl::InstallInto(QVX_SmartTiming& timing) const {
  const int32_t kind = Kind.Value() >= 0 && Kind.Value() <= 2 ? Kind.Value() : 0;
  timing.StoreValue(kind);
  timing.ClockMode.SetValue(ClockMode.Value());
  timing.SetCurrent(CreateLine());
}

}  // namespace glimmer
