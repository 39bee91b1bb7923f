// Draws the player's built-in pictures (our own procedural artwork) and
// writes them as PNG data in a C++ source file: make_builtin_pictures FILE.

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct Rgba {
  uint8_t r, g, b, a;
};
using Painter = std::function<Rgba(double x, double y)>;  // x, y in 0..1 across the picture

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 3; i >= 0; --i) out.push_back(uint8_t(v >> (8 * i)));
}

void Chunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
  Put32(png, uint32_t(data.size()));
  std::vector<uint8_t> body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  png.insert(png.end(), body.begin(), body.end());
  Put32(png, uint32_t(crc32(0, body.data(), uInt(body.size()))));
}

// A PNG of colour type 6 (RGBA) or 3 (palette, at most 256 colours).
std::vector<uint8_t> Encode(int w, int h, int type, const Painter& paint) {
  std::vector<Rgba> pixels;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) pixels.push_back(paint((x + 0.5) / w, (y + 0.5) / h));
  }
  std::vector<Rgba> palette;
  std::vector<uint8_t> raw;
  for (int y = 0; y < h; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < w; ++x) {
      const Rgba p = pixels[size_t(y) * w + x];
      if (type == 6) {
        raw.insert(raw.end(), {p.r, p.g, p.b, p.a});
        continue;
      }
      auto it = std::find_if(palette.begin(), palette.end(), [&](const Rgba& c) {
        return c.r == p.r && c.g == p.g && c.b == p.b && c.a == p.a;
      });
      if (it == palette.end()) {
        if (palette.size() == 256) {
          std::cerr << "too many colours for a palette picture\n";
          std::exit(1);
        }
        palette.push_back(p);
        it = palette.end() - 1;
      }
      raw.push_back(uint8_t(it - palette.begin()));
    }
  }
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> ihdr;
  Put32(ihdr, uint32_t(w));
  Put32(ihdr, uint32_t(h));
  ihdr.insert(ihdr.end(), {8, uint8_t(type), 0, 0, 0});
  Chunk(png, "IHDR", ihdr);
  if (type == 3) {
    std::vector<uint8_t> plte, trns;
    for (const Rgba& c : palette) {
      plte.insert(plte.end(), {c.r, c.g, c.b});
      trns.push_back(c.a);
    }
    Chunk(png, "PLTE", plte);
    Chunk(png, "tRNS", trns);
  }
  uLongf size = compressBound(uLong(raw.size()));
  std::vector<uint8_t> z(size);
  compress2(z.data(), &size, raw.data(), uLong(raw.size()), 9);
  z.resize(size);
  Chunk(png, "IDAT", z);
  Chunk(png, "IEND", {});
  return png;
}

uint8_t ToByte(double v) {
  return uint8_t(std::lround(std::clamp(v, 0.0, 1.0) * 255));
}

// A soft round spot: alpha falls from the centre with the given sharpness.
Painter Spot(double sharpness, Rgba tint = {255, 255, 255, 255}) {
  return [=](double x, double y) {
    const double d = std::hypot(x - 0.5, y - 0.5) * 2;
    const double a = std::pow(std::max(0.0, 1 - d), sharpness);
    return Rgba{tint.r, tint.g, tint.b, ToByte(a)};
  };
}

Painter Ring() {
  return [](double x, double y) {
    const double d = std::hypot(x - 0.5, y - 0.5) * 2;
    return Rgba{255, 255, 255, ToByte(std::exp(-std::pow((d - 0.7) / 0.12, 2)))};
  };
}

Painter Star(int points, double sharpness) {
  return [=](double x, double y) {
    const double dx = x - 0.5, dy = y - 0.5, d = std::hypot(dx, dy) * 2;
    const double ang = std::atan2(dy, dx);
    const double ray = std::pow(std::abs(std::cos(ang * points / 2)), sharpness);
    const double a = std::max(0.0, 1 - d / (0.25 + 0.75 * ray)) * std::max(0.0, 1 - d);
    return Rgba{255, 255, 255, ToByte(std::sqrt(a))};
  };
}

// A horizontal streak that fades to both ends and edges.
Painter Streak(double width) {
  return [=](double x, double y) {
    const double along = std::sin(x * M_PI), across = std::exp(-std::pow((y - 0.5) / width, 2));
    return Rgba{255, 255, 255, ToByte(along * across)};
  };
}

// Two electric arcs one above the other (v 0 … 0.5 and 0.5 … 1), each a
// thin bright core in a glow, zigzagging a little, tapering over the
// outer fifths of u (where an arc ends).
Painter Arc(double core) {
  return [=](double x, double y) {
    const int half = y < 0.5 ? 0 : 1;
    const double local = (y - 0.5 * half) * 2;
    const double line = 0.5 + 0.12 * std::sin(x * (11 + 7 * half) + half) * std::sin(x * 3.1);
    const double d = local - line;
    const double glow =
        std::exp(-std::pow(d / core, 2)) + 0.35 * std::exp(-std::pow(d / (core * 5), 2));
    const double taper = std::min(1.0, std::min(x, 1 - x) / 0.195);
    return Rgba{220, 235, 255, ToByte(std::min(1.0, glow) * taper)};
  };
}

// Quantised so that the palette stays small.
Painter Quantised(Painter p, int levels) {
  return [=](double x, double y) {
    Rgba c = p(x, y);
    auto q = [&](uint8_t v) {
      return uint8_t(std::lround(std::round(v / 255.0 * (levels - 1)) * 255.0 / (levels - 1)));
    };
    return Rgba{q(c.r), q(c.g), q(c.b), q(c.a)};
  };
}

