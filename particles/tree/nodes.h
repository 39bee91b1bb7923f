#pragma once
// Nodes of the particle tree. Every node owns one geometry; a stem only
// creates and moves particles for its children, a leaf also draws its
// geometry's particles as one quad batch (with the particle shader and an
// optional glow). The trace leaf draws trails, the party balloon swaying
// balloons.

#include <memory>
#include <vector>

#include "params/animated_params.h"
#include "particles/particle_engine.h"
#include "particles/tree/followers.h"
#include "particles/tree/geometries.h"
#include "render/meshes.h"
#include "render/render_targets.h"

namespace glimmer {

class Effect;
class GpuDevice;
class QVX_DocResManager;
class QVX_PSTree_Node;
class ZT_ABRender;

// One drawing leaf's quads for the frame.
struct TreeBatch {
  ZT_IndexedMesh<DX_V::PCT> quads{nullptr};
  uint32_t count = 0;
};

// What drawing a tree needs: the batches, the running batch index, the
// root's effect and the pass.
struct TreeDrawing {
  ZT_ABRender* renderer = nullptr;
  std::vector<TreeBatch>* batches = nullptr;
  size_t index = 0;
  Effect* rootEffect = nullptr;
  int pass = 0;
};

class QVX_PSTree_Node_Parent {
 public:
  virtual ~QVX_PSTree_Node_Parent() = default;
  // The child spawns its particles for every current particle of this parent.
  virtual void SpawnChild(QVX_PSTree_Node& child) = 0;
};

using TreeNodeList = std::vector<ZT_SafePtr<QVX_PSTree_Node>>;
// The stored children: a count, then each node through the item registry.
void FieldNodes(Archive& ar, std::string_view name, TreeNodeList& children);
// A deep copy of every child.
TreeNodeList CloneNodes(const TreeNodeList& children);

class QVX_PSTree_Node : public QVX_IOF_Item, public QVX_PSTree_Node_Parent {
  GLIMMER_STORED_CLASS(QVX_PSTree_Node, 1)

 public:
  QVX_PSTree_Node();
  QVX_PSTree_Node(const QVX_PSTree_Node& o);
  QVX_PSTree_Node& operator=(const QVX_PSTree_Node&) = delete;

  // Name, the geometry, the children.
  void Serialize(Archive& ar, int32_t version) override;

  // The leaves below (or this one) whose glow draws over a scene copy.
  virtual int CountBackgroundUsers() const;
  // Particles for parent particle P, and the children's for each of them.
  virtual void Spawn(const ParticleHandle& parent);
  // One step for the particles of the node above; returns the batches used.
  virtual int AdvanceNode(float dt, const std::vector<TreeParticle*>& parents) = 0;
  virtual void BuildNode(std::vector<TreeBatch>& batches, size_t& index) = 0;
  virtual void DrawNode(TreeDrawing& drawing) = 0;
  // Loads what the node draws with and links the children to it.
  virtual void AttachNode(QVX_DocResManager* resources, GpuDevice* device);
  // Drops this node's particles and its children's.
  virtual void ResetNode();
  void SpawnChild(QVX_PSTree_Node& child) override;

  std::u16string name;
  QVX_PSTree_Node_Parent* parentLink = nullptr;
  ZT_SafePtr<QVX_PtclSys_Geometry> geometry;
  TreeNodeList children;

 protected:
  FreshOnCopy<std::vector<TreeParticle*>> spawned_;
};

class QVX_PSTree_Stem : public QVX_PSTree_Node {
  GLIMMER_STORED_CLASS(QVX_PSTree_Stem)
  GLIMMER_TREE_ITEM(QVX_PSTree_Stem)

 public:
  QVX_PSTree_Stem();
  void Serialize(Archive& ar, int32_t version) override;
  // Emits for every parent, spawns the children's particles on the
  // newborns, steps the geometry, then advances the children.
  int AdvanceNode(float dt, const std::vector<TreeParticle*>& parents) override;
  void BuildNode(std::vector<TreeBatch>& batches, size_t& index) override;
  void DrawNode(TreeDrawing& drawing) override;

 private:
  FreshOnCopy<std::vector<TreeParticle*>> newborn_;
};

class QVX_PSTree_Leaf : public QVX_PSTree_Node {
  GLIMMER_STORED_CLASS(QVX_PSTree_Leaf)
  GLIMMER_TREE_ITEM(QVX_PSTree_Leaf)

