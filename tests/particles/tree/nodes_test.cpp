// Tree nodes and the items the tree reads: every geometry, emitter and
// leaf kind read from its stored bytes and written back the same, the
// force block's older version, the leaf's techniques and quad colours, and
// followers that die with their parent in the parent's step.

#include "particles/tree/nodes.h"

#include <gtest/gtest.h>

#include <functional>

#include "params/random_source.h"
#include "tests/particles/tree/tree_test_support.h"

namespace glimmer::testing {
namespace {

void WriteForces(ZT_IOF_W& w, int32_t version = 2) {
  w.WriteLong(version);
  if (version > 1) w.WriteLong(2);  // quadratic drag
  w.WriteLong(1);                   // gravity down
  w.WriteUInt32(4);
  w.WriteUInt32(30);
}

void WriteEmitterBase(ZT_IOF_W& w) {
  w.WriteHeader(u"QVX_PSGeometry_Emitter", 1);
  w.WriteFloat(1.5f);
  w.WriteUInt32(12);
  w.WriteFloat(0.5f);
  w.WriteFloat(0.25f);
  w.WriteFloat(0.1f);
  w.WriteUInt32(40);
  w.WriteUInt32(20);
  w.WriteLong(0);
  WriteGeometryBase(w, u"geometry");
}

void WritePath(ZT_IOF_W& w) {
  w.WriteHeader(u"QVX_PSGeometry_Line", 1);
  w.WriteInt32(0);  // no control points
  WriteEmitterBase(w);
}

// Each item's bytes, its own block first, then its bases.
struct ItemCase {
  std::u16string name;
  int32_t version;
  std::function<void(ZT_IOF_W&)> block;
};

std::vector<ItemCase> ItemCases() {
  return {
      {u"QVX_PSGeomEmit_Point", 1,
       [](ZT_IOF_W& w) {
         for (uint32_t u : {45u, 30u, 5u}) w.WriteUInt32(u);
         w.WriteLong(1);  // cone
         WriteForces(w);
         WriteEmitterBase(w);
       }},
      {u"QVX_PSGeomEmit_Sector", 1,
       [](ZT_IOF_W& w) {
         for (uint32_t u : {90u, 60u, 25u, 270u, 15u}) w.WriteUInt32(u);
         WriteForces(w);
         WriteEmitterBase(w);
       }},
      {u"QVX_PSGeomEmit_Rect", 1,
       [](ZT_IOF_W& w) {
         for (uint32_t u : {120u, 30u, 90u, 10u}) w.WriteUInt32(u);
         WriteForces(w);
         WriteEmitterBase(w);
       }},
      {u"QVX_PSGeomEmit_Stream", 1,
       [](ZT_IOF_W& w) {
         for (float f : {0.0f, 10.0f, 0.0f, 200.0f, 10.0f, 0.0f}) w.WriteFloat(f);
         w.WriteUInt32(80);
         w.WriteUInt32(100);
         w.WriteLong(1);
         WriteEmitterBase(w);
       }},
      {u"QVX_PSGeomEmit_Line", 2, [](ZT_IOF_W& w) { WritePath(w); }},
      {u"QVX_PSGeomEmit_Path", 1,
       [](ZT_IOF_W& w) {
         w.WriteLong(1);
         w.WriteUInt32(90);
         w.WriteUInt32(20);
         WritePath(w);
       }},
      {u"QVX_PSGeometry_Point", 1, [](ZT_IOF_W& w) { WriteGeometryBase(w, u"point"); }},
      {u"QVX_PSGeometry_Trace", 1, [](ZT_IOF_W& w) { WriteGeometryBase(w, u"trace"); }},
      {u"QVX_PSGeometry_Swarm", 1,
       [](ZT_IOF_W& w) {
         for (uint32_t u : {80u, 40u, 100u, 150u, 30u, 12u}) w.WriteUInt32(u);
         WriteGeometryBase(w, u"swarm");
       }},
      {u"QVX_PSTree_Stem", 1,
       [](ZT_IOF_W& w) {
         w.WriteHeader(u"QVX_PSTree_Node", 1);
         w.WriteString(u"stem");
         w.WriteHeader(u"QVX_PSGeometry_Point", 1);
         WriteGeometryBase(w, u"point");
         w.WriteInt32(0);
       }},
      {u"QVX_PSTree_Leaf", 1,
       [](ZT_IOF_W& w) {
         WriteLeafBlock(w);
         w.WriteHeader(u"QVX_PSTree_Node", 1);
         w.WriteString(u"leaf");
         w.WriteHeader(u"QVX_PSGeometry_Point", 1);
         WriteGeometryBase(w, u"point");
         w.WriteInt32(0);
       }},
      {u"QVX_PSTree_Trace", 1,
       [](ZT_IOF_W& w) {
         w.WriteFloat(0.75f);
         for (int k = 0; k < 2; ++k) {
           w.WriteLong(1);
           for (uint32_t u : {0u, 10u, 50u, 0u, 20u, 0u, 1u}) w.WriteUInt32(u);
         }
         w.WriteHeader(u"QVX_PSTree_Leaf", 1);
         WriteLeafBlock(w);
         w.WriteHeader(u"QVX_PSTree_Node", 1);
         w.WriteString(u"trail");
         w.WriteHeader(u"QVX_PSGeometry_Trace", 1);
         WriteGeometryBase(w, u"trace");
         w.WriteInt32(0);
       }},
      {u"QVX_PartyBalloon", 1,
       [](ZT_IOF_W& w) {
         w.WriteUInt32(25);
         w.WriteUInt32(80);
         w.WriteHeader(u"QVX_PSTree_Leaf", 1);
         WriteLeafBlock(w);
         w.WriteHeader(u"QVX_PSTree_Node", 1);
         w.WriteString(u"balloons");
         w.WriteHeader(u"QVX_PSGeometry_Point", 1);
         WriteGeometryBase(w, u"point");
         w.WriteInt32(0);
       }},
  };
}

TEST(TreeItems, EveryItemReadsItsBytesAndWritesThemBack) {
  const std::vector<ItemCase> cases = ItemCases();
  EXPECT_EQ(cases.size(), ItemRegistry().RegisteredNames().size()) << "one case per item class";
  for (const ItemCase& c : cases) {
    SCOPED_TRACE(ToUtf8(c.name));
    ZT_IOF_W w;
    w.WriteHeader(c.name, c.version);
    c.block(w);
    const std::vector<uint8_t> bytes = w.Take();
    ZT_SafePtr<QVX_IOF_Item> item;
    ReadWith(bytes, [&](Archive& ar) { Field(ar, "item", item, ItemRegistry()); });
    ASSERT_TRUE(item);
    EXPECT_EQ(item->StoredName(), c.name);
    EXPECT_EQ(WriteWith([&](Archive& ar) { Field(ar, "item", item, ItemRegistry()); }), bytes);
    // The clone writes the same bytes.
    ZT_SafePtr<QVX_IOF_Item> copy = CloneItem(item);
    EXPECT_EQ(WriteWith([&](Archive& ar) { Field(ar, "item", copy, ItemRegistry()); }), bytes);
  }
}

TEST(TreeItems, FieldsLandWhereTheyBelong) {
  ZT_IOF_W w;
  w.WriteHeader(u"QVX_PSGeomEmit_Point", 1);
  ItemCases()[0].block(w);
  ZT_SafePtr<QVX_PtclSys_Geometry> g;
  ReadWith(w.Take(), [&](Archive& ar) { Field(ar, "item", g, ItemRegistry()); });
  auto& e = dynamic_cast<QVX_PSGeomEmit_Point&>(*g);
  EXPECT_EQ(e.direction.Value(), 45u);
  EXPECT_EQ(e.cone, 1);
  EXPECT_EQ(e.forces.dragMode.Value(), 2);
  EXPECT_FLOAT_EQ(e.forces.gravity.Scaled(), 20.0f);
  EXPECT_FLOAT_EQ(e.forces.drag.Scaled(), -0.3f);
  EXPECT_FLOAT_EQ(e.life, 1.5f);
  EXPECT_EQ(e.count, 12u);
  EXPECT_FLOAT_EQ(e.delay, 0.1f);
  EXPECT_FLOAT_EQ(e.speed.Scaled(), 40.0f);
  EXPECT_FLOAT_EQ(e.speed.Spread.Scaled(), 0.8f);
  EXPECT_EQ(e.name, u"geometry");
  EXPECT_EQ(e.position.Value(), (D3DXVECTOR3{1, 2, 0}));
  EXPECT_FLOAT_EQ(e.size.Scaled(), 1.0f);
  EXPECT_FLOAT_EQ(e.opacity.Scaled(), 1.0f);
  EXPECT_FLOAT_EQ(e.sizeEnvelope.s[6].Scaled(), 1.0f);
}

TEST(TreeItems, ForcesOfVersionOneDragLinearly) {
  ZT_IOF_W w;
  w.WriteHeader(u"QVX_PSGeomEmit_Rect", 1);
  for (uint32_t u : {120u, 30u, 90u, 10u}) w.WriteUInt32(u);
  WriteForces(w, 1);
  WriteEmitterBase(w);
  ZT_SafePtr<QVX_PtclSys_Geometry> g;
  ReadWith(w.Take(), [&](Archive& ar) { Field(ar, "item", g, ItemRegistry()); });
  auto& rect = dynamic_cast<QVX_PSGeomEmit_Rect&>(*g);
  EXPECT_EQ(rect.forces.dragMode.Value(), 3);
  EXPECT_EQ(rect.forces.gravityMode.Value(), 1);
}

TEST(TreeItems, AGeometryThatIsNotOneFailsTheLoad) {
  ZT_IOF_W w;
  w.WriteHeader(u"QVX_PSTree_Stem", 1);
  w.WriteHeader(u"QVX_PSTree_Node", 1);
  w.WriteString(u"stem");
  w.WriteHeader(u"QVX_PSTree_Stem", 1);         // a node where the geometry stands
  const std::vector<uint8_t> bytes = w.Take();  // the buffer only views them
  ResourceBuffer buffer(bytes);
  ZT_IOF_R reader(buffer);
  BinaryInArchive ar(reader);
  ZT_SafePtr<QVX_IOF_Item> item;
  EXPECT_ANY_THROW(Field(ar, "item", item, ItemRegistry()));
}

TEST(TreeLeaf, TechniquesFollowBlendAndPremultipliedAlpha) {
  EXPECT_STREQ(QVX_PSTree_Leaf::Technique(0, false), "BlendNormal");
  EXPECT_STREQ(QVX_PSTree_Leaf::Technique(0, true), "BlendNormal_AlphaPM");
  EXPECT_STREQ(QVX_PSTree_Leaf::Technique(1, false), "BlendSum");
  EXPECT_STREQ(QVX_PSTree_Leaf::Technique(1, true), "BlendSum");
  // Values outside 0..1 stay inside the table.
  EXPECT_STREQ(QVX_PSTree_Leaf::Technique(7, true), "BlendSum");
  EXPECT_STREQ(QVX_PSTree_Leaf::Technique(-3, false), "BlendNormal");
}

TEST(TreeLeaf, QuadColoursClampAlphaAndChannels) {
  TreeParticle p;
  p.Initialise({});
  p.colour = {255, 128, 0};
  p.base[2] = 3;  // thrice opaque
  EXPECT_EQ(QVX_PSTree_Leaf::QuadColour(p, 255) >> 24, 255u) << "not wrapped past a byte";
  EXPECT_EQ(QVX_PSTree_Leaf::QuadColour(p, 255) & 0xFFFFFF, 0xFF8000u);
  p.base[2] = 0.5f;
  EXPECT_EQ(QVX_PSTree_Leaf::QuadColour(p, 255) >> 24, 128u);
  p.colour = {400, -5, std::nanf("")};
  p.prm[2] = std::nanf("");
  EXPECT_EQ(QVX_PSTree_Leaf::QuadColour(p, 255), 0x00FF0000u);
}

TEST(TreeNodes, FollowersDieInTheStepTheirParentDies) {
  QVX_PSGeomEmit_Point sparks;
  QVX_PSGeometry_Point sprites;
  TreeParticle* spark = sparks.CreateParticle({});
  ASSERT_TRUE(spark);
  std::vector<TreeParticle*> out;
  sprites.Spawn(spark->Handle(), out);
  ASSERT_EQ(out.size(), 1u);
  sprites.Step(0.02f);
  EXPECT_EQ(sprites.pool.Count(), 1u);
  // The spark dies in its step; its node steps before the children, so the
  // sprite goes in the same frame.
  spark->flags |= kTreeParticleDead;
  sparks.Step(0.02f);
  EXPECT_EQ(sparks.pool.Count(), 0u);
  sprites.Step(0.02f);
  EXPECT_EQ(sprites.pool.Count(), 0u);
  // The freed slot is reused with a new generation.
  TreeParticle* again = sparks.CreateParticle({});
  EXPECT_EQ(again, spark);
}

// An emission's random draws: the shared setup (life, place, size and
// opacity jitter) of every particle of the step first, then each one's own
// direction and speed. So the first particle's direction depends on how many
// are born with it, its shared setup does not.
TEST(TreeNodes, AnEmissionSetsUpEveryParticleBeforeDrawingTheirDirections) {
  struct First {
    float size;
    D3DXVECTOR3 direction;
  };
  const auto firstOf = [](uint32_t count) {
    QVX_PSGeomEmit_Point parents, point;
    TreeParticle* parent = parents.CreateParticle({});
    point.count = count;
    point.duration = 1;
    point.spread.SetValue(360);
    point.size.Spread.SetValue(80);
    std::vector<TreeParticle*> out;
    SeedRandom(7);
    point.Emit(1.0f, *parent, out);
    EXPECT_EQ(out.size(), count);
    point.Step(0.0f);  // the jittered size applied
    return out.empty() ? First{} : First{out[0]->base[1], out[0]->direction};
  };
  const First alone = firstOf(1), ofFour = firstOf(4);
  EXPECT_EQ(alone.size, ofFour.size) << "the shared setup comes first either way";
  EXPECT_NE(alone.size, 1.0f) << "and it draws";
  EXPECT_GT(Length(alone.direction - ofFour.direction), 1e-3f)
      << "the direction waits for the whole burst's setup";
}

class TreeNodeRun : public TreeTest {};

TEST_F(TreeNodeRun, EveryLeafBuildsAndDrawsTheBatchOfItsOwn) {
  // Two leaves under one stem, in reverse child order in both passes.
  auto root = ReadTree(ShippedTreeBytes());
  auto& stem = *root->children[0];
  auto second = CloneItem(stem.children[0]);
  static_cast<QVX_PSTree_Leaf&>(*second).look.baseSize.SetValue(30);
  stem.children.push_back(second);
  auto mesh = StartTree(*root);
  RunTree(*mesh, 0, 1);
  ASSERT_EQ(mesh->BatchesInUse(), 2u);
  // Both leaves follow the same sparks: as many quads each.
  EXPECT_GT(mesh->Batches()[0].count, 0u);
  EXPECT_EQ(mesh->Batches()[0].count, mesh->Batches()[1].count);
}

TEST_F(TreeNodeRun, SwarmsTracesAndPathsPlay) {
  auto root = TreeFromJson(R"({"class": "QVX_PSTree_Root", "position": {"x": 160, "y": 90, "z": 0},
    "children": [{"class": "QVX_PSTree_Stem", "QVX_PSTree_Node": {"name": "movers",
      "geometry": {"class": "QVX_PSGeomEmit_Sector", "radius": 20,
        "QVX_PSGeometry_Emitter": {"count": 10, "speed": 60, "life": 3}},
      "children": [
        {"class": "QVX_PSTree_Trace", "QVX_PSTree_Leaf": {"QVX_PSTree_Node": {"name": "trail",
          "geometry": {"class": "QVX_PSGeometry_Trace"}}}},
        {"class": "QVX_PSTree_Leaf", "QVX_PSTree_Node": {"name": "swarm",
          "geometry": {"class": "QVX_PSGeometry_Swarm", "count": 3}}}]}},
     {"class": "QVX_PSTree_Leaf", "QVX_PSTree_Node": {"name": "stream",
       "geometry": {"class": "QVX_PSGeomEmit_Stream", "perspective": 1,
         "QVX_PSGeometry_Emitter": {"count": 10, "speed": 50}}}}]})");
  ASSERT_TRUE(root);
  auto mesh = StartTree(*root);
  RunTree(*mesh, 0, 2);
  auto& movers = *mesh->Root().children[0];
  const size_t n = movers.geometry->pool.Count();
  EXPECT_GT(n, 10u);
  EXPECT_GT(movers.children[0]->geometry->pool.Count(), n) << "trails of several drops";
  EXPECT_EQ(movers.children[1]->geometry->pool.Count(), 3 * n);
  EXPECT_GT(mesh->Root().children[1]->geometry->pool.Count(), 0u) << "a leaf that emits itself";
  EXPECT_EQ(mesh->BatchesInUse(), 3u);
  for (const TreeBatch& b : mesh->Batches()) EXPECT_GT(b.count, 0u);
}

TEST_F(TreeNodeRun, ALeafsChildrenAreKeptButNeverPlayed) {
  // A leaf under a leaf: stored with the document, never spawned, stepped or
  // drawn, so nothing piles up in it however long the tree runs.
  auto root = TreeFromJson(R"({"class": "QVX_PSTree_Root", "position": {"x": 160, "y": 90, "z": 0},
    "children": [{"class": "QVX_PSTree_Stem", "QVX_PSTree_Node": {"name": "sparks",
      "geometry": {"class": "QVX_PSGeomEmit_Sector", "radius": 20,
        "QVX_PSGeometry_Emitter": {"count": 10, "speed": 60, "life": 3}},
      "children": [{"class": "QVX_PSTree_Leaf", "QVX_PSTree_Node": {"name": "sprites",
        "geometry": {"class": "QVX_PSGeometry_Point"},
        "children": [{"class": "QVX_PSTree_Leaf", "QVX_PSTree_Node": {"name": "inner",
          "geometry": {"class": "QVX_PSGeometry_Point"}}}]}}]}}]})");
  ASSERT_TRUE(root);
  auto mesh = StartTree(*root);
  RunTree(*mesh, 0, 60);
  auto& sparks = *mesh->Root().children[0];
  auto& sprites = *sparks.children[0];
  ASSERT_EQ(sprites.children.size(), 1u) << "the inner leaf is kept";
  const size_t live = sparks.geometry->pool.Count();
  EXPECT_GT(live, 0u);
  EXPECT_EQ(sprites.geometry->pool.Count(), live) << "one sprite a spark";
  EXPECT_EQ(sprites.children[0]->geometry->pool.Count(), 0u) << "the inner leaf spawns nothing";
  EXPECT_EQ(mesh->BatchesInUse(), 1u) << "and draws nothing";
}

