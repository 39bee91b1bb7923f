#include "app/commands.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>

#include "app/builtin_show.h"
#include "common/atomic_file.h"
#include "common/error_codes.h"
#include "common/wide_string.h"
#include "document/document_source.h"
#include "document/resource_modules.h"
#include "host/saver_settings.h"
#include "host/xscreensaver_install.h"
#include "platform/audio/audio_output.h"
#include "platform/gpu/carried_effect.h"
#include "platform/gpu/gpu_device.h"
#include "platform/image/image_codec.h"
#include "platform/video/video_encoder.h"
#include "scene/render_context.h"
#include "scene/scene_object.h"
#include "scene/slide.h"
#include "scene/slide_show.h"
#include "show/show_composer.h"
#include "show/show_document.h"
#include "sound/music_player.h"
#include "store/class_registry.h"

namespace glimmer {
namespace {

struct LoadedDocument {
  DocumentBytes source;
  ShowDocument doc;
};

// Resource modules and files the show names are looked for beside the
// document, beside the program, then in the folders the user gave.
void SetSearchFolders(const DocumentArgs& args) {
  std::vector<std::filesystem::path> folders;
  std::error_code ec;
  if (args.file) folders.push_back(std::filesystem::absolute(*args.file, ec).parent_path());
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) folders.push_back(exe.parent_path());
  folders.insert(folders.end(), args.moduleFolders.begin(), args.moduleFolders.end());
  SetModuleSearchFolders(std::move(folders));
}

LoadedDocument Load(const DocumentArgs& args) {
  LoadedDocument loaded{FindShow(args), {}};
  loaded.doc = LoadShow(loaded.source.bytes);
  return loaded;
}

}  // namespace

bool IsJsonShow(const std::filesystem::path& file) {
  std::string ext = file.extension().string();
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".json";
}

DocumentBytes FindShow(const DocumentArgs& args) {
  SetSearchFolders(args);
  if (args.file && IsJsonShow(*args.file)) {
    // A JSON show is composed in memory, as compose would write it.
    try {
      return {ComposeShowFile(*args.file), args.file->string()};
    } catch (const JsonFormatError& e) {
      throw JsonFormatError(args.file->string() + ": " + e.what());
    }
  }
  DocumentSearch search;
  search.file = args.file;
  search.builtin = BuiltinShow();
  return FindDocument(search);
}

namespace {

// Reports a failure as the player does: the code's text, the code and the
// detail, on standard error.
int ReportFailure(const std::exception& e) {
  std::cerr << "glimmer: " << e.what() << "\n";
  return 1;
}

// Stands in for embedded files when only the shape of the JSON form matters.
class SizeOnlyBlobs : public BlobStore {
 public:
  Json Store(std::span<const uint8_t> bytes, const std::string&) override {
    return Json{{"size", bytes.size()}};
  }
  std::vector<uint8_t> Load(const Json&, const std::string& path) override {
    throw JsonFormatError(path + ": sizes only");
  }
};

// Counts the layer classes of every slide, found in the JSON form's layer lists.
void CountLayers(const Json& node, std::map<std::string, int>& counts) {
  if (node.is_object()) {
    for (auto it = node.begin(); it != node.end(); ++it) {
      if ((it.key() == "visualLayers" || it.key() == "soundLayers") && it->is_array()) {
        for (const Json& layer : *it) {
          if (layer.is_object() && layer.contains("class"))
            ++counts[layer["class"].get<std::string>()];
        }
      }
      CountLayers(*it, counts);
    }
  } else if (node.is_array()) {
    for (const Json& child : node) CountLayers(child, counts);
  }
}

size_t BlobBytes(const std::vector<BlobEntry>& entries, size_t& blobs) {
  size_t bytes = 0;
  for (const BlobEntry& e : entries) {
    blobs += e.Blobs.size();
    for (const ResourceBlob& b : e.Blobs) bytes += b.Data.size();
  }
  return bytes;
}

}  // namespace

