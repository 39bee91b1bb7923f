#include "app/thumbnail_command.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <string>

#include "common/atomic_file.h"
#include "common/watchdog.h"
#include "platform/gpu/gpu_device.h"
#include "platform/image/image_codec.h"
#include "platform/screen_context.h"
#include "scene/render_context.h"
#include "scene/slide_container.h"
#include "scene/slide_show.h"
#include "show/show_document.h"

namespace glimmer {
double ThumbnailTime(float fadeIn, float duration) {
  const double in = std::isfinite(fadeIn) ? std::max(0.0f, fadeIn) : 0.0;
  const double on = std::isfinite(duration) ? std::max(0.0f, duration) : 0.0;
  return in + std::min(1.5, on / 2);
}

int RunThumbnail(const DocumentArgs& args, const std::filesystem::path& out, uint32_t size,
                 double limitSeconds) {
  if (size < 16 || size > 2048) {
    std::cerr << "glimmer: --size must be from 16 to 2048 pixels\n";
    return 2;
  }
  const Watchdog watchdog(limitSeconds, "glimmer: the thumbnail took too long; none written\n");
  try {
    ShowDocument doc = LoadShow(FindShow(args).bytes);
    if (doc.show->slides.empty() || !doc.show->slides[0]) {
      std::cerr << "glimmer: the show has no slides; no thumbnail\n";
      return 1;
    }
    const uint32_t w = size, h = std::max<uint32_t>(1, uint32_t(std::lround(size * 9.0 / 16)));
    auto device = GpuDevice::CreateHeadless({w, h, true});
    ZT_2D_Light::SetCaptureScaleLimit(1);
    RenderContext context;
    doc.resources->Attach(*device);
    ScreenScope scope(doc.resources->ScreenFor(device.get(), &context));
    doc.show->Instantiate(2);
    const ZT_SlideContainer& first = *doc.show->slides[0];
    const double at = ThumbnailTime(first.fadeIn.Value(), first.duration.Value());
    // Steps of a frame rate, so the layers run as they would when played.
    constexpr double kStep = 1.0 / 25;
    for (double t = 0; t < at; t += kStep) doc.show->AdvanceShow(float(t));
    doc.show->AdvanceShow(float(at));
    device->BeginScene();
    doc.show->RenderShow();
    device->EndScene();
    device->Present();
    const std::vector<uint8_t> png = EncodePng(device->ReadFrame());
    std::string error;
    if (png.empty() ||
        !WriteFileAtomically(
            out, std::string_view(reinterpret_cast<const char*>(png.data()), png.size()), 0644,
            &error)) {
      std::cerr << "glimmer: cannot write " << out.string() << (error.empty() ? "" : ": ") << error
                << "\n";
      return 1;
    }
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "glimmer: " << e.what() << "; no thumbnail\n";
    return 1;
  }
}

}  // namespace glimmer
