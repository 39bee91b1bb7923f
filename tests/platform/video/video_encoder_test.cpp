#include "platform/video/video_encoder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace glimmer {
namespace {

namespace fs = std::filesystem;

struct Probe {
  AVCodecID codec = AV_CODEC_ID_NONE;
  int width = 0, height = 0;
  int packets = 0;
  double seconds = 0;
};

// Reads the file back with libavformat, as a standard player would.
Probe ProbeVideo(const fs::path& file) {
  Probe p;
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, file.c_str(), nullptr, nullptr) < 0) return p;
  if (avformat_find_stream_info(format, nullptr) >= 0 && format->nb_streams == 1) {
    const AVCodecParameters* par = format->streams[0]->codecpar;
    p.codec = par->codec_id;
    p.width = par->width;
    p.height = par->height;
    AVPacket* packet = av_packet_alloc();
    while (av_read_frame(format, packet) >= 0) {
      ++p.packets;
      av_packet_unref(packet);
    }
    av_packet_free(&packet);
    if (format->duration > 0) p.seconds = double(format->duration) / AV_TIME_BASE;
  }
  avformat_close_input(&format);
  return p;
}

Image Gradient(uint32_t w, uint32_t h, int k) {
  Image img{w, h, std::vector<uint8_t>(size_t{w} * h * 4)};
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) {
      uint8_t* px = img.Pixel(x, y);
      px[0] = uint8_t(x * 4 + k * 10);
      px[1] = uint8_t(y * 4);
      px[2] = uint8_t(k * 20);
      px[3] = 255;
    }
  return img;
}

class VideoEncoderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("glimmer_video_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  size_t FilesIn() const {
    return size_t(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
  }
  fs::path dir_;
};

TEST_F(VideoEncoderTest, EachContainerHoldsEveryFrameAtItsSizeAndRate) {
  const struct {
    const char* name;
    AVCodecID codec;
  } cases[] = {{"show.mp4", AV_CODEC_ID_H264},
               {"show.MKV", AV_CODEC_ID_H264},
               {"show.webm", AV_CODEC_ID_VP9}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path file = dir_ / c.name;
    auto encoder = VideoEncoder::Open({file, 64, 48, 12.5});
    EXPECT_FALSE(fs::exists(file)) << "only the finished video takes the final name";
    for (int k = 0; k < 25; ++k) encoder->AddFrame(Gradient(64, 48, k));
    encoder->Finish();
    const Probe p = ProbeVideo(file);
    EXPECT_EQ(p.codec, c.codec);
    EXPECT_EQ(p.width, 64);
    EXPECT_EQ(p.height, 48);
    EXPECT_EQ(p.packets, 25);
    EXPECT_NEAR(p.seconds, 2.0, 0.1);
  }
  EXPECT_EQ(FilesIn(), 3u) << "no temporary files stay behind";
}

TEST_F(VideoEncoderTest, FailuresLeaveNothingUnderTheFinalName) {
  EXPECT_TRUE(IsVideoPath("a/b.WebM"));
  EXPECT_FALSE(IsVideoPath("frames"));
  EXPECT_FALSE(IsVideoPath("show.gif"));
  EXPECT_THROW(VideoEncoder::Open({dir_ / "odd.mp4", 65, 48, 25}), std::runtime_error);
  EXPECT_THROW(VideoEncoder::Open({dir_ / "none" / "x.mp4", 64, 48, 25}), std::runtime_error);
  {
    // Abandoned half way, as when rendering fails.
    auto encoder = VideoEncoder::Open({dir_ / "half.mp4", 64, 48, 25});
    encoder->AddFrame(Gradient(64, 48, 0));
    EXPECT_THROW(encoder->AddFrame(Gradient(32, 48, 0)), std::runtime_error);
  }
  EXPECT_EQ(FilesIn(), 0u);
}

}  // namespace
}  // namespace glimmer
