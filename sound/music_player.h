#pragma once
// The show's music: the show root's entries played one after the other for
// as long as the saver runs, the list wrapping and a single entry looping,
// streamed from the bytes in memory at the music level the host gives
// (balance is not applied to music). An entry that cannot be played is
// skipped with one message; without a sound output nothing plays.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/safe_ptr.h"
#include "document/audio_file.h"
#include "platform/audio/audio_output.h"

namespace glimmer {

class MusicPlayer {
 public:
  // The music level in hundredths of a decibel, asked each time a track
  // starts (the user's volume and mute may have changed).
  using LevelSource = std::function<int()>;
  explicit MusicPlayer(LevelSource level);
  ~MusicPlayer();

  // Takes the entries' sounds (an entry without bytes reads the file its
  // name points at) and starts the first track.
  void Start(const std::vector<ZT_SafePtr<ZT_AudioFile>>& music);
  // A media event: code 1, a track has ended, starts the next one (the only
  // one again, from its start); other codes are ignored.
  void PlayNextTrack(int code);
  // Sets the level of the playing track now.
  void ApplyLevel();

  bool Started() const { return started_; }
  // The entry the current track came from; tracks started so far.
  size_t CurrentEntry() const { return current_; }
  size_t TracksStarted() const { return tracksStarted_; }

 private:
  struct Entry {
    std::string name;
    std::shared_ptr<const std::vector<uint8_t>> bytes;
    bool refused = false;
  };
  bool StartTrack(size_t index);

  LevelSource level_;
  std::vector<Entry> entries_;
  std::unique_ptr<MusicTrack> track_;
  size_t cursor_ = 0;  // the next entry to start
  size_t current_ = 0;
  size_t tracksStarted_ = 0;
  bool started_ = false;
};

}  // namespace glimmer
