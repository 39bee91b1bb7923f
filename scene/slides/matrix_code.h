#pragma once
// ZT_MatrixCodeLight: columns of glyphs rain down over the picture. A grid of
// glyph cells covers the screen; streams of random glyphs start in random
// columns, write one cell a step downwards, flash when fresh and are erased
// by blank streams that follow. One step a frame, every decision from the
// shared random source.

#include <cstdint>
#include <vector>

#include "document/file_links.h"
#include "params/colour_params.h"
#include "params/media_param.h"
#include "params/scaled_slider.h"
#include "render/meshes.h"
#include "scene/slide.h"

namespace glimmer {

// The cellular rain. A cell: bits 0–7 the glyph (0 empty, else 1 … glyphCount),
// bits 8–15 a signed flag (> 0 fresh or flashing, counting down; 0 resting;
// −1 erased at its next visit), bit 16 changed, bit 17 mutating.
class RainGrid {
 public:
  struct Config {
    uint32_t size = 16;       // cell side in pixels, at least 1
    uint32_t speed = 20;      // 1 … 100
    uint32_t mutations = 50;  // mutating cells + 1
    bool glitch = false;
    int32_t startMode = 2;  // 0 … 2
    uint32_t glyphCount = 2;
    bool operator==(const Config&) const = default;
  };
  struct Stream {
    int32_t remaining = 0, delay = 0, head = 0;
  };
  // How a visited glyph is shown: 0 ending, 1 resting, 2 fresh or mutating.
  struct Emitted {
    uint32_t column, row, glyph;
    int kind;
  };

  // The most cells a grid holds; a smaller glyph size on a larger screen
  // makes the cells larger (said once).
  static constexpr uint32_t kMaxCells = 65536;
  // The grid over a screen of width × height pixels.
  RainGrid(const Config& config, uint32_t width, uint32_t height);

  // 1 ÷ N is the chance that an idle column starts a stream in a frame.
  static uint32_t StartChance(uint32_t speed);

  void ScatterMutations();
  void ColumnStep(bool full);
  void Spawn();
  // Every cell row by row: `emit` receives each shown glyph, then the cell
  // is updated. Returns how many were emitted.
  template <class Emit>
  uint32_t Visit(Emit&& emit);

  uint32_t Columns() const { return columns_; }
  uint32_t Rows() const { return rows_; }
  uint32_t CellSize() const { return size_; }
  uint32_t& Cell(uint32_t column, uint32_t row) { return cells_[size_t(row) * columns_ + column]; }
  Stream& StreamOf(uint32_t column) { return streams_[column]; }
  const Config& Settings() const { return config_; }

  static uint32_t Glyph(uint32_t cell) { return cell & 0xFF; }
  static int32_t Flag(uint32_t cell) { return int8_t((cell >> 8) & 0xFF); }

 private:
  void Write(uint32_t value, uint32_t column, int32_t row);
  void UpdateCell(uint32_t& cell);

  Config config_;
  uint32_t size_, columns_, rows_;
  std::vector<uint32_t> cells_;
  std::vector<Stream> streams_;
};

template <class Emit>
uint32_t RainGrid::Visit(Emit&& emit) {
  uint32_t emitted = 0;
  for (uint32_t r = 0; r < rows_; ++r) {
    for (uint32_t c = 0; c < columns_; ++c) {
      uint32_t& cell = Cell(c, r);
      if (const uint32_t glyph = Glyph(cell)) {
        const int32_t flag = Flag(cell);
        const int kind = (flag > 0 || (cell & (1u << 17))) ? 2 : flag == 0 ? 1 : 0;
        emit(Emitted{c, r, glyph, kind});
        ++emitted;
      }
      UpdateCell(cell);
    }
  }
  return emitted;
}

class ZT_MatrixCodeLight : public ZT_2D_Light {
  GLIMMER_STORED_CLASS(ZT_MatrixCodeLight)

 public:
  ZT_MatrixCodeLight();
  // Glyph size, speed, mutations, glitch, background, start mode, the two
  // colours, fade; from version 2 the glyph strip; then the picture slide.
  void Serialize(Archive& ar, int32_t version) override;

  void PrepareResources() override;
  void RestoreDeviceObjects() override;
  void SetPicturePosition(int mode) override;
  void AdvanceCamera(float t) override;
  void DrawPicture(int flag) override;

  // The grid's settings from the stored values (clamped where a value would
  // break the rain).
  RainGrid::Config MakeConfig(uint32_t glyphCount) const;
  const RainGrid* Grid() const { return grid_.get(); }
  uint32_t Visited() const { return visited_; }
  const std::vector<float>& Luminance() const { return luminance_; }

  MediaParamT<uint32_t> GlyphSize{16};
  MediaParamT<uint32_t> Speed{20};
  MediaParamT<uint32_t> Mutations{50};
  MediaParamT<int32_t> Glitch{0};
  MediaParamT<int32_t> Background{0};
  MediaParamT<int32_t> StartMode{2};
  SmartCOLORREF Colour1{0};
  SmartCOLORREF Colour2{0};
  UINTSclaleTo<float> Fade{0, -0.01f, 1.0f};
  ZT_ImageFileLink GlyphImage{u"common_res.dll", 40};

 private:
  void RebuildGrid();
  // The glyph quads for the grid's cells, with the glyph strip.
  void AttachGlyphs();
  void MakeLuminance();
  // One step of the rain, written into the glyph quads.
  void StepRain();

  std::unique_ptr<RainGrid> grid_;
  // What the grid was made from: the settings and the screen's size.
  RainGrid::Config gridConfig_;
  uint32_t gridWidth_ = 0, gridHeight_ = 0;
  QuadBatch glyphs_{nullptr};
  TexturePtr glyphTexture_;
  uint32_t glyphCount_ = 2;
  std::vector<float> luminance_;
  uint32_t visited_ = 0;
};

}  // namespace glimmer
