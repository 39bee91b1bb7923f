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
#include <vector>

#include "platform/image/image_codec.h"
#include "show/show_composer.h"

namespace {

void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// A 64×64 24-bit BMP: a dusk gradient with a soft sun.
std::vector<uint8_t> DuskPicture() {
  const int w = 64, h = 64, stride = w * 3;
  std::vector<uint8_t> b = {'B', 'M'};
  Put32(b, 54 + stride * h);
  Put32(b, 0);
  Put32(b, 54);
  Put32(b, 40);
  Put32(b, w);
  Put32(b, h);
  Put16(b, 1);
  Put16(b, 24);
  Put32(b, 0);
  Put32(b, stride * h);
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, 0);
  Put32(b, 0);
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

// One second of a quiet two-tone chime: 8 kHz, 8-bit mono PCM WAVE.
std::vector<uint8_t> ChimeSound() {
  const int rate = 8000, n = rate;
  std::vector<uint8_t> b = {'R', 'I', 'F', 'F'};
  Put32(b, 36 + n);
  for (char c : std::string("WAVEfmt ")) b.push_back(uint8_t(c));
  Put32(b, 16);
  Put16(b, 1);
  Put16(b, 1);
  Put32(b, rate);
  Put32(b, rate);
  Put16(b, 1);
  Put16(b, 8);
  for (char c : std::string("data")) b.push_back(uint8_t(c));
  Put32(b, n);
  for (int i = 0; i < n; ++i) {
    const double t = double(i) / rate;
    const double env = std::exp(-3.0 * t);
    const double s =
        env * (0.5 * std::sin(2 * M_PI * 660 * t) + 0.3 * std::sin(2 * M_PI * 990 * t));
    b.push_back(uint8_t(128 + 40 * s));
  }
  return b;
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
            WriteFile((work / "chime.wav").string(), bytesOf(ChimeSound()));
  const char* names[3] = {"Dusk", "Sea", "Hills"};
  for (int i = 0; i < 3; ++i)
    ok = ok && WriteFile((work / (std::string(names[i]) + ".png")).string(), bytesOf(Landscape(i)));
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
