// Draws the player's built-in pictures (our own procedural artwork) and
// writes them as PNG data in a C++ source file, with the built-in meshes as
// DirectX .X text: make_builtin_pictures FILE.

#include <zlib.h>

#include <algorithm>
#include <array>
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

// Four rain drops on glass in a 2 × 2 sheet: a round drop (top left, the
// sliding one) and three smaller, flatter ones. Each is a small lens: the
// bright sky it turns upside down gathers in its lower half, its upper half
// and rim are dark, and a sharp glint sits above left.
Painter RainDrops() {
  return [](double x, double y) {
    const int cell = (x < 0.5 ? 0 : 1) + (y < 0.5 ? 0 : 2);
    static constexpr double kStretch[4][2] = {{1.0, 1.0}, {1.25, 0.85}, {0.9, 1.2}, {1.15, 1.0}};
    const double dx = ((x - 0.5 * (cell & 1)) * 2 - 0.5) * 2 * kStretch[cell][0];
    const double dy = ((y - 0.5 * (cell >> 1)) * 2 - 0.5) * 2 * kStretch[cell][1];
    const double d = std::hypot(dx, dy) / 0.9;
    if (d >= 1) return Rgba{0, 0, 0, 0};
    const double lens = std::clamp(0.5 + 0.6 * dy / 0.9, 0.0, 1.0);  // dark above, light below
    const double rim = std::pow(d, 8);
    const double glint = std::exp(-(std::pow(dx + 0.3, 2) + std::pow(dy + 0.38, 2)) / 0.012);
    const double shade = std::min(1.0, (0.25 + 0.75 * lens) * (1 - 0.8 * rim) + glint);
    const double a =
        std::min(1.0, 0.35 + 0.25 * (1 - lens) + 0.5 * rim + glint) * std::min(1.0, (1 - d) * 14);
    return Rgba{ToByte(shade * 0.92), ToByte(shade * 0.96), ToByte(shade), ToByte(a)};
  };
}

