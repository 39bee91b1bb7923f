// The render command as a user meets it: refused option values, far times,
// and video files, with the show's sound when it has some.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/image/image_codec.h"
#include "show/show_composer.h"
#include "tests/support/program_run.h"
#include "tests/support/sound_samples.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace glimmer {
namespace {

namespace fs = std::filesystem;

using Result = testing::ProgramRun;

// The render command with `args`.
Result Render(const std::string& args, const fs::path&) {
  return testing::RunGlimmer("render " + args);
}

class RenderCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("glimmer_render_cmd_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(RenderCommandTest, BadValuesAreOneLineErrorsNamingTheOption) {
  const std::string frames = " --out " + (dir_ / "frames").string();
  const struct {
    const char* args;
    const char* option;
  } cases[] = {
      {"--at nan", "--at"},
      {"--at -1", "--at"},
      {"--at inf", "--at"},
      {"--seconds -1", "--seconds"},
      {"--seconds 0", "--seconds"},
      {"--seconds 1e9 --fps 1e9", "--fps"},
      {"--fps 0", "--fps"},
      {"--fps nan", "--fps"},
      {"--seconds 0.001", "--seconds"},  // rounds to no frame
      {"--size 0x10", "--size"},
      {"--size 99999999999x2", "--size"},
      {"--size 64x", "--size"},
      {"--size 64x36x2", "--size"},
      {"--capture-scale 9", "--capture-scale"},
      {"--clock 25:99:99", "--clock"},
      {"--at 1 --out x.webm", "--at"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    std::string args = c.args;
    if (args.find("--out") == std::string::npos) args += frames;
    const Result r = Render(args, dir_);
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find(c.option), std::string::npos) << r.err;
    EXPECT_LT(r.err.size(), 200u) << "one short line: " << r.err;
  }
  EXPECT_FALSE(fs::exists(dir_ / "frames")) << "nothing is written for a refused command";
}

TEST_F(RenderCommandTest, FarTimesFallIntoTheLoopAndOneFrameIsSingular) {
  const Result r = Render("--size 32x18 --at 1e30 --out " + (dir_ / "far").string(), dir_);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.find("Wrote 1 frame of 32x18"), 0u) << r.out;
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "far"), fs::directory_iterator()), 1);
}

TEST_F(RenderCommandTest, FramesAreOpaqueWhateverTheBlendingLeftInAlpha) {
  // The built-in show's layers blend into the frame's alpha channel too; a
  // screen frame is opaque, and so is every PNG the renderer writes.
  const Result r = Render("--size 64x36 --at 2,8,16,60 --out " + (dir_ / "frames").string(), dir_);
  ASSERT_EQ(r.code, 0) << r.err;
  size_t frames = 0;
  for (const auto& entry : fs::directory_iterator(dir_ / "frames")) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    const auto frame = DecodeImage(bytes);
    ASSERT_TRUE(frame) << entry.path();
    ++frames;
    size_t transparent = 0;
    for (size_t i = 3; i < frame->rgba.size(); i += 4) transparent += frame->rgba[i] != 255;
    EXPECT_EQ(transparent, 0u) << entry.path();
  }
  EXPECT_EQ(frames, 4u);
}

// A JSON show plays as the document compose makes of it; one that does not
// compose fails in one line naming the file and the field.
TEST_F(RenderCommandTest, AJsonShowRendersAsItsComposedDocument) {
  const std::string glimmer = GLIMMER_BINARY;
  const fs::path json = dir_ / "json" / "show.json", doc = dir_ / "composed.dds";
  ASSERT_EQ(
      std::system((glimmer + " dump -o " + (dir_ / "json").string() + " > /dev/null").c_str()), 0);
  ASSERT_EQ(
      std::system(
          (glimmer + " compose " + json.string() + " -o " + doc.string() + " > /dev/null").c_str()),
      0);
  const std::string at = " --size 48x27 --at 3,9 --out ";
  ASSERT_EQ(Render(json.string() + at + (dir_ / "a").string(), dir_).code, 0);
  ASSERT_EQ(Render(doc.string() + at + (dir_ / "b").string(), dir_).code, 0);
  for (const char* frame : {"at_00003.000.png", "at_00009.000.png"}) {
    std::ifstream a(dir_ / "a" / frame, std::ios::binary), b(dir_ / "b" / frame, std::ios::binary);
    const std::string one((std::istreambuf_iterator<char>(a)), {});
    const std::string two((std::istreambuf_iterator<char>(b)), {});
    EXPECT_FALSE(one.empty()) << frame;
    EXPECT_EQ(one, two) << frame << " of the JSON show and of its document";
  }
  const fs::path bad = dir_ / "bad.json";
  std::ofstream(bad) << R"({"slides": [{"class": "ZT_SlideContainer", "fadeIn": "soon"}]})";
  const Result r = Render(bad.string() + at + (dir_ / "c").string(), dir_);
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "glimmer: " + bad.string() + ": slides[0].fadeIn: expected a number\n");
}