int RunInfo(const DocumentArgs& args, std::ostream& out) {
  try {
    LoadedDocument loaded = Load(args);
    ShowDocument& doc = loaded.doc;
    out << "Document: " << loaded.source.origin << " (" << loaded.source.bytes.size()
        << " bytes)\n";
    out << "Banner: " << ToUtf8(doc.banner) << "\n";
    out << "Slides: " << doc.show->slides.size() << "\n";

    SizeOnlyBlobs sizes;
    std::map<std::string, int> layers;
    CountLayers(ShowToJson(doc, sizes), layers);
    if (layers.empty()) {
      out << "Layers: none\n";
    } else {
      out << "Layers:\n";
      for (const auto& [name, count] : layers) out << "  " << name << ": " << count << "\n";
    }

    const ZT_DocResManager& res = *doc.resources;
    out << "Resources:\n";
    size_t blobs = 0;
    size_t bytes = BlobBytes(res.PictureBlobs, blobs);
    out << "  pictures: " << res.PictureBlobs.size() << " links, " << blobs << " blobs, " << bytes
        << " bytes\n";
    size_t delays = 0;
    for (const FrameDelayEntry& e : res.DelayEntries) delays += e.Delays.size();
    out << "  frame delays: " << res.DelayEntries.size() << " links, " << delays << " delays\n";
    blobs = 0;
    bytes = BlobBytes(res.FileBlobs, blobs);
    out << "  effect and mesh files: " << res.FileBlobs.size() << " links, " << blobs << " blobs, "
        << bytes << " bytes\n";
    for (const BlobEntry& e : res.FileBlobs) {
      if (e.Blobs.empty() || !LooksLikeEffectFile(e.Blobs.back().Data)) continue;
      const uint32_t id = uint32_t(e.Key.Stamp & 0xFFFF);
      out << "  carried effect file " << ToUtf8(e.Key.Path) << " " << id << " ("
          << e.Blobs.back().Data.size() << " bytes):\n"
          << DescribeCarriedEffect(e.Blobs.back().Data, e.Key.Path, id);
    }
    bytes = 0;
    for (const GuidBlobEntry& e : res.GuidEntries) bytes += e.Blob.Data.size();
    out << "  pictures by GUID: " << res.GuidEntries.size() << " entries, " << bytes << " bytes\n";
    size_t frames = 0;
    bytes = 0;
    for (const FrameEntry& e : res.FrameEntries) {
      frames += e.Frames.size();
      for (const ImageFrame& f : e.Frames) bytes += f.Data.size();
    }
    out << "  animation frames: " << res.FrameEntries.size() << " links, " << frames << " frames, "
        << bytes << " bytes\n";

    out << "Music: " << doc.show->music.size() << " entries\n";
    for (size_t i = 0; i < doc.show->music.size(); ++i) {
      const ZT_AudioFile& m = *doc.show->music[i];
      out << "  " << i + 1 << ". \"" << ToUtf8(m.Name) << "\" (" << ToUtf8(m.Data.Name) << ", "
          << m.Data.Data.size() << " bytes)\n";
    }
    return 0;
  } catch (const std::exception& e) {
    return ReportFailure(e);
  }
}

int RunDump(const DocumentArgs& args, const std::optional<std::filesystem::path>& outDir,
            std::ostream& out) {
  try {
    LoadedDocument loaded = Load(args);
    if (!outDir) {
      FileBlobStore inline64;
      out << ShowToJson(loaded.doc, inline64).dump(2) << "\n";
      return 0;
    }
    std::filesystem::create_directories(*outDir);
    FileBlobStore files(*outDir, *outDir / "files");
    const std::filesystem::path jsonPath = *outDir / "show.json";
    std::ofstream json(jsonPath);
    json << ShowToJson(loaded.doc, files).dump(2) << "\n";
    if (!json) throw std::runtime_error("cannot write " + jsonPath.string());
    out << "Wrote " << jsonPath.string() << " and the files it names under "
        << (*outDir / "files").string() << "\n";
    return 0;
  } catch (const std::exception& e) {
    return ReportFailure(e);
  }
}

