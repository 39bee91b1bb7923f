// A photo show headless at 1920 × 1080: twelve 3000 × 2000 JPEG photos,
// made here. The time from the document's bytes to its first frame beside
// decoding one photo alone (the ceiling: the first frame needs at least that
// one decode); frames played at their real pace across slide switches, the
// longest against the median; and the process's peak memory. Then where
// the fit of a photo to its texture is cheapest: on a worker, or drawn
// scaled by the device (on the frame thread), beside how closely the
// device's result matches the worker's tent filter.

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "benchmarks/bench_support.h"
#include "platform/gpu/texture_loader.h"
#include "render/render_targets.h"
#include "render/state_blocks.h"
#include "scene/slide.h"
#include "scene/slide_container.h"
#include "scene/slide_show.h"
#include "tests/support/test_pictures.h"

namespace {

using namespace glimmer;
using namespace glimmer::bench;
using Clock = std::chrono::steady_clock;

constexpr int kPhotos = 12;

std::vector<uint8_t> Photo(int k) {
  constexpr uint32_t w = 3000, h = 2000;
  std::vector<uint8_t> rgb(size_t{w} * h * 3);
  for (uint32_t y = 0; y < h; ++y) {
    for (uint32_t x = 0; x < w; ++x) {
      uint8_t* p = &rgb[(size_t{y} * w + x) * 3];
      p[0] = uint8_t(128 + 127 * std::sin(x * 0.003 * (k + 1) + y * 0.001));
      p[1] = uint8_t((x ^ y) + uint32_t(k) * 20);
      p[2] = uint8_t(128 + 100 * std::cos(y * 0.004 + k));
    }
  }
  return glimmer::testing::EncodeJpeg(rgb, w, h, 3, 90);
}

// The show's document bytes, slides of `seconds` each without fades.
const std::vector<uint8_t>& PhotoShow(float seconds) {
  static std::vector<uint8_t> bytes;
  static float made = -1;
  if (made != seconds) {
    static std::vector<std::vector<uint8_t>> photos;
    if (photos.empty()) {
      for (int k = 0; k < kPhotos; ++k) photos.push_back(Photo(k));
    }
    ShowDocument doc;
    for (int k = 0; k < kPhotos; ++k) {
      AddSlide(doc, u"photo" + std::u16string(1, char16_t(u'a' + k)) + u".jpg", photos[size_t(k)],
               {}, seconds);
      doc.show->slides.back()->fadeIn.SetValue(0);
      doc.show->slides.back()->fadeOut.SetValue(0);
    }
    bytes = SaveShow(doc);
    made = seconds;
  }
  return bytes;
}

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_maxrss) / 1024.0;
}

// From the document's bytes to the first frame drawn.
void BM_FirstFrame(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = PhotoShow(2);
  for (auto _ : state) PlayingShow show(bytes);
  state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_FirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_DecodeOnePhoto(benchmark::State& state) {
  const std::vector<uint8_t> photo = Photo(0);
  for (auto _ : state) benchmark::DoNotOptimize(DecodeImage(photo));
}
BENCHMARK(BM_DecodeOnePhoto)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// A field of /proc/self/status in megabytes ("VmRSS": resident now, "VmHWM":
// the most since the last ResetPeakResident()).
double StatusMegabytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0) return std::stod(line.substr(field.size() + 1)) / 1024.0;
  }
  return 0;
}

void ResetPeakResident() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

