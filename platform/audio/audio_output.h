#pragma once
// The process's one sound output over SDL_mixer: opened once however many
// screens play, decoding sounds from memory (nothing is written to disk) and
// mixing the sound layers' voices with the show's music. Without an audio
// device the output stays closed, says so once on standard error, and every
// call here does nothing: the player runs silently.
//
// Levels are hundredths of a decibel (mB): 0 is full, −10000 silent; a gain
// is 10^(mB ÷ 2000). Everything but the mix tap runs on the main thread; the
// state a frame asks for (is a voice playing, has the music ended) is kept in
// atomics the audio thread sets, so asking never waits for the mixer.
//
// Opened offline (for rendering a video), the same decoders, voices and music
// tracks are mixed only when the renderer pulls samples (`Render`), so time
// passes in samples rather than on the device's clock. Code that plays sounds
// does not know which way the output is open.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

struct Mix_Chunk;
typedef struct _Mix_Music Mix_Music;

namespace glimmer {

// 10^(mB ÷ 2000); 0 at −10000 mB and below.
float GainOf(int millibels);

class AudioOutput {
 public:
  static constexpr int kRate = 44100;  // stereo 16-bit samples at this rate
  static constexpr int kMaxVoices = 32;

  // Opens the output unless open (`driver`: an SDL audio driver by name, or
  // null for the system's choice). False without a device, or when open
  // offline; the first failure of the process is said once on standard error.
  static bool Open(const char* driver = nullptr);
  static bool IsOpen();
  // Opens the output without sounding anything: no device's thread mixes,
  // `Render` does. Music tracks are decoded whole (at most
  // kMaxRenderedTrackSeconds each). False when SDL_mixer cannot be loaded
  // (said once) or the output is already open for a device.
  static bool OpenOffline();
  static bool IsOffline();
  static constexpr int kMaxRenderedTrackSeconds = 15 * 60;
  // Offline: mixes the next `frames` stereo frames into `out` (2 × frames
  // samples) as the device's thread would: the music at its level, then each
  // playing voice in channel order through its level and pan, added with
  // clipping. Voices that end stop and a track that ends is reported, as
  // there; the mix tap sees the result. Silence when not open offline.
  static void Render(int16_t* out, size_t frames);
  // Halts everything and closes the device. Clips and tracks made while open
  // must be gone first.
  static void Close();
  // The level every voice is scaled by (the user's volume); not the music's.
  static void SetMasterVolume(int millibels);
  // Called on the audio thread with every mixed buffer (interleaved stereo
  // samples) once the output is open; null for none. Tests measure the mix.
  using MixTap = void (*)(void* user, const int16_t* samples, size_t count);
  static void SetMixTap(MixTap tap, void* user);
  // True once after a music track has played to its end (a stop is no end).
  static bool TakeMusicEnded();
};

// A sound decoded into the output's format, shared by the voices that play it.
class SoundClip {
 public:
  // Decodes WAVE or MPEG audio bytes; null with `error` set when the output
  // is closed or the decoder refuses them.
  static std::shared_ptr<SoundClip> Decode(std::span<const uint8_t> encoded, std::string& error);
  ~SoundClip();
  SoundClip(const SoundClip&) = delete;
  SoundClip& operator=(const SoundClip&) = delete;
  // Seconds of sound.
  double Seconds() const;

 private:
  explicit SoundClip(Mix_Chunk* chunk) : chunk_(chunk) {}
  Mix_Chunk* chunk_;
  friend class SoundVoice;
};

// One layer's playing copy of a clip on a mixer channel, with its own level
// and pan, scaled by the master volume.
class SoundVoice {
 public:
  explicit SoundVoice(std::shared_ptr<SoundClip> clip);
  ~SoundVoice();
  SoundVoice(const SoundVoice&) = delete;
  SoundVoice& operator=(const SoundVoice&) = delete;

  // Starts the clip from its beginning, once or looping; false when no
  // channel is free (said once) or the output is closed.
  bool Play(bool loop);
  void Stop();
  // Never waits for the mixer.
  bool IsPlaying() const;
  bool IsLooping() const { return looping_; }
  // How many times Play has started the clip.
  size_t Starts() const { return starts_; }
  // Level in mB; pan in mB as a balance: below 0 lowers the right channel by
  // that much, above 0 the left.
  void SetLevel(int volume, int pan);

  struct Shared;  // what the mixer's callbacks read and set

 private:
  std::shared_ptr<SoundClip> clip_;
  std::unique_ptr<Shared> shared_;
  int channel_ = -1;
  bool looping_ = false;
  size_t starts_ = 0;
};

// One music track streamed from bytes in memory. One track plays at a time.
class MusicTrack {
 public:
  // A track over `bytes`, which it keeps; null with `error` set when the
  // output is closed or the decoder refuses them.
  static std::unique_ptr<MusicTrack> Load(std::shared_ptr<const std::vector<uint8_t>> bytes,
                                          std::string& error);
  ~MusicTrack();
  MusicTrack(const MusicTrack&) = delete;
  MusicTrack& operator=(const MusicTrack&) = delete;

  // Plays from the beginning, once; the end is reported by TakeMusicEnded.
  bool Play();
  // The music's level in mB (the mixer has 128 steps; the nearest is used).
  static void SetVolume(int millibels);
  // Halts the music without reporting an end.
  static void Stop();

 private:
  // Offline: the whole track decoded, its length checked first where the
  // format tells it.
  static std::unique_ptr<MusicTrack> LoadWhole(std::shared_ptr<const std::vector<uint8_t>> bytes,
                                               std::string& error);
  MusicTrack(Mix_Music* music, Mix_Chunk* decoded,
             std::shared_ptr<const std::vector<uint8_t>> bytes)
      : music_(music), decoded_(decoded), bytes_(std::move(bytes)) {}
  Mix_Music* music_;    // streamed by the device's thread
  Mix_Chunk* decoded_;  // or, offline, decoded whole
  std::shared_ptr<const std::vector<uint8_t>> bytes_;
};

}  // namespace glimmer