namespace {
// Writes a whole output file or throws saying why; nothing is left on failure.
void WriteOutput(const std::filesystem::path& path, std::span<const uint8_t> bytes, mode_t mode) {
  std::string error;
  const std::string_view data(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (!WriteFileAtomically(path, data, mode, &error)) throw std::runtime_error(error);
}

// Runs an authoring step: JSON problems are usage errors (2), the rest
// failures (1).
template <class Step>
int Authoring(Step&& step) {
  try {
    step();
    return 0;
  } catch (const JsonFormatError& e) {
    std::cerr << "glimmer: " << e.what() << "\n";
    return 2;
  } catch (const std::exception& e) {
    return ReportFailure(e);
  }
}
}  // namespace

int RunInstallXScreenSaver(const std::vector<std::filesystem::path>& shows, std::ostream& out,
                           std::ostream& err) {
  if (shows.empty()) return InstallXScreenSaver({}, out, err);
  int result = 0;
  for (const std::filesystem::path& file : shows) {
    try {
      DocumentArgs args;
      args.file = file;
      LoadShow(FindShow(args).bytes);
    } catch (const std::exception& e) {
      err << "glimmer: " << file.string() << " is not installed: " << e.what() << "\n";
      result = 1;
      continue;
    }
    InstallOptions options;
    options.show = std::filesystem::absolute(file);
    const int done = InstallXScreenSaverShow(options, file.stem().string(), out, err);
    if (done != 0) result = 1;
  }
  return result;
}

int RunUninstallXScreenSaver(const std::vector<std::filesystem::path>& shows, std::ostream& out,
                             std::ostream& err) {
  return UninstallXScreenSaver({}, shows, out, err);
}

int RunCompose(const std::filesystem::path& json, const std::filesystem::path& out,
               std::ostream& os) {
  return Authoring([&] {
    std::vector<std::string> uncarried;
    const std::vector<uint8_t> bytes = ComposeShowFile(json, &uncarried);
    WriteOutput(out, bytes, 0644);
    os << "Wrote " << out.string() << " (" << bytes.size() << " bytes)\n";
    for (const std::string& link : uncarried) {
      std::cerr << "glimmer: " << json.string() << ": \"" << link
                << "\" is no file beside the show, so the document does not carry it\n";
    }
  });
}

int RunPack(const std::filesystem::path& show, const std::filesystem::path& out, std::ostream& os) {
  return Authoring([&] {
    std::vector<uint8_t> document;
    if (show.extension() == ".json") {
      document = ComposeShowFile(show);
    } else {
      document = DocumentFromFile(ReadWholeFile(show, kMaxDocumentBytes), show.string());
      LoadShow(document);  // a show that does not load is not packed
    }
    const std::vector<uint8_t> self =
        WithoutPayload(ReadWholeFile("/proc/self/exe", kMaxDocumentBytes));
    WriteOutput(out, AppendPayload(self, document), 0755);
    os << "Wrote " << out.string() << ": this player carrying " << show.string()
       << "; run it as the program itself (it accepts every subcommand and switch)\n";
  });
}

int RunClasses(std::ostream& out) {
  size_t built = 0, total = 0;
  for (const ClassRegistry* registry : AllRegistries()) {
    const auto names = registry->RegisteredNames();
    const auto missing = registry->MissingNames();
    built += names.size();
    total += names.size() + missing.size();
    out << "Registry " << registry->name() << ": " << names.size() << " registered, "
        << missing.size() << " not built yet\n";
    if (!names.empty()) {
      out << "  registered:";
      for (const auto& n : names) {
        out << " " << ToUtf8(n) << " (" << registry->Find(n)->version << ")";
      }
      out << "\n";
    }
    if (!missing.empty()) {
      out << "  not built yet:";
      for (const auto& k : missing) out << " " << ToUtf8(k.name) << " (" << k.version << ")";
      out << "\n";
    }
  }
  out << "In all: " << built << " of " << total << " classes built\n";
  return 0;
}

namespace {

// An option value the show or the device rules out, found once they are known.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

constexpr double kMaxFrames = 10'000'000;
// Shows that do not loop are stepped frame by frame up to the time asked for.
constexpr double kMaxStepSeconds = 3600;

std::string Seconds(double t) {
  char text[48];
  std::snprintf(text, sizeof text, "%g", t);
  return text;
}

// Where show time t falls in a looping show, past its first full pass: the
// same slide and the same place in it, frames on the same step grid.
double SeekTime(double t, const ZT_SlideShow_Light::LoopTiming& loop) {
  if (loop.loops && loop.period > 0 && t >= loop.firstReturn + loop.period)
    return loop.firstReturn + std::fmod(t - loop.firstReturn, loop.period);
  if (!loop.loops && t > kMaxStepSeconds) {
    throw UsageError("--at " + Seconds(t) + ": this show does not loop (it stays on a slide), " +
                     "so its frames reach " + Seconds(kMaxStepSeconds) + " s at most");
  }
  return t;
}

// "frame 120/250  24.3 frames/s  5 s left" on a terminal, redrawn in place.
class Progress {
 public:
  explicit Progress(size_t total) : total_(total), shown_(isatty(STDERR_FILENO) == 1) {}
  void Update(size_t done) {
    if (!shown_) return;
    const auto now = std::chrono::steady_clock::now();
    if (done < total_ && now - last_ < std::chrono::milliseconds(250)) return;
    last_ = now;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    const double rate = elapsed > 0 ? done / elapsed : 0;
    std::fprintf(stderr, "\rframe %zu/%zu  %.1f frames/s  %.0f s left   ", done, total_, rate,
                 rate > 0 ? (total_ - done) / rate : 0.0);
    if (done == total_) std::fputc('\n', stderr);
  }

