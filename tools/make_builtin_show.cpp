// Composes the player's built-in show at build time from its JSON source
// (shows/demo/show.json) and the pictures and sound drawn here, and writes it
// as a C++ source file (--cpp FILE) or as a document (--dds FILE).
//
// The show grows with the player: it carries what the player can show so far.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "common/byte_order.h"
#include "platform/image/image_codec.h"
#include "show/show_composer.h"

namespace {

using glimmer::PutLe16;
using glimmer::PutLe32;

// A 64×64 24-bit BMP: a dusk gradient with a soft sun.
std::vector<uint8_t> DuskPicture() {
  const int w = 64, h = 64, stride = w * 3;
  std::vector<uint8_t> b = {'B', 'M'};
  PutLe32(b, 54 + stride * h);
  PutLe32(b, 0);
  PutLe32(b, 54);
  PutLe32(b, 40);
  PutLe32(b, w);
  PutLe32(b, h);
  PutLe16(b, 1);
  PutLe16(b, 24);
  PutLe32(b, 0);
  PutLe32(b, stride * h);
  PutLe32(b, 2835);
  PutLe32(b, 2835);
  PutLe32(b, 0);
  PutLe32(b, 0);
  for (int y = 0; y < h; ++y) {  // bottom-up rows, BGR
    const double t = double(y) / (h - 1);
    for (int x = 0; x < w; ++x) {
      const double dx = x - 40.0, dy = y - 22.0;
      const double sun = std::exp(-(dx * dx + dy * dy) / 60.0);
      const double r = 40 + 200 * (1 - t) + 15 * sun * 255 / 40;
      const double g = 20 + 90 * (1 - t) * (1 - t) + 180 * sun;
      const double bl = 90 + 80 * t + 60 * sun;
      b.push_back(uint8_t(std::fmin(bl, 255)));
      b.push_back(uint8_t(std::fmin(g, 255)));
      b.push_back(uint8_t(std::fmin(r, 255)));
    }
  }
  return b;
}

// 8-bit mono PCM WAVE of `samples` (-1..1) at `rate`.
std::vector<uint8_t> WaveOf(const std::vector<double>& samples, int rate) {
  const uint32_t n = uint32_t(samples.size());
  std::vector<uint8_t> b = {'R', 'I', 'F', 'F'};
  PutLe32(b, 36 + n + (n & 1));
  for (char c : std::string("WAVEfmt ")) b.push_back(uint8_t(c));
  PutLe32(b, 16);
  PutLe16(b, 1);
  PutLe16(b, 1);
  PutLe32(b, uint32_t(rate));
  PutLe32(b, uint32_t(rate));
  PutLe16(b, 1);
  PutLe16(b, 8);
  for (char c : std::string("data")) b.push_back(uint8_t(c));
  PutLe32(b, n);
  for (double s : samples) b.push_back(uint8_t(std::lround(128 + 100 * std::clamp(s, -1.0, 1.0))));
  if (n & 1) b.push_back(128);
  return b;
}

// A struck bell at `freq`, `t` seconds after the strike: inharmonic partials
// that die away, the high ones first.
double Bell(double freq, double t) {
  const double partials[][3] = {
      {0.5, 0.25, 1.2}, {1.0, 0.5, 2.0}, {2.0, 0.2, 3.5}, {2.76, 0.12, 5.0}, {5.4, 0.05, 8.0}};
  double s = 0;
  for (const auto& p : partials)
    s += p[1] * std::exp(-p[2] * t) * std::sin(2 * M_PI * freq * p[0] * t);
  return s * std::min(1.0, t * 400);  // a soft strike, no click
}

// The show's music: eight seconds of chimes on a pentatonic scale, two notes
// a second, every note faded out by the loop's end so the only track loops
// without a seam. 11025 Hz, 8-bit mono PCM WAVE.
std::vector<uint8_t> ChimeSound() {
  const int rate = 11025;
  const double notes[] = {523.25, 659.25, 783.99, 880.0,  783.99, 659.25, 587.33, 523.25,
                          440.0,  523.25, 587.33, 659.25, 783.99, 659.25, 587.33, 392.0};
  std::vector<double> out(size_t(rate) * 8, 0.0);
  for (size_t k = 0; k < std::size(notes); ++k) {
    const double start = 0.5 * double(k);
    for (size_t i = size_t(start * rate); i < out.size(); ++i) {
      const double t = double(i) / rate - start;
      const double tail = std::min(1.0, (8.0 - double(i) / rate) * 4);  // quiet at the loop
      out[i] += Bell(notes[k], t) * tail;
    }
  }
  double peak = 0;
  for (double v : out) peak = std::max(peak, std::abs(v));
  for (double& v : out) v *= 0.7 / peak;
  return WaveOf(out, rate);
}

// A buoy's bell: one low strike ringing for a second and a half.
std::vector<uint8_t> BellSound() {
  const int rate = 11025;
  std::vector<double> out(size_t(rate) * 3 / 2);
  for (size_t i = 0; i < out.size(); ++i) out[i] = 0.8 * Bell(392.0, double(i) / rate);
  return WaveOf(out, rate);
}

// A 320 × 180 landscape drawn from a palette of sky and ground colours.
std::vector<uint8_t> Landscape(int variant) {
  const uint32_t w = 320, h = 180;
  glimmer::Image img{w, h, std::vector<uint8_t>(size_t(w) * h * 4)};
  for (uint32_t y = 0; y < h; ++y) {
    for (uint32_t x = 0; x < w; ++x) {
      const double u = double(x) / w, v = double(y) / h;
      double r, g, b;
      const double ridge =
          0.62 + 0.08 * std::sin(u * 9 + variant) + 0.05 * std::sin(u * 23 + 2 * variant);
      if (v < ridge) {  // sky
        const double sun =
            std::exp(-(std::pow(u - 0.3 - 0.2 * variant, 2) + std::pow(v - 0.35, 2)) / 0.01);
        const double t = v / ridge;
        const double sky[3][3] = {{0.95, 0.55, 0.35}, {0.35, 0.6, 0.9}, {0.55, 0.75, 0.95}};
        r = sky[variant][0] * (1 - 0.5 * t) + sun;
        g = sky[variant][1] * (1 - 0.3 * t) + 0.9 * sun;
        b = sky[variant][2] * (1 - 0.2 * t) + 0.6 * sun;
      } else {  // ground, with stripes of light
        const double t = (v - ridge) / (1 - ridge);
        const double stripe = 0.1 * std::sin(u * 40 + t * 10 + variant);
        const double ground[3][3] = {{0.25, 0.15, 0.2}, {0.1, 0.3, 0.45}, {0.2, 0.45, 0.2}};
        r = ground[variant][0] * (1 - 0.5 * t) + stripe;
        g = ground[variant][1] * (1 - 0.5 * t) + stripe;
        b = ground[variant][2] * (1 - 0.5 * t) + stripe;
      }
      uint8_t* p = img.Pixel(x, y);
      p[0] = uint8_t(std::clamp(r, 0.0, 1.0) * 255);
      p[1] = uint8_t(std::clamp(g, 0.0, 1.0) * 255);
      p[2] = uint8_t(std::clamp(b, 0.0, 1.0) * 255);
      p[3] = 255;
    }
  }
  return glimmer::EncodePng(img);
}

// A small sprite picture with alpha: `paint` gives r, g, b, a in 0..1 at
// (u, v) across the picture, v from the top.
template <class Paint>
std::vector<uint8_t> SpritePicture(uint32_t w, uint32_t h, Paint&& paint) {
  glimmer::Image img{w, h, std::vector<uint8_t>(size_t(w) * h * 4)};
  for (uint32_t y = 0; y < h; ++y) {
    for (uint32_t x = 0; x < w; ++x) {
      double c[4];
      paint((x + 0.5) / w, (y + 0.5) / h, c);
      uint8_t* p = img.Pixel(x, y);
      for (int k = 0; k < 4; ++k) p[k] = uint8_t(std::clamp(c[k], 0.0, 1.0) * 255);
    }
  }
  return glimmer::EncodePng(img);
}

double Smooth(double edge, double d) {
  return std::clamp(edge - d, 0.0, 1.0);
}

// The sprite pictures of the sprites showcase: a fish facing right, a bird
// with raised wings, a grass blade, a flower on its stem and a rain drop.
// Four seconds of a slow organ tune as MPEG-1 layer I audio, written bit by
// bit: the tune is sampled at the first subband's rate (44100 ÷ 32 Hz) and
// carried in that subband alone, which holds everything below 689 Hz, so no
// encoder is needed. Mono, 64 kbit/s frames of 384 samples; an ID3v2 tag in
// front marks the bytes as MPEG audio for the decoder.
std::vector<uint8_t> MpegTune() {
  const double subRate = 44100.0 / 32;
  const double notes[] = {261.63, 329.63, 392.0, 329.63, 293.66, 349.23, 440.0, 349.23};
  const double step = 0.5;
  std::vector<uint8_t> b = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 16};
  b.resize(26, 0);
  const int frames = int(std::size(notes) * step * 44100 / 384);
  for (int f = 0; f < frames; ++f) {
    std::vector<uint8_t> frame = {0xFF, 0xFF, 0x20, 0xC0};
    int bit = 32;
    auto put = [&](uint32_t v, int n) {
      for (int i = n - 1; i >= 0; --i, ++bit) {
        if (bit % 8 == 0) frame.push_back(0);
        if ((v >> i) & 1) frame.back() |= uint8_t(0x80 >> (bit % 8));
      }
    };
    for (int band = 0; band < 32; ++band) put(band == 0 ? 14 : 0, 4);  // 15-bit samples
    put(3, 6);                                                         // scale factor 1.0
    for (int i = 0; i < 12; ++i) {
      const double t = double(f * 12 + i) / subRate;
      double x = 0;
      for (size_t k = 0; k < std::size(notes); ++k) {
        const double u = t - step * double(k);
        if (u < 0) continue;
        const double envelope = std::min(1.0, u * 20) * std::exp(-2.5 * u);
        x += 0.35 * envelope *
             (std::sin(2 * M_PI * notes[k] * u) + 0.4 * std::sin(M_PI * notes[k] * u));
      }
      x *= std::min(1.0, (double(frames) * 384 / 44100 - t) * 4);  // quiet at the end
      put(uint32_t(std::clamp(std::lround(x * 16384 + 16383), 0L, 32766L)), 15);
    }
    frame.resize(68, 0);
    b.insert(b.end(), frame.begin(), frame.end());
  }
  return b;
}

