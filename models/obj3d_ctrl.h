#pragma once
// ZT_3D_Obj_Ctrl: the base of the 3D object groups (butterflies, clocks):
// how many objects, their size, the second mesh and picture; and
// ZT_3DObjArray, the runtime that holds one node tree per object and the
// mesh instances that draw them.

#include <memory>
#include <vector>

#include "document/file_links.h"
#include "models/object_nodes.h"
#include "scene/layer_kind.h"
#include "sprites/view_obj_ctrl.h"

namespace glimmer {

class ZT_3D_Obj_Ctrl : public ZT_ViewObjCtrl {
  GLIMMER_STORED_CLASS(ZT_3D_Obj_Ctrl, 1)

 public:
  ZT_3D_Obj_Ctrl();
  // Count, size, image, mesh; then the view part.
  void Serialize(Archive& ar, int32_t version) override;

  // The mesh instances the objects are drawn with.
  virtual void PrepareMeshes(std::vector<std::unique_ptr<ZT_MeshInstance>>& instances) = 0;
  // Puts every root node (and its children) into the instances drawing them.
  virtual void AttachNodes(const std::vector<std::unique_ptr<ZT_Node>>& roots,
                           std::vector<std::unique_ptr<ZT_MeshInstance>>& instances) = 0;
  // A new object's node tree.
  virtual std::unique_ptr<ZT_Node> BuildNodeTree() = 0;

  // A random point in the bounds, x then y.
  D3DXVECTOR3 RandomPointInBounds() const;
  // The mesh of a link and the texture of a picture link through the current
  // resource manager; empty when there is none.
  static MeshBuffers LoadMesh(const ZT_MeshFile& link);
  static TexturePtr LoadTexture(const ZT_ImageFileLink& link);

  MediaParamT<uint32_t> count{1};
  MediaParamT<uint32_t> size{50};  // percent for butterflies, pixels for the clock
  ZT_ImageFileLink image;
  ZT_MeshFile mesh;
};

class ZT_3DObjArray : public ZT_ABObj {
 public:
  explicit ZT_3DObjArray(std::unique_ptr<ZT_3D_Obj_Ctrl> constructor);

  ZT_3D_Obj_Ctrl& Owner() { return static_cast<ZT_3D_Obj_Ctrl&>(Constructor()); }
  const std::vector<std::unique_ptr<ZT_Node>>& Roots() const { return roots_; }
  const std::vector<std::unique_ptr<ZT_MeshInstance>>& Instances() const { return instances_; }

  // The motion clock, the object count, then every node tree.
  void Advance(float t) override;
  void Draw(ZT_ABRender& renderer) override;
  void Restart() override;

 private:
  // The instances and the first trees, once a device is there.
  void Prepare();
  // Root nodes made or removed to match the count, then attached again.
  void MatchCount();

  std::vector<std::unique_ptr<ZT_Node>> roots_;
  std::vector<std::unique_ptr<ZT_MeshInstance>> instances_;
  bool prepared_ = false;
  bool capReported_ = false;
};

// The runtime of kind Ctor: an object group around its own copy of the kind.
template <class Ctor>
class ObjectGroup : public ZT_3DObjArray {
 public:
  explicit ObjectGroup(const Ctor& constructor)
      : ZT_3DObjArray(std::make_unique<Ctor>(constructor)) {}
  Ctor& settings() { return static_cast<Ctor&>(Owner()); }
};

#define GLIMMER_REGISTER_3D_KIND(Ctor) \
  GLIMMER_REGISTER_LAYER_KIND(Ctor, ::glimmer::ObjectGroup<Ctor>)

}  // namespace glimmer