 private:
  size_t total_;
  bool shown_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now(), last_{};
};

bool HasSound(const ZT_SlideShow_Light& show) {
  if (!show.music.empty()) return true;
  for (const auto& slide : show.slides) {
    if (slide && !slide->soundLayers.empty()) return true;
  }
  return false;
}

// The sound output opened offline for a video's sound track, closed when the
// render ends. It is made before the document, so the show's voices and
// tracks are gone before it closes.
class OfflineSound {
 public:
  bool Open() { return opened_ = AudioOutput::OpenOffline(); }
  ~OfflineSound() {
    if (opened_) AudioOutput::Close();
  }

  // Mixes the samples of video frame `k` (from k ÷ fps to (k + 1) ÷ fps, on
  // whole samples so nothing drifts) into the video, a block at a time.
  void AddFrame(size_t k, double fps, VideoEncoder& encoder) {
    auto at = [fps](size_t frame) { return int64_t(std::llround(double(frame) * kRate / fps)); };
    for (int64_t left = at(k + 1) - at(k); left > 0;) {
      const size_t frames = size_t(std::min<int64_t>(left, kBlockFrames));
      AudioOutput::Render(block_.data(), frames);
      encoder.AddAudio({block_.data(), frames * 2});
      left -= int64_t(frames);
    }
  }

