#include "platform/video/video_encoder.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <string>
#include <system_error>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace glimmer {

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

std::string AvError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

struct Container {
  const char* format;   // libavformat's muxer name
  const char* encoder;  // libavcodec's encoder name
};

Container ContainerFor(const std::filesystem::path& file) {
  const std::string ext = Lower(file.extension().string());
  if (ext == ".mp4") return {"mp4", "libx264"};
  if (ext == ".mkv") return {"matroska", "libx264"};
  if (ext == ".webm") return {"webm", "libvpx-vp9"};
  return {nullptr, nullptr};
}

}  // namespace

bool IsVideoPath(const std::filesystem::path& file) {
  return ContainerFor(file).format != nullptr;
}

struct VideoEncoder::State {
  std::filesystem::path file, temporary;
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVStream* stream = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  SwsContext* scaler = nullptr;
  bool finished = false;

  ~State() {
    sws_freeContext(scaler);
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&codec);
    if (format) {
      if (format->pb) avio_closep(&format->pb);
      avformat_free_context(format);
    }
    if (!finished && !temporary.empty()) {
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
    }
  }

  // Sends a frame (null: the end) and writes every packet the encoder has.
  void Encode(const AVFrame* input) {
    int rc = avcodec_send_frame(codec, input);
    if (rc < 0) throw std::runtime_error("video encoder refused a frame: " + AvError(rc));
    for (;;) {
      rc = avcodec_receive_packet(codec, packet);
      if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return;
      if (rc < 0) throw std::runtime_error("video encoding failed: " + AvError(rc));
      av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
      packet->stream_index = stream->index;
      rc = av_interleaved_write_frame(format, packet);
      if (rc < 0)
        throw std::runtime_error("cannot write " + temporary.string() + ": " + AvError(rc));
    }
  }
};

VideoEncoder::VideoEncoder(std::unique_ptr<State> state) : state_(std::move(state)) {}
VideoEncoder::~VideoEncoder() = default;