// SIGTERM (as timeout and XScreenSaver send) and SIGINT (Ctrl-C) stop a
// video between frames: no temporary and no video are left, the exit code
// is 128 + the signal, and one line says so.
TEST_F(RenderCommandTest, AStoppedVideoLeavesNothingHalfWritten) {
  for (const char* signal : {"TERM", "INT"}) {
    const fs::path dir = dir_ / signal;
    fs::create_directories(dir);
    const std::string script =
        "cd " + dir.string() + " && { " + GLIMMER_BINARY +
        " render --seconds 60 --size 320x180 --out v.mp4 2> err.txt & pid=$!; "
        "for i in $(seq 200); do ls -a | grep -q part && break; sleep 0.05; done; "
        "kill -" +
        signal + " $pid; wait $pid; echo $? > code.txt; }";
    ASSERT_EQ(std::system(("bash -c '" + script + "'").c_str()), 0);
    std::ifstream code(dir / "code.txt"), err(dir / "err.txt");
    int exitCode = -1;
    code >> exitCode;
    EXPECT_EQ(exitCode, std::string(signal) == "TERM" ? 143 : 130) << signal;
    const std::string said((std::istreambuf_iterator<char>(err)), {});
    EXPECT_EQ(said, std::string("glimmer: stopped by SIG") + signal +
                        "; the unfinished video is removed\n");
    for (const auto& entry : fs::directory_iterator(dir)) {
      const std::string name = entry.path().filename().string();
      EXPECT_TRUE(name == "code.txt" || name == "err.txt") << name << " was left behind";
    }
  }
}

TEST_F(RenderCommandTest, WritesAVideoFile) {
  const fs::path file = dir_ / "show.mp4";
  const Result r = Render("--size 64x36 --fps 10 --seconds 1.5 --out " + file.string(), dir_);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("15 frames of 64x36"), std::string::npos) << r.out;
  EXPECT_GT(fs::file_size(file), 0u);
  EXPECT_TRUE(r.err.empty()) << "no progress line when standard error is no terminal: " << r.err;
  EXPECT_EQ(Render("--size 63x36 --seconds 1 --out " + (dir_ / "odd.mp4").string(), dir_).code, 1);
  EXPECT_FALSE(fs::exists(dir_ / "odd.mp4"));
}

}  // namespace
}  // namespace glimmer

namespace glimmer {
namespace {

void WriteBytes(const fs::path& file, const std::vector<uint8_t>& bytes) {
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A video's sound track as a player decodes it.
struct SoundTrack {
  int streams = 0;  // audio streams
  AVCodecID codec = AV_CODEC_ID_NONE;
  int rate = 0;
  double seconds = 0;        // decoded samples ÷ rate
  std::vector<float> peaks;  // the largest magnitude (full scale 1) in each tenth of a second
};

SoundTrack ReadSoundTrack(const fs::path& file) {
  SoundTrack t;
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, file.c_str(), nullptr, nullptr) < 0) return t;
  avformat_find_stream_info(format, nullptr);
  int index = -1;
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    if (format->streams[i]->codecpar->codec_type != AVMEDIA_TYPE_AUDIO) continue;
    ++t.streams;
    index = int(i);
  }
  AVCodecContext* decoder = nullptr;
  if (index >= 0) {
    const AVCodecParameters* par = format->streams[index]->codecpar;
    t.codec = par->codec_id;
    t.rate = par->sample_rate;
    decoder = avcodec_alloc_context3(avcodec_find_decoder(par->codec_id));
    avcodec_parameters_to_context(decoder, par);
    decoder->pkt_timebase = format->streams[index]->time_base;
    EXPECT_EQ(avcodec_open2(decoder, nullptr, nullptr), 0);
  }
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  int64_t decoded = 0;
  auto receive = [&] {
    while (avcodec_receive_frame(decoder, frame) == 0) {
      ASSERT_EQ(frame->format, AV_SAMPLE_FMT_FLTP)
          << "the decoders of AAC and Opus give planar floats";
      for (int i = 0; i < frame->nb_samples; ++i, ++decoded) {
        const size_t tenth = size_t(decoded * 10 / t.rate);
        if (t.peaks.size() <= tenth) t.peaks.resize(tenth + 1, 0.0f);
        for (int c = 0; c < frame->ch_layout.nb_channels; ++c) {
          const float v = reinterpret_cast<const float*>(frame->extended_data[c])[i];
          t.peaks[tenth] = std::max(t.peaks[tenth], std::abs(v));
        }
      }
    }
  };
  while (decoder && av_read_frame(format, packet) >= 0) {
    if (packet->stream_index == index && avcodec_send_packet(decoder, packet) == 0) receive();
    av_packet_unref(packet);
  }
  if (decoder && avcodec_send_packet(decoder, nullptr) == 0) receive();
  if (t.rate > 0) t.seconds = double(decoded) / t.rate;
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&decoder);
  avformat_close_input(&format);
  return t;
}

