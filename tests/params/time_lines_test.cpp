// Time lines and the smart timing that holds them.

#include <gtest/gtest.h>

#include <cmath>

#include "params/random_source.h"
#include "params/smart_timing.h"
#include "store/binary_archive.h"

namespace glimmer {
namespace {

// Advances `line` from outer time `from` to `to` in steps of `step`,
// calling `each` after every step.
template <class Fn>
float Drive(QVX_Timing& line, float from, float to, float step, Fn&& each) {
  float t = from;
  for (int k = 1; t < to; ++k) {
    t = from + static_cast<float>(k) * step;
    line.Advance(t);
    each(t);
  }
  return t;
}

TEST(ContinuesTimeLine, AlwaysShownWithAClampedClock) {
  QVX_ContinuesTimeLine line;
  float last = 0;
  Drive(line, 0, 10, 0.7f, [&](float) {
    EXPECT_EQ(line.State(), TimeLineState::Shown);
    EXPECT_EQ(line.Visibility(), 1.0f);
    EXPECT_LE(line.Clock.LocalTime - last, 0.2f + 1e-6f);
    last = line.Clock.LocalTime;
  });
  EXPECT_NEAR(line.Clock.LocalTime, 0.2f * 15, 1e-4);
}

// The times, in local seconds, at which each state begins.
std::vector<std::pair<TimeLineState, float>> Phases(QVX_RandomTimeLine& line, float seconds) {
  std::vector<std::pair<TimeLineState, float>> phases;
  Drive(line, 0, seconds, 0.01f, [&](float) {
    if (phases.empty() || phases.back().first != line.State()) {
      phases.push_back({line.State(), line.Clock.LocalTime});
    }
  });
  return phases;
}

TEST(RandomTimeLine, CyclesThroughFadesAndRanges) {
  SeedRandom(1);
  QVX_RandomTimeLine line;
  line.Reset();
  EXPECT_EQ(line.VisibleDuration, 1.0f);
  EXPECT_FLOAT_EQ(line.CycleLength(), 2.0f);
  const auto phases = Phases(line, 6.0f);
  ASSERT_GE(phases.size(), 6u);
  EXPECT_EQ(phases[0].first, TimeLineState::FadingIn);
  const TimeLineState order[] = {TimeLineState::FadingIn, TimeLineState::Shown,
                                 TimeLineState::FadingOut, TimeLineState::Hidden};
  const float lengths[] = {0.5f, 1.0f, 0.5f, 1.0f};
  for (size_t i = 0; i + 1 < phases.size(); ++i) {
    EXPECT_EQ(phases[i].first, order[i % 4]) << i;
    EXPECT_NEAR(phases[i + 1].second - phases[i].second, lengths[i % 4], 0.011f) << i;
  }
}

TEST(RandomTimeLine, VisibilityRampsDuringFades) {
  QVX_RandomTimeLine line;
  line.Reset();
  auto to = [&](float t) {  // in steps of 1/8 s, which floats hold exactly
    while (line.Clock.LastTime < t) line.Advance(line.Clock.LastTime + 0.125f);
  };
  to(0.125f);  // starts fading in, switching at 0.625
  EXPECT_EQ(line.State(), TimeLineState::FadingIn);
  to(0.375f);
  EXPECT_EQ(line.Visibility(), 0.5f);
  EXPECT_EQ(line.PhaseProgress(), 0.0f);
  to(0.75f);  // shown until 1.75
  EXPECT_EQ(line.State(), TimeLineState::Shown);
  to(1.25f);
  EXPECT_EQ(line.PhaseProgress(), 0.5f);
  to(1.875f);  // fading out until 2.375
  EXPECT_EQ(line.State(), TimeLineState::FadingOut);
  EXPECT_EQ(line.Visibility(), 1.0f);
  to(2.125f);
  EXPECT_EQ(line.Visibility(), 0.5f);
}

TEST(RandomTimeLine, NoHiddenTimeGoesStraightBackToFadingIn) {
  QVX_RandomTimeLine line;
  line.HiddenRange.Min.SetValue(0);
  line.HiddenRange.Max.SetValue(0);
  line.Reset();
  const auto phases = Phases(line, 8.0f);
  for (const auto& [state, at] : phases) EXPECT_NE(state, TimeLineState::Hidden) << at;
  EXPECT_GE(phases.size(), 8u);
}

TEST(RandomTimeLine, CopySettingsTakesTheDefaults) {
  QVX_SmartTiming timing;
  timing.DefaultFadeIn = 0.25f;
  timing.DefaultFadeOut = 1.5f;
  timing.DefaultVisible = 3.0f;
  QVX_RandomTimeLine line;
  line.CopySettings(timing);
  EXPECT_EQ(line.FadeIn.Value(), 25u);
  EXPECT_EQ(line.FadeOut.Value(), 150u);
  EXPECT_EQ(line.VisibleRange.Min.Value(), 300u);
  EXPECT_EQ(line.VisibleRange.Max.Value(), 300u);
}

class ManualWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    line.Windows.insert({2, 6, 3, 5});
    line.Reset();
  }
  // Reports the line at `position` (a zero step keeps the position).
  void At(float position) {
    line.Position = position;
    line.Advance(line.Clock.LastTime);
  }
  QVX_ManualTimeLine line;
};