std::vector<uint8_t> FishPicture() {
  return SpritePicture(64, 32, [](double u, double v, double* c) {
    const double bx = (u - 0.58) / 0.36, by = (v - 0.5) / 0.36;
    const double body = Smooth(1, std::sqrt(bx * bx + by * by)) * 8;
    const double tail = u < 0.3 && std::fabs(v - 0.5) < (0.3 - u) * 1.4 + 0.04 ? 1 : 0;
    const double eye = std::hypot((u - 0.8) * 2, v - 0.42) < 0.06 ? 1 : 0;
    const double a = std::max(std::min(body, 1.0), tail);
    const double stripe = 0.25 * std::sin(u * 30);
    c[0] = (1 - eye) * (1.0 + stripe);
    c[1] = (1 - eye) * (0.5 + 0.3 * v + stripe);
    c[2] = (1 - eye) * 0.15;
    c[3] = a;
  });
}

std::vector<uint8_t> BirdPicture() {
  return SpritePicture(64, 32, [](double u, double v, double* c) {
    // Two wing arcs meeting at the body, tips raised.
    const double x = (u - 0.5) * 2, wing = 0.55 - 0.45 * std::fabs(x) + 0.35 * x * x;
    const double d = std::fabs(v - wing) - 0.07 * (1.1 - std::fabs(x));
    const double body = std::hypot(x * 1.5, (v - 0.6) * 2.5) < 0.15 ? 1 : 0;
    c[0] = c[1] = c[2] = 0.12;
    c[3] = std::max(Smooth(0.02, d) * 50, body) * (std::fabs(x) < 0.98 ? 1 : 0);
  });
}

