#include "scene/slides/matrix_code.h"

#include <algorithm>
#include <iostream>

#include "document/resource_manager.h"
#include "params/param_serialization.h"
#include "params/random_source.h"
#include "render/state_blocks.h"
#include "scene/slides/slide_support.h"
#include "store/archive.h"
#include "store/class_registry.h"

namespace glimmer {

GLIMMER_REGISTER_CLASS(SlideRegistry, ZT_MatrixCodeLight)

namespace {
constexpr uint32_t kChanged = 1u << 16;
constexpr uint32_t kMutating = 1u << 17;

uint32_t R() {
  return uint32_t(NextRandom());
}

uint32_t WithFlag(uint32_t cell, int32_t flag) {
  return (cell & ~0xFF00u) | (uint32_t(uint8_t(int8_t(flag))) << 8);
}

uint32_t WithGlyph(uint32_t cell, uint32_t glyph) {
  return (cell & ~0xFFu) | (glyph & 0xFF);
}
}  // namespace

// ------------------------------------------------------------------ the grid

RainGrid::RainGrid(const Config& config, uint32_t width, uint32_t height) : config_(config) {
  size_ = std::max(config.size, 1u);
  const auto cells = [&](uint32_t s) { return uint64_t(width / s + 1) * (height / s + 1); };
  if (cells(size_) > kMaxCells) {
    while (cells(size_) > kMaxCells) ++size_;
    static bool said = false;
    if (!said) {
      std::cerr << "glimmer: ZT_MatrixCodeLight: glyphs of " << config.size
                << " pixels would make more than " << kMaxCells << " cells; they are drawn "
                << size_ << " pixels wide\n";
      said = true;
    }
  }
  columns_ = width / size_ + 1;
  rows_ = height / size_ + 1;
  cells_.assign(size_t(columns_) * rows_, 0);
  streams_.assign(columns_, Stream{});
}

uint32_t RainGrid::StartChance(uint32_t speed) {
  constexpr struct {
    uint32_t below, n;
  } table[] = {{10, 85}, {15, 60}, {20, 45}, {25, 25}, {30, 20}, {35, 15},
               {45, 10}, {50, 8},  {55, 7},  {65, 5},  {80, 3},  {90, 2}};
  for (const auto& row : table) {
    if (speed < row.below) return row.n;
  }
  return 1;
}

void RainGrid::ScatterMutations() {
  for (uint32_t& cell : cells_) cell &= ~kMutating;
  // Mutations 0 and 1 mutate nothing; more picks than cells add nothing new.
  uint32_t picks = config_.mutations > 1 ? config_.mutations - 1 : 0;
  if (picks > cells_.size()) {
    picks = uint32_t(cells_.size());
    static bool said = false;
    if (!said) {
      std::cerr << "glimmer: ZT_MatrixCodeLight: " << config_.mutations
                << " mutations on a grid of " << cells_.size() << " cells; at most one a cell\n";
      said = true;
    }
  }
  for (uint32_t i = 0; i < picks; ++i) {
    const uint32_t c = R() % columns_;
    const uint32_t r = R() % rows_;
    Cell(c, r) |= kMutating;
  }
}

void RainGrid::Write(uint32_t value, uint32_t column, int32_t row) {
  if (row >= int32_t(rows_)) return;
  uint32_t* target;
  if (row < 0) {
    // A scrolling column moves down one cell; a glyph under a blank ends.
    for (uint32_t r = rows_ - 1; r >= 1; --r) {
      uint32_t& cell = Cell(column, r);
      const uint32_t above = Cell(column, r - 1);
      if (Glyph(cell) != 0 && Glyph(above) == 0) {
        cell = WithFlag(cell, -1);
      } else {
        cell = (cell & ~0xFFFFu) | (above & 0xFFFFu);
      }
      cell |= kChanged;
    }
    target = &Cell(column, 0);
  } else {
    target = &Cell(column, uint32_t(row));
  }
  *target = WithGlyph(*target, value) | kChanged;
  if (value != 0) *target = WithFlag(*target, row < 0 ? 0 : int32_t(R() & 1) + 1);
}

void RainGrid::ColumnStep(bool full) {
  for (uint32_t c = 0; c < columns_; ++c) {
    Stream& s = streams_[c];
    if (s.delay > 0) {
      --s.delay;
    } else {
      if (s.remaining <= 0) {
        Write(0, c, s.head);
      } else {
        Write(full ? 0 : R() % config_.glyphCount + 1, c, s.head);
        --s.remaining;
      }
      if (s.head >= 0) ++s.head;
    }
    if (R() % 10 == 0) {
      const uint32_t a = R() % 5;
      s.delay = int32_t(a + R() % 5);
    }
  }
}

void RainGrid::Spawn() {
  if (config_.glitch) {
    const uint32_t range = std::max(columns_ / 2, 1u) * 10;
    const int32_t n = int32_t((R() % range) / 10) - 1;
    for (int32_t i = 0; i < n; ++i) {
      const uint32_t c = R() % columns_;
      const uint32_t r = R() % rows_;
      uint32_t& cell = Cell(c, r);
      if (Glyph(cell) != 0 && Flag(cell) == 0) cell = WithFlag(cell, int32_t(R() % 20)) | kChanged;
    }
  }
  const uint32_t chance = StartChance(config_.speed);
  const uint32_t half = std::max(rows_ / 2, 1u);
  for (uint32_t c = 0; c < columns_; ++c) {
    Stream& s = streams_[c];
    if (s.remaining > 0) continue;
    if (R() % chance != 0) continue;
    s.remaining = int32_t(R() % rows_ + 3);
    const uint32_t a = R() % 5;
    s.delay = int32_t(a + R() % 5);
    if (R() % 4 != 0) s.remaining = 0;
    if (config_.startMode == 2) {
      s.head = (R() & 1) ? int32_t(R() % half) : -1;
    } else if (config_.startMode == 1) {
      s.head = int32_t(R() % half);
    } else {
      s.head = -1;
    }
  }
  if (R() % 500 == 0) ScatterMutations();
}

void RainGrid::UpdateCell(uint32_t& cell) {
  if (!(cell & kChanged)) return;
  cell &= ~kChanged;
  const int32_t flag = Flag(cell);
  if (flag > 0) {
    cell = WithFlag(cell, flag - 1) | kChanged;
  } else if (flag < 0) {
    cell = WithFlag(cell, flag + 1);
    if (flag == -1) cell = WithGlyph(cell, 0);
    cell |= kChanged;
  }
  if ((cell & kMutating) && Glyph(cell) != 0) {
    // A mutation shows another glyph, never an empty cell.
    cell = WithGlyph(cell, R() % config_.glyphCount + 1) | kChanged;
  }
}

// ----------------------------------------------------------------- the slide

ZT_MatrixCodeLight::ZT_MatrixCodeLight() = default;

void ZT_MatrixCodeLight::Serialize(Archive& ar, int32_t version) {
  Field(ar, "GlyphSize", GlyphSize);
  Field(ar, "Speed", Speed);
  Field(ar, "Mutations", Mutations);
  Field(ar, "Glitch", Glitch);
  Field(ar, "Background", Background);
  Field(ar, "StartMode", StartMode);
  Field(ar, "Colour1", Colour1);
  Field(ar, "Colour2", Colour2);
  Field(ar, "Fade", Fade);
  if (version > 1) Field(ar, "GlyphImage", GlyphImage);
  SerializeBase<ZT_2D_Light>(ar, *this);
}

RainGrid::Config ZT_MatrixCodeLight::MakeConfig(uint32_t glyphCount) const {
  RainGrid::Config c;
  c.size = std::max(GlyphSize.Value(), 1u);
  c.speed = std::clamp(Speed.Value(), 1u, 100u);
  c.mutations = Mutations.Value();
  c.glitch = Glitch.Value() != 0;
  // Start modes past 2 (and below 0) mix the two starts, as 2 does.
  const int32_t mode = StartMode.Value();
  c.startMode = mode >= 0 && mode <= 2 ? mode : 2;
  c.glyphCount = std::max(glyphCount, 1u);
  return c;
}

void ZT_MatrixCodeLight::RebuildGrid() {
  GpuDevice* d = CurrentDevice();
  const D3DSURFACE_DESC back = d ? d->GetBackBufferDesc() : D3DSURFACE_DESC{};
  gridConfig_ = MakeConfig(glyphCount_);
  gridWidth_ = back.Width;
  gridHeight_ = back.Height;
  grid_ = std::make_unique<RainGrid>(gridConfig_, gridWidth_, gridHeight_);
  grid_->ScatterMutations();
  AttachGlyphs();
  visited_ = 0;
}

void ZT_MatrixCodeLight::AttachGlyphs() {
  glyphs_.SetQuads(grid_->Columns() * grid_->Rows());
  glyphs_.SetTexture(glyphTexture_);
}

void ZT_MatrixCodeLight::MakeLuminance() {
  luminance_.clear();
  if (Background.Value() != 1) return;
  const Image picture = SlidePictureImage(*this);
  if (picture.empty()) return;
  const Image small = ResizeTriangle(picture, 256, 256);
  luminance_.resize(256 * 256);
  for (size_t i = 0; i < luminance_.size(); ++i) {
    const uint8_t* p = &small.rgba[i * 4];
    luminance_[i] = 0.299f * p[0] / 255 + 0.587f * p[1] / 255 + 0.114f * p[2] / 255;
  }
}

void ZT_MatrixCodeLight::PrepareResources() {
  ZT_2D_Light::PrepareResources();
  glyphs_ = QuadBatch(CurrentDevice());
  glyphTexture_.reset();
  glyphCount_ = 2;
  if (QVX_DocResManager* resources = QVX_DocResManager::Current()) {
    const TextureSet set = resources->GetLinkTextures(GlyphImage);
    // Without a glyph strip every glyph is a plain cell.
    if (!set.empty() && set.ImageWidth > 0) {
      glyphTexture_ = set.Textures.front();
      glyphCount_ = set.ImageHeight / set.ImageWidth + 2;
    }
  }
  // The picture is made again when the slide comes back after it was let
  // go: the rain then goes on where it stopped, unless the grid would now be
  // made differently.
  GpuDevice* d = CurrentDevice();
  const D3DSURFACE_DESC back = d ? d->GetBackBufferDesc() : D3DSURFACE_DESC{};
  if (grid_ && gridConfig_ == MakeConfig(glyphCount_) && gridWidth_ == back.Width &&
      gridHeight_ == back.Height) {
    AttachGlyphs();
  } else {
    RebuildGrid();
  }
  MakeLuminance();
}

void ZT_MatrixCodeLight::RestoreDeviceObjects() {
  ZT_2D_Light::RestoreDeviceObjects();
  GpuDevice& d = Device();
  d.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  d.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
}

void ZT_MatrixCodeLight::SetPicturePosition(int mode) {
  ZT_2D_Light::SetPicturePosition(mode);
  if (pictureReady_ && CurrentDevice()) RebuildGrid();
}

void ZT_MatrixCodeLight::AdvanceCamera(float t) {
  // One step of the rain a frame. It is taken as the frame advances rather
  // than as it draws, so renders that draw only some frames still see the
  // rain that fell in between.
  ZT_2D_Light::AdvanceCamera(t);
  if (pictureReady_) StepRain();
}

void ZT_MatrixCodeLight::StepRain() {
  if (!grid_) return;
  RainGrid& g = *grid_;
  const uint32_t quads = uint32_t(std::max(glyphs_.TotalQuads, 0));
  g.ColumnStep(visited_ >= quads);
  g.Spawn();
  const float fade = Fade.Scaled();
  const bool lit = Background.Value() == 1 && luminance_.size() == 256 * 256;
  const uint32_t c1 = Colour1.Value(), c2 = Colour2.Value();
  const float count = float(g.Settings().glyphCount);
  // The grid spans the screen; it is laid over the picture, scaled to it.
  GpuDevice& d = Device();
  const D3DSURFACE_DESC back = d.GetBackBufferDesc();
  const float sx = back.Width ? float(pictureWidth_) / float(back.Width) : 1;
  const float sy = back.Height ? float(pictureHeight_) / float(back.Height) : 1;
  const float h = float(g.CellSize()) * 0.5f;
  glyphs_.Lock();
  uint32_t n = 0;
  const uint32_t emitted = g.Visit([&](const RainGrid::Emitted& e) {
    DX_V::PCT* v = glyphs_.Quad(n++);
    if (!v) return;
    float a = e.kind == 0 ? fade * 0.5f : fade;
    if (lit && e.kind != 2) {
      a = luminance_[size_t(e.row * 256 / g.Rows()) * 256 + e.column * 256 / g.Columns()] * fade;
    }
    const D3DCOLOR colour = DeviceColour(e.kind == 2 ? c2 : c1, AlphaByte(a));
    const float cx = float(2 * e.column + 1) * h, cy = float(2 * e.row + 1) * h;
    const float x0 = (cx - h) * sx, x1 = (cx + h) * sx, y0 = (cy - h) * sy, y1 = (cy + h) * sy;
    const float v0 = float(e.glyph - 1) / count, v1 = float(e.glyph) / count;
    v[0] = {x0, y1, 0, colour, 0, v1};
    v[1] = {x0, y0, 0, colour, 0, v0};
    v[2] = {x1, y1, 0, colour, 1, v1};
    v[3] = {x1, y0, 0, colour, 1, v0};
  });
  // Quads written in an earlier, fuller frame collapse to nothing.
  for (uint32_t q = emitted; q < visited_; ++q) {
    if (DX_V::PCT* v = glyphs_.Quad(q)) {
      for (int k = 0; k < 4; ++k) v[k].x = v[k].y = 0;
    }
  }
  glyphs_.Unlock();
  visited_ = emitted;
}

void ZT_MatrixCodeLight::DrawPicture(int flag) {
  GpuDevice& d = Device();
  if (Background.Value() == 0) {
    ZT_2D_Light::DrawPicture(flag);
  } else {
    // Black under the rain (also for 2: the target is never left as it was).
    d.Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  }
  RenderContext& c = Context();
  d.SetTransform(D3DTS_VIEW, c.View);
  d.SetTransform(D3DTS_PROJECTION, c.Projection);
  d.SetTransform(D3DTS_WORLD, c.GetWorld(D3DXMATRIX{}));
  kNormalAlpha.Apply(d);
  glyphs_.Draw();
  kSlideState.Apply(d);
}

}  // namespace glimmer
