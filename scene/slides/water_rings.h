#pragma once
// ZT_WaterRingLight: a height-field water simulation with random drops over
// the picture; the picture (or, in mode 1, the whole slide) is seen refracted
// through the moving surface, with a specular highlight from a directional
// light.

#include <array>
#include <cstdint>
#include <vector>

#include "params/media_param.h"
#include "params/scaled_slider.h"
#include "render/vertex_pct.h"
#include "scene/slide.h"

namespace glimmer {

// The water: heights and velocities on an even grid of at most 65536 cells
// over a world of worldWidth × worldHeight, and the vertices that show it.
class WaterSurface {
 public:
  static constexpr uint32_t kMaxCells = 65536;
  // Fewest rows and columns: the drops fall inside the border.
  static constexpr uint32_t kMinLines = 4;
  struct Refraction {
    float k, m;
    uint32_t colour;
  };
  // A vertex of the surface in the water's world (x across, y the height,
  // z down the picture): position, normal, the refraction colour, the
  // refracted texture coordinates (36 bytes).
  struct Vertex {
    float x, y, z, nx, ny, nz;
    D3DCOLOR color;
    float u, v;
  };
  static constexpr uint32_t kFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;
  // The shared refraction table for a refractive index of 1.333.
  static const std::array<Refraction, 256>& RefractionTable();

  void Resize(float width, float height, float columnFactor, float rowFactor);
  void AddDrop();
  // Four simulation steps, then the vertices for the eye point: positions
  // and normals in the water's world, texture coordinates refracted and
  // spanning 0 … us across and 0 … vs down.
  void Update(const D3DXVECTOR3& eye, float us = 1, float vs = 1);
  // The surface as one indexed triangle strip. The strip lives in a device
  // buffer made once per grid (and again after a device reset); only the
  // vertices, which move every frame, are uploaded per draw.
  void Draw(GpuDevice& device);
  void ReleaseBuffers();

  uint32_t Columns() const { return columns_; }
  uint32_t Rows() const { return rows_; }
  uint32_t Cells() const { return columns_ * rows_; }
  float& Height(uint32_t row, uint32_t column) { return state_[size_t(row) * columns_ + column].h; }
  float& Velocity(uint32_t row, uint32_t column) {
    return state_[size_t(row) * columns_ + column].v;
  }
  const std::vector<Vertex>& Vertices() const { return vertices_; }
  // The strip: rings of row (or column) pairs from the outside in.
  const std::vector<uint16_t>& Indices() const { return indices_; }
  float WorldWidth() const { return worldWidth_; }
  float WorldHeight() const { return worldHeight_; }

  float speed = 1.0f, dropStrength = 0.5f, damping = 0.99f, refraction = 0.2f;

 private:
  void Step();
  void BuildStrip();
  struct Cell {
    float h = 0, v = 0;
  };
  float worldWidth_ = 0, worldHeight_ = 0;
  uint32_t columns_ = 0, rows_ = 0;
  std::vector<Cell> state_;
  std::vector<Vertex> vertices_;
  std::vector<uint16_t> indices_;
  // Device copies of the strip and of the vertices; two vertex buffers
  // taken in turn, so an upload does not wait for the previous frame's draw.
  GpuDevice* bufferDevice_ = nullptr;
  IndexBufferPtr stripBuffer_;
  std::array<VertexBufferPtr, 2> vertexBuffers_;
  uint32_t nextVertexBuffer_ = 0;
  bool stripChanged_ = true;
};

class ZT_WaterRingLight : public ZT_2D_Light {
  GLIMMER_STORED_CLASS(ZT_WaterRingLight)

 public:
  // From version 2 six raw sliders, then drop rate, specular, specular
  // power; in every version the mode; then the picture slide.
  void Serialize(Archive& ar, int32_t version) override;

  void PrepareResources() override;
  void RestoreDeviceObjects() override;
  void ReleaseDeviceObjects() override;
  void AdvanceCamera(float t) override;
  void DrawPicture(int flag) override;
  void EndFrame(int flag) override;
  bool NeedsCapture() const override { return Mode.Value() == 1; }

  float SimulationSpeed() const;
  float Damping() const;
  float DropInterval() const;
  const WaterSurface& Water() const { return water_; }
  WaterSurface& Water() { return water_; }
  // Sizes the water for the picture and drops one drop.
  void ResizeGrid();

  MediaParamT<int32_t> Mode{0};
  MediaParamT<uint32_t> SimSpeed{0};
  MediaParamT<uint32_t> RowDensity{0};
  MediaParamT<uint32_t> Density{0};
  MediaParamT<uint32_t> DropStrength{50};
  MediaParamT<uint32_t> DampingValue{50};
  MediaParamT<uint32_t> Refraction{20};
  UINTSclaleTo<float> DropRate{30, 1.0f / 60, 0.0f};
  UINTSclaleTo<float> Specular{90, 0.01f, 0.0f};
  UINTSclaleTo<float> SpecularPower{50, 0.8f, 0.0f};

  // The inverse of the eye's matrix: the eye at kEye looking down.
  static D3DXMATRIX EyeInverse();
  // The world transform the water is lit in, for the placement matrix
  // `placed` (the camera's world × view), the picture's pw × ph pixels and
  // the water world's ww × wh: T1 × eye⁻¹ × S × T2, with S the placement
  // without its translation, T1 the translation (ww / 2 + ox, 0, wh / 2 + oy)
  // that undoes the placement's offset (ox = ww·tx ÷ (sx·pw), oy likewise)
  // and T2 the translation (−ww / 2, wh / 2, 0).
  static D3DXMATRIX LightingWorld(const D3DXMATRIX& placed, float pw, float ph, float ww, float wh);

 private:
  void DrawWater(const TexturePtr& texture);
  // The light and material of the highlight.
  void SetLighting(GpuDevice& device) const;

  // The eye point above the water.
  static constexpr D3DXVECTOR3 kEye{0, 120, 0};

  WaterSurface water_;
  float lastDrop_ = 0;
  float extentU_ = 1, extentV_ = 1;
};

}  // namespace glimmer
