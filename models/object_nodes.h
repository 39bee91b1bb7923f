#pragma once
// What the 3D objects share: node trees whose world matrices small animation
// objects recompute every frame, mesh instances that draw a mesh once per
// attached node, the approaching values of the butterflies and the local
// time the clocks read (which tests and headless renders can fix).

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "document/mesh_loader.h"
#include "platform/gpu/d3dx_math.h"
#include "render/drawables.h"

namespace glimmer {

class ZT_Node;

// A node's animation: writes the node's world matrix from its local one.
class ZT_AnimationBase {
 public:
  virtual ~ZT_AnimationBase() = default;
  virtual void Animate(ZT_Node& node) = 0;
};

// A transform node: owns its animation and its children. `flag` is the
// byte the wings set; a node that culls by it takes its cull mode from it
// and its world matrix (CullModeFor) at every update.
class ZT_Node : public ZT_Frame {
 public:
  ZT_Node& AddOwnedChild(std::unique_ptr<ZT_Node> child);

  std::unique_ptr<ZT_AnimationBase> animation;
  uint8_t flag = 0;
  bool cullByFlag = false;
  std::vector<std::unique_ptr<ZT_Node>> owned;
};

// World = the animation's result (or local), then × the parent's world; then
// the children with this world.
void UpdateNode(ZT_Node& node, const D3DXMATRIX* parentWorld);

// A mesh with its texture, drawn once for every attached node with that
// node's world matrix. Flagged instances are see-through (alpha blended,
// both faces). Without geometry or texture nothing is drawn.
class ZT_MeshInstance : public FrameDrawable {
 public:
  ZT_MeshInstance(MeshBuffers mesh, TexturePtr texture, bool flagged)
      : mesh_(std::move(mesh)), texture_(std::move(texture)), flagged_(flagged) {}

  void Attach(ZT_Node* node) { nodes_.push_back(node); }
  void Detach(const ZT_Node* node);
  void ClearNodes() { nodes_.clear(); }
  bool Drawable() const { return !mesh_.empty() && texture_ && !nodes_.empty(); }
  const MeshBuffers& Mesh() const { return mesh_; }
  const std::vector<ZT_Node*>& Nodes() const { return nodes_; }

  size_t FrameCount() const override { return nodes_.size(); }
  const QVX_Frame& FrameAt(size_t index) const override { return *nodes_[index]; }
  void DrawFrame(size_t index, GpuDevice& device) override;
  bool IsTransparent() const override { return flagged_; }

 private:
  MeshBuffers mesh_;
  TexturePtr texture_;
  bool flagged_;
  std::vector<ZT_Node*> nodes_;  // not owned
};

// The node setup of the two-part objects (a butterfly's body and wings, a
// clock's dial and hands): every root drawn by `instances[0]` and each
// root's owned children by `instances[1]`; nothing without both instances.
void AttachRootsAndChildren(const std::vector<std::unique_ptr<ZT_Node>>& roots,
                            std::vector<std::unique_ptr<ZT_MeshInstance>>& instances);
// Two instances: the roots' mesh and texture, then the children's.
void MakeRootAndChildInstances(std::vector<std::unique_ptr<ZT_MeshInstance>>& instances,
                               const MeshBuffers& rootMesh, TexturePtr rootTexture,
                               bool rootFlagged, const MeshBuffers& childMesh,
                               TexturePtr childTexture);

// Scaling, translation and a rotation in degrees by a D3DX rotation maker.
D3DXMATRIX ScalingMatrix(float x, float y, float z);
D3DXMATRIX TranslationMatrix(float x, float y, float z);
D3DXMATRIX RotationMatrix(D3DXMATRIX* (*make)(D3DXMATRIX*, float), float degrees);

// The cull mode a wing node's flag byte asks for in the first of the two
// passes of a see-through instance; the second pass draws the other faces.
// A mirrored node (negative determinant) shows its faces with the opposite
// winding, so its cull mode is the opposite one.
uint32_t CullModeFor(uint8_t flag, const D3DXMATRIX& world);

// A value moving towards its target at `rate` per unit of motion time.
struct ApproachingValue {
  float value = 0, target = 0, rate = 0;
  // A new target; the rate's sign turns towards it.
  void SetTarget(float t);
  // A new rate magnitude, signed towards the target.
  void SetRateMagnitude(float magnitude);
  // value += rate × step, not passing the target.
  void Approach(float step);
};

// The local time of day the clocks show.
struct LocalTimeOfDay {
  int hours = 0, minutes = 0, seconds = 0;
};
// The computer's local time, or the fixed time when one is set; nothing
// when the time cannot be read.
std::optional<LocalTimeOfDay> ReadLocalTime();
// Fixes the time the clocks read (nothing: the computer's clock again).
void SetFixedLocalTime(std::optional<LocalTimeOfDay> time);
// "hh:mm:ss" (or "hh:mm") in 24-hour form; nothing when it is not a time.
std::optional<LocalTimeOfDay> ParseTimeOfDay(const char* text);

// The most objects one 3D layer holds; a document asking for more gets this
// many and one message on standard error naming the layer.
inline constexpr uint32_t kMax3DObjects = 2000;

}  // namespace glimmer
