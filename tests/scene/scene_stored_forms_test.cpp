// Slides, cameras, slide containers and layer constructors: every stored
// version, and the runtime base of layers (identities, clocks, parallax).

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "scene/slide_container.h"
#include "store/binary_archive.h"
#include "store/json_archive.h"
#include "tests/support/archive_helpers.h"

namespace glimmer {
namespace {

using testing::ReadWith;

template <class T>
std::vector<uint8_t> WriteMember(T& obj) {
  return testing::WriteWith([&](Archive& ar) { Field(ar, "obj", obj); });
}

TEST(SlideContainerForm, VersionSixRoundTripsThroughWriterAndJson) {
  ZT_SlideContainer c;
  c.stay.SetValue(1);
  c.fadeIn.SetValue(0.5f);
  c.duration.SetValue(7.25f);
  c.name.SetValue(u"Slide 3");
  c.slide = std::make_shared<ZT_2D_Light>();
  c.slide->picture.SetValue({u"C:\\shows\\lake.jpg", 1234});
  c.slide->camera.Mode.SetValue(2);
  c.slide->camera.Path.AddPoint({10, 20, 0}, nullptr);
  const auto bytes = WriteMember(c);
  ZT_SlideContainer back;
  ReadWith(bytes, [&](Archive& ar) { Field(ar, "obj", back); });
  EXPECT_EQ(back.stay.Value(), 1);
  EXPECT_EQ(back.duration.Value(), 7.25f);
  EXPECT_EQ(back.name.Value(), u"Slide 3");
  ASSERT_NE(back.slide, nullptr);
  EXPECT_EQ(back.slide->picture.Path(), u"C:\\shows\\lake.jpg");
  EXPECT_EQ(back.slide->camera.Path.Points.size(), 1u);
  EXPECT_EQ(WriteMember(back), bytes);
  FileBlobStore blobs;
  JsonOutArchive out(blobs);
  Field(out, "slide", c);
  const Json json = out.Result();
  EXPECT_EQ(json["slide"]["slide"]["class"], "ZT_2D_Light");
  EXPECT_EQ(json["slide"]["fadeIn"], 0.5);
  ZT_SlideContainer fromJson;
  JsonInArchive in(json, blobs);
  Field(in, "slide", fromJson);
  in.Finish();
  EXPECT_EQ(WriteMember(fromJson), bytes);
}

std::vector<uint8_t> OldContainer(int32_t version) {
  ZT_IOF_W w;
  w.WriteHeader(u"ZT_SlideContainer", version);
  if (version >= 5) {
    w.WriteLong(0);
    for (float f : {2.0f, 3.0f, 10.0f}) w.WriteFloat(f);
  } else {
    for (uint32_t v : {2u, 3u, 10u}) w.WriteUInt32(v);
  }
  w.WriteLong(0);
  w.WriteString(u"old");
  if (version >= 3 && version <= 5) w.WriteUInt32(40);
  w.WriteHeader(u"ZT_2D_Light", 1);
  w.WriteInt32(0);
  if (version > 1) w.WriteInt32(0);
  return w.Take();
}

TEST(SlideContainerForm, OlderVersionsStoreWholeSeconds) {
  for (int32_t v = 1; v <= 5; ++v) {
    ZT_SlideContainer c;
    ReadWith(OldContainer(v), [&](Archive& ar) { Field(ar, "obj", c); });
    EXPECT_EQ(c.fadeIn.Value(), 2.0f) << v;
    EXPECT_EQ(c.fadeOut.Value(), 3.0f) << v;
    EXPECT_EQ(c.duration.Value(), 10.0f) << "a stored 10 means 10.0 seconds";
    EXPECT_EQ(c.stay.Value(), 0);
    ASSERT_NE(c.slide, nullptr);
    EXPECT_EQ(c.slide->picture.Stamp(), 5u) << "a version-1 slide keeps the default picture";
  }
}

TEST(CameraForm, OldCamerasOnlySayWhetherTheyMove) {
  for (int32_t moving : {0, 7}) {
    ZT_IOF_W w;
    w.WriteHeader(u"ZQN_Camera", 1);
    w.WriteLong(moving);
    w.WriteUInt32(150);
    w.WriteUInt32(100);
    ZQN_Camera camera;
    ReadWith(w.Take(), [&](Archive& ar) { Field(ar, "camera", camera); });
    EXPECT_EQ(camera.Mode.Value(), moving ? 1 : 0);
    EXPECT_FLOAT_EQ(camera.Zoom.Scaled(), 1.5f);
    EXPECT_FLOAT_EQ(camera.Speed.Scaled(), 2.0f);
    EXPECT_EQ(camera.Image.Stamp(), 6u);
  }
  ZQN_Camera defaults;
  EXPECT_FLOAT_EQ(defaults.Zoom.Scaled(), 1.2f);
  EXPECT_FLOAT_EQ(defaults.Speed.Scaled(), 1.0f);
}

// A layer kind for the tests: records the local times it is advanced to.
class TestLayer : public ZT_ABObj_Constructor {
  GLIMMER_STORED_CLASS(TestLayer, 1)