// A soft, lumpy puff of smoke or fog: a round fall-off broken up by a few
// octaves of smooth noise.
Painter Puff() {
  return [](double x, double y) {
    const auto hash = [](int i, int j) {
      uint32_t h = uint32_t(i) * 374761393u + uint32_t(j) * 668265263u;
      h = (h ^ (h >> 13)) * 1274126177u;
      return double((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
    };
    const auto noise = [&](double u, double v) {
      const int i = int(std::floor(u)), j = int(std::floor(v));
      const double fu = u - i, fv = v - j;
      const double su = fu * fu * (3 - 2 * fu), sv = fv * fv * (3 - 2 * fv);
      const double a = hash(i, j) + (hash(i + 1, j) - hash(i, j)) * su;
      const double b = hash(i, j + 1) + (hash(i + 1, j + 1) - hash(i, j + 1)) * su;
      return a + (b - a) * sv;
    };
    double n = 0, amplitude = 0.5, f = 4;
    for (int k = 0; k < 4; ++k, amplitude /= 2, f *= 2) n += amplitude * noise(x * f, y * f);
    const double d = std::hypot(x - 0.5, y - 0.5) * 2;
    const double body = std::pow(std::max(0.0, 1 - d), 1.2);
    return Rgba{255, 255, 255, ToByte(body * (0.35 + 0.9 * n))};
  };
}

// Fire noise: three independent layers of smooth value noise in red, green
// and blue, each tiling across the picture's edges (lattice of `cells`).
Painter FireNoise(int cells) {
  return [=](double x, double y) {
    const auto hash = [&](int i, int j, uint32_t seed) {
      i = ((i % cells) + cells) % cells;
      j = ((j % cells) + cells) % cells;
      uint32_t h = uint32_t(i) * 374761393u + uint32_t(j) * 668265263u + seed * 2246822519u;
      h = (h ^ (h >> 13)) * 1274126177u;
      return double((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
    };
    const auto noise = [&](double u, double v, uint32_t seed) {
      const int i = int(std::floor(u)), j = int(std::floor(v));
      const double fu = u - i, fv = v - j;
      const double su = fu * fu * (3 - 2 * fu), sv = fv * fv * (3 - 2 * fv);
      const double a = hash(i, j, seed) + (hash(i + 1, j, seed) - hash(i, j, seed)) * su;
      const double b =
          hash(i, j + 1, seed) + (hash(i + 1, j + 1, seed) - hash(i, j + 1, seed)) * su;
      return a + (b - a) * sv;
    };
    const auto channel = [&](uint32_t seed) {
      // Two octaves; the second's lattice is twice as fine and still tiles.
      return ToByte(0.65 * noise(x * cells, y * cells, seed) +
                    0.35 * noise(x * cells * 2, y * cells * 2, seed + 7));
    };
    return Rgba{channel(1), channel(2), channel(3), 255};
  };
}

// Flame tongues: opaque at the bottom, rising into uneven tips that fade out
// towards the top; tiles from left to right.
Painter FlameTongues() {
  return [](double x, double y) {
    const double pi = 3.14159265358979;
    const double tips = 0.55 + 0.22 * std::fabs(std::sin(x * pi * 5)) +
                        0.13 * std::fabs(std::sin(x * pi * 9 + 1.3)) +
                        0.08 * std::sin(x * pi * 14 + 0.4);
    // y runs down: the tongue starts at 1 − tips and is full at the bottom.
    const double a = std::clamp((y - (1 - tips)) / tips, 0.0, 1.0);
    return Rgba{255, 255, 255, ToByte(std::pow(a, 0.8))};
  };
}

// Quantised so that the palette stays small.
// The glass ball's overlays: a white highlight up left (58) and a faint
// bright crescent along the lower right of the rim (59), inside the circle
// the picture spans; and the soft shadow below the ball (184).
Painter GlassHighlight() {
  return [](double x, double y) {
    const double px = x * 2 - 1, py = y * 2 - 1;
    if (px * px + py * py > 1) return Rgba{255, 255, 255, 0};
    const double hx = px + 0.38, hy = py + 0.42;
    return Rgba{255, 255, 255, ToByte(std::exp(-(hx * hx + hy * hy) * 14) * 0.85)};
  };
}
Painter GlassCrescent() {
  return [](double x, double y) {
    const double px = x * 2 - 1, py = y * 2 - 1, r = std::sqrt(px * px + py * py);
    if (r > 1) return Rgba{255, 255, 255, 0};
    const double toward = std::max(0.0, (px + py) / std::sqrt(2.0));
    const double edge = std::exp(-(1 - r) * (1 - r) * 400);
    return Rgba{255, 255, 255, ToByte(edge * toward * 0.5)};
  };
}
Painter GlassShadow() {
  return [](double x, double y) {
    const double px = x * 2 - 1, py = y * 2 - 1;
    return Rgba{0, 0, 0, ToByte(std::exp(-(px * px + py * py) * 3) * 0.6)};
  };
}

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
// A strip of glyphs for the code rain, one square cell each, top to bottom:
// mirrored digits and angular signs on a 5 × 7 dot grid, white on clear.
Painter GlyphStrip() {
  static const char* const kGlyphs[16][7] = {
      {" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "},
      {"  #  ", "  ## ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "},
      {" ### ", "#   #", "#    ", " ### ", "    #", "    #", "#####"},
      {"#####", "#    ", "  ## ", "#    ", "#    ", "#   #", " ### "},
      {"  #  ", " ##  ", "# #  ", "#  # ", "#####", "   # ", "   # "},
      {"#####", "    #", " ####", "#    ", "#    ", "#   #", " ### "},
      {" ##  ", "   # ", "    #", "#### ", "#   #", "#   #", " ### "},
      {"#####", "#    ", "   # ", "  #  ", " #   ", " #   ", " #   "},
      {" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "},
      {" ### ", "#   #", "#   #", " ####", "    #", "   # ", " ##  "},
      {"#####", "    #", "   # ", "  ## ", "  #  ", " #   ", "#    "},
      {"  #  ", "#####", "  #  ", " # # ", "#  # ", "   # ", "  #  "},
      {"#   #", " #  #", "    #", "   # ", "  #  ", " #   ", "#    "},
      {"#####", "  #  ", "  #  ", "#####", "  #  ", "  #  ", "  #  "},
      {" #   ", "#####", " #  #", " #  #", " #  #", "#   #", "   # "},
      {"  #  ", "  #  ", "#####", "  #  ", " # # ", "#   #", "     "},
  };
  return [](double x, double y) {
    const int glyph = std::min(int(y * 16), 15);
    const double gy = y * 16 - glyph;
    // The 5 × 7 dots inside a margin of the square cell.
    const int col = int((x - 0.1) / 0.8 * 5), row = int((gy - 0.06) / 0.88 * 7);
    const bool on = x >= 0.1 && gy >= 0.06 && col >= 0 && col < 5 && row >= 0 && row < 7 &&
                    kGlyphs[glyph][row][col] == '#';
    return on ? Rgba{255, 255, 255, 255} : Rgba{255, 255, 255, 0};
  };
}

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

// A butterfly's wing, seen from above: u runs from the body (0) to the tip
// (1), v from the front edge (0) to the back (1). Orange with a black rim,
// dark veins and white spots near the tip.
Painter ButterflyWing() {
  return [](double x, double y) {
    const double fore = std::pow((x - 0.48) / 0.5, 2) + std::pow((y - 0.33) / 0.3, 2);
    const double hind = std::pow((x - 0.32) / 0.33, 2) + std::pow((y - 0.72) / 0.26, 2);
    const double inside = std::min(fore, hind);
    if (inside > 1) return Rgba{0, 0, 0, 0};
    const double alpha = std::clamp((1 - inside) / 0.08, 0.0, 1.0);
    const double rim = fore < hind ? fore : hind;
    if (rim > 0.72) {
      const bool spot = fore < hind && x > 0.68 && std::fmod(y * 9 + x * 3, 1.0) < 0.35;
      return spot ? Rgba{250, 250, 240, ToByte(alpha)} : Rgba{25, 15, 10, ToByte(alpha)};
    }
    const double angle = std::atan2(y - 0.5, x + 0.05);
    if (std::fabs(std::sin(angle * 9)) < 0.12) return Rgba{45, 25, 10, 255};  // veins
    const double shade = 0.75 + 0.25 * (1 - rim);
    return Rgba{ToByte(0.96 * shade), ToByte(0.52 * shade), ToByte(0.1 * shade), 255};
  };
}

// A butterfly's body: dark brown with lighter rings.
Painter ButterflyBody() {
  return [](double, double y) {
    const double ring = 0.5 + 0.5 * std::sin(y * 40);
    return Rgba{ToByte(0.2 + 0.1 * ring), ToByte(0.13 + 0.06 * ring), ToByte(0.08), 255};
  };
}

// A clock face: an ivory disc with a dark rim, twelve hour marks (longer at
// 12, 3, 6 and 9) and sixty minute dots; 12 o'clock at the top.
Painter ClockDial() {
  return [](double x, double y) {
    const double dx = x - 0.5, dy = y - 0.5;
    const double r = std::hypot(dx, dy) * 2;  // 1 at the picture's edge
    if (r > 1) return Rgba{0, 0, 0, 0};
    const Rgba ink{30, 30, 40, 255};
    if (r > 0.92) return ink;
    if (r > 0.89) return Rgba{200, 170, 90, 255};
    const double turn = std::atan2(dx, -dy) / (2 * 3.14159265358979) * 60;  // minutes
    const double fromMark = std::fabs(turn - std::round(turn));
    const long mark = std::lround(turn);
    const bool hour = mark % 5 == 0;
    const bool quarter = mark % 15 == 0;
    const double inner = quarter ? 0.66 : hour ? 0.74 : 0.82;
    const double width = (quarter ? 0.22 : hour ? 0.16 : 0.08) / r;
    if (r > inner && r < 0.86 && fromMark < width) return ink;
    if (r < 0.05) return ink;
    const double shade = 0.93 - 0.08 * r;
    return Rgba{ToByte(shade), ToByte(shade * 0.97), ToByte(shade * 0.88), 255};
  };
}

// A leaf: a pointed oval along v with a midrib and side veins, autumn
// colours from red at the tip to yellow at the stem.
Painter Leaf() {
  return [](double x, double y) {
    const double t = y;  // 0 at the tip, 1 at the stem
    const double halfWidth =
        0.36 * std::pow(std::sin(3.14159265358979 * std::clamp(t, 0.0, 1.0)), 0.8);
    const double dx = std::fabs(x - 0.5);
    if (t < 0.04 || t > 0.9) {
      const bool stem = t > 0.9 && dx < 0.02;
      return stem ? Rgba{90, 60, 20, 255} : Rgba{0, 0, 0, 0};
    }
    if (dx > halfWidth) return Rgba{0, 0, 0, 0};
    const double alpha = std::clamp((halfWidth - dx) / 0.03, 0.0, 1.0);
    if (dx < 0.012 || std::fabs(std::fmod(t + dx * 0.8, 0.14)) < 0.012)
      return Rgba{120, 50, 15, ToByte(alpha)};
    const double edge = dx / std::max(halfWidth, 1e-3);
    return Rgba{ToByte(0.85 + 0.1 * (1 - t)), ToByte(0.25 + 0.45 * t - 0.1 * edge), ToByte(0.08),
                ToByte(alpha)};
  };
}

// The player's own meshes as DirectX .X text.
struct XMesh {
  std::vector<std::array<double, 3>> positions;
  std::vector<std::array<double, 2>> uvs;
  std::vector<std::array<int, 3>> faces;
  std::string Text() const {
    std::string s = "xof 0303txt 0032\nMesh {\n " + std::to_string(positions.size()) + ";\n";
    const auto num = [](double v) {
      char b[32];
      std::snprintf(b, sizeof b, "%.4f", v);
      return std::string(b);
    };
    for (size_t i = 0; i < positions.size(); ++i) {
      const auto& p = positions[i];
      s += " " + num(p[0]) + ";" + num(p[1]) + ";" + num(p[2]) + ";" +
           (i + 1 == positions.size() ? ";\n" : ",\n");
    }
    s += " " + std::to_string(faces.size()) + ";\n";
    for (size_t i = 0; i < faces.size(); ++i) {
      const auto& f = faces[i];
      s += " 3;" + std::to_string(f[0]) + "," + std::to_string(f[1]) + "," + std::to_string(f[2]) +
           ";" + (i + 1 == faces.size() ? ";\n" : ",\n");
    }
    s += " MeshTextureCoords {\n  " + std::to_string(uvs.size()) + ";\n";
    for (size_t i = 0; i < uvs.size(); ++i) {
      s += "  " + num(uvs[i][0]) + ";" + num(uvs[i][1]) + ";" +
           (i + 1 == uvs.size() ? ";\n" : ",\n");
    }
    return s + " }\n}\n";
  }
  int Add(double x, double y, double z, double u, double v) {
    positions.push_back({x, y, z});
    uvs.push_back({u, v});
    return int(positions.size()) - 1;
  }
};

constexpr double kTau = 6.283185307179586;

// A butterfly's body: a spindle along z (head at +z), 120 long.
XMesh BodyMesh() {
  XMesh m;
  const int sides = 8;
  const double rings[] = {-45, -25, 0, 25, 45};
  const int tail = m.Add(0, 0, -60, 0.5, 1);
  for (double z : rings) {
    const double r = 8 * std::sqrt(1 - std::pow(z / 60, 2));
    for (int k = 0; k < sides; ++k) {
      const double a = kTau * k / sides;
      m.Add(r * std::cos(a), r * std::sin(a), z, double(k) / sides, 0.5 - z / 120);
    }
  }
  const int head = m.Add(0, 0, 60, 0.5, 0);
  const auto at = [&](int ring, int k) { return 1 + ring * sides + (k % sides); };
  for (int k = 0; k < sides; ++k) {
    m.faces.push_back({tail, at(0, k + 1), at(0, k)});
    for (int ring = 0; ring + 1 < 5; ++ring) {
      m.faces.push_back({at(ring, k), at(ring, k + 1), at(ring + 1, k + 1)});
      m.faces.push_back({at(ring, k), at(ring + 1, k + 1), at(ring + 1, k)});
    }
    m.faces.push_back({at(4, k), at(4, k + 1), head});
  }
  return m;
}

// One wing: flat in the xz plane from the body (x = 0) to the tip (x = 100),
// front edge at z = 50.
XMesh WingMesh() {
  XMesh m;
  m.Add(0, 0, 50, 0, 0);
  m.Add(100, 0, 50, 1, 0);
  m.Add(100, 0, -50, 1, 1);
  m.Add(0, 0, -50, 0, 1);
  m.faces = {{0, 1, 2}, {0, 2, 3}};
  return m;
}

// A flat disc of radius 50 in the xz plane, picture top at +z: the clock's
// dial and, squeezed, its hands.
XMesh DiscMesh() {
  XMesh m;
  const int rim = 48;
  m.Add(0, 0, 0, 0.5, 0.5);
  for (int k = 0; k < rim; ++k) {
    const double a = kTau * k / rim;
    const double x = 50 * std::sin(a), z = 50 * std::cos(a);
    m.Add(x, 0, z, 0.5 + x / 100, 0.5 - z / 100);
  }
  for (int k = 0; k < rim; ++k) m.faces.push_back({0, 1 + k, 1 + (k + 1) % rim});
  return m;
}

// A leaf: a square of 100 in the xy plane, picture top at −y.
XMesh LeafMesh() {
  XMesh m;
  m.Add(-50, -50, 0, 0, 0);
  m.Add(50, -50, 0, 1, 0);
  m.Add(50, 50, 0, 1, 1);
  m.Add(-50, 50, 0, 0, 1);
  m.faces = {{0, 1, 2}, {0, 2, 3}};
  return m;
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
      {7, 128, 128, 6, FireNoise(8)},
      {8, 128, 64, 6, FlameTongues()},
      {40, 20, 320, 3, GlyphStrip()},
      {54, 10, 10, 6, Spot(1.5)},
      {57, 128, 32, 6, Streak(0.18)},
      {58, 256, 256, 6, GlassHighlight()},
      {59, 256, 256, 6, GlassCrescent()},
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
      {184, 256, 64, 6, GlassShadow()},
      {1100, 128, 128, 6, ButterflyWing()},
      {1101, 16, 64, 6, ButterflyBody()},
      {1102, 256, 256, 6, ClockDial()},
      {1103, 8, 8, 6,
       [](double, double) {
         return Rgba{25, 25, 35, 255};
       }},
      {1104, 128, 128, 6, Leaf()},
      {1130, 128, 128, 6, RainDrops()},
      {1131, 64, 64, 6, Puff()},
  };
  const std::vector<std::pair<int, XMesh>> meshes = {
      {1110, BodyMesh()}, {1111, WingMesh()}, {1112, DiscMesh()}, {1113, LeafMesh()}};
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
  out += "};\n}\n\n";
  for (const auto& [id, mesh] : meshes) {
    out += "const char kMesh" + std::to_string(id) + "[] = R\"(" + mesh.Text() + ")\";\n";
  }
  out += "\nstd::span<const uint8_t> BuiltinMesh(int32_t id) {\n  switch (id) {\n";
  for (const auto& [id, mesh] : meshes) {
    const std::string name = "kMesh" + std::to_string(id);
    out += "    case " + std::to_string(id) + ": return {reinterpret_cast<const uint8_t*>(" + name +
           "), sizeof " + name + " - 1};\n";
  }
  out += "    default: return {};\n  }\n}\n\n}  // namespace glimmer\n";
  std::ofstream file(argv[1]);
  file << out;
  return file ? 0 : 1;
}
