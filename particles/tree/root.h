#pragma once
// QVX_PSTree_Root: the particle-tree layer. It holds the tree's nodes and
// gives them one root particle at the layer's position, from which the first
// geometries emit. Its runtime, QVX_PtclSys_Mesh, plays a clone of the tree:
// the frame cycle (clock, advance, quads) and the drawing of every leaf.

#include <memory>
#include <vector>

#include "document/file_links.h"
#include "params/animated_params.h"
#include "particles/tree/nodes.h"
#include "scene/layer_kind.h"

namespace glimmer {

class QVX_PtclSys_Mesh;

class QVX_PSTree_Root : public ZT_ABObj_Constructor, public QVX_PSTree_Node_Parent {
  GLIMMER_LAYER_KIND(QVX_PSTree_Root)

 public:
  QVX_PSTree_Root();
  QVX_PSTree_Root(const QVX_PSTree_Root& o);
  QVX_PSTree_Root& operator=(const QVX_PSTree_Root&) = delete;

  // Effect, position, a reserved value, the restart flag (version 2), the
  // children, then the layer's part.
  void Serialize(Archive& ar, int32_t version) override;

  // 8 for a tree, 3 for a preset.
  virtual int32_t GetKind() const { return 8; }
  // A copy of the root and its whole tree.
  virtual std::unique_ptr<QVX_PSTree_Root> Clone() const;
  // With the restart flag: every node drops its particles, the root
  // particle's age is 0 and the children spawn again. Without it nothing
  // changes.
  void Restart() override;

  // Loads the effect, places a layer without identity at the target's
  // centre, attaches and spawns every child.
  void AttachRuntime(QVX_DocResManager* resources, GpuDevice* device, float targetWidth,
                     float targetHeight);
  // The frame cycle to layer time t; returns the batches the leaves need
  // and writes them (`batches` grows to fit through `grow`).
  template <class Grow>
  void AdvanceTree(float t, std::vector<TreeBatch>& batches, Grow grow);
  void DrawTree(ZT_ABRender& renderer, std::vector<TreeBatch>& batches, int pass);
  void SpawnChild(QVX_PSTree_Node& child) override;
  int CountBackgroundUsers() const;
  // The step the last frame handed to the tree.
  float HandedStep() const { return handed_; }

  ZT_HLSLEffectFile effect{u"common_res.dll", 185};
  MediaParamT<D3DXVECTOR3> position;
  int32_t reservedLong = 0;
  MediaParamT<int32_t> restartFlag{1};
  TreeNodeList children;
  MediaSpeedParam speed;
  TreeParticle rootParticle;

 protected:
  // What a kind changes in its clone before it spawns (a preset's values).
  virtual void Prepare() {}

 private:
  void SpawnAll();
  FreshOnCopy<std::shared_ptr<Effect>> loadedEffect_;
  float accumulated_ = 0, handed_ = 0;
  std::vector<TreeParticle*> rootList_;
};

// The runtime: the cloned root and one quad batch per drawing leaf.
class QVX_PtclSys_Mesh : public ZT_ABObj {
 public:
  explicit QVX_PtclSys_Mesh(const QVX_PSTree_Root& root);

  QVX_PSTree_Root& Root() { return static_cast<QVX_PSTree_Root&>(Constructor()); }
  const QVX_PSTree_Root& Root() const { return static_cast<const QVX_PSTree_Root&>(Constructor()); }
  const std::vector<TreeBatch>& Batches() const { return batches_; }
  size_t BatchesInUse() const { return inUse_; }

  void Advance(float t) override;
  void Draw(ZT_ABRender&) override {}
  void Render(ZT_ABRender& renderer, int pass) override;
  bool NeedsSceneCopy() const override;
  // One copy for every leaf whose glow takes one.
  int SceneCopyCount() const override;
  void Restart() override;

 private:
  void Attach();
  std::vector<TreeBatch> batches_;
  size_t inUse_ = 0;
  GpuDevice* device_ = nullptr;
  bool attached_ = false;
};

template <class Grow>
void QVX_PSTree_Root::AdvanceTree(float t, std::vector<TreeBatch>& batches, Grow grow) {
  // 1. The clock: the first frame hands the tree no time, so newborns are
  // drawn where they are born.
  const bool first = accumulated_ == 0;
  speed.Advance(t);
  const float step = std::isfinite(speed.StepTime) ? std::max(0.0f, speed.StepTime) : 0.0f;
  accumulated_ += step;
  handed_ = first ? 0.0f : step;
  // 2.-4. The root particle, the children, the root's age.
  rootParticle.position = position.Value();
  int n = 0;
  for (auto& child : children) {
    if (child) n += child->AdvanceNode(handed_, rootList_);
  }
  rootParticle.age += handed_;
  // 5.-6. The batches, then the quads in reverse child order.
  grow(size_t(std::max(0, n)));
  size_t index = 0;
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (*it) (*it)->BuildNode(batches, index);
  }
}

}  // namespace glimmer
