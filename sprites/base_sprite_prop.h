#pragma once
// The look of a sprite group (ZT_BaseSpriteProp), one sprite's record
// (SpriteRecord) and the shared base of the sprite kinds
// (ZT_ParticleSystemCtrl). A kind's constructor spawns and moves the records;
// the group's runtime object (sprites/sprite_array.h) owns them, rebuilds
// the quads and draws them.

#include <cstdint>
#include <vector>

#include "common/d3dx_vector.h"
#include "document/file_links.h"
#include "params/animated_params.h"
#include "params/colour_params.h"
#include "sprites/view_obj_ctrl.h"
#include "store/records.h"

namespace glimmer {

// One sprite. Positions and sizes are slide pixels, y downwards.
struct SpriteRecord {
  D3DXVECTOR3 direction{0, 0, 0};  // flow: sign multipliers of the main direction
  D3DXVECTOR3 velocity{0, 0, 0};   // pixels per second (some kinds keep other values here)
  D3DXVECTOR3 position{100, 100, 0};
  float scale = 1;
  float rotationCos = 1, rotationSin = 0;  // fog: turn of the axes per frame
  float vA = 0, vB = 1, uA = 0, uB = 1;    // the part of the picture shown
  float halfWidth = 0, halfHeight = 0;     // a negative half-width mirrors
  float aspect = 1;
  D3DXVECTOR3 right{1, 0, 0}, up{0, 1, 0};
  float alphaFactor = 1;
  float timeMark = 0;
  float waitTime = 0;      // lightning
  int32_t edgeState = -1;  // flow: the engaged edge, or −1
  bool fadingIn = false;
  bool frozen = false;
  float pauseEnd = 0, pauseClock = 0;
  uint32_t colour = 0;  // D3DCOLOR
  float pulseRate = 0;
};

class ZT_BaseSpriteProp : public ZT_ViewObjCtrl {
  GLIMMER_STORED_CLASS(ZT_BaseSpriteProp, 7)

 public:
  // The view part, then count, size, transparency, blend, colour, pulse and
  // scale ranges, the images, the animation and, by version, the image
  // kind, flips, static geometry and animation speed. Versions 1 and 2 carry
  // the motion speed here; version 1 an inline image (see ReadInlineImage).
  void Serialize(Archive& ar, int32_t version) override;

  // What a kind does with one sprite: place it anew, and move it one frame.
  virtual void SpawnSprite(SpriteRecord& r) { (void)r; }
  virtual void MoveSprite(SpriteRecord& r) { (void)r; }
  // The sheet frame after `index`.
  virtual uint32_t NextFrame(uint32_t index);
  // How many of the records are drawn.
  virtual uint32_t SpriteCount() const { return count.Value(); }
  // A record's colour as drawn: alpha scaled by the time line's visibility.
  virtual uint32_t ApplyVisibility(uint32_t colour) const;
  // Once per frame after the clocks, before the moves (and once before the
  // first spawn): derived values a kind keeps.
  virtual void Prepare() {}

  // Steps the motion clock (|t − last| clamped to 0.2 s, × motion speed ×
  // 0.02) and the animation clock (restarting when t goes back).
  void AdvanceClocks(float t);
  // The frame count, at least 1.
  uint32_t Frames() const { return frameCount == 0 ? 1 : frameCount; }
  // The alpha byte the transparency gives.
  uint8_t AlphaByte() const { return transparency.Scaled(); }
  // A D3DCOLOR of the stored colour with alpha = alpha byte × factor,
  // computed wide and clamped to 0..255 (never wrapping).
  uint32_t ColourFor(float alphaFactor) const;
  // The size rule: half sizes from size × scale × 0.5 and the record's aspect.
  void ApplySizeRule(SpriteRecord& r) const;
  // The time line's visibility (1 without a line) and whether it is hidden.
  float Visibility() const;
  bool TimeLineHidden() const;
  // The time line's clock mode asks for fading by visibility.
  bool FadesWithTimeLine() const { return timing.FadesOpacity(); }
  // Converts a version-1 inline image into the sprite image link, the
  // pictures going to `frames` under the link's key.
  void ResolveInlineImage(std::vector<ImageFrame>& frames);

  MediaParamT<uint32_t> count{1};
  MediaParamT<uint32_t> size{0};  // pixels along the longer side at scale 1
  UINTSclaleTo<uint8_t> transparency{0, kTransparencyScale, 255.0f};
  MediaParamT<int32_t> blendMode;  // 0 normal alpha, otherwise additive
  SmartCOLORREF colour{0xFFFFFF};
  float pulseRate = 0, pulseMin = 0, pulseMax = 1, scaleMin = 1, scaleMax = 1;
  ZT_ImageFileLink image;
  ZT_ImageFileLink overlay;
  uint32_t editorValue = 1;
  float editorFloat = 0;
  uint32_t frameCount = 1;  // the picture is a strip of this many frames
  float frameRate = 0;      // frames per second
  bool animated = false;
  int32_t imageKind = 0;  // 2: a frame picture of the alternative path
  MediaParamT<int32_t> flipV, flipH;
  MediaParamT<int32_t> staticGeometry;
  MediaSpeedParam animationSpeed{100, 0.01f, 0.0f};

  // Version 1's inline image, until ResolveInlineImage converts it.
  std::vector<ImageFrame> inlineImages;
  ResourceBlob inlineBlob;
  std::vector<uint32_t> inlineValues;

  // Not stored.
  float animStep = 0, animTime = 0, animPrevious = 0;
  bool changed = false;
  float aspect = 1;  // of one frame of the sprite picture

 private:
  void ReadInlineImage(Archive& ar);
};

// The shared operations of the sprite kinds; stores nothing of its own.
class ZT_ParticleSystemCtrl : public ZT_BaseSpriteProp {
 public:
  // x = uniform(W·left, W·right), then y = uniform(H·top, H·bottom).
  D3DXVECTOR3 RandomPointInBounds() const;
  // The same inset by the record's half sizes.
  D3DXVECTOR3 RandomPointInsideBounds(const SpriteRecord& r) const;
  // The alpha pulse between the pulse minimum and maximum; at the bottom a
  // respawning kind places the sprite anew.
  void PulseAlpha(SpriteRecord& r, bool respawn);
  // The pixel bounds.
  float Left() const { return width * boundsLeft; }
  float Right() const { return width * boundsRight; }
  float Top() const { return height * boundsTop; }
  float Bottom() const { return height * boundsBottom; }
};

// A rand() that came out odd.
bool OddDraw();
// The axis (x, y) turned by `radians` about z.
D3DXVECTOR3 RotateZ(const D3DXVECTOR3& v, float radians);
// 1 ÷ tan(b degrees) for the sway and slant of blades and rays; 0 where the
// tangent is zero or not finite (an upright or flat angle leans nowhere).
float Cotangent(float degrees);

}  // namespace glimmer