std::vector<uint8_t> BladePicture() {
  return SpritePicture(8, 64, [](double u, double v, double* c) {
    const double half = 0.5 * v;  // pointed at the top
    c[0] = 0.25 + 0.2 * (1 - v);
    c[1] = 0.55 + 0.35 * (1 - v);
    c[2] = 0.15;
    c[3] = Smooth(half, std::fabs(u - 0.5)) * 8;
  });
}

std::vector<uint8_t> FlowerPicture() {
  return SpritePicture(48, 64, [](double u, double v, double* c) {
    const double x = u - 0.5, y = (v - 0.3) * 64 / 48;
    const double r = std::hypot(x, y), a = std::atan2(y, x);
    const double petals = 0.2 + 0.12 * std::fabs(std::cos(2.5 * a));
    const bool heart = r < 0.09, petal = r < petals;
    const bool stem = v > 0.4 && std::fabs(x + 0.03 * std::sin(v * 6)) < 0.035;
    const bool leaf = std::hypot((x - 0.12) * 1.2, (v - 0.72) * 3) < 0.12;
    if (heart) {
      c[0] = 1, c[1] = 0.8, c[2] = 0.1;
    } else if (petal) {
      c[0] = 0.95, c[1] = 0.35 + 0.4 * r, c[2] = 0.6;
    } else {
      c[0] = 0.2, c[1] = 0.6, c[2] = 0.2;
    }
    c[3] = heart || petal || stem || leaf ? 1 : 0;
  });
}

