// Every stored class of parameters and timing round-trips through the
// writer, and through JSON, at its current version; older versions read.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "params/param_serialization.h"
#include "params/paths.h"
#include "params/smart_timing.h"
#include "store/binary_archive.h"
#include "store/json_archive.h"
#include "tests/support/archive_helpers.h"

namespace glimmer {
namespace {

using testing::ReadWith;
using testing::WriteWith;

// Writes with `visit` over `original`, reads into a fresh object, writes that
// again; also goes through JSON. All three writings must agree.
template <class T, class Visit>
void ExpectRoundTrip(T& original, Visit visit) {
  const auto bytes = WriteWith([&](Archive& ar) { visit(ar, original); });
  T fromBinary;
  ReadWith(bytes, [&](Archive& ar) { visit(ar, fromBinary); });
  EXPECT_EQ(WriteWith([&](Archive& ar) { visit(ar, fromBinary); }), bytes);
  FileBlobStore blobs;
  JsonOutArchive out(blobs);
  visit(out, original);
  const Json json = out.Result();
  T fromJson;
  JsonInArchive in(json, blobs);
  visit(in, fromJson);
  in.Finish();
  EXPECT_EQ(WriteWith([&](Archive& ar) { visit(ar, fromJson); }), bytes) << json.dump();
}

template <class T>
void ExpectMemberRoundTrip(T& original) {
  ExpectRoundTrip(original, [](Archive& ar, T& obj) { Field(ar, "obj", obj); });
}

TEST(ParamStoredForms, PlainParameters) {
  struct Bag {
    MediaParamT<int32_t> i{-7};
    MediaParamT<uint32_t> u{42};
    MediaParamT<float> f{0.1f};
    MediaParamT<D3DXVECTOR3> v{{1, 2, 3}};
    MediaParamT<Guid> g{*Guid::Parse(std::string_view("{0123ABCD-4567-89EF-0123-456789ABCDEF}"))};
    MediaParamT<std::u16string> s{u"caf\u00e9"};
    FontMediaParam font{FontData{12, 400, 2, u"DejaVu Sans"}};
    MediaParamT<std::vector<uint32_t>> colours{{0xFF, 0xFF00}};
    RandomRange range{10, 90};
    MediaQuad quad;
    MediaRectangle rect;
    MediaSector sector{45};
  };
  Bag bag;
  bag.quad.SetCentered(2, 4, {1, 1, 0});
  bag.rect.Bottom.SetValue(9);
  bag.rect.ExtraB.SetValue(-3);
  bag.sector.Spread.SetValue(15);
  ExpectRoundTrip(bag, [](Archive& ar, Bag& b) {
    Field(ar, "i", b.i);
    Field(ar, "u", b.u);
    Field(ar, "f", b.f);
    Field(ar, "v", b.v);
    Field(ar, "g", b.g);
    Field(ar, "s", b.s);
    Field(ar, "font", b.font);
    Field(ar, "colours", b.colours);
    Field(ar, "range", b.range);
    Field(ar, "quad", b.quad);
    Field(ar, "rect", b.rect);
    Field(ar, "sector", b.sector);
  });
  // Sizes of the binary forms.
  EXPECT_EQ(WriteWith([&](Archive& ar) { Field(ar, "font", bag.font); }).size(),
            4u + 4 + 4 + 4 + 2 * 11);
  EXPECT_EQ(WriteWith([&](Archive& ar) { Field(ar, "quad", bag.quad); }).size(), 48u);
  EXPECT_EQ(WriteWith([&](Archive& ar) { Field(ar, "rect", bag.rect); }).size(), 24u);
}

TEST(ParamStoredForms, SectorRecomputesItsDirectionWhenRead) {
  MediaSector written(90);
  const auto bytes = WriteWith([&](Archive& ar) { Field(ar, "s", written); });
  MediaSector read;
  ReadWith(bytes, [&](Archive& ar) { Field(ar, "s", read); });
  EXPECT_NEAR(read.Direction().y, 1.0f, 1e-6);
}

TEST(ParamStoredForms, PathPoints) {
  SmartPath<DX_SmartPnt> plain;
  plain.AddPoint({1, 2, 3}, nullptr);
  ExpectRoundTrip(plain, [](Archive& ar, SmartPath<DX_SmartPnt>& p) { Field(ar, "points", p); });
  SplinePath spline;
  spline.AddPoint({0, 0, 0}, nullptr);
  spline.AddPoint({10, 5, 0}, nullptr);
  ExpectRoundTrip(spline, [](Archive& ar, SplinePath& p) { Field(ar, "points", p); });
  CameraPath camera;
  camera.AddPoint({5, 5, 0}, nullptr);
  camera.Points[0]->TravelTime.SetValue(2.5f);
  camera.Points[0]->ZoomPercent.SetValue(150);
  ExpectRoundTrip(camera, [](Archive& ar, CameraPath& p) { Field(ar, "points", p); });
  EXPECT_EQ(WriteWith([&](Archive& ar) { Field(ar, "p", camera); }).size(), 4u + 4 + 12 + 4 + 4);
}

TEST(ParamStoredForms, CameraPointVersionZeroHasNoZoom) {
  ZT_IOF_W w;
  w.WriteInt32(1);
  w.WriteLong(0);
  for (float f : {1.0f, 2.0f, 0.0f, 3.5f}) w.WriteFloat(f);
  CameraPath path;
  ReadWith(w.Take(), [&](Archive& ar) { Field(ar, "p", path); });
  ASSERT_EQ(path.Points.size(), 1u);
  EXPECT_EQ(path.Points[0]->TravelTime.Value(), 3.5f);
  EXPECT_EQ(path.Points[0]->ZoomPercent.Value(), 100u);
}

TEST(TimingStoredForms, EveryTimeLineAndTheHolders) {
  QVX_ContinuesTimeLine continues;
  ExpectMemberRoundTrip(continues);
  QVX_RandomTimeLine random;
  random.HiddenRange.Min.SetValue(5);
  random.VisibleRange.Max.SetValue(700);
  random.FadeOut.SetValue(80);
  ExpectMemberRoundTrip(random);
  QVX_ManualTimeLine manual;
  manual.Windows.insert({1, 4, 2, 3});
  manual.Windows.insert({5, 9, 6, 8});
  manual.Duration.SetValue(1200);
  ExpectMemberRoundTrip(manual);
  QVX_DependedTimeLine depended;
  depended.MasterId.SetValue(
      *Guid::Parse(std::string_view("{0123ABCD-4567-89EF-0123-456789ABCDEF}")));
  depended.Mode.SetValue(1);
  depended.DelayRange.Max.SetValue(30);
  ExpectMemberRoundTrip(depended);
  QVX_SmartTiming timing;
  timing.SetValue(2);
  timing.ClockMode.SetValue(2);
  timing.Flags = 0x20;
  ExpectMemberRoundTrip(timing);
  ZT_TimeLineControl legacy;
  legacy.Kind.SetValue(2);
  legacy.Windows.insert({0, 1, 0.25f, 0.75f});
  legacy.Duration.SetValue(300);
  ExpectMemberRoundTrip(legacy);
}

TEST(TimingStoredForms, DependedVersionOneIsAMirror) {
  ZT_IOF_W w;
  w.WriteHeader(u"QVX_DependedTimeLine", 1);
  w.WriteGuid(Guid{});
  w.WriteHeader(u"QVX_Timing", 1);
  QVX_DependedTimeLine line;
  line.Mode.SetValue(1);
  ReadWith(w.Take(), [&](Archive& ar) { Field(ar, "line", line); });
  EXPECT_EQ(line.Mode.Value(), 0);
  EXPECT_EQ(line.FadeIn.Value(), 50u);
}

TEST(TimingStoredForms, LegacyVersionOneHasNoDuration) {
  ZT_IOF_W w;
  w.WriteHeader(u"ZT_TimeLineControl", 1);
  w.WriteLong(2);
  w.WriteLong(0);
  for (uint32_t v : {100u, 100u, 100u, 100u, 50u, 50u}) w.WriteUInt32(v);
  w.WriteInt32(0);
  ZT_TimeLineControl legacy;
  ReadWith(w.Take(), [&](Archive& ar) { Field(ar, "legacy", legacy); });
  EXPECT_EQ(legacy.Kind.Value(), 2);
  EXPECT_EQ(legacy.Duration.Value(), 1000u);
}

TEST(TimingStoredForms, WindowsWithEqualEndsKeepTheFirst) {
  QVX_ManualTimeLine manual;
  ZT_IOF_W w;
  w.WriteUInt32(1000);
  w.WriteInt32(2);
  for (float f : {1.0f, 5.0f, 2.0f, 4.0f, 0.0f, 5.0f, 1.0f, 4.0f}) w.WriteFloat(f);
  w.WriteHeader(u"QVX_Timing", 1);
  ReadWith(w.Take(), [&](Archive& ar) { manual.Serialize(ar, 1); });
  ASSERT_EQ(manual.Windows.size(), 1u);
  EXPECT_EQ(manual.Windows.begin()->Start, 1.0f);
}

}  // namespace
}  // namespace glimmer
