#pragma once
// ZT_DischargeFXConstructor: an electric arc from a start point to an end
// point, one sprite per straight segment, with a glow around it. The arc's
// shape is drawn anew every 0.1 s of motion time and the segments glide from
// the old shape towards the new one; each segment flickers between the two
// halves of its picture.

#include <vector>

#include "scene/layer_kind.h"
#include "sprites/fx_sprites.h"

namespace glimmer {

// One straight piece of the arc.
struct ArcSegment {
  D3DXVECTOR3 centre{0, 0, 0};
  D3DXVECTOR3 direction{1, 0, 0};  // unit
  D3DXVECTOR3 normal{0, 1, 0};     // unit
  float length = 0;
};

// The most segments one arc has; a document asking for more gets this many
// and one message on standard error naming the layer.
inline constexpr uint32_t kMaxArcSegments = 1000;

class ZT_DischargeFXConstructor : public ZT_GlowEffectCtrl {
  GLIMMER_LAYER_KIND(ZT_DischargeFXConstructor)

 public:
  // Effect 97, size 50, additive, pale yellow with an orange glow; the arc
  // across the middle of the current render target.
  ZT_DischargeFXConstructor();
  // Start, end, deviation, style, flicker interval, arc speed, then the
  // glow part.
  void Serialize(Archive& ar, int32_t version) override;
  void Restart() override;
  void SpawnSprite(SpriteRecord& r) override;
  void MoveSprite(SpriteRecord& r) override;
  // The effect, then the built-in arc picture of the style in place of the
  // sprite image, then the glow and sprite textures.
  void LoadEffectResources() override;
  // A new shape every 0.1 s of motion time.
  void PrepareFrame() override;

  // Fills every segment of `list`: each aims at the end point with a random
  // sideways deviation, the last ends exactly there.
  void NewArcShape(std::vector<ArcSegment>& list) const;
  // The segments of the arc: the sprite count, at most kMaxArcSegments.
  uint32_t SegmentCount();
  // The flicker interval in seconds, never below 0.
  float FlickerSeconds() const;

  MediaParamT<D3DXVECTOR3> startPoint, endPoint;
  UINTSclaleTo<float> deviation{50, 0.01f, 0.0f};
  MediaParamT<int32_t> style{1};
  UINTSclaleTo<float> flickerInterval{100, -0.001f, 0.1f};
  UINTSclaleTo<float> arcSpeed{50, 0.1f, 0.0f};

  // Not stored.
  std::vector<ArcSegment> previousShape, nextShape;
  float shapeTime = 0;
  int32_t segmentIndex = 0;

 private:
  // Both shapes at `n` segments, drawn anew.
  void Reshape(uint32_t n);
  bool capReported_ = false;
};

}  // namespace glimmer
