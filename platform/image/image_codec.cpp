#include "platform/image/image_codec.h"

#include <stb/stb_image.h>
#include <stb/stb_image_resize.h>
#include <stb/stb_image_write.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>

// libjpeg needs <cstdio> before it.
#include <jpeglib.h>

#include "platform/image/drawing_gate.h"

namespace glimmer {
namespace {

// Pictures beyond this many pixels are refused rather than decoded.
constexpr uint64_t kMaxPixels = uint64_t{16384} * 16384;

// A JPEG through libjpeg-turbo, several times faster than the generic
// decoder; nullopt when it cannot (the generic decoder then tries).
// At the smallest of its scales (1/8 to 1) that keeps at least minWidth ×
// minHeight pixels: the reduced scales skip most of the decoding work.
std::optional<Image> DecodeJpeg(std::span<const uint8_t> bytes, uint32_t minWidth = 0,
                                uint32_t minHeight = 0) {
  tjhandle tj = tjInitDecompress();
  if (!tj) return std::nullopt;
  std::optional<Image> out;
  int w = 0, h = 0, subsampling = 0, colourspace = 0;
  auto* data = const_cast<unsigned char*>(bytes.data());
  const auto size = static_cast<unsigned long>(bytes.size());
  if (tjDecompressHeader3(tj, data, size, &w, &h, &subsampling, &colourspace) == 0 && w > 0 &&
      h > 0 && uint64_t(w) * uint64_t(h) <= kMaxPixels) {
    int sw = w, sh = h, factors = 0;
    if (tjscalingfactor* f = tjGetScalingFactors(&factors); f && (minWidth || minHeight)) {
      for (int i = 0; i < factors; ++i) {
        if (f[i].num > f[i].denom) continue;
        const int fw = TJSCALED(w, f[i]), fh = TJSCALED(h, f[i]);
        if (fw >= int(minWidth) && fh >= int(minHeight) && fw * int64_t(fh) < sw * int64_t(sh)) {
          sw = fw;
          sh = fh;
        }
      }
    }
    Image img{uint32_t(sw), uint32_t(sh), std::vector<uint8_t>(size_t(sw) * size_t(sh) * 4)};
    if (tjDecompress2(tj, data, size, img.rgba.data(), sw, 0, sh, TJPF_RGBA, 0) == 0)
      out = std::move(img);
  }
  tjDestroy(tj);
  return out;
}

bool IsJpeg(std::span<const uint8_t> bytes) {
  return bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

}  // namespace

std::optional<ImageFrames> DecodePicture(std::span<const uint8_t> bytes) {
  if (bytes.empty() || bytes.size() > static_cast<size_t>(std::numeric_limits<int>::max())) {
    return std::nullopt;
  }
  const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
  const int len = static_cast<int>(bytes.size());
  int w = 0, h = 0, comp = 0;
  if (!stbi_info_from_memory(data, len, &w, &h, &comp) || w <= 0 || h <= 0 ||
      uint64_t(w) * uint64_t(h) > kMaxPixels) {
    return std::nullopt;
  }
  ImageFrames out;
  if (IsJpeg(bytes)) {
    if (std::optional<Image> jpeg = DecodeJpeg(bytes)) {
      out.frames.push_back(std::move(*jpeg));
      out.delays.push_back(0.0f);
      return out;
    }
  }
  const bool gif = bytes.size() >= 4 && std::memcmp(bytes.data(), "GIF8", 4) == 0;
  if (gif) {
    int* delays = nullptr;
    int frames = 0;
    stbi_uc* pixels = stbi_load_gif_from_memory(data, len, &delays, &w, &h, &frames, &comp, 4);
    if (!pixels) return std::nullopt;
    const size_t frameBytes = size_t(w) * size_t(h) * 4;
    for (int i = 0; i < frames; ++i) {
      Image img{uint32_t(w), uint32_t(h), {}};
      img.rgba.assign(pixels + frameBytes * size_t(i), pixels + frameBytes * size_t(i + 1));
      out.frames.push_back(std::move(img));
      out.delays.push_back(delays ? static_cast<float>(delays[i]) / 1000.0f : 0.0f);
    }
    stbi_image_free(pixels);
    std::free(delays);  // stb allocates the delays with malloc
    if (out.frames.empty()) return std::nullopt;
    return out;
  }
  stbi_uc* pixels = stbi_load_from_memory(data, len, &w, &h, &comp, 4);
  if (!pixels) return std::nullopt;
  Image img{uint32_t(w), uint32_t(h), {}};
  img.rgba.assign(pixels, pixels + size_t(w) * size_t(h) * 4);
  stbi_image_free(pixels);
  out.frames.push_back(std::move(img));
  out.delays.push_back(0.0f);
  return out;
}

std::optional<Image> DecodeImage(std::span<const uint8_t> bytes) {
  auto frames = DecodePicture(bytes);
  if (!frames) return std::nullopt;
  return std::move(frames->frames.front());
}

std::optional<Image> DecodeImageAtLeast(std::span<const uint8_t> bytes, uint32_t minWidth,
                                        uint32_t minHeight) {
  if (IsJpeg(bytes) && bytes.size() <= static_cast<size_t>(std::numeric_limits<int>::max())) {
    if (std::optional<Image> jpeg = DecodeJpeg(bytes, minWidth, minHeight)) return jpeg;
  }
  return DecodeImage(bytes);
}

bool PictureSize(std::span<const uint8_t> bytes, uint32_t& width, uint32_t& height) {
  if (bytes.empty() || bytes.size() > static_cast<size_t>(std::numeric_limits<int>::max()))
    return false;
  int w = 0, h = 0, comp = 0;
  if (!stbi_info_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                             static_cast<int>(bytes.size()), &w, &h, &comp) ||
      w <= 0 || h <= 0 || uint64_t(w) * uint64_t(h) > kMaxPixels)
    return false;
  width = uint32_t(w);
  height = uint32_t(h);
  return true;
}

namespace {

// Where each output pixel of an upscale reads: the two source pixels and the
// second one's weight in 256ths. The same mapping as the tent filter's, whose
// reach at a scale above 1 is one source pixel: pixel centres, clamped edges.
struct Tap {
  uint32_t a, b, w;
};
std::vector<Tap> UpscaleTaps(uint32_t in, uint32_t out) {
  std::vector<Tap> taps(out);
  const double scale = double(in) / double(out);
  for (uint32_t i = 0; i < out; ++i) {
    const double x = std::clamp((i + 0.5) * scale - 0.5, 0.0, double(in - 1));
    const auto a = uint32_t(x);
    taps[i] = {a, std::min(a + 1, in - 1), uint32_t(std::lround((x - a) * 256))};
  }
  return taps;
}

// An opaque picture enlarged (or kept) on both axes: the tent filter is then
// a bilinear blend, done here in fixed point many times faster than the
// general resampler.
Image UpscaleOpaque(const Image& src, uint32_t width, uint32_t height) {
  Image out{width, height, std::vector<uint8_t>(size_t{width} * height * 4)};
  const std::vector<Tap> xs = UpscaleTaps(src.width, width), ys = UpscaleTaps(src.height, height);
  // Source rows blended across, in 256ths, for the two rows an output row reads.
  std::vector<uint32_t> rows[2] = {std::vector<uint32_t>(size_t{width} * 4),
                                   std::vector<uint32_t>(size_t{width} * 4)};
  uint32_t held[2] = {UINT32_MAX, UINT32_MAX};
  const auto across = [&](uint32_t y, std::vector<uint32_t>& row) {
    const uint8_t* line = src.Pixel(0, y);
    for (uint32_t x = 0; x < width; ++x) {
      const uint8_t *p = line + size_t{xs[x].a} * 4, *q = line + size_t{xs[x].b} * 4;
      for (int c = 0; c < 4; ++c) row[size_t{x} * 4 + c] = p[c] * (256 - xs[x].w) + q[c] * xs[x].w;
    }
  };
  for (uint32_t y = 0; y < height; ++y) {
    const Tap& t = ys[y];
    for (const uint32_t want : {t.a, t.b}) {
      if (held[0] == want || held[1] == want) continue;
      const int slot = held[0] == t.a || held[0] == t.b ? 1 : 0;
      across(want, rows[slot]);
      held[slot] = want;
    }
    const std::vector<uint32_t>& top = rows[held[0] == t.a ? 0 : 1];
    const std::vector<uint32_t>& bottom = rows[held[0] == t.b ? 0 : 1];
    uint8_t* o = out.Pixel(0, y);
    for (size_t i = 0; i < size_t{width} * 4; ++i)
      o[i] = uint8_t((top[i] * (256 - t.w) + bottom[i] * t.w + 32768) >> 16);
  }
  return out;
}

// The input pixels an output pixel of a tent filter reads, with their
// weights (summing to 1): the tent spans one output pixel each side, at
// least one input pixel; pixel centres, edges clamped.
struct Taps {
  std::vector<uint32_t> first, count;
  std::vector<float> weights;  // count[i] of them for output i, in order
};
Taps TentTaps(uint32_t in, uint32_t out) {
  Taps t;
  const double scale = double(in) / double(out), reach = std::max(1.0, scale);
  for (uint32_t o = 0; o < out; ++o) {
    const double centre = (o + 0.5) * scale;
    const auto lo = int64_t(std::floor(centre - reach)), hi = int64_t(std::ceil(centre + reach));
    // Clamped edges: taps beyond the picture add to its edge pixel.
    const auto first = uint32_t(std::clamp<int64_t>(lo, 0, in - 1));
    const auto last = uint32_t(std::clamp<int64_t>(hi, 0, in - 1));
    const size_t at = t.weights.size();
    t.weights.resize(at + (last - first + 1), 0.0f);
    double total = 0;
    for (int64_t i = lo; i <= hi; ++i) {
      const double w = 1.0 - std::abs(i + 0.5 - centre) / reach;
      if (w <= 0) continue;
      t.weights[at + (uint32_t(std::clamp<int64_t>(i, 0, in - 1)) - first)] += float(w);
      total += w;
    }
    for (size_t k = at; k < t.weights.size(); ++k) t.weights[k] = float(t.weights[k] / total);
    t.first.push_back(first);
    t.count.push_back(last - first + 1);
  }
  return t;
}

// An opaque picture of srcWidth × srcHeight reduced on at least one axis
// into `out`: down the columns into one row of sums, then across it, so only
// the rows a tent reads are needed at a time. row(y) gives source row y, for
// y that never go back by more than the tent's reach.
template <class Row>
void ReduceOpaque(uint32_t srcWidth, uint32_t srcHeight, Row&& row, Image& out) {
  const uint32_t width = out.width, height = out.height, n = out.channels;
  const Taps xs = TentTaps(srcWidth, width), ys = TentTaps(srcHeight, height);
  std::vector<float> column(size_t{srcWidth} * n);
  std::vector<size_t> xAt(width);
  for (size_t o = 0, at = 0; o < width; at += xs.count[o], ++o) xAt[o] = at;
  for (uint32_t y = 0, at = 0; y < height; at += ys.count[y], ++y) {
    std::fill(column.begin(), column.end(), 0.0f);
    for (uint32_t k = 0; k < ys.count[y]; ++k) {
      const float w = ys.weights[at + k];
      const uint8_t* line = row(ys.first[y] + k);
      for (size_t i = 0; i < column.size(); ++i) column[i] += w * line[i];
    }
    uint8_t* o = out.Pixel(0, y);
    for (uint32_t x = 0; x < width; ++x) {
      float sum[4] = {0, 0, 0, 0};
      const float* p = &column[size_t{xs.first[x]} * n];
      for (uint32_t k = 0; k < xs.count[x]; ++k, p += n) {
        const float w = xs.weights[xAt[x] + k];
        for (uint32_t c = 0; c < n; ++c) sum[c] += w * p[c];
      }
      for (uint32_t c = 0; c < n; ++c)
        o[size_t{x} * n + c] = uint8_t(std::clamp(sum[c] + 0.5f, 0.0f, 255.0f));
    }
  }
}

Image ResizeOpaque(const Image& src, uint32_t width, uint32_t height) {
  Image out{width, height, std::vector<uint8_t>(size_t{width} * height * 4)};
  ReduceOpaque(
      src.width, src.height, [&](uint32_t y) { return src.Pixel(0, y); }, out);
  return out;
}

// libjpeg's errors end the decode through a jump back to its caller; its
// warnings (damaged but decodable data) are not printed.
struct JpegErrors {
  jpeg_error_mgr manager;
  jmp_buf jump;
};
[[noreturn]] void JpegErrorExit(j_common_ptr info) {
  longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}
void JpegMessage(j_common_ptr) {}
// Runs libjpeg calls; false when one raised an error. The jump lands here,
// so it passes no C++ object that has a destructor.
template <class Calls>
bool JpegTry(JpegErrors& errors, Calls&& calls) {
  if (setjmp(errors.jump)) return false;
  calls();
  return true;
}

bool Opaque(const Image& image) {
  for (size_t i = 3; i < image.rgba.size(); i += 4) {
    if (image.rgba[i] != 255) return false;
  }
  return true;
}

}  // namespace

Image ResizeTriangle(const Image& src, uint32_t width, uint32_t height) {
  Image out{width, height, std::vector<uint8_t>(size_t{width} * height * 4)};
  if (src.empty() || width == 0 || height == 0) return out;
  if (src.width == width && src.height == height) return src;
  if (Opaque(src)) {
    return width >= src.width && height >= src.height ? UpscaleOpaque(src, width, height)
                                                      : ResizeOpaque(src, width, height);
  }
  stbir_resize_uint8_generic(src.rgba.data(), int(src.width), int(src.height), 0, out.rgba.data(),
                             int(width), int(height), 0, 4, 3, 0, STBIR_EDGE_CLAMP,
                             STBIR_FILTER_TRIANGLE, STBIR_COLORSPACE_LINEAR, nullptr);
  return out;
}

std::optional<Image> DecodeJpegReduced(std::span<const uint8_t> bytes, uint32_t width,
                                       uint32_t height, uint32_t channels) {
  if (!IsJpeg(bytes) || width == 0 || height == 0 || (channels != 3 && channels != 4))
    return std::nullopt;
  struct Decode {
    jpeg_decompress_struct info{};
    JpegErrors errors{};
    std::vector<uint8_t> rows;  // a ring of decoded rows
    uint32_t ringRows = 0, decoded = 0;
    bool failed = false;
    ~Decode() { jpeg_destroy_decompress(&info); }  // safe on a struct never made
  };
  const auto d = std::make_unique<Decode>();
  jpeg_decompress_struct& info = d->info;
  info.err = jpeg_std_error(&d->errors.manager);
  d->errors.manager.error_exit = JpegErrorExit;
  d->errors.manager.output_message = JpegMessage;
  if (!JpegTry(d->errors, [&] {
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
        jpeg_read_header(&info, TRUE);
      }))
    return std::nullopt;
  const uint32_t w = info.image_width, h = info.image_height;
  if (w == 0 || h == 0 || uint64_t{w} * h > kMaxPixels) return std::nullopt;
  // The smallest of the scales 1/8 to 8/8 that still covers the size (as
  // DecodeImageAtLeast chooses).
  const uint32_t minWidth = std::min(width, w), minHeight = std::min(height, h);
  info.scale_denom = 8;
  info.out_color_space = channels == 3 ? JCS_RGB : JCS_EXT_RGBA;
  for (info.scale_num = 1;; ++info.scale_num) {
    if (!JpegTry(d->errors, [&] { jpeg_calc_output_dimensions(&info); })) return std::nullopt;
    if (info.scale_num == 8 || (info.output_width >= minWidth && info.output_height >= minHeight))
      break;
  }
  const uint32_t sw = info.output_width, sh = info.output_height;
  // Only a reduction streams; a picture kept or enlarged is decoded whole.
  if ((width >= sw && height >= sh) || info.output_components != int(channels)) return std::nullopt;
  if (!JpegTry(d->errors, [&] { jpeg_start_decompress(&info); })) return std::nullopt;
  const Taps ys = TentTaps(sh, height);
  const size_t rowBytes = size_t{sw} * channels;
  d->ringRows = *std::max_element(ys.count.begin(), ys.count.end());
  d->rows.resize(d->ringRows * rowBytes);
  Image out{width, height, std::vector<uint8_t>(size_t{width} * height * channels), channels};
  ReduceOpaque(
      sw, sh,
      [&d, &info, rowBytes](uint32_t y) {
        for (; d->decoded <= y && !d->failed; ++d->decoded) {
          if (d->decoded % 8 == 0) YieldToDrawing();
          JSAMPROW line = &d->rows[(d->decoded % d->ringRows) * rowBytes];
          d->failed = !JpegTry(d->errors, [&] { jpeg_read_scanlines(&info, &line, 1); });
        }
        return &d->rows[(y % d->ringRows) * rowBytes];
      },
      out);
  if (d->failed) return std::nullopt;
  return out;
}

std::vector<uint8_t> EncodePng(const Image& image) {
  std::vector<uint8_t> out;
  stbi_write_png_to_func(
      [](void* ctx, void* data, int size) {
        auto* v = static_cast<std::vector<uint8_t>*>(ctx);
        const auto* b = static_cast<const uint8_t*>(data);
        v->insert(v->end(), b, b + size);
      },
      &out, int(image.width), int(image.height), 4, image.rgba.data(), int(image.width * 4));
  return out;
}

bool WritePng(const std::string& path, const Image& image) {
  const std::vector<uint8_t> png = EncodePng(image);
  if (png.empty()) return false;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  return bool(out);
}

}  // namespace glimmer
