#include "scene/render_context.h"

namespace glimmer {
namespace {
constexpr D3DCOLOR kBorderColor = 0xFF000000;
}  // namespace

ScreenRect PlacePicture(float tw, float th, float pw, float ph, int mode) {
  const float d = ph / pw, c = th / tw;
  const ScreenRect fitWidth{0, (th - tw * d) / 2, tw, tw * d};   // full width, bars above and below
  const ScreenRect fitHeight{(tw - th / d) / 2, 0, th / d, th};  // full height, bars at the sides
  if (mode == 1) return d > c ? fitHeight : fitWidth;
  if (mode == 2) return d > c ? fitWidth : fitHeight;
  return {0, 0, tw, th};
}

void RenderContext::Place(const ScreenRect& screen, float pw, float ph, int mode, float backWidth,
                          float backHeight) {
  if (!(pw > 0) || !(ph > 0) || !(screen.width > 0) || !(screen.height > 0)) return;
  PlacementMode = mode;
  PictureWidth = pw;
  PictureHeight = ph;
  TargetWidth = screen.width;
  TargetHeight = screen.height;
  Placed = PlacePicture(screen.width, screen.height, pw, ph, mode);
  D3DXMATRIX scale, move;
  D3DXMatrixScaling(&scale, Placed.width / pw, Placed.height / ph, 1);
  D3DXMatrixTranslation(&move, screen.x + Placed.x, screen.y + Placed.y, 0);
  View = scale * move;
  D3DXMatrixTranslation(&move, Placed.x, Placed.y, 0);
  PlacedView = scale * move;
  D3DXMatrixInverse(&ViewInverse, nullptr, &View);
  D3DXMatrixOrthoOffCenterLH(&Projection, 0, backWidth, backHeight, 0, -5000, 5000);
  // Four quads framing the picture out to 1000 units, in picture coordinates.
  const float far = 1000;
  const float rects[4][4] = {{-far, -far, 0, ph + far},
                             {pw, -far, pw + far, ph + far},
                             {0, -far, pw, 0},
                             {0, ph, pw, ph + far}};
  for (int i = 0; i < 4; ++i) {
    const auto& r = rects[i];
    Borders[i] = {{{r[0], r[3], 0, kBorderColor},
                   {r[0], r[1], 0, kBorderColor},
                   {r[2], r[3], 0, kBorderColor},
                   {r[2], r[1], 0, kBorderColor}}};
  }
  UpdatePlacementView(screen, mode, backWidth, backHeight);
}

void RenderContext::UpdatePlacementView(const ScreenRect& screen, int mode, float backWidth,
                                        float backHeight) {
  PlacementView& v = Placement;
  const float w = screen.width, h = screen.height;
  const float pw = PictureTextureWidth, ph = PictureTextureHeight;
  v.Mode = mode;
  v.PictureWidth = pw;
  v.PictureHeight = ph;
  if (!(pw > 0) || !(ph > 0)) return;  // no picture texture: keep the last view
  const ScreenRect placed = glimmer::PlacePicture(w, h, pw, ph, mode);
  v.ScreenRect[0] = int(placed.x);
  v.ScreenRect[1] = int(placed.y);
  v.ScreenRect[2] = int(placed.x + placed.width);
  v.ScreenRect[3] = int(placed.y + placed.height);
  v.PixelRatio = placed.width != w ? ph / h : pw / w;
  D3DXMatrixOrthoOffCenterLH(&v.ScreenProjection, 0, w, h, 0, -5000, 5000);
  v.ScaleX = w / placed.width;
  v.ScaleY = h / placed.height;
  D3DXMATRIX scale, move;
  D3DXMatrixScaling(&scale, 1 / v.PixelRatio, 1 / v.PixelRatio, 1);
  D3DXMatrixTranslation(&move, screen.x * w / backWidth, screen.y * h / backHeight, 0);
  v.PlacementMatrix = scale * move;
  const float uFormula = (2 * placed.x + placed.width) / placed.width;
  const float vFormula = (2 * placed.y + placed.height) / placed.height;
  float u = 1, vv = 1;
  if (mode == 0 || mode == 3) {
    u = uFormula;
    vv = vFormula;
  } else if (mode == 2) {
    u = vv = placed.x != 0 ? uFormula : vFormula;
  }
  v.UnplaceScale[0] = 1 / u;
  v.UnplaceScale[1] = 1 / vv;
  v.UnplaceOffset[0] = 0.5f * (1 - u) * pw / u;
  v.UnplaceOffset[1] = 0.5f * (1 - vv) * ph / vv;
  D3DXMATRIX offset, unscale;
  D3DXMatrixTranslation(&offset, v.UnplaceOffset[0], v.UnplaceOffset[1], 0);
  D3DXMatrixScaling(&unscale, u, vv, 1);
  v.UnplaceMatrix = offset * unscale;
}

void RenderContext::SetCamera(float w, float h, float x, float y, float zoom, bool active) {
  const float hw = PictureWidth / 2, hh = PictureHeight / 2;
  D3DXMATRIX toCentre, back, scale, forth;
  D3DXMatrixTranslation(&toCentre, hw - x, hh - y, 0);
  D3DXMatrixTranslation(&back, -hw, -hh, 0);
  D3DXMatrixScaling(&scale, zoom, zoom, 1);
  D3DXMatrixTranslation(&forth, hw, hh, 0);
  CameraMatrix = toCentre * back * scale * forth;
  CameraOffset = {w * 0.5f - x, h * 0.5f - y, 0};
  CameraActive = active;
}

D3DXMATRIX RenderContext::GetWorld(const D3DXMATRIX& object) const {
  if (PlacementMode == 3) return object;
  D3DXMATRIX w = object * (CameraActive ? CameraMatrix : Identity);
  if (CameraActive) w = w * ParallaxMatrix;
  return w;
}

}  // namespace glimmer
