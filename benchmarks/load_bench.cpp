// A photo show headless at 1920 × 1080: twelve 3000 × 2000 JPEG photos,
// made here. The time from the document's bytes to its first frame beside
// decoding one photo alone (the ceiling: the first frame needs at least that
// one decode); frames played at their real pace across slide switches, the
// longest against the median; and the process's peak memory.

#include <stb/stb_image_write.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "benchmarks/bench_support.h"

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
  std::vector<uint8_t> jpeg;
  stbi_write_jpg_to_func(
      [](void* out, void* data, int size) {
        auto* bytes = static_cast<uint8_t*>(data);
        static_cast<std::vector<uint8_t>*>(out)->insert(
            static_cast<std::vector<uint8_t>*>(out)->end(), bytes, bytes + size);
      },
      &jpeg, int(w), int(h), 3, rgb.data(), 90);
  return jpeg;
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

// Frames at their real pace through several one-second slides: the time
// of each frame, reported as the median and the longest.
void BM_PlayAcrossSwitches(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = PhotoShow(1);
  std::vector<double> frames;
  for (auto _ : state) {
    PlayingShow show(bytes);  // its first frame is the one measured above
    const auto start = Clock::now();
    auto next = start;
    while (next - start < std::chrono::milliseconds(6500)) {
      const auto before = Clock::now();
      show.Frame(std::chrono::duration<float>(before - start).count());
      frames.push_back(std::chrono::duration<double, std::milli>(Clock::now() - before).count());
      next += std::chrono::milliseconds(40);
      std::this_thread::sleep_until(next);
    }
  }
  std::sort(frames.begin(), frames.end());
  state.counters["median_ms"] = frames[frames.size() / 2];
  state.counters["longest_ms"] = frames.back();
  state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_PlayAcrossSwitches)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  return RunAgainstCeilings(argc, argv, {{"BM_FirstFrame", "BM_DecodeOnePhoto"}});
}
