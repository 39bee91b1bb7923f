#pragma once
// ZT_3D_in_2D_array_Constructor: a stream of tumbling 3D leaves drifting
// across the slide in the stream's direction, wrapping around its edges.

#include <memory>
#include <vector>

#include "models/object_nodes.h"
#include "params/geometry_params.h"
#include "scene/layer_kind.h"
#include "store/records.h"

namespace glimmer {

class ZT_3D_in_2D_array_Constructor : public ZT_ABObj_Constructor {
  GLIMMER_LAYER_KIND(ZT_3D_in_2D_array_Constructor)

 public:
  // The built-in leaf mesh and picture.
  ZT_3D_in_2D_array_Constructor();
  // Name, count, mesh, picture, the five stream settings, the direction;
  // then the layer part. The fields carry no version of their own.
  void Serialize(Archive& ar, int32_t version) override;

  std::u16string streamName;
  uint32_t count = 20;
  ResourceBlob meshBlob;     // a .X file, or a module's mesh
  ResourceBlob textureBlob;  // a picture, or a module's picture
  uint32_t leafSize = 0;     // pixels
  uint32_t speed = 50;
  uint32_t drift = 0;
  uint32_t changeRate = 0;  // 0: the drift never changes
  uint32_t spinSpeed = 100;
  MediaDirection direction{90};  // degrees; 90 is down the slide
};

// What the leaves of one stream share.
struct LeafStreamState {
  const ZT_3D_in_2D_array_Constructor* settings = nullptr;
  float time = 0;               // of the last Advance
  float width = 0, height = 0;  // the slide in pixels
  float meshRadius = 0;         // the mesh's bounding radius
};

// One leaf's way through the stream: moves along the direction with its own
// pace and sideways drift, and re-enters at the far edge when it leaves.
class ZT_SreamAnim : public ZT_AnimationBase {
 public:
  // Draws x, y, drift and pace.
  explicit ZT_SreamAnim(const LeafStreamState& stream);
  void Animate(ZT_Node& node) override;
  // The clocks start again.
  void Restart();

  float x = 0, y = 0, driftFactor = 0, pace = 0;
  float previous = 0, lastChange = 0;
  float dt = 0;  // of the last step

 protected:
  const LeafStreamState& stream_;
};

// A tumbling leaf: five turning angles on top of the stream step.
class ZT_LeafFallAnim : public ZT_SreamAnim {
 public:
  // The stream's draws, then the five rates.
  explicit ZT_LeafFallAnim(const LeafStreamState& stream);
  void Animate(ZT_Node& node) override;

  float angle[5] = {};
  float rate[5] = {};
};

// The stream's runtime: one root node per leaf, drawn with the stream's mesh
// and picture, both faces.
class ZT_3D_in_2D_array : public LayerObject<ZT_3D_in_2D_array_Constructor> {
 public:
  using LayerObject::LayerObject;

  // The stream time, the leaf count, then every leaf.
  void Advance(float t) override;
  void Draw(ZT_ABRender& renderer) override;
  // The leaves' clocks start again.
  void Restart() override;

  const std::vector<std::unique_ptr<ZT_Node>>& Leaves() const { return roots_; }
  const LeafStreamState& Stream() const { return state_; }

 private:
  // The mesh, the picture and the slide size, once a device is there.
  void Prepare();
  // Leaves made (each with its own animation) or removed at the end.
  void MatchCount();

  LeafStreamState state_;
  std::vector<std::unique_ptr<ZT_Node>> roots_;
  std::unique_ptr<ZT_MeshInstance> instance_;
  bool capReported_ = false;
};

// The most leaves one stream holds; more are capped with one message.
inline constexpr uint32_t kMaxLeaves = 5000;

}  // namespace glimmer
