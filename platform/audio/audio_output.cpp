#include "platform/audio/audio_output.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <iostream>
#include <optional>

#include "platform/audio/sound_formats.h"
#include "platform/library_output.h"

namespace glimmer {

float GainOf(int millibels) {
  if (millibels <= -10000) return 0.0f;
  return float(std::pow(10.0, double(std::min(millibels, 0)) / 2000.0));
}

// SDL_mixer is loaded when the output first opens, not linked: a process
// that never sounds (a test, `glimmer render`) does not load it and the many
// decoder libraries it brings.
namespace mix {
// clang-format off
#define GLIMMER_MIXER_FUNCTIONS(X) \
  X(Mix_Init) \
  X(Mix_Quit) \
  X(Mix_OpenAudioDevice) \
  X(Mix_CloseAudio) \
  X(Mix_AllocateChannels) \
  X(Mix_HookMusicFinished) \
  X(Mix_SetPostMix) \
  X(Mix_HaltChannel) \
  X(Mix_HaltMusic) \
  X(Mix_LoadWAV_RW) \
  X(Mix_FreeChunk) \
  X(Mix_Volume) \
  X(Mix_RegisterEffect) \
  X(Mix_UnregisterAllEffects) \
  X(Mix_PlayChannelTimed) \
  X(Mix_LoadMUS_RW) \
  X(Mix_FreeMusic) \
  X(Mix_PlayMusic) \
  X(Mix_VolumeMusic)
// clang-format on
#define GLIMMER_DECLARE_MIXER_FUNCTION(name) decltype(&::name) name = nullptr;
GLIMMER_MIXER_FUNCTIONS(GLIMMER_DECLARE_MIXER_FUNCTION)
#undef GLIMMER_DECLARE_MIXER_FUNCTION

// True once the library and every function are found; else why not.
bool Load(std::string& error) {
  static bool tried = false, loaded = false;
  static std::string why;
  if (!tried) {
    tried = true;
    void* lib = dlopen("libSDL2_mixer-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    loaded = lib != nullptr;
    if (!lib) why = dlerror();
#define GLIMMER_FIND_MIXER_FUNCTION(name)                       \
  if (loaded) {                                                 \
    name = reinterpret_cast<decltype(name)>(dlsym(lib, #name)); \
    if (!name) {                                                \
      loaded = false;                                           \
      why = "SDL_mixer has no " #name;                          \
    }                                                           \
  }
    GLIMMER_MIXER_FUNCTIONS(GLIMMER_FIND_MIXER_FUNCTION)
#undef GLIMMER_FIND_MIXER_FUNCTION
  }
  error = why;
  return loaded;
}
}  // namespace mix

struct SoundVoice::Shared {
  std::atomic<bool> playing{false};
  std::atomic<float> left{1.0f}, right{1.0f};
};

namespace {

// A voice's place in its clip while the output is open offline.
struct OfflineChannel {
  SoundVoice::Shared* owner = nullptr;  // null: free
  const Mix_Chunk* chunk = nullptr;
  size_t position = 0;  // in samples
  bool loop = false;
};

struct OutputState {
  bool open = false;
  bool offline = false;
  bool failureSaid = false;
  bool channelsFullSaid = false;
  std::atomic<float> master{1.0f};
  std::atomic<bool> musicEnded{false};
  std::atomic<AudioOutput::MixTap> tap{nullptr};
  std::atomic<void*> tapUser{nullptr};
  // Which voice a channel was last given to (main thread only).
  std::array<SoundVoice::Shared*, AudioOutput::kMaxVoices> owners{};
  Mix_Music* playingMusic = nullptr;
  // Offline only: the voices' places, and the decoded music track playing.
  std::array<OfflineChannel, AudioOutput::kMaxVoices> channels{};
  const Mix_Chunk* music = nullptr;
  size_t musicPosition = 0;
  int musicVolume = MIX_MAX_VOLUME;
};

OutputState& State() {
  static OutputState state;
  return state;
}

// Scales interleaved stereo samples by a voice's level, pan and the master.
void ScaleVoice(const SoundVoice::Shared& shared, int16_t* s, size_t count) {
  const float master = State().master.load(std::memory_order_relaxed);
  const float gains[2] = {shared.left.load(std::memory_order_relaxed) * master,
                          shared.right.load(std::memory_order_relaxed) * master};
  for (size_t i = 0; i < count; ++i) {
    const float v = std::round(float(s[i]) * gains[i & 1]);
    s[i] = int16_t(std::clamp(v, -32768.0f, 32767.0f));
  }
}

// Audio thread: the mixer effect that applies a voice's level.
void ApplyVoiceLevel(int, void* stream, int bytes, void* user) {
  ScaleVoice(*static_cast<const SoundVoice::Shared*>(user), static_cast<int16_t*>(stream),
             size_t(bytes) / sizeof(int16_t));
}

// Adds `src` at `volume` (of MIX_MAX_VOLUME) to `dst` with clipping, in the
// integers SDL's mixing uses, so an offline mix matches the device's.
void AddSamples(int16_t* dst, const int16_t* src, size_t count, int volume) {
  for (size_t i = 0; i < count; ++i) {
    const int v = int(dst[i]) + int(src[i]) * volume / MIX_MAX_VOLUME;
    dst[i] = int16_t(std::clamp(v, -32768, 32767));
  }
}

// The decoded music track's samples, mixed offline; true when it ended.
bool RenderMusic(OutputState& s, int16_t* out, size_t count) {
  const auto* samples = reinterpret_cast<const int16_t*>(s.music->abuf);
  const size_t total = s.music->alen / sizeof(int16_t);
  const size_t take = std::min(count, total - s.musicPosition);
  AddSamples(out, samples + s.musicPosition, take, s.musicVolume);
  s.musicPosition += take;
  return s.musicPosition >= total;
}

// One voice's samples, mixed offline: to the end of its clip, again from the
// start when it loops. A voice that ends leaves its channel.
void RenderVoice(OfflineChannel& c, int16_t* out, size_t count) {
  const auto* samples = reinterpret_cast<const int16_t*>(c.chunk->abuf);
  const size_t total = c.chunk->alen / sizeof(int16_t);
  std::array<int16_t, 2048> block;  // the voice's samples after its level
  size_t index = 0;
  while (index < count && c.owner) {
    const size_t take = std::min({count - index, total - c.position, block.size()});
    std::copy_n(samples + c.position, take, block.begin());
    ScaleVoice(*c.owner, block.data(), take);
    AddSamples(out + index, block.data(), take, MIX_MAX_VOLUME);
    index += take;
    c.position += take;
    if (c.position < total) continue;
    if (c.loop) {
      c.position = 0;
    } else {
      c.owner->playing.store(false);
      c = {};
    }
  }
}

// Audio thread (or a halt on the main thread): the channel has stopped.
void VoiceDone(int, void* user) {
  static_cast<SoundVoice::Shared*>(user)->playing.store(false);
}

void MusicFinished() {
  State().musicEnded.store(true);
}

void PostMix(void*, Uint8* stream, int bytes) {
  if (AudioOutput::MixTap tap = State().tap.load())
    tap(State().tapUser.load(), reinterpret_cast<const int16_t*>(stream),
        size_t(bytes) / sizeof(int16_t));
}

}  // namespace

namespace {

// Loads SDL_mixer and opens its output on `driver` (null: the system's
// choice); false with the failure and `consequence` said once.
bool OpenMixer(const char* driver, const char* consequence) {
  OutputState& s = State();
  if (driver) SDL_setenv("SDL_AUDIODRIVER", driver, 1);
  std::string error;  // stays empty when the library loads
  // SDL's and ALSA's own lines while the device opens stay back; what
  // failed is said once below.
  std::optional<QuietLibraryOutput> quiet(std::in_place);
  if (mix::Load(error) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    error = SDL_GetError();
  } else if (error.empty()) {
    mix::Mix_Init(MIX_INIT_MP3);
    // The format is fixed (SDL converts for the device), so the voices'
    // levels always work on interleaved stereo 16-bit samples.
    if (mix::Mix_OpenAudioDevice(AudioOutput::kRate, AUDIO_S16SYS, 2, 1024, nullptr, 0) != 0) {
      error = Mix_GetError();
      mix::Mix_Quit();
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
  }
  quiet.reset();
  if (!error.empty()) {
    if (!s.failureSaid) {
      std::cerr << "glimmer: no sound output (" << error << "); " << consequence << "\n";
      s.failureSaid = true;
    }
    return false;
  }
  mix::Mix_AllocateChannels(AudioOutput::kMaxVoices);
  s.owners.fill(nullptr);
  s.channels.fill({});
  s.music = nullptr;
  s.musicVolume = MIX_MAX_VOLUME;
  s.musicEnded.store(false);
  s.open = true;
  return true;
}

}  // namespace

bool AudioOutput::Open(const char* driver) {
  OutputState& s = State();
  if (s.open) return !s.offline;
  if (!OpenMixer(driver, "playing silently")) return false;
  s.offline = false;
  mix::Mix_HookMusicFinished(MusicFinished);
  mix::Mix_SetPostMix(PostMix, nullptr);
  return true;
}

bool AudioOutput::OpenOffline() {
  OutputState& s = State();
  if (s.open) return s.offline;
  // The mixer needs an open output to decode into its format; on the "dummy"
  // driver nothing sounds, and no channel of its own ever plays.
  if (!OpenMixer("dummy", "the video has no sound")) return false;
  s.offline = true;
  return true;
}

bool AudioOutput::IsOffline() {
  return State().open && State().offline;
}

void AudioOutput::Render(int16_t* out, size_t frames) {
  const size_t count = frames * 2;
  std::fill_n(out, count, int16_t(0));
  OutputState& s = State();
  if (!s.open || !s.offline) return;
  if (s.music && RenderMusic(s, out, count)) {
    s.music = nullptr;
    s.musicEnded.store(true);
  }
  for (OfflineChannel& c : s.channels) {
    if (c.owner) RenderVoice(c, out, count);
  }
  if (MixTap tap = s.tap.load()) tap(s.tapUser.load(), out, count);
}

bool AudioOutput::IsOpen() {
  return State().open;
}

void AudioOutput::Close() {
  OutputState& s = State();
  if (!s.open) return;
  mix::Mix_HaltChannel(-1);
  mix::Mix_HaltMusic();
  mix::Mix_HookMusicFinished(nullptr);
  mix::Mix_SetPostMix(nullptr, nullptr);
  mix::Mix_CloseAudio();
  mix::Mix_Quit();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  s.owners.fill(nullptr);
  s.channels.fill({});
  s.playingMusic = nullptr;
  s.music = nullptr;
  s.open = false;
  s.offline = false;
}

void AudioOutput::SetMasterVolume(int millibels) {
  State().master.store(GainOf(millibels));
}

void AudioOutput::SetMixTap(MixTap tap, void* user) {
  State().tapUser.store(user);
  State().tap.store(tap);
}

bool AudioOutput::TakeMusicEnded() {
  return State().musicEnded.exchange(false);
}

std::shared_ptr<SoundClip> SoundClip::Decode(std::span<const uint8_t> encoded, std::string& error) {
  if (!State().open) {
    error = "no sound output";
    return nullptr;
  }
  Mix_Chunk* chunk =
      mix::Mix_LoadWAV_RW(SDL_RWFromConstMem(encoded.data(), int(encoded.size())), 1);
  if (!chunk) {
    error = Mix_GetError();
    return nullptr;
  }
  return std::shared_ptr<SoundClip>(new SoundClip(chunk));
}

SoundClip::~SoundClip() {
  mix::Mix_FreeChunk(chunk_);
}

double SoundClip::Seconds() const {
  return double(chunk_->alen) / (4.0 * AudioOutput::kRate);
}

SoundVoice::SoundVoice(std::shared_ptr<SoundClip> clip)
    : clip_(std::move(clip)), shared_(std::make_unique<Shared>()) {}

SoundVoice::~SoundVoice() {
  Stop();
  if (channel_ >= 0 && State().owners[size_t(channel_)] == shared_.get())
    State().owners[size_t(channel_)] = nullptr;
}

bool SoundVoice::Play(bool loop) {
  OutputState& s = State();
  if (!s.open || !clip_) return false;
  Stop();
  // A channel is free when its last voice has stopped; only this thread
  // starts channels, so a free one stays free until Mix_PlayChannel.
  int channel = -1;
  for (int i = 0; i < AudioOutput::kMaxVoices && channel < 0; ++i) {
    SoundVoice::Shared* owner = s.owners[size_t(i)];
    if (!owner || !owner->playing.load()) channel = i;
  }
  if (channel < 0) {
    if (!s.channelsFullSaid) {
      std::cerr << "glimmer: more than " << AudioOutput::kMaxVoices
                << " sounds at once; the others stay silent\n";
      s.channelsFullSaid = true;
    }
    return false;
  }
  s.owners[size_t(channel)] = shared_.get();
  if (s.offline) {
    // Mixed by Render from the next sample it pulls; an empty clip has ended.
    if (clip_->chunk_->alen < 4) return false;
    shared_->playing.store(true);
    s.channels[size_t(channel)] = {shared_.get(), clip_->chunk_, 0, loop};
    channel_ = channel;
    looping_ = loop;
    ++starts_;
    return true;
  }
  shared_->playing.store(true);
  mix::Mix_Volume(channel, MIX_MAX_VOLUME);
  mix::Mix_RegisterEffect(channel, ApplyVoiceLevel, VoiceDone, shared_.get());
  if (mix::Mix_PlayChannelTimed(channel, clip_->chunk_, loop ? -1 : 0, -1) < 0) {
    mix::Mix_UnregisterAllEffects(channel);  // reports done: not playing
    shared_->playing.store(false);
    return false;
  }
  channel_ = channel;
  looping_ = loop;
  ++starts_;
  return true;
}

void SoundVoice::Stop() {
  // A voice that ended by itself has left its channel, which may already
  // belong to another voice: only a playing one is halted.
  OutputState& s = State();
  if (channel_ >= 0 && s.open && shared_->playing.load()) {
    if (!s.offline) {
      mix::Mix_HaltChannel(channel_);
    } else if (s.channels[size_t(channel_)].owner == shared_.get()) {
      s.channels[size_t(channel_)] = {};
    }
  }
  shared_->playing.store(false);
}

bool SoundVoice::IsPlaying() const {
  return shared_->playing.load();
}

void SoundVoice::SetLevel(int volume, int pan) {
  const float gain = GainOf(volume);
  shared_->left.store(gain * (pan > 0 ? GainOf(-pan) : 1.0f));
  shared_->right.store(gain * (pan < 0 ? GainOf(pan) : 1.0f));
}

std::unique_ptr<MusicTrack> MusicTrack::Load(std::shared_ptr<const std::vector<uint8_t>> bytes,
                                             std::string& error) {
  if (!State().open) {
    error = "no sound output";
    return nullptr;
  }
  if (!bytes || bytes->empty()) {
    error = "no bytes";
    return nullptr;
  }
  if (State().offline) return LoadWhole(std::move(bytes), error);
  Mix_Music* music = mix::Mix_LoadMUS_RW(SDL_RWFromConstMem(bytes->data(), int(bytes->size())), 1);
  if (!music) {
    error = Mix_GetError();
    return nullptr;
  }
  return std::unique_ptr<MusicTrack>(new MusicTrack(music, nullptr, std::move(bytes)));
}

std::unique_ptr<MusicTrack> MusicTrack::LoadWhole(std::shared_ptr<const std::vector<uint8_t>> bytes,
                                                  std::string& error) {
  const int64_t limit = int64_t(AudioOutput::kMaxRenderedTrackSeconds) * 100;
  auto tooLong = [&](int64_t hundredths) {
    error = "it plays for " + std::to_string(hundredths / 100) +
            " s; a rendered track plays at most " +
            std::to_string(AudioOutput::kMaxRenderedTrackSeconds) + " s";
  };
  // WAVE and MPEG audio say their length before anything is decoded.
  std::string ignored;
  const std::span<const uint8_t> view = *bytes;
  std::optional<int64_t> hundredths;
  if (view.size() >= 4 && std::equal(view.begin(), view.begin() + 4, "RIFF")) {
    if (auto wave = ParseWave(view, ignored)) hundredths = wave->durationHundredths;
  } else if (view.size() >= 3 && (std::equal(view.begin(), view.begin() + 3, "ID3") ||
                                  (view[0] == 0xFF && (view[1] & 0xE0) == 0xE0))) {
    if (auto mpeg = ScanMpegAudio(view, ignored)) hundredths = mpeg->durationHundredths;
  }
  if (hundredths && *hundredths > limit) {
    tooLong(*hundredths);
    return nullptr;
  }
  // The decoders the streamed track would use, run to the end.
  Mix_Chunk* chunk = mix::Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes->data(), int(bytes->size())), 1);
  if (!chunk) {
    error = Mix_GetError();
    return nullptr;
  }
  const int64_t decoded = int64_t(chunk->alen) * 100 / (4 * AudioOutput::kRate);
  if (decoded > limit || chunk->alen < 4) {
    if (chunk->alen < 4)
      error = "it holds no sound";
    else
      tooLong(decoded);
    mix::Mix_FreeChunk(chunk);
    return nullptr;
  }
  return std::unique_ptr<MusicTrack>(new MusicTrack(nullptr, chunk, std::move(bytes)));
}

MusicTrack::~MusicTrack() {
  OutputState& s = State();
  if (!s.open) return;
  if (decoded_) {
    if (s.music == decoded_) s.music = nullptr;
    mix::Mix_FreeChunk(decoded_);
    return;
  }
  if (s.playingMusic == music_) Stop();
  mix::Mix_FreeMusic(music_);
}

bool MusicTrack::Play() {
  OutputState& s = State();
  if (!s.open) return false;
  if (decoded_) {
    s.music = decoded_;
    s.musicPosition = 0;
    s.musicEnded.store(false);
    return true;
  }
  if (mix::Mix_PlayMusic(music_, 0) != 0) return false;
  State().playingMusic = music_;
  State().musicEnded.store(false);  // a track it replaced did not end
  return true;
}

void MusicTrack::SetVolume(int millibels) {
  OutputState& s = State();
  if (!s.open) return;
  s.musicVolume = int(std::lround(GainOf(millibels) * MIX_MAX_VOLUME));
  if (!s.offline) mix::Mix_VolumeMusic(s.musicVolume);
}

void MusicTrack::Stop() {
  OutputState& s = State();
  if (!s.open) return;
  if (s.offline) {
    s.music = nullptr;
  } else {
    mix::Mix_HaltMusic();
  }
  State().playingMusic = nullptr;
  State().musicEnded.store(false);  // the halt reported an end that was none
}

}  // namespace glimmer