// Frames at their real pace through several one-second slides: the time
// of each frame, reported as the median, the longest in the first 0.3 s of
// each slide (the switch, the next picture's decode and its upload) and the
// longest of all; and the memory the playing adds to what the process held
// before (`added_MB`, the peak over `before_MB`; of it `document_MB` the
// loaded document and `pictures_MB` the rest) beside the pictures' budget:
// 1.5 × the largest picture texture made, for two slides (photo slides make
// no capture targets).
void BM_PlayAcrossSwitches(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = PhotoShow(1);
  std::vector<double> frames;
  double switchLongest = 0, residentBefore = 0, document = 0, added = 0, largestTexture = 0;
  {
    // The device and the slide drawing's shaders are there before: a small
    // photo played for a frame.
    ShowDocument small;
    AddSlide(small, u"small.jpg",
             glimmer::testing::EncodeJpeg(std::vector<uint8_t>(64 * 64 * 3, 90), 64, 64, 3, 90), {},
             1);
    PlayingShow warm(small);
    warm.Frame(0.5f);
  }
  for (auto _ : state) {
    residentBefore = StatusMegabytes("VmRSS");
    ResetPeakResident();
    ShowDocument loaded = LoadShow(bytes);
    document = StatusMegabytes("VmRSS") - residentBefore;
    PlayingShow show(PlayingShow::Loaded{}, std::move(loaded));  // its first frame: measured above
    const auto start = Clock::now();
    auto next = start;
    while (next - start < std::chrono::milliseconds(6500)) {
      const auto before = Clock::now();
      const float t = std::chrono::duration<float>(before - start).count();
      show.Frame(t);
      frames.push_back(std::chrono::duration<double, std::milli>(Clock::now() - before).count());
      if (t - std::floor(t) < 0.3f) switchLongest = std::max(switchLongest, frames.back());
      for (const auto& slide : show.Show().show->slides) {
        if (const TexturePtr& texture = slide->slide->PictureTexture())
          largestTexture =
              std::max(largestTexture, texture->Width() * 4.0 * texture->Height() / 1048576.0);
      }
      next += std::chrono::milliseconds(40);
      std::this_thread::sleep_until(next);
    }
    added = StatusMegabytes("VmHWM") - residentBefore;
  }
  std::sort(frames.begin(), frames.end());
  state.counters["median_ms"] = frames[frames.size() / 2];
  state.counters["switch_longest_ms"] = switchLongest;
  state.counters["longest_ms"] = frames.back();
  state.counters["before_MB"] = residentBefore;
  state.counters["added_MB"] = added;
  state.counters["document_MB"] = document;
  state.counters["pictures_MB"] = added - document;
  state.counters["budget_MB"] = 1.5 * 2 * largestTexture;
}
BENCHMARK(BM_PlayAcrossSwitches)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// The level a 3000 × 2000 photo gets at 1920 × 1080, filling the screen:
// 1921 × 1281 when reduced to what the screen shows (state.range(0) == 1),
// else the whole 4096 × 2048 power-of-two texture.
std::pair<uint32_t, uint32_t> FitSize(const benchmark::State& state) {
  return state.range(0) == 1 ? std::pair{1921u, 1281u} : std::pair{4096u, 2048u};
}

// Decoding and fitting on a worker, as the player does.
void BM_FitOnWorker(benchmark::State& state) {
  const std::vector<uint8_t> photo = Photo(0);
  const auto [w, h] = FitSize(state);
  const uint32_t limitW = state.range(0) == 1 ? w : 0, limitH = state.range(0) == 1 ? h : 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(PreparePicture(photo, kD3dxDefault, kD3dxDefault, D3DX_FILTER_TRIANGLE,
                                            0, 0, limitW, limitH));
  }
}
BENCHMARK(BM_FitOnWorker)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

// Decoding on a worker, then the frame thread uploads the whole photo and the
// device draws it scaled (bilinear) into a texture of the level's size.
// `within_4_pct`: the share of channels within 4 of the worker's level.
void BM_FitOnDevice(benchmark::State& state) {
  const std::vector<uint8_t> photo = Photo(0);
  const Image decoded = *DecodeImage(photo);
  const auto [w, h] = FitSize(state);
  GpuDevice& d = Device();
  const TexturePtr target = CreateRenderTarget(d, w, h);
  struct V {
    float x, y, z, rhw;
    D3DCOLOR c;
    float u, v;
  };
  const float fw = float(w), fh = float(h);
  const V quad[4] = {{0, fh, 0.5f, 1, 0xFFFFFFFF, 0, 1},
                     {0, 0, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                     {fw, fh, 0.5f, 1, 0xFFFFFFFF, 1, 1},
                     {fw, 0, 0.5f, 1, 0xFFFFFFFF, 1, 0}};
  for (auto _ : state) {
    const TexturePtr source =
        d.CreateTexture(decoded.width, decoded.height, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED);
    source->UploadImage(0, decoded);
    SavedTargets saved;
    saved.Save(d);
    d.SetRenderTarget(0, target->GetSurfaceLevel(0));
    kSlideState.Apply(d);
    d.SetTexture(0, source);
    d.SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(V));
    d.SetTexture(0, nullptr);
    saved.Restore(d);
    d.Finish();
  }
  const Image drawn = target->ReadLevel(0);
  const uint32_t limitW = state.range(0) == 1 ? w : 0, limitH = state.range(0) == 1 ? h : 0;
  const auto fitted =
      PreparePicture(photo, kD3dxDefault, kD3dxDefault, D3DX_FILTER_TRIANGLE, 0, 0, limitW, limitH);
  // Colour channels only: the worker's level may be RGB.
  size_t near = 0, channels = 0;
  if (fitted && fitted->level0.width == drawn.width && fitted->level0.height == drawn.height) {
    for (uint32_t y = 0; y < drawn.height; ++y) {
      for (uint32_t x = 0; x < drawn.width; ++x, channels += 3) {
        for (int c = 0; c < 3; ++c)
          near += std::abs(int(drawn.Pixel(x, y)[c]) - int(fitted->level0.Pixel(x, y)[c])) <= 4;
      }
    }
  }
  state.counters["within_4_pct"] = channels ? 100.0 * double(near) / double(channels) : 0.0;
}
BENCHMARK(BM_FitOnDevice)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return RunAgainstCeilings(argc, argv, {{"BM_FirstFrame", "BM_DecodeOnePhoto"}});
}