TEST_F(ManualWindow, StatesAcrossTheWindow) {
  const struct {
    float position;
    TimeLineState state;
    float visibility;
  } cases[] = {{1.0f, TimeLineState::Hidden, 0.0f},
               {2.5f, TimeLineState::FadingIn, 0.5f},
               {4.0f, TimeLineState::Shown, 1.0f},
               {5.5f, TimeLineState::FadingOut, 0.5f},
               {7.0f, TimeLineState::Hidden, 0.0f}};
  for (const auto& c : cases) {
    At(c.position);
    EXPECT_EQ(line.State(), c.state) << c.position;
    EXPECT_FLOAT_EQ(line.Visibility(), c.visibility) << c.position;
  }
  At(7.0f);
  EXPECT_EQ(line.CycleLength(), 0.0f) << "no window ahead";
}

TEST_F(ManualWindow, LooksThreeSecondsAhead) {
  At(0.5f);
  EXPECT_EQ(line.State(), TimeLineState::Hidden);
  EXPECT_EQ(line.CycleLength(), 4.0f) << "the window starts within 3 s";
  QVX_ManualTimeLine far;
  far.Windows.insert({8, 9, 8.5f, 8.5f});
  far.Position = 4.5f;
  far.Advance(0);
  EXPECT_EQ(far.CycleLength(), 0.0f);
}

TEST_F(ManualWindow, LoopsWithThePeriod) {
  float t = 0;
  int shownFrames = 0;
  for (int k = 0; k < 300; ++k) {  // 30 s in 0.1 s steps: three periods
    t += 0.1f;
    line.Advance(t);
    EXPECT_GE(line.Position, 0.0f);
    EXPECT_LT(line.Position, 10.0f);
    if (line.State() == TimeLineState::Shown) ++shownFrames;
  }
  EXPECT_NEAR(shownFrames, 3 * 20, 3);
}

TEST_F(ManualWindow, ZeroPeriodStaysAtTheStart) {
  line.Duration.SetValue(0);
  for (float t = 0.1f; t < 2; t += 0.1f) {
    EXPECT_EQ(line.Advance(t), 0.0f);
    EXPECT_FALSE(std::isnan(line.Visibility()));
  }
  line.SetDuration(500);
  EXPECT_FLOAT_EQ(line.Duration.Seconds(), 5.0f);
}

TEST(ManualTimeLine, WindowWithoutFadesHasNoNaN) {
  QVX_ManualTimeLine line;
  line.Windows.insert({1, 2, 1, 2});
  for (float p : {1.0f, 1.5f, 2.0f}) {
    line.Position = p;
    line.Advance(0);
    EXPECT_FALSE(std::isnan(line.Visibility())) << p;
  }
}

// A line whose state the test sets.
class ScriptedLine : public QVX_Timing {
 public:
  TimeLineState State() const override { return state; }
  float Visibility() const override { return visibility; }
  TimeLineState state = TimeLineState::Hidden;
  float visibility = 0.0f;
};

class OneTiming : public TimingDirectory {
 public:
  std::shared_ptr<QVX_SmartTiming> FindTiming(const Guid& id) const override {
    return id == key ? timing : nullptr;
  }
  Guid key = *Guid::Parse(std::string_view("{11111111-2222-3333-4444-555555555555}"));
  std::shared_ptr<QVX_SmartTiming> timing = std::make_shared<QVX_SmartTiming>();
};

TEST(DependedTimeLine, MirrorsItsMaster) {
  OneTiming directory;
  auto master = std::make_shared<ScriptedLine>();
  directory.timing->SetCurrent(master);
  QVX_DependedTimeLine line;
  line.MasterId.SetValue(directory.key);
  line.Resolve(&directory);
  master->state = TimeLineState::FadingOut;
  master->visibility = 0.3f;
  EXPECT_EQ(line.Advance(4.0f), 4.0f);
  EXPECT_EQ(line.State(), TimeLineState::FadingOut);
  EXPECT_EQ(line.Visibility(), 0.3f);
}