 private:
  static constexpr int kRate = AudioOutput::kRate;
  static constexpr size_t kBlockFrames = 4096;
  bool opened_ = false;
  std::vector<int16_t> block_ = std::vector<int16_t>(kBlockFrames * 2);
};

}  // namespace

namespace {

// SIGINT and SIGTERM while a render runs stop it between two frames, so that
// the temporary video is removed rather than left half written.
std::atomic<int> g_stopSignal{0};

extern "C" void OnStopSignal(int signal) {
  g_stopSignal = signal;
}

class StopSignals {
 public:
  StopSignals() {
    g_stopSignal = 0;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &oldInt_);
    sigaction(SIGTERM, &action, &oldTerm_);
  }
  ~StopSignals() {
    sigaction(SIGINT, &oldInt_, nullptr);
    sigaction(SIGTERM, &oldTerm_, nullptr);
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;
  // Throws Stopped once a signal came.
  static void Check() {
    if (const int signal = g_stopSignal) throw Stopped{signal};
  }
  struct Stopped {
    int signal;
  };

 private:
  struct sigaction oldInt_ {
  }, oldTerm_{};
};

}  // namespace

int RunRender(const DocumentArgs& args, const RenderOptions& options, std::ostream& out) {
  const StopSignals stopSignals;
  const bool toVideo = IsVideoPath(options.out);
  try {
    const bool video = IsVideoPath(options.out);
    if (video && !options.at.empty())
      throw UsageError("--at writes single frames as PNG files: give --out a folder");
    OfflineSound sound;
    LoadedDocument loaded = Load(args);
    ShowDocument& doc = loaded.doc;
    // The sound layers make their voices when the show is instantiated.
    const bool withSound = video && !options.mute && HasSound(*doc.show) && sound.Open();
    auto device = GpuDevice::CreateHeadless({options.width, options.height, true});
    if (options.width > device->MaxTextureSize() || options.height > device->MaxTextureSize()) {
      throw UsageError("--size " + std::to_string(options.width) + "x" +
                       std::to_string(options.height) + ": this device draws frames up to " +
                       std::to_string(device->MaxTextureSize()) + " pixels a side");
    }
    ZT_2D_Light::SetCaptureScaleLimit(options.captureScale);
    RenderContext context;
    doc.resources->Attach(*device);
    ScreenScope scope(doc.resources->ScreenFor(device.get(), &context));
    doc.show->Instantiate(options.picturePosition);
    // The player's defaults: full volume, not muted.
    std::unique_ptr<MusicPlayer> music;
    if (withSound) {
      AudioOutput::SetMasterVolume(SoundOutputVolume(100, false));
      music = std::make_unique<MusicPlayer>([] { return MusicVolume(100, false); });
      music->Start(doc.show->music);
    }

    // Frames run at the frame rate, as playback would; only the requested
    // ones are drawn and written.
    const double step = 1.0 / options.fps;
    const ZT_SlideShow_Light::LoopTiming loop = doc.show->Loop(step);
    std::vector<std::pair<double, std::string>> wanted;  // show time, file name
    if (options.at.empty()) {
      const double seconds =
          options.seconds.value_or(video && loop.firstReturn > 0 ? loop.firstReturn : 5.0);
      const double frames = std::round(seconds * options.fps);
      if (frames < 1 || frames > kMaxFrames) {
        throw UsageError("--seconds " + Seconds(seconds) + " at --fps " + Seconds(options.fps) +
                         " makes " + Seconds(frames) + " frames; from 1 to " + Seconds(kMaxFrames) +
                         " can be written");
      }
      wanted.reserve(size_t(frames));
      for (size_t k = 0; k < size_t(frames); ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%05zu.png", k);
        wanted.push_back({double(k) * step, name});
      }
    } else {
      for (double t : options.at) {
        char name[64];
        std::snprintf(name, sizeof name, "at_%09.3f.png", t);
        wanted.push_back({SeekTime(t, loop), name});
      }
      std::sort(wanted.begin(), wanted.end());
    }

    std::unique_ptr<VideoEncoder> encoder;
    if (video) {
      encoder = VideoEncoder::Open({options.out, options.width, options.height, options.fps,
                                    withSound ? AudioOutput::kRate : 0});
    } else {
      std::filesystem::create_directories(options.out);
    }
    Progress progress(wanted.size());
    size_t written = 0;
    double t = 0;
    for (const auto& [time, name] : wanted) {
      while (t + step <= time + 1e-9) {
        StopSignals::Check();
        doc.show->AdvanceShow(float(t));
        t += step;
      }
      StopSignals::Check();
      // As the player's frame loop: a track that ended starts the next one.
      if (music && AudioOutput::TakeMusicEnded()) music->PlayNextTrack(1);
      doc.show->AdvanceShow(float(time));
      t = std::max(t, time);
      device->BeginScene();
      doc.show->RenderShow();
      device->EndScene();
      device->Present();
      if (encoder) {
        encoder->AddFrame(device->ReadFrame());
        if (withSound) sound.AddFrame(written, options.fps, *encoder);
      } else {
        const std::filesystem::path file = options.out / name;
        if (!WritePng(file.string(), device->ReadFrame()))
          throw std::runtime_error("cannot write " + file.string());
      }
      progress.Update(++written);
    }
    const std::string size = std::to_string(options.width) + "x" + std::to_string(options.height);
    const char* noun = written == 1 ? " frame" : " frames";
    if (encoder) {
      encoder->Finish();
      out << "Wrote " << options.out.string() << ": " << written << noun << " of " << size << " at "
          << options.fps << " frames/s (" << Seconds(double(written) / options.fps) << " s)"
          << (withSound ? ", with sound" : "") << "\n";
    } else {
      out << "Wrote " << written << noun << " of " << size << " to " << options.out.string()
          << "\n";
    }
    return 0;
  } catch (const StopSignals::Stopped& stopped) {
    std::cerr << "glimmer: stopped by " << (stopped.signal == SIGINT ? "SIGINT" : "SIGTERM")
              << (toVideo ? "; the unfinished video is removed\n"
                          : "; the frames written so far are kept\n");
    return 128 + stopped.signal;
  } catch (const UsageError& e) {
    std::cerr << "glimmer: " << e.what() << "\n";
    return 2;
  } catch (const std::exception& e) {
    return ReportFailure(e);
  }
}

}  // namespace glimmer