class RenderSoundTest : public RenderCommandTest {
 protected:
  // One black slide; with sound layers, a tone of 0.5 s on a time line shown
  // for 1 s (from its second step: its first hidden phase is empty) and then
  // hidden for 1 s, and a layer whose file the decoder refuses.
  fs::path Compose(bool withSound) {
    Image black{16, 16, std::vector<uint8_t>(16 * 16 * 4, 0)};
    for (size_t i = 3; i < black.rgba.size(); i += 4) black.rgba[i] = 255;
    WriteBytes(dir_ / "black.png", EncodePng(black));
    std::vector<int16_t> tone(22050);
    for (size_t i = 0; i < tone.size(); ++i)
      tone[i] = int16_t(12000 * std::sin(2 * M_PI * 440 * double(i) / 44100));
    WriteBytes(dir_ / "tone.wav", testing::WaveFile(tone));
    std::vector<uint8_t> odd = testing::WaveFile(testing::Level(1000, 0.5));
    odd[20] = odd[21] = 0x77;  // a format tag no decoder knows
    WriteBytes(dir_ / "odd.wav", odd);
    const std::string layers = R"(, "soundLayers": [
        {"class": "ZT_WAV_Constructor", "File": {"Path": "tone.wav"},
         "ZT_Sound_Ctrl": {"ZT_ABObj_Constructor": {"name": "tone",
           "QVX_RenderObjData": {"timing": {"Kind": 1, "Line": {"class": "QVX_RandomTimeLine",
             "HiddenRange": {"Min": 100, "Max": 100}, "VisibleRange": {"Min": 100, "Max": 100},
             "FadeIn": 0, "FadeOut": 0}}}}}},
        {"class": "ZT_WAV_Constructor", "File": {"Path": "odd.wav"},
         "ZT_Sound_Ctrl": {"ZT_ABObj_Constructor": {"name": "odd"}}}])";
    std::ofstream(dir_ / "show.json")
        << R"({"slides": [{"class": "ZT_SlideContainer", "fadeIn": 0, "duration": 20,
        "fadeOut": 0, "slide": {"class": "ZT_2D_Light", "picture": {"Path": "black.png"}})"
        << (withSound ? layers : "") << "}]}";
    const fs::path show = dir_ / (withSound ? "sound.dds" : "silent.dds");
    WriteBytes(show, ComposeShowFile(dir_ / "show.json"));
    return show;
  }
};

TEST_F(RenderSoundTest, AVideoCarriesTheMixWhereTheShowSounds) {
  const fs::path show = Compose(true);
  const struct {
    const char* name;
    AVCodecID codec;
    int rate;
  } cases[] = {{"sound.mp4", AV_CODEC_ID_AAC, 44100}, {"sound.webm", AV_CODEC_ID_OPUS, 48000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path file = dir_ / c.name;
    const Result r =
        Render(show.string() + " --size 64x36 --fps 10 --seconds 2 --out " + file.string(), dir_);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("20 frames of 64x36 at 10 frames/s (2 s), with sound"), std::string::npos)
        << r.out;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find("\"odd\" stays silent"), std::string::npos) << r.err;
    const SoundTrack t = ReadSoundTrack(file);
    ASSERT_EQ(t.streams, 1);
    EXPECT_EQ(t.codec, c.codec);
    EXPECT_EQ(t.rate, c.rate);
    EXPECT_NEAR(t.seconds, 2.0, 0.03);
    ASSERT_GE(t.peaks.size(), 20u);
    // Silent before the step at 0.2 s that starts the tone, 0.5 s of the
    // tone (0.37 of full scale), silent after it.
    for (size_t k : {0, 1, 7, 8, 10, 14, 19}) EXPECT_LT(t.peaks[k], 0.01f) << "tenth " << k;
    for (size_t k : {2, 4, 6}) EXPECT_NEAR(t.peaks[k], 0.37f, 0.03f) << "tenth " << k;
  }
  const fs::path muted = dir_ / "muted.mp4";
  ASSERT_EQ(
      Render(show.string() + " --size 64x36 --fps 10 --seconds 1 --mute --out " + muted.string(),
             dir_)
          .code,
      0);
  EXPECT_EQ(ReadSoundTrack(muted).streams, 0) << "--mute leaves the sound out";
}

TEST_F(RenderSoundTest, AShowWithoutSoundGetsNoSoundTrack) {
  const fs::path show = Compose(false), file = dir_ / "silent.mkv";
  const Result r =
      Render(show.string() + " --size 64x36 --fps 10 --seconds 1 --out " + file.string(), dir_);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.find("with sound"), std::string::npos) << r.out;
  EXPECT_EQ(ReadSoundTrack(file).streams, 0);
}

}  // namespace
}  // namespace glimmer