 public:
  QVX_PSTree_Leaf();
  void Serialize(Archive& ar, int32_t version) override;

  int CountBackgroundUsers() const override;
  void Spawn(const ParticleHandle& parent) override;
  // The texture clock, births of an emitting geometry, the step; one batch.
  int AdvanceNode(float dt, const std::vector<TreeParticle*>& parents) override;
  // Writes the geometry's particles as quads into the next batch.
  void BuildNode(std::vector<TreeBatch>& batches, size_t& index) override;
  // The glow, then the batch with the technique of its blend.
  void DrawNode(TreeDrawing& drawing) override;
  void AttachNode(QVX_DocResManager* resources, GpuDevice* device) override;

  // The technique for a blend (0 normal, 1 additive; others clamped) and a
  // texture with premultiplied alpha or not.
  static const char* Technique(int32_t blend, bool premultiplied);
  // A quad's colour: alpha = `alphaByte` × the opacity chain, the particle's
  // colour channels, each clamped to a byte (NaN gives 0).
  static uint32_t QuadColour(const TreeParticle& p, float alphaByte);

  // The drawing fields (effect, texture and its clock, flips, base size,
  // colours, blend, glow) kept in the particle look the flat systems use.
  ParticleAppearance look;

 protected:
  // What the leaf lends its geometry.
  virtual LeafLink MakeLink() const;
  // An extra turn of particle p's quad about its centre (radians).
  virtual float ExtraTurn(const TreeParticle& p) const {
    (void)p;
    return 0;
  }
  void SerializeLeaf(Archive& ar);
  // The loaded texture frames and effect (null when none).
  const TextureFrames& Frames() const { return loaded_.value.frames; }
  Effect* LoadedEffect() const { return loaded_.value.effect.get(); }

 private:
  struct Loaded {
    TextureFrames frames;
    std::shared_ptr<Effect> effect;
    std::unique_ptr<QVX_BlurSurface> glow;
    float clock = 0;
    bool linked = false;
  };
  void EnsureLinked();
  FreshOnCopy<Loaded> loaded_;
};

// A leaf that draws trails: a trail life (s) and the trail's size and
// opacity over it, which its trace geometry takes.
class QVX_PSTree_Trace : public QVX_PSTree_Leaf {
  GLIMMER_STORED_CLASS(QVX_PSTree_Trace)
  GLIMMER_TREE_ITEM(QVX_PSTree_Trace)

 public:
  QVX_PSTree_Trace();
  void Serialize(Archive& ar, int32_t version) override;

  float trailLife = 0.5f;
  LifeEnvelope7 trailSize, trailOpacity;

 protected:
  LeafLink MakeLink() const override;
};

// A leaf of balloons that sway about their centres on strings: the sway's
// angle (degrees) and frequency (u × 0.01 swings a second). Each balloon's
// string hangs straight down from the middle of its lower edge, one and a
// half balloons long, drawn under the balloons in a light grey.
class QVX_PartyBalloon : public QVX_PSTree_Leaf {
  GLIMMER_STORED_CLASS(QVX_PartyBalloon)
  GLIMMER_TREE_ITEM(QVX_PartyBalloon)

 public:
  void Serialize(Archive& ar, int32_t version) override;
  // The balloons' batch, then their strings.
  void BuildNode(std::vector<TreeBatch>& batches, size_t& index) override;
  // The strings, then the balloons over them.
  void DrawNode(TreeDrawing& drawing) override;
  void AttachNode(QVX_DocResManager* resources, GpuDevice* device) override;

  // The strings' quads (one a balloon) as last built.
  const ZT_IndexedMesh<DX_V::PCT>* StringQuads() const { return strings_.value.quads.get(); }
  uint32_t StringCount() const { return strings_.value.count; }

  UINTSclaleTo<float> swayAngle{15, 1.0f, 0.0f};
  UINTSclaleTo<float> swayFrequency{50, 0.01f, 0.0f};

 protected:
  float ExtraTurn(const TreeParticle& p) const override;

 private:
  struct Strings {
    std::unique_ptr<ZT_IndexedMesh<DX_V::PCT>> quads;
    uint32_t count = 0;
    TexturePtr white;  // the strings' texture: the shared module's plain white
  };
  FreshOnCopy<Strings> strings_;
};

}  // namespace glimmer
