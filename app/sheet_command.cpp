#include "app/sheet_command.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <string>
#include <vector>

#include "app/thumbnail_command.h"
#include "common/wide_string.h"
#include "platform/gpu/gpu_device.h"
#include "platform/image/image_codec.h"
#include "platform/screen_context.h"
#include "platform/text/text_raster.h"
#include "scene/render_context.h"
#include "scene/slide_container.h"
#include "scene/slide_show.h"
#include "show/show_document.h"

namespace glimmer {
namespace {

constexpr uint32_t kLabelHeight = 24, kGap = 4, kMaxSheetSide = 16384;

// `text` in white over the label bar of `sheet` at (x, y), cut at `width`.
void DrawLabel(Image& sheet, uint32_t x, uint32_t y, uint32_t width, const std::u16string& text) {
  TextFont font;
  font.height = -14;
  const TextPicture label = RasteriseText(text, font);
  const uint32_t top =
      y + (kLabelHeight > label.image.height ? (kLabelHeight - label.image.height) / 2 : 0);
  for (uint32_t j = 0; j < label.image.height && top + j < sheet.height && j < kLabelHeight; ++j) {
    for (uint32_t i = 0; i < label.image.width && i < width; ++i) {
      const uint32_t a = label.image.Pixel(i, j)[3];
      uint8_t* p = sheet.Pixel(x + i, top + j);
      for (int k = 0; k < 3; ++k) p[k] = uint8_t((p[k] * (255 - a) + 255 * a) / 255);
    }
  }
}

}  // namespace

int RunSheet(const DocumentArgs& args, const SheetOptions& options, std::ostream& out) {
  try {
    ShowDocument doc = LoadShow(FindShow(args).bytes);
    const size_t n = doc.show->slides.size();
    if (n == 0) {
      std::cerr << "glimmer: the show has no slides; no sheet\n";
      return 1;
    }
    const uint32_t columns = std::clamp<uint32_t>(options.columns, 1, uint32_t(n));
    const uint32_t rows = uint32_t((n + columns - 1) / columns);
    const uint64_t width = uint64_t(columns) * (options.cellWidth + kGap) + kGap;
    const uint64_t height = uint64_t(rows) * (options.cellHeight + kLabelHeight + kGap) + kGap;
    if (width > kMaxSheetSide || height > kMaxSheetSide) {
      std::cerr << "glimmer: a sheet of " << n << " slides in " << columns << " columns would be "
                << width << "x" << height << " pixels, more than " << kMaxSheetSide
                << " a side; give fewer columns or a smaller --size\n";
      return 2;
    }
    Image sheet{uint32_t(width), uint32_t(height), std::vector<uint8_t>(width * height * 4)};
    for (size_t i = 0; i < sheet.rgba.size(); i += 4) {
      sheet.rgba[i] = sheet.rgba[i + 1] = sheet.rgba[i + 2] = 32;
      sheet.rgba[i + 3] = 255;
    }

    auto device = GpuDevice::CreateHeadless({options.cellWidth, options.cellHeight, true});
    ZT_2D_Light::SetCaptureScaleLimit(1);
    RenderContext context;
    doc.resources->Attach(*device);
    ScreenScope scope(doc.resources->ScreenFor(device.get(), &context));
    doc.show->Instantiate(2);

    // Through the show at a frame rate, as it plays; each slide is drawn the
    // first time it has been on for the thumbnail's time.
    constexpr double kStep = 1.0 / 25;
    const ZT_SlideShow_Light::LoopTiming loop = doc.show->Loop(kStep);
    double end = 0;
    for (const auto& slide : doc.show->slides)
      if (slide) end += double(slide->Length());
    end = std::min(std::max(end, loop.firstReturn) + 1, 24.0 * 3600);
    std::vector<bool> drawn(n, false);
    size_t left = n;
    for (double t = 0; t <= end && left > 0; t += kStep) {
      doc.show->AdvanceShow(float(t));
      const auto& current = doc.show->Current();
      if (!current) continue;
      const auto it = std::find(doc.show->slides.begin(), doc.show->slides.end(), current);
      if (it == doc.show->slides.end()) continue;
      const size_t k = size_t(it - doc.show->slides.begin());
      if (drawn[k] || t - doc.show->SlideStart() <
                          ThumbnailTime(current->fadeIn.Value(), current->duration.Value()))
        continue;
      device->BeginScene();
      doc.show->RenderShow();
      device->EndScene();
      device->Present();
      const Image frame = device->ReadFrame();
      const uint32_t x = kGap + uint32_t(k % columns) * (options.cellWidth + kGap);
      const uint32_t y = kGap + uint32_t(k / columns) * (options.cellHeight + kLabelHeight + kGap);
      for (uint32_t j = 0; j < frame.height && j < options.cellHeight; ++j)
        std::copy_n(frame.Pixel(0, j), size_t{std::min(frame.width, options.cellWidth)} * 4,
                    sheet.Pixel(x, y + j));
      const std::u16string name = current->name.Value();
      DrawLabel(sheet, x + 2, y + options.cellHeight, options.cellWidth - 4,
                FromUtf8(std::to_string(k + 1) + ". ") + (name.empty() ? u"(no name)" : name));
      drawn[k] = true;
      --left;
    }
    if (!WritePng(options.out.string(), sheet)) {
      std::cerr << "glimmer: cannot write " << options.out.string() << "\n";
      return 1;
    }
    out << "Wrote " << options.out.string() << ": " << n - left << " of " << n << " slides, "
        << sheet.width << "x" << sheet.height << "\n";
    if (left > 0)
      std::cerr << "glimmer: " << left << " slides did not come on in one pass; left blank\n";
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "glimmer: " << e.what() << "; no sheet\n";
    return 1;
  }
}

}  // namespace glimmer