std::vector<uint8_t> DropPicture() {
  return SpritePicture(4, 32, [](double u, double v, double* c) {
    c[0] = 0.75, c[1] = 0.85, c[2] = 1;
    c[3] = std::sin(v * M_PI) * (1 - 1.6 * std::fabs(u - 0.5));
  });
}

// A jagged bolt: distance to a zigzag running down the picture, `seed`
// choosing its bends.
double Bolt(double u, double v, int seed) {
  const double x = 0.5 + 0.22 * std::sin(v * (7 + 2 * seed) + seed) +
                   0.1 * std::sin(v * (19 + 5 * seed) + 2 * seed);
  return std::fabs(u - x);
}

std::vector<uint8_t> BoltPicture() {
  return SpritePicture(24, 96, [](double u, double v, double* c) {
    const double d = Bolt(u, v, 1);
    c[0] = c[1] = 0.85 + 0.15 * Smooth(0.05, d) * 20, c[2] = 1;
    c[3] = Smooth(0.06, d) * 25 * std::sin(v * M_PI) + 0.4 * std::exp(-d * d / 0.01);
  });
}

// Four frames side by side of a spark whose bolt changes shape.
std::vector<uint8_t> SparkSheet() {
  return SpritePicture(128, 32, [](double u, double v, double* c) {
    const int frame = std::min(3, int(u * 4));
    const double x = u * 4 - frame, d = Bolt(x, v, frame + 2);
    const double fade = std::sin(x * M_PI) * std::sin(v * M_PI);  // nothing at the frame's edges
    c[0] = 0.7 + 0.3 * Smooth(0.04, d) * 25, c[1] = 0.8, c[2] = 1;
    c[3] = (Smooth(0.05, d) * 20 + 0.5 * std::exp(-d * d / 0.02)) * fade;
  });
}