TEST(DependedTimeLine, MissingMasterStaysHidden) {
  OneTiming directory;
  for (int32_t mode : {0, 1}) {
    QVX_DependedTimeLine line;
    line.Mode.SetValue(mode);
    line.Resolve(&directory);  // the null id names nothing
    line.Advance(1.0f);
    EXPECT_EQ(line.State(), TimeLineState::Hidden);
    EXPECT_EQ(line.Visibility(), 0.0f);
    QVX_DependedTimeLine unresolved;
    unresolved.Mode.SetValue(mode);
    unresolved.Advance(1.0f);
    EXPECT_EQ(unresolved.State(), TimeLineState::Hidden);
  }
  // A master that goes away after Resolve leaves the line hidden, not dangling.
  QVX_DependedTimeLine line;
  line.MasterId.SetValue(directory.key);
  line.Resolve(&directory);
  EXPECT_NE(line.Master(), nullptr);
  directory.timing.reset();
  EXPECT_EQ(line.Master(), nullptr);
  EXPECT_EQ(line.Visibility(), 0.0f);
  // Changing the id resolves again through the same directory.
  OneTiming other;
  line.Resolve(&other);
  line.MasterId.SetValue(other.key);
  EXPECT_NE(line.Master(), nullptr);
}

TEST(DependedTimeLine, TriggeredWindowOpensOncePerAppearance) {
  OneTiming directory;
  auto master = std::make_shared<ScriptedLine>();
  directory.timing->SetCurrent(master);
  QVX_DependedTimeLine line;
  line.Mode.SetValue(1);
  line.VisibleRange.Min.SetValue(100);
  line.VisibleRange.Max.SetValue(100);  // window: 0.5 in, 1 shown, 0.5 out
  line.MasterId.SetValue(directory.key);
  line.Resolve(&directory);

  line.Advance(1.0f);
  EXPECT_FALSE(line.Triggered);
  master->state = TimeLineState::FadingIn;
  line.Advance(1.1f);
  ASSERT_TRUE(line.Triggered) << "opens on the first frame after the master appears";
  EXPECT_EQ(line.WindowStart, 1.1f);
  EXPECT_FLOAT_EQ(line.WindowEnd, 3.1f);
  line.Advance(1.35f);
  EXPECT_EQ(line.State(), TimeLineState::FadingIn);
  EXPECT_NEAR(line.Visibility(), 0.5f, 1e-5);
  line.Advance(2.0f);
  EXPECT_EQ(line.State(), TimeLineState::Shown);
  line.Advance(3.5f);  // past the window's end: cleared, master still visible
  EXPECT_FALSE(line.Triggered);
  EXPECT_EQ(line.State(), TimeLineState::Hidden);
  line.Advance(3.6f);
  EXPECT_FALSE(line.Triggered) << "not again while the master stays visible";
  master->state = TimeLineState::Hidden;
  line.Advance(3.7f);
  master->state = TimeLineState::Shown;
  line.Advance(3.8f);
  EXPECT_TRUE(line.Triggered) << "again after the master was hidden for a frame";
}

TEST(SmartTiming, NewTimingHoldsAContinuesLine) {
  QVX_SmartTiming timing;
  ASSERT_NE(timing.Line(), nullptr);
  EXPECT_EQ(timing.Line()->StoredName(), u"QVX_ContinuesTimeLine");
  EXPECT_EQ(timing.Lines[0], timing.Current);
  EXPECT_EQ(timing.Flags & 1, 0);
}

TEST(SmartTiming, KindSwitchCreatesLinesOnceAndKeepsThem) {
  QVX_SmartTiming timing;
  timing.DefaultVisible = 2.0f;
  timing.SetValue(1);
  ASSERT_NE(timing.Lines[1], nullptr);
  EXPECT_EQ(timing.Current, timing.Lines[1]);
  auto* random = dynamic_cast<QVX_RandomTimeLine*>(timing.Line());
  ASSERT_NE(random, nullptr);
  EXPECT_EQ(random->VisibleRange.Max.Value(), 200u) << "created with the defaults";
  timing.Line()->Advance(0.1f);
  timing.SetValue(2);
  EXPECT_EQ(timing.Line()->StoredName(), u"QVX_ManualTimeLine");
  timing.SetValue(1);
  EXPECT_EQ(timing.Line(), random) << "switching back finds the earlier line";
  EXPECT_EQ(random->Clock.LastTime, 0.1f);
}

TEST(SmartTiming, CopiesShareTheLines) {
  QVX_SmartTiming timing;
  timing.SetValue(2);
  timing.ClockMode.SetValue(2);
  timing.Flags = 0x21;
  timing.LayerTime = 3.0f;
  QVX_SmartTiming copy(timing);
  EXPECT_EQ(copy.Current, timing.Current);
  EXPECT_EQ(copy.Lines, timing.Lines);
  EXPECT_EQ(copy.Kind(), 2);
  EXPECT_EQ(copy.ClockMode.Value(), 2);
  EXPECT_EQ(copy.Flags, 0x21);
  EXPECT_EQ(copy.LayerTime, 3.0f);
}