TEST_F(TreeNodeRun, BalloonsHangOnStringsBelowThem) {
  auto root = TreeFromJson(R"({"class": "QVX_PSTree_Root", "position": {"x": 160, "y": 90, "z": 0},
    "children": [{"class": "QVX_PSTree_Stem", "QVX_PSTree_Node": {"name": "risers",
      "geometry": {"class": "QVX_PSGeomEmit_Sector", "radius": 20,
        "QVX_PSGeometry_Emitter": {"count": 10, "speed": 30, "life": 5}},
      "children": [{"class": "QVX_PartyBalloon", "QVX_PSTree_Leaf": {
        "baseSize": 24,
        "QVX_PSTree_Node": {"name": "balloons", "geometry": {"class": "QVX_PSGeometry_Point"}}}}]}}]})");
  ASSERT_TRUE(root);
  auto mesh = StartTree(*root);
  RunTree(*mesh, 0, 2);
  auto& balloons = static_cast<QVX_PartyBalloon&>(*mesh->Root().children[0]->children[0]);
  const std::vector<TreeParticle*>& live = balloons.geometry->pool.Live();
  ASSERT_GT(live.size(), 0u);
  ASSERT_EQ(balloons.StringCount(), live.size()) << "a string a balloon";
  ASSERT_NE(balloons.StringQuads(), nullptr);
  const auto* v = static_cast<const DX_V::PCT*>(balloons.StringQuads()->VertexBuffer->Lock(0, 0));
  for (size_t k = 0; k < live.size(); ++k) {
    SCOPED_TRACE(k);
    const D3DXVECTOR3 c = live[k]->World();
    const DX_V::PCT* q = v + 4 * k;
    EXPECT_GT(q[1].y, c.y) << "the string starts below the balloon's middle";
    EXPECT_NEAR(q[0].y - q[1].y, 1.5f * 24, 1e-3) << "and hangs a balloon and a half down";
    EXPECT_NEAR(q[0].x, q[1].x, 1e-4) << "straight down";
    EXPECT_LT(std::fabs(q[0].x - c.x), 24.0f);
    EXPECT_EQ(q[0].color & 0x00FFFFFFu, 0x00C8C8C8u);
  }
  balloons.StringQuads()->VertexBuffer->Unlock();
}

}  // namespace
}  // namespace glimmer::testing
