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
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
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
  const char* format;        // libavformat's muxer name
  const char* encoder;       // libavcodec's encoder names: video,
  const char* audioEncoder;  // and sound
};

Container ContainerFor(const std::filesystem::path& file) {
  const std::string ext = Lower(file.extension().string());
  if (ext == ".mp4") return {"mp4", "libx264", "aac"};
  if (ext == ".mkv") return {"matroska", "libx264", "aac"};
  if (ext == ".webm") return {"webm", "libvpx-vp9", "libopus"};
  return {nullptr, nullptr, nullptr};
}

// The input rate when the encoder takes it, else 48 kHz or its first rate.
int EncoderRate(const AVCodec* encoder, int wanted) {
  const int* rates = encoder->supported_samplerates;
  if (!rates) return wanted;
  for (const int* r = rates; *r; ++r)
    if (*r == wanted) return wanted;
  for (const int* r = rates; *r; ++r)
    if (*r == 48000) return 48000;
  return rates[0];
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
  // The sound track: samples converted to the encoder's format and rate,
  // queued until they fill the encoder's frames.
  AVCodecContext* audio = nullptr;
  AVStream* audioStream = nullptr;
  AVFrame* audioFrame = nullptr;
  SwrContext* resampler = nullptr;
  AVAudioFifo* queue = nullptr;
  uint8_t** converted = nullptr;  // reused conversion buffer
  int convertedCapacity = 0;      // in samples per channel
  int64_t audioSamples = 0;       // sent to the encoder so far
  int frameSize = 0;              // samples per channel in an encoder's frame
  bool finished = false;

  ~State() {
    if (converted) av_freep(&converted[0]);
    av_freep(&converted);
    av_audio_fifo_free(queue);
    swr_free(&resampler);
    av_frame_free(&audioFrame);
    avcodec_free_context(&audio);
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

  // Sends a frame (null: the end) to one of the encoders and writes every
  // packet it has.
  void Encode(AVCodecContext* encoder, AVStream* to, const AVFrame* input) {
    const char* what = encoder == audio ? "sound" : "video";
    int rc = avcodec_send_frame(encoder, input);
    if (rc < 0)
      throw std::runtime_error(std::string(what) + " encoder refused a frame: " + AvError(rc));
    for (;;) {
      rc = avcodec_receive_packet(encoder, packet);
      if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return;
      if (rc < 0) throw std::runtime_error(std::string(what) + " encoding failed: " + AvError(rc));
      av_packet_rescale_ts(packet, encoder->time_base, to->time_base);
      packet->stream_index = to->index;
      rc = av_interleaved_write_frame(format, packet);
      if (rc < 0)
        throw std::runtime_error("cannot write " + temporary.string() + ": " + AvError(rc));
    }
  }

  void OpenAudio(const char* encoderName, int inputRate) {
    const AVCodec* encoder = avcodec_find_encoder_by_name(encoderName);
    if (!encoder)
      throw std::runtime_error(std::string("no ") + encoderName + " encoder in libavcodec");
    audioStream = avformat_new_stream(format, nullptr);
    audio = avcodec_alloc_context3(encoder);
    if (!audioStream || !audio) throw std::runtime_error("out of memory opening the sound encoder");
    av_channel_layout_default(&audio->ch_layout, 2);
    audio->sample_rate = EncoderRate(encoder, inputRate);
    audio->sample_fmt = encoder->sample_fmts ? encoder->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
    audio->bit_rate = std::string(encoderName) == "aac" ? 160000 : 128000;
    audio->time_base = {1, audio->sample_rate};
    if (format->oformat->flags & AVFMT_GLOBALHEADER) audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int rc = avcodec_open2(audio, encoder, nullptr);
    if (rc < 0) throw std::runtime_error("cannot open the sound encoder: " + AvError(rc));
    rc = avcodec_parameters_from_context(audioStream->codecpar, audio);
    if (rc < 0) throw std::runtime_error("cannot set the sound stream: " + AvError(rc));
    audioStream->time_base = audio->time_base;

    AVChannelLayout stereo;
    av_channel_layout_default(&stereo, 2);
    rc = swr_alloc_set_opts2(&resampler, &audio->ch_layout, audio->sample_fmt, audio->sample_rate,
                             &stereo, AV_SAMPLE_FMT_S16, inputRate, 0, nullptr);
    if (rc < 0 || swr_init(resampler) < 0)
      throw std::runtime_error("no sound converter in libswresample");
    frameSize = audio->frame_size > 0 ? audio->frame_size : 1024;
    queue = av_audio_fifo_alloc(audio->sample_fmt, 2, frameSize * 4);
    audioFrame = av_frame_alloc();
    if (!queue || !audioFrame) throw std::runtime_error("out of memory opening the sound encoder");
    audioFrame->format = audio->sample_fmt;
    audioFrame->sample_rate = audio->sample_rate;
    audioFrame->nb_samples = frameSize;
    if (av_channel_layout_copy(&audioFrame->ch_layout, &audio->ch_layout) < 0 ||
        av_frame_get_buffer(audioFrame, 0) < 0)
      throw std::runtime_error("out of memory for a sound frame");
  }

  // Converts `frames` stereo frames (none: what the converter still holds)
  // and queues them.
  void Convert(const int16_t* samples, int frames) {
    const int needed = swr_get_out_samples(resampler, frames);
    if (needed > convertedCapacity) {
      if (converted) av_freep(&converted[0]);
      av_freep(&converted);
      if (av_samples_alloc_array_and_samples(&converted, nullptr, 2, needed, audio->sample_fmt, 0) <
          0)
        throw std::runtime_error("out of memory for sound samples");
      convertedCapacity = needed;
    }
    const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(samples)};
    const int made = swr_convert(resampler, converted, convertedCapacity, samples ? in : nullptr,
                                 samples ? frames : 0);
    if (made < 0) throw std::runtime_error("sound conversion failed: " + AvError(made));
    if (made > 0 && av_audio_fifo_write(queue, reinterpret_cast<void**>(converted), made) < made)
      throw std::runtime_error("out of memory for sound samples");
  }

  // Encodes every whole frame queued; at the end, the rest as a last frame.
  void EncodeQueued(bool end) {
    for (;;) {
      const int queued = av_audio_fifo_size(queue);
      if (queued == 0 || (queued < frameSize && !end)) return;
      if (av_frame_make_writable(audioFrame) < 0)
        throw std::runtime_error("out of memory for a sound frame");
      const int take = std::min(queued, frameSize);
      audioFrame->nb_samples = frameSize;
      av_samples_set_silence(audioFrame->data, 0, frameSize, 2, audio->sample_fmt);
      av_audio_fifo_read(queue, reinterpret_cast<void**>(audioFrame->data), take);
      // A short last frame where the encoder takes one, else padded with silence.
      if (take < frameSize && (audio->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME))
        audioFrame->nb_samples = take;
      audioFrame->pts = audioSamples;
      audioSamples += audioFrame->nb_samples;
      Encode(audio, audioStream, audioFrame);
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
  if (settings.audioRate > 0) s->OpenAudio(container.audioEncoder, settings.audioRate);

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
  s.Encode(s.codec, s.stream, s.frame);
  ++frames_;
}

void VideoEncoder::AddAudio(std::span<const int16_t> samples) {
  State& s = *state_;
  if (s.finished) throw std::logic_error("sound added after the video was finished");
  if (!s.audio || samples.size() < 2) return;
  s.Convert(samples.data(), int(samples.size() / 2));
  s.EncodeQueued(false);
}

void VideoEncoder::Finish() {
  State& s = *state_;
  if (s.finished) return;
  if (s.audio) {
    s.Convert(nullptr, 0);
    s.EncodeQueued(true);
    s.Encode(s.audio, s.audioStream, nullptr);
  }
  s.Encode(s.codec, s.stream, nullptr);
  int rc = av_write_trailer(s.format);
  if (rc < 0) throw std::runtime_error("cannot finish " + s.file.string() + ": " + AvError(rc));
  rc = avio_closep(&s.format->pb);
  if (rc < 0) throw std::runtime_error("cannot write " + s.temporary.string() + ": " + AvError(rc));
  std::filesystem::rename(s.temporary, s.file);  // throws with both names on failure
  s.finished = true;
}

}  // namespace glimmer