std::vector<uint8_t> StoredTiming(int32_t kind, std::u16string_view lineClass) {
  ZT_IOF_W w;
  w.WriteInt32(kind);
  w.WriteInt32(0);
  w.WriteInt32(0x20);
  w.WriteHeader(lineClass, 1);
  if (lineClass == u"QVX_ManualTimeLine") {
    w.WriteUInt32(800);
    w.WriteInt32(1);
    for (float f : {1.0f, 3.0f, 1.5f, 2.5f}) w.WriteFloat(f);
  }
  w.WriteHeader(u"QVX_Timing", 1);
  return w.Take();
}

QVX_SmartTiming ReadTiming(const std::vector<uint8_t>& bytes) {
  ResourceBuffer buffer(bytes);
  ZT_IOF_R reader(buffer);
  BinaryInArchive ar(reader);
  QVX_SmartTiming timing;
  timing.Serialize(ar, 1);
  EXPECT_EQ(reader.Remaining(), 0u);
  return timing;
}

TEST(SmartTiming, ReadingKindTwoLeavesTheOtherLinesEmpty) {
  QVX_SmartTiming timing = ReadTiming(StoredTiming(2, u"QVX_ManualTimeLine"));
  EXPECT_EQ(timing.Kind(), 2);
  EXPECT_EQ(timing.Flags, 0x20);
  EXPECT_EQ(timing.Lines[0], nullptr);
  EXPECT_EQ(timing.Lines[1], nullptr);
  EXPECT_EQ(timing.Lines[3], nullptr);
  auto* manual = dynamic_cast<QVX_ManualTimeLine*>(timing.Line());
  ASSERT_NE(manual, nullptr);
  EXPECT_EQ(timing.Lines[2].get(), manual);
  EXPECT_EQ(manual->Duration.Value(), 800u);
  EXPECT_EQ(manual->Windows.size(), 1u);
  EXPECT_EQ(manual->State(), TimeLineState::Hidden) << "reset after reading";
}

TEST(SmartTiming, KindOutsideTheFourKindsFailsTheLoad) {
  EXPECT_THROW(ReadTiming(StoredTiming(7, u"QVX_ContinuesTimeLine")), LoadError);
  EXPECT_THROW(ReadTiming(StoredTiming(-1, u"QVX_ContinuesTimeLine")), LoadError);
  EXPECT_THROW(ReadTiming(StoredTiming(0, u"QVX_UnknownTimeLine")), LoadError);
}

TEST(TimeLineControl, LegacySettingsBecomeALine) {
  ZT_TimeLineControl legacy;
  legacy.Kind.SetValue(1);
  legacy.ClockMode.SetValue(2);
  legacy.HiddenRange.Min.SetValue(10);
  legacy.HiddenRange.Max.SetValue(20);
  legacy.VisibleRange.Min.SetValue(30);
  legacy.VisibleRange.Max.SetValue(40);
  legacy.FadeIn.SetValue(5);
  legacy.FadeOut.SetValue(6);
  QVX_SmartTiming timing;
  legacy.InstallInto(timing);
  EXPECT_EQ(timing.Kind(), 1);
  EXPECT_EQ(timing.ClockMode.Value(), 2);
  auto* random = dynamic_cast<QVX_RandomTimeLine*>(timing.Line());
  ASSERT_NE(random, nullptr);
  EXPECT_EQ(random->HiddenRange.Max.Value(), 20u);
  EXPECT_EQ(random->VisibleRange.Min.Value(), 30u);
  EXPECT_EQ(random->FadeOut.Value(), 6u);

  legacy.Kind.SetValue(2);
  legacy.Windows.insert({0, 4, 1, 3});
  legacy.Duration.SetValue(600);
  legacy.InstallInto(timing);
  auto* manual = dynamic_cast<QVX_ManualTimeLine*>(timing.Line());
  ASSERT_NE(manual, nullptr);
  EXPECT_EQ(manual->Windows.size(), 1u);
  EXPECT_EQ(manual->Duration.Value(), 600u);
  EXPECT_EQ(timing.Lines[2].get(), manual);

  legacy.Kind.SetValue(9);
  legacy.InstallInto(timing);
  EXPECT_EQ(timing.Kind(), 0);
  EXPECT_EQ(timing.Line()->StoredName(), u"QVX_ContinuesTimeLine");
}

}  // namespace
}  // namespace glimmer