// 5 × 7 glyphs for the loading picture.
const std::vector<std::string>& Glyph(char c) {
  static const std::vector<std::string> L = {"#....", "#....", "#....", "#....",
                                             "#....", "#....", "#####"};
  static const std::vector<std::string> o = {".....", ".....", ".###.", "#...#",
                                             "#...#", "#...#", ".###."};
  static const std::vector<std::string> a = {".....", ".....", ".###.", "....#",
                                             ".####", "#...#", ".####"};
  static const std::vector<std::string> d = {"....#", "....#", ".####", "#...#",
                                             "#...#", "#...#", ".####"};
  static const std::vector<std::string> i = {"..#..", ".....", ".##..", "..#..",
                                             "..#..", "..#..", ".###."};
  static const std::vector<std::string> n = {".....", ".....", "####.", "#...#",
                                             "#...#", "#...#", "#...#"};
  static const std::vector<std::string> g = {".....", ".####", "#...#", "#...#",
                                             ".####", "....#", ".###."};
  static const std::vector<std::string> dot = {".....", ".....", ".....", ".....",
                                               ".....", ".##..", ".##.."};
  switch (c) {
    case 'L':
      return L;
    case 'o':
      return o;
    case 'a':
      return a;
    case 'd':
      return d;
    case 'i':
      return i;
    case 'n':
      return n;
    case 'g':
      return g;
    default:
      return dot;
  }
}

// Black, with "Loading" and three dots in white across the middle.
Painter Loading() {
  return [](double x, double y) {
    const std::string text = "Loading...";
    const double cell = 6.0 / 512 * 5;  // glyph cell width in picture units (scale 5)
    const double left = 0.5 - cell * text.size() / 2, top = 0.5 - 7.0 / 512 * 5 / 2;
    const int col = int(std::floor((x - left) / cell));
    const int gx = int(std::floor((x - left - col * cell) / (cell / 6)));
    const int gy = int(std::floor((y - top) / (7.0 / 512 * 5 / 7)));
    bool on = false;
    if (col >= 0 && col < int(text.size()) && gx >= 0 && gx < 5 && gy >= 0 && gy < 7) {
      on = Glyph(text[size_t(col)])[size_t(gy)][size_t(gx)] == '#';
    }
    return on ? Rgba{255, 255, 255, 255} : Rgba{0, 0, 0, 255};
  };
}

// The default picture: a calm blue-grey gradient with a soft light.
Painter Default() {
  return [](double x, double y) {
    const double light = std::exp(-std::pow(std::hypot(x - 0.35, y - 0.3) / 0.5, 2));
    const double v = 0.25 + 0.45 * (1 - y) * 0.6 + 0.35 * light;
    return Rgba{ToByte(v * 0.75), ToByte(v * 0.85), ToByte(v), 255};
  };
}

struct Picture {
  int id, w, h, type;
  Painter paint;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: glimmer_make_builtin_pictures FILE.cpp\n";
    return 2;
  }
  const std::vector<Picture> pictures = {
      {2, 512, 512, 3, Quantised(Default(), 64)},
      {5, 512, 512, 3, Loading()},
      {54, 10, 10, 6, Spot(1.5)},
      {57, 128, 32, 6, Streak(0.18)},
      {60, 32, 32, 6, Spot(2.0)},
      {61, 32, 32, 6, Spot(0.6)},
      {62, 64, 64, 6, Spot(1.2)},
      {63, 128, 32, 6, Streak(0.3)},
      {64, 64, 64, 6, Ring()},
      {65, 32, 32, 6, Star(4, 8)},
      {66, 64, 64, 6, Star(6, 6)},
      {67, 4, 8, 3,
       [](double, double y) {
         return Rgba{255, 255, 255, ToByte(1 - y)};
       }},
      {68, 128, 32, 6, Streak(0.1)},
      {69, 2, 2, 6, Spot(0.5)},
      {70, 8, 8, 6, Spot(1.0)},
      {71, 32, 32, 6, Ring()},
      {72, 64, 64, 6, Spot(3.0, {255, 230, 180, 255})},
      {74, 32, 32, 3, Quantised(Star(5, 10), 16)},
      {75, 64, 64, 6, Star(8, 12)},
      {76, 64, 64, 6, Spot(0.8, {200, 220, 255, 255})},
      {77, 32, 32, 3, Quantised(Star(4, 4), 16)},
      {95, 256, 64, 6, Arc(0.06)},
      {98, 256, 64, 6, Arc(0.12)},
      {78, 1, 1, 3,
       [](double, double) {
         return Rgba{255, 255, 255, 255};
       }},
  };
  std::string out =
      "// Generated at build time by glimmer_make_builtin_pictures; do not edit.\n"
      "#include <cstdint>\n#include <span>\n#include <vector>\n\n"
      "namespace glimmer {\nnamespace {\n";
  for (const Picture& p : pictures) {
    const std::vector<uint8_t> png = Encode(p.w, p.h, p.type, p.paint);
    out += "const uint8_t kPicture" + std::to_string(p.id) + "[] = {";
    for (size_t i = 0; i < png.size(); ++i) {
      if (i % 24 == 0) out += "\n";
      out += std::to_string(png[i]) + ",";
    }
    out += "};\n";
  }
  out +=
      "}  // namespace\n\nstd::span<const uint8_t> BuiltinPicture(int32_t id) {\n  switch (id) {\n";
  for (const Picture& p : pictures) {
    out += "    case " + std::to_string(p.id) + ": return kPicture" + std::to_string(p.id) + ";\n";
  }
  out +=
      "    default: return {};\n  }\n}\n\nstd::vector<int32_t> BuiltinPictureIds() {\n  return {";
  for (const Picture& p : pictures) out += std::to_string(p.id) + ", ";
  out += "};\n}\n\n}  // namespace glimmer\n";
  std::ofstream file(argv[1]);
  file << out;
  return file ? 0 : 1;
}
