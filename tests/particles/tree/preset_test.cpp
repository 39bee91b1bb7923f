// The particle-tree preset: its three stored versions, the tempo, sizes and
// colours it gives its leaves, and a preset playing headless.

#include "particles/tree/preset.h"

#include <gtest/gtest.h>

#include "tests/particles/tree/tree_test_support.h"

namespace glimmer::testing {
namespace {

// A preset of version v around the shipped tree shape.
std::vector<uint8_t> PresetBytes(int32_t v) {
  ZT_IOF_W w;
  w.WriteHeader(u"QVX_PtclSysPreset", v);
  w.WriteUInt32(200);  // tempo: twice as fast
  if (v > 1) {
    w.WriteInt32(1);
    w.WriteFloat(2.0f);  // the leaf's size doubled
  }
  if (v > 2) {
    w.WriteInt32(1);
    w.WriteUInt32(0x00FF00);
  }
  std::vector<uint8_t> bytes = w.Take();
  // The root's header and block follow.
  const std::vector<uint8_t> root = ShippedTreeBytes();
  bytes.insert(bytes.end(), root.begin(), root.end());
  return bytes;
}

std::shared_ptr<QVX_PtclSysPreset> ReadPreset(const std::vector<uint8_t>& bytes) {
  ZT_SafePtr<ZT_ABObj_Constructor> layer;
  ReadWith(bytes, [&](Archive& ar) { Field(ar, "layer", layer, GeneralRegistry()); });
  return std::dynamic_pointer_cast<QVX_PtclSysPreset>(layer);
}

QVX_PSTree_Leaf& Leaf(QVX_PSTree_Root& root) {
  return static_cast<QVX_PSTree_Leaf&>(*root.children.at(0)->children.at(0));
}

TEST(TreePreset, EveryVersionReadsItsLists) {
  for (int32_t v : {1, 2, 3}) {
    auto preset = ReadPreset(PresetBytes(v));
    ASSERT_TRUE(preset) << "version " << v;
    EXPECT_EQ(preset->GetKind(), 3);
    EXPECT_FLOAT_EQ(preset->tempo.Scaled(), 2.0f);
    EXPECT_EQ(preset->sizes.size(), v > 1 ? 1u : 0u);
    EXPECT_EQ(preset->colours.size(), v > 2 ? 1u : 0u);
    EXPECT_EQ(preset->children.size(), 1u) << "the root's part follows";
  }
}

TEST(TreePreset, AListLongerThanTheBytesFailsTheLoad) {
  ZT_IOF_W w;
  w.WriteHeader(u"QVX_PtclSysPreset", 3);
  w.WriteUInt32(100);
  w.WriteInt32(1'000'000'000);
  const std::vector<uint8_t> bytes = w.Take();  // the buffer only views them
  ResourceBuffer buffer(bytes);
  ZT_IOF_R reader(buffer);
  BinaryInArchive ar(reader);
  ZT_SafePtr<ZT_ABObj_Constructor> layer;
  EXPECT_ANY_THROW(Field(ar, "layer", layer, GeneralRegistry()));
}

class TreePresetRun : public TreeTest {};

TEST_F(TreePresetRun, TheRuntimeTakesTheTempoSizesAndColours) {
  auto preset = ReadPreset(PresetBytes(3));
  auto mesh = StartTree(*preset);
  QVX_PSTree_Root& clone = mesh->Root();
  EXPECT_TRUE(dynamic_cast<QVX_PtclSysPreset*>(&clone)) << "the clone keeps its kind";
  EXPECT_EQ(Leaf(clone).look.baseSize.Value(), 24u);
  EXPECT_EQ(Leaf(clone).look.colours.colours.Value().front(), 0x00FF00u);
  EXPECT_EQ(Leaf(*preset).look.baseSize.Value(), 12u) << "the constructor keeps its own";
  // Twice the tempo: the shipped tree's 20 a second become 40.
  RunTree(*mesh, 0, 1.0f);
  EXPECT_NEAR(double(clone.children[0]->geometry->pool.Count()), 40.0, 2.0);
}

TEST_F(TreePresetRun, OutOfRangeSizesAreIgnored) {
  auto preset = ReadPreset(PresetBytes(2));
  for (float bad : {-1.0f, 1000.0f, std::nanf("")}) {
    preset->sizes = {bad};
    auto mesh = StartTree(*preset);
    EXPECT_EQ(Leaf(mesh->Root()).look.baseSize.Value(), 12u) << bad;
  }
}

}  // namespace
}  // namespace glimmer::testing
