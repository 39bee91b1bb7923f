// The particle-tree layer: the shipped tree shape read from its stored
// bytes and played headless, the root's clock and restart, the batches the
// leaves build and the scene copies the tree takes.

#include "particles/tree/root.h"

#include <gtest/gtest.h>

#include "params/random_source.h"
#include "tests/particles/tree/tree_test_support.h"

namespace glimmer::testing {
namespace {

QVX_PSTree_Node& Stem(QVX_PSTree_Root& root) {
  return *root.children.at(0);
}
QVX_PtclSys_Geometry& Sparks(QVX_PtclSys_Mesh& mesh) {
  return *Stem(mesh.Root()).geometry;
}
QVX_PtclSys_Geometry& Sprites(QVX_PtclSys_Mesh& mesh) {
  return *Stem(mesh.Root()).children.at(0)->geometry;
}

TEST(TreeRoot, TheShippedShapeReadsAndRoundTrips) {
  const std::vector<uint8_t> bytes = ShippedTreeBytes();
  auto root = ReadTree(bytes);
  ASSERT_TRUE(root);
  EXPECT_EQ(root->GetKind(), 8);
  EXPECT_EQ(root->restartFlag.Value(), 1);
  EXPECT_EQ(root->position.Value(), (D3DXVECTOR3{100, 80, 0}));
  ASSERT_EQ(root->children.size(), 1u);
  auto* stem = dynamic_cast<QVX_PSTree_Stem*>(root->children[0].get());
  ASSERT_TRUE(stem);
  EXPECT_EQ(stem->parentLink, root.get());
  auto* emitter = dynamic_cast<QVX_PSGeomEmit_Point*>(stem->geometry.get());
  ASSERT_TRUE(emitter);
  EXPECT_EQ(emitter->name, u"Point Emitter");
  EXPECT_EQ(emitter->count, 20u);
  EXPECT_EQ(emitter->attached, 1);
  auto* leaf = dynamic_cast<QVX_PSTree_Leaf*>(stem->children.at(0).get());
  ASSERT_TRUE(leaf);
  EXPECT_EQ(leaf->look.blend.Value(), 1);
  EXPECT_EQ(leaf->look.texture.Value().Name, u"Particle shape 1");
  EXPECT_TRUE(dynamic_cast<QVX_PSGeometry_Point*>(leaf->geometry.get()));
  EXPECT_EQ(leaf->parentLink, stem);
  // Written at the current versions and read back, it writes the same bytes.
  const auto write = [](ZT_SafePtr<QVX_PSTree_Root> layer) {
    ZT_SafePtr<ZT_ABObj_Constructor> base = layer;
    return WriteWith([&](Archive& ar) { Field(ar, "layer", base, GeneralRegistry()); });
  };
  const auto written = write(root);
  EXPECT_EQ(write(ReadTree(written)), written);
}

TEST(TreeRoot, VersionOneHasNoRestartFlagAndRestarts) {
  ZT_IOF_W w;
  w.WriteHeader(u"QVX_PSTree_Root", 1);
  w.WriteString(u"common_res.dll");
  w.WriteUInt64(185);
  for (int k = 0; k < 3; ++k) w.WriteFloat(0);
  w.WriteLong(0);
  w.WriteInt32(0);  // no children
  w.WriteHeader(u"ZT_ABObj_Constructor", 1);
  w.WriteString(u"old tree");
  auto root = ReadTree(w.Take());
  ASSERT_TRUE(root);
  EXPECT_EQ(root->restartFlag.Value(), 1);
}

class TreeRun : public TreeTest {};

TEST_F(TreeRun, TheFirstFrameHandsNoTimeAndSparksMoveWithTheirEmitter) {
  auto root = ReadTree(ShippedTreeBytes());
  SeedRandom(1);
  auto mesh = StartTree(*root);
  // Until time has accumulated the tree gets none: the frame at 0 and the
  // first step after it hand 0.
  mesh->Advance(0.0f);
  EXPECT_EQ(mesh->Root().HandedStep(), 0.0f);
  mesh->Advance(0.02f);
  EXPECT_EQ(mesh->Root().HandedStep(), 0.0f);
  mesh->Advance(0.04f);
  EXPECT_FLOAT_EQ(mesh->Root().HandedStep(), 0.02f);
  // 20 a second, evenly: the first is due once the tree's clock passes
  // 1/20 s, which it does on the fifth frame at 50 frames a second.
  mesh->Advance(0.06f);
  EXPECT_EQ(Sparks(*mesh).pool.Count(), 0u);
  mesh->Advance(0.08f);
  ASSERT_EQ(Sparks(*mesh).pool.Count(), 1u);
  ASSERT_EQ(Sprites(*mesh).pool.Count(), 1u);
  // Born this frame and stepped once (1 pixel up): the sprite sits on its
  // spark, which hangs on the root particle at the layer's position.
  const TreeParticle& spark = *Sparks(*mesh).pool.Live()[0];
  const TreeParticle& sprite = *Sprites(*mesh).pool.Live()[0];
  EXPECT_EQ(sprite.parent.Get(), &spark);
  const D3DXVECTOR3 at = sprite.World();
  EXPECT_NEAR(at.x, 102, 1e-4);  // the root (100, 80) + the geometries' (1, 2) twice
  EXPECT_NEAR(at.y, 83, 1e-4);
  // One second on, about 20 sparks fly upwards at 50 pixels a second and
  // every sprite follows its spark.
  RunTree(*mesh, 0.10f, 1.10f);
  EXPECT_NEAR(double(Sparks(*mesh).pool.Count()), 20.0, 1.0);
  EXPECT_EQ(Sprites(*mesh).pool.Count(), Sparks(*mesh).pool.Count());
  for (TreeParticle* p : Sprites(*mesh).pool.Live()) {
    const TreeParticle* parent = p->parent.Get();
    ASSERT_TRUE(parent);
    const D3DXVECTOR3 d = p->World() - parent->World();
    EXPECT_NEAR(d.x, 1, 1e-3);
    EXPECT_NEAR(d.y, 2, 1e-3);
    EXPECT_LT(parent->position.y, 2.0f + 1e-3f);  // above its birth: y runs down
  }
  // One batch for the one leaf, as many quads as sprites.
  EXPECT_EQ(mesh->BatchesInUse(), 1u);
  EXPECT_EQ(mesh->Batches()[0].count, uint32_t(Sprites(*mesh).pool.Count()));
}

TEST_F(TreeRun, SparksDieAtTheirLifeAndTakeTheirSpritesWithThem) {
  auto root = ReadTree(ShippedTreeBytes());
  auto mesh = StartTree(*root);
  RunTree(*mesh, 0, 5);
  // A life of 2 s at 20 a second: about 40 live, never more than 41.
  EXPECT_LE(Sparks(*mesh).pool.Count(), 41u);
  EXPECT_GE(Sparks(*mesh).pool.Count(), 39u);
  EXPECT_EQ(Sprites(*mesh).pool.Count(), Sparks(*mesh).pool.Count());
  for (TreeParticle* p : Sprites(*mesh).pool.Live()) EXPECT_TRUE(p->parent.Get());
}

TEST_F(TreeRun, RestartRespawnsOnlyWithTheFlag) {
  for (int32_t flag : {0, 1}) {
    auto root = ReadTree(ShippedTreeBytes(20, flag));
    auto mesh = StartTree(*root);
    RunTree(*mesh, 0, 1);
    const size_t before = Sparks(*mesh).pool.Count();
    ASSERT_GT(before, 0u);
    mesh->Restart();
    EXPECT_EQ(Sparks(*mesh).pool.Count(), flag ? 0u : before) << "restart flag " << flag;
    if (flag) {
      mesh->Advance(0);
      EXPECT_EQ(mesh->Root().HandedStep(), 0.0f) << "a restarted clock hands no time first";
    }
  }
}

TEST_F(TreeRun, EveryGlowOverTheSceneCountsItsCopy) {
  auto root = ReadTree(ShippedTreeBytes());
  // A second leaf beside the first; both glow over a scene copy.
  auto& stem = Stem(*root);
  stem.children.push_back(CloneItem(stem.children[0]));
  for (auto& child : stem.children) {
    static_cast<QVX_PSTree_Leaf&>(*child).look.glowMode.SetValue(2);
  }
  auto mesh = StartTree(*root);
  EXPECT_TRUE(mesh->NeedsSceneCopy());
  EXPECT_EQ(mesh->SceneCopyCount(), 2);
  mesh->SetActive(false);
  EXPECT_EQ(mesh->SceneCopyCount(), 0);
}

TEST_F(TreeRun, NullChildrenAreSkipped) {
  auto root = ReadTree(ShippedTreeBytes());
  root->children.push_back(nullptr);
  Stem(*root).children.insert(Stem(*root).children.begin(), nullptr);
  auto mesh = StartTree(*root);
  RunTree(*mesh, 0, 1);
  EXPECT_GT(Stem(mesh->Root()).children.at(1)->geometry->pool.Count(), 0u);
}

TEST_F(TreeRun, ALayerWithoutIdentityStandsAtTheTargetCentre) {
  auto root = ReadTree(ShippedTreeBytes());
  root->keepIdentity = 0;
  auto mesh = StartTree(*root);
  EXPECT_EQ(mesh->Root().position.Value(), (D3DXVECTOR3{160, 90, 0}));
  EXPECT_EQ(root->position.Value(), (D3DXVECTOR3{100, 80, 0})) << "the constructor keeps its own";
}

TEST_F(TreeRun, TheCloneSharesNothingWithTheConstructor) {
  auto root = ReadTree(ShippedTreeBytes());
  auto mesh = StartTree(*root);
  RunTree(*mesh, 0, 1);
  EXPECT_EQ(Stem(*root).geometry->pool.Count(), 0u);
  EXPECT_NE(Stem(*root).geometry.get(), Stem(mesh->Root()).geometry.get());
}

}  // namespace
}  // namespace glimmer::testing