 public:
  void Serialize(Archive& ar, int32_t) override { SerializeBase<ZT_ABObj_Constructor>(ar, *this); }
  std::shared_ptr<ZT_ABObj> CreateRuntime() const override;
};

class TestObject : public ZT_ABObj {
 public:
  using ZT_ABObj::ZT_ABObj;
  void Draw(ZT_ABRender&) override {}
  void Advance(float t) override { times.push_back(t); }
  std::vector<float> times;
};

std::shared_ptr<ZT_ABObj> TestLayer::CreateRuntime() const {
  return std::make_shared<TestObject>(std::make_unique<TestLayer>(*this));
}

std::vector<uint8_t> ConstructorBytes(int32_t version, const Guid& id = Guid{}) {
  ZT_IOF_W w;
  w.WriteHeader(u"ZT_ABObj_Constructor", version);
  w.WriteString(u"layer");
  if (version >= 3) w.WriteUInt32(50);
  if (version == 2 || version == 3) {
    w.WriteHeader(u"ZT_TimeLineControl", 2);
    w.WriteLong(1);  // random
    w.WriteLong(2);  // clock mode
    for (uint32_t v : {10u, 20u, 30u, 40u, 5u, 6u}) w.WriteUInt32(v);
    w.WriteInt32(0);
    w.WriteUInt32(1000);
  }
  if (version >= 4) {
    w.WriteHeader(u"QVX_RenderObjData", 1);
    w.WriteGuid(id);
    w.WriteHeader(u"QVX_SmartTiming", 1);
    w.WriteLong(0);
    w.WriteLong(0);
    w.WriteInt32(0);
    w.WriteHeader(u"QVX_ContinuesTimeLine", 1);
    w.WriteHeader(u"QVX_Timing", 1);
  }
  return w.Take();
}

TestLayer ReadLayer(int32_t version, const Guid& id = Guid{}) {
  TestLayer layer;
  ReadWith(ConstructorBytes(version, id), [&](Archive& ar) {
    const int32_t v = ar.BeginBase(u"ZT_ABObj_Constructor", 4);
    layer.ZT_ABObj_Constructor::Serialize(ar, v);
    ar.EndBase();
  });
  return layer;
}

TEST(LayerConstructor, EveryStoredVersion) {
  const TestLayer v1 = ReadLayer(1);
  EXPECT_EQ(v1.timing.Kind(), 0);
  EXPECT_EQ(v1.timing.Line()->StoredName(), u"QVX_ContinuesTimeLine");
  EXPECT_EQ(v1.depth.Value(), 100u);
  EXPECT_TRUE(v1.identity.IsNull());
  for (int32_t v : {2, 3}) {
    const TestLayer legacy = ReadLayer(v);
    EXPECT_EQ(legacy.timing.Kind(), 1) << v;
    EXPECT_EQ(legacy.timing.ClockMode.Value(), 2) << v;
    auto* random = dynamic_cast<QVX_RandomTimeLine*>(legacy.timing.Line());
    ASSERT_NE(random, nullptr);
    EXPECT_EQ(random->VisibleRange.Max.Value(), 40u);
    EXPECT_EQ(legacy.depth.Value(), v >= 3 ? 50u : 100u);
  }
  const Guid id = *Guid::Parse(std::string_view("{0123ABCD-4567-89EF-0123-456789ABCDEF}"));
  const TestLayer v4 = ReadLayer(4, id);
  EXPECT_EQ(v4.identity, id);
  EXPECT_EQ(v4.depth.Value(), 50u);
}

TEST(LayerConstructor, ParallaxByDepth) {
  TestLayer layer;
  const std::pair<uint32_t, float> cases[] = {{100, 0.0f}, {50, 1.0f}, {200, -0.5f}, {0, 99.0f}};
  for (auto [depth, factor] : cases) {
    layer.depth.SetValue(depth);
    EXPECT_EQ(layer.ParallaxFactor(), factor) << depth;
  }
}

TEST(RuntimeLayers, IdentitiesAndTheLiveObjectMap) {
  LiveObjectMap live;
  ScreenScope scope(WithLiveObjects(&live));
  const TestLayer fresh = ReadLayer(1);
  auto a = fresh.CreateRuntime();
  EXPECT_FALSE(a->Constructor().identity.IsNull()) << "a runtime object gets an identity";
  const Guid shared = *Guid::Parse(std::string_view("{11111111-2222-3333-4444-555555555555}"));
  const TestLayer stored = ReadLayer(4, shared);
  auto first = stored.CreateRuntime();
  auto second = stored.CreateRuntime();
  EXPECT_EQ(live.Find(shared), second.get()) << "the second replaces the first";
  ASSERT_NE(live.FindTiming(shared), nullptr);
  EXPECT_EQ(live.FindTiming(shared).get(), &second->GetTiming());
  first.reset();
  EXPECT_EQ(live.Find(shared), second.get()) << "the live second keeps its entry";
  second.reset();
  EXPECT_EQ(live.Find(shared), nullptr);
  EXPECT_EQ(live.FindTiming(shared), nullptr);
}

TEST(RuntimeLayers, TickRunsWithTheSlideOrTheVisibility) {
  TestLayer layer;
  auto obj = std::static_pointer_cast<TestObject>(layer.CreateRuntime());
  obj->Tick(0.5f);
  obj->Tick(1.5f);
  obj->Tick(1.0f);  // a step back: not clamped here
  EXPECT_EQ(obj->times, (std::vector<float>{0.5f, 1.5f, 1.0f}));
  // Clock mode 2 with a manual line outside its window (visibility 0).
  TestLayer faded;
  faded.timing.SetValue(2);
  faded.timing.ClockMode.SetValue(2);
  auto still = std::static_pointer_cast<TestObject>(faded.CreateRuntime());
  for (float t : {0.1f, 0.2f, 0.3f}) still->Tick(t);
  EXPECT_EQ(still->times, (std::vector<float>{0.0f, 0.0f, 0.0f}));
  // Bit 0x20 switches the visibility rate off.
  TestLayer unslowed;
  unslowed.timing.SetValue(2);
  unslowed.timing.ClockMode.SetValue(2);
  unslowed.timing.Flags = 0x20;
  auto runs = std::static_pointer_cast<TestObject>(unslowed.CreateRuntime());
  runs->Tick(0.25f);
  EXPECT_EQ(runs->times.back(), 0.25f);
}

TEST(RuntimeLayers, DependentLinesFindTheirMasterAmongLiveObjects) {
  LiveObjectMap live;
  ScreenScope scope(WithLiveObjects(&live));
  const Guid masterId = *Guid::Parse(std::string_view("{22222222-2222-3333-4444-555555555555}"));
  const TestLayer stored = ReadLayer(4, masterId);
  auto master = stored.CreateRuntime();
  QVX_DependedTimeLine line;
  line.MasterId.SetValue(masterId);
  line.Resolve(&live);
  EXPECT_EQ(line.Master().get(), &master->GetTiming());
  EXPECT_EQ(line.State(), TimeLineState::Shown) << "mirrors the master's continuous line";
  master.reset();
  EXPECT_EQ(line.State(), TimeLineState::Hidden);
}

}  // namespace
}  // namespace glimmer
