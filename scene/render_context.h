#pragma once
// RenderContext: per device, the matrices that place the slide's picture on
// the screen (Stretch, Fit, Fill), the camera transform, and the borders
// that hide what lies outside the placed picture.

#include <array>

#include "platform/gpu/d3d_types.h"
#include "platform/gpu/d3dx_math.h"
#include "platform/screen_context.h"

namespace glimmer {

struct ScreenRect {
  float x = 0, y = 0, width = 0, height = 0;
};

// The placed rectangle of a picture of pw × ph in a target of tw × th:
// mode 1 fits the whole picture with bars, 2 fills the target and crops,
// anything else stretches.
ScreenRect PlacePicture(float tw, float th, float pw, float ph, int mode);

struct BorderVertex {
  float x, y, z;
  D3DCOLOR color;
};

// The placement in a second form, for mapping target points back to picture
// pixels (hit tests, slide kinds that sample the picture).
struct PlacementView {
  int Mode = 1;
  float PictureWidth = 0, PictureHeight = 0;  // the picture texture's size
  int ScreenRect[4] = {0, 0, 0, 0};           // x0, y0, x1, y1 in the target
  float PixelRatio = 1;                       // picture pixels per target pixel
  D3DXMATRIX ScreenProjection;
  float ScaleX = 1, ScaleY = 1;
  D3DXMATRIX PlacementMatrix;
  float UnplaceScale[2] = {1, 1};
  float UnplaceOffset[2] = {0, 0};
  D3DXMATRIX UnplaceMatrix;
};

class RenderContext {
 public:
  // Places a picture of pw × ph in `screen` (a target of backWidth × backHeight).
  // A picture without width or height leaves the placement as it was.
  // PictureTextureWidth/Height must be set first: the placement view is
  // computed from them.
  void Place(const ScreenRect& screen, float pw, float ph, int mode, float backWidth,
             float backHeight);
  // The camera looks at (x, y) of a w × h picture, zoomed by `zoom`.
  void SetCamera(float w, float h, float x, float y, float zoom, bool active);
  // The world matrix for an object matrix: with the camera and parallax
  // unless the placement is the capture's (mode 3).
  D3DXMATRIX GetWorld(const D3DXMATRIX& object) const;

  D3DXMATRIX Projection, View, ViewInverse, Identity, CameraMatrix, ParallaxMatrix;
  // View without the screen rectangle's offset: picture coordinates to the
  // placed rectangle's pixels.
  D3DXMATRIX PlacedView;
  D3DXVECTOR3 CameraOffset;
  float PictureWidth = 0, PictureHeight = 0;  // the size used for the placement
  float TargetWidth = 0, TargetHeight = 0;
  float PictureTextureWidth = 0, PictureTextureHeight = 0;
  bool CameraActive = false;
  int PlacementMode = 1;
  ScreenRect Placed;
  std::array<std::array<BorderVertex, 4>, 4> Borders{};
  PlacementView Placement;

 private:
  void UpdatePlacementView(const ScreenRect& screen, int mode, float backWidth, float backHeight);
};

// The current screen's render context: CurrentRenderContext(), platform/screen_context.h.

}  // namespace glimmer