// The lakes' bump map, tiling: the slopes of a few crossing waves whose
// periods divide the tile, as (du, dv) about one half in red and green.
std::vector<uint8_t> RipplesPicture() {
  struct Wave {
    double kx, ky, amplitude, phase;
  };
  static constexpr Wave waves[] = {{3, 5, 1.0, 0.3},  {-7, 4, 0.6, 1.9}, {11, -6, 0.35, 4.1},
                                   {2, 13, 0.3, 2.7}, {17, 9, 0.2, 5.3}, {-23, 19, 0.12, 0.9}};
  return SpritePicture(256, 256, [](double u, double v, double* c) {
    double du = 0, dv = 0;
    for (const Wave& w : waves) {
      const double a = 2 * M_PI * (w.kx * u + w.ky * v) + w.phase;
      // The slope of amplitude × sin(a), in units of the steepest wave.
      du += w.amplitude * w.kx * std::cos(a) / 17;
      dv += w.amplitude * w.ky * std::cos(a) / 17;
    }
    c[0] = 0.5 + 0.5 * du, c[1] = 0.5 + 0.5 * dv, c[2] = 0.5, c[3] = 1;
  });
}

bool WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  return bool(out);
}

std::string AsCpp(const std::vector<uint8_t>& bytes) {
  std::string s =
      "// Generated at build time by glimmer_make_builtin_show; do not edit.\n"
      "#include <cstddef>\n#include <cstdint>\n#include <span>\n\n"
      "namespace glimmer {\nnamespace {\nconst uint8_t kShow[] = {\n";
  char buf[8];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%u,", bytes[i]);
    s += buf;
    if (i % 24 == 23) s += '\n';
  }
  s += "};\n}  // namespace\n\nstd::span<const uint8_t> BuiltinShow() { return kShow; }\n\n"
       "}  // namespace glimmer\n";
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5 || (std::strcmp(argv[3], "--cpp") != 0 && std::strcmp(argv[3], "--dds") != 0)) {
    std::cerr << "usage: glimmer_make_builtin_show SHOW.json WORKDIR --cpp FILE | --dds FILE\n";
    return 2;
  }
  // The show's files are drawn into the work folder beside a copy of its JSON.
  const std::filesystem::path work = argv[2];
  std::filesystem::create_directories(work);
  const auto bytesOf = [](const std::vector<uint8_t>& b) {
    return std::string(b.begin(), b.end());
  };
  bool ok = WriteFile((work / "dusk.bmp").string(), bytesOf(DuskPicture())) &&
            WriteFile((work / "chime.wav").string(), bytesOf(ChimeSound())) &&
            WriteFile((work / "bell.wav").string(), bytesOf(BellSound())) &&
            WriteFile((work / "organ.mp3").string(), bytesOf(MpegTune()));
  const char* names[3] = {"Dusk", "Sea", "Hills"};
  for (int i = 0; i < 3; ++i)
    ok = ok && WriteFile((work / (std::string(names[i]) + ".png")).string(), bytesOf(Landscape(i)));
  const std::pair<const char*, std::vector<uint8_t>> sprites[] = {
      {"Fish.png", FishPicture()},   {"Bird.png", BirdPicture()},
      {"Blade.png", BladePicture()}, {"Flower.png", FlowerPicture()},
      {"Drop.png", DropPicture()},   {"Bolt.png", BoltPicture()},
      {"Spark.png", SparkSheet()},   {"Ripples.png", RipplesPicture()},
  };
  for (const auto& [name, bytes] : sprites)
    ok = ok && WriteFile((work / name).string(), bytesOf(bytes));
  std::error_code ec;
  std::filesystem::copy_file(argv[1], work / "show.json",
                             std::filesystem::copy_options::overwrite_existing, ec);
  if (!ok || ec) {
    std::cerr << "cannot write the show's files into " << work.string() << "\n";
    return 1;
  }
  std::vector<uint8_t> bytes;
  try {
    bytes = glimmer::ComposeShowFile(work / "show.json");
  } catch (const std::exception& e) {
    std::cerr << argv[1] << ": " << e.what() << "\n";
    return 1;
  }
  ok = std::strcmp(argv[3], "--cpp") == 0 ? WriteFile(argv[4], AsCpp(bytes))
                                          : WriteFile(argv[4], bytesOf(bytes));
  if (!ok) {
    std::cerr << "cannot write " << argv[4] << "\n";
    return 1;
  }
  return 0;
}
