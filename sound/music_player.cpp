#include "sound/music_player.h"

#include <iostream>

#include "common/wide_string.h"
#include "document/resource_modules.h"

namespace glimmer {

MusicPlayer::MusicPlayer(LevelSource level) : level_(std::move(level)) {}

MusicPlayer::~MusicPlayer() {
  if (track_) MusicTrack::Stop();
}

void MusicPlayer::Start(const std::vector<ZT_SafePtr<ZT_AudioFile>>& music) {
  if (started_ || !AudioOutput::IsOpen()) return;
  started_ = true;
  for (const auto& file : music) {
    if (!file) continue;
    Entry e;
    e.name = ToUtf8(file->Name.empty() ? file->Data.Name : file->Name);
    std::vector<uint8_t> bytes = file->Data.Data;
    if (bytes.empty()) {
      // Read only: a file the name points at is never written or copied.
      if (auto path = LocateFile(file->Data.Name)) {
        if (auto read = ReadResourceFile(*path)) bytes = std::move(*read);
      }
    }
    e.bytes = std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
    entries_.push_back(std::move(e));
  }
  cursor_ = 0;
  PlayNextTrack(1);
}

void MusicPlayer::PlayNextTrack(int code) {
  if (code != 1 || entries_.empty()) return;
  if (cursor_ >= entries_.size() && entries_.size() == 1) {
    // The only track plays again from its start, without loading anew.
    if (track_ && track_->Play()) {
      ++tracksStarted_;
      ApplyLevel();
    }
    return;
  }
  for (size_t tries = 0; tries < entries_.size(); ++tries) {
    if (cursor_ >= entries_.size()) cursor_ = 0;
    const size_t index = cursor_++;
    if (StartTrack(index)) return;
  }
}

bool MusicPlayer::StartTrack(size_t index) {
  Entry& e = entries_[index];
  if (e.refused) return false;
  track_.reset();
  std::string error;
  track_ = MusicTrack::Load(e.bytes, error);
  if (!track_ || !track_->Play()) {
    if (track_) error = "it does not start";
    track_.reset();
    e.refused = true;
    std::cerr << "glimmer: the music \"" << e.name << "\" is skipped: " << error << "\n";
    return false;
  }
  current_ = index;
  ++tracksStarted_;
  ApplyLevel();
  return true;
}

void MusicPlayer::ApplyLevel() {
  if (track_) MusicTrack::SetVolume(level_ ? level_() : 0);
}

}  // namespace glimmer