std::unique_ptr<VideoEncoder> VideoEncoder::Open(const Settings& settings) {
  const Container container = ContainerFor(settings.file);
  if (!container.format)
    throw std::runtime_error(settings.file.string() + ": videos are .mp4, .mkv or .webm files");
  if (settings.width % 2 || settings.height % 2 || settings.width == 0 || settings.height == 0) {
    throw std::runtime_error(
        "videos need an even width and height (the colour planes are half "
        "size); " +
        std::to_string(settings.width) + "x" + std::to_string(settings.height) + " is not");
  }
  if (!(settings.fps > 0)) throw std::runtime_error("videos need a frame rate above 0");
  av_log_set_level(AV_LOG_ERROR);

  auto s = std::make_unique<State>();
  s->file = settings.file;
  // A hidden temporary beside the final file, so the rename stays on one file system.
  const std::filesystem::path folder =
      settings.file.has_parent_path() ? settings.file.parent_path() : std::filesystem::path(".");
  s->temporary = folder / ("." + settings.file.filename().string() + "." +
                           std::to_string(::getpid()) + ".part");

  if (avformat_alloc_output_context2(&s->format, nullptr, container.format, s->temporary.c_str()) <
          0 ||
      !s->format)
    throw std::runtime_error(std::string("no ") + container.format + " writer in libavformat");
  const AVCodec* encoder = avcodec_find_encoder_by_name(container.encoder);
  if (!encoder)
    throw std::runtime_error(std::string("no ") + container.encoder + " encoder in libavcodec");
  s->stream = avformat_new_stream(s->format, nullptr);
  s->codec = avcodec_alloc_context3(encoder);
  if (!s->stream || !s->codec) throw std::runtime_error("out of memory opening the video encoder");

  const AVRational rate = av_d2q(settings.fps, 100000);
  AVCodecContext* c = s->codec;
  c->width = int(settings.width);
  c->height = int(settings.height);
  c->pix_fmt = AV_PIX_FMT_YUV420P;
  c->time_base = av_inv_q(rate);
  c->framerate = rate;
  c->gop_size = std::clamp(int(settings.fps * 2), 1, 600);
  c->color_range = AVCOL_RANGE_MPEG;
  c->colorspace = AVCOL_SPC_BT709;
  c->color_primaries = AVCOL_PRI_BT709;
  c->color_trc = AVCOL_TRC_BT709;
  if (s->format->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (std::string(container.encoder) == "libx264") {
    av_opt_set(c->priv_data, "preset", "faster", 0);
    av_opt_set(c->priv_data, "crf", "20", 0);
  } else {
    // Constant quality; "good" with cpu-used 4 and row threads is a few times real time.
    c->bit_rate = 0;
    av_opt_set(c->priv_data, "crf", "32", 0);
    av_opt_set(c->priv_data, "deadline", "good", 0);
    av_opt_set(c->priv_data, "cpu-used", "4", 0);
    av_opt_set(c->priv_data, "row-mt", "1", 0);
  }
  int rc = avcodec_open2(c, encoder, nullptr);
  if (rc < 0) throw std::runtime_error("cannot open the video encoder: " + AvError(rc));
  rc = avcodec_parameters_from_context(s->stream->codecpar, c);
  if (rc < 0) throw std::runtime_error("cannot set the video stream: " + AvError(rc));
  s->stream->time_base = c->time_base;
  s->stream->avg_frame_rate = rate;

  rc = avio_open(&s->format->pb, s->temporary.c_str(), AVIO_FLAG_WRITE);
  if (rc < 0)
    throw std::runtime_error("cannot write " + s->temporary.string() + ": " + AvError(rc));
  rc = avformat_write_header(s->format, nullptr);
  if (rc < 0)
    throw std::runtime_error("cannot start " + settings.file.string() + ": " + AvError(rc));

  s->frame = av_frame_alloc();
  s->packet = av_packet_alloc();
  if (!s->frame || !s->packet) throw std::runtime_error("out of memory opening the video encoder");
  s->frame->format = c->pix_fmt;
  s->frame->width = c->width;
  s->frame->height = c->height;
  if (av_frame_get_buffer(s->frame, 0) < 0)
    throw std::runtime_error("out of memory for a video frame");
  s->scaler = sws_getContext(c->width, c->height, AV_PIX_FMT_RGBA, c->width, c->height,
                             AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (!s->scaler) throw std::runtime_error("no RGBA to YUV converter in libswscale");
  // RGB in full range to BT.709 in video range, as the stream says.
  const int* coefficients = sws_getCoefficients(SWS_CS_ITU709);
  sws_setColorspaceDetails(s->scaler, coefficients, 1, coefficients, 0, 0, 1 << 16, 1 << 16);
  return std::unique_ptr<VideoEncoder>(new VideoEncoder(std::move(s)));
}

void VideoEncoder::AddFrame(const Image& image) {
  State& s = *state_;
  if (s.finished) throw std::logic_error("frame added after the video was finished");
  if (int(image.width) != s.codec->width || int(image.height) != s.codec->height ||
      image.rgba.size() < size_t{image.width} * image.height * 4)
    throw std::runtime_error("a video frame of the wrong size");
  int rc = av_frame_make_writable(s.frame);
  if (rc < 0) throw std::runtime_error("out of memory for a video frame");
  const uint8_t* rows[1] = {image.rgba.data()};
  const int strides[1] = {int(image.width * 4)};
  sws_scale(s.scaler, rows, strides, 0, int(image.height), s.frame->data, s.frame->linesize);
  s.frame->pts = int64_t(frames_);
  s.Encode(s.frame);
  ++frames_;
}

void VideoEncoder::Finish() {
  State& s = *state_;
  if (s.finished) return;
  s.Encode(nullptr);
  int rc = av_write_trailer(s.format);
  if (rc < 0) throw std::runtime_error("cannot finish " + s.file.string() + ": " + AvError(rc));
  rc = avio_closep(&s.format->pb);
  if (rc < 0) throw std::runtime_error("cannot write " + s.temporary.string() + ": " + AvError(rc));
  std::filesystem::rename(s.temporary, s.file);  // throws with both names on failure
  s.finished = true;
}

}  // namespace glimmer
