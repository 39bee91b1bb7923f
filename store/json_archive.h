#pragma once
// The readable JSON form of Archive. Objects become JSON objects keyed by
// field name, lists become arrays, the part of a base class becomes an object
// under the base's class name, and embedded files are either inline base64
// ({"base64": "..."}) or files beside the JSON ({"file": "relative/path"}).

#include <filesystem>
#include <functional>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "store/archive.h"

namespace glimmer {

using Json = nlohmann::ordered_json;

// A JSON form that cannot be read: the message starts with the JSON path of
// the offending value ("slides[1].slide.camera.Mode: expected an integer").
class JsonFormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where embedded files go when writing JSON and come from when reading it.
class BlobStore {
 public:
  virtual ~BlobStore() = default;
  // The JSON value standing for `bytes`; `path` is the JSON path of the field.
  virtual Json Store(std::span<const uint8_t> bytes, const std::string& path) = 0;
  // The bytes a JSON value stands for; throws JsonFormatError with `path`.
  virtual std::vector<uint8_t> Load(const Json& value, const std::string& path) = 0;
};

// Inline base64 when storing; base64 or files under `baseDir` when loading.
// With a `filesDir`, storing writes each file there instead and refers to it
// relative to `baseDir`.
class FileBlobStore : public BlobStore {
 public:
  explicit FileBlobStore(std::filesystem::path baseDir = {}, std::filesystem::path filesDir = {});
  Json Store(std::span<const uint8_t> bytes, const std::string& path) override;
  std::vector<uint8_t> Load(const Json& value, const std::string& path) override;

  // Files over this size are refused when loading.
  static constexpr uintmax_t kMaxFileBytes = 256u << 20;

 private:
  std::filesystem::path baseDir_;
  std::filesystem::path filesDir_;
  size_t written_ = 0;
};

class JsonOutArchive final : public Archive {
 public:
  explicit JsonOutArchive(BlobStore& blobs);
  ~JsonOutArchive() override;

  // The value built so far (the root object once every Begin has its End).
  Json& Result();

  bool IsReading() const override { return false; }
  bool StoresVersions() const override { return false; }
  GLIMMER_ARCHIVE_VALUES_OVERRIDE
  int32_t Version(std::string_view, int32_t current) override { return current; }
  GLIMMER_ARCHIVE_STRUCTURE_OVERRIDE

 private:
  struct State;
  std::unique_ptr<State> s_;
};

class JsonInArchive final : public Archive {
 public:
  // Reads from `root`, which must outlive the archive. Fields missing from the
  // JSON keep their defaults; fields it has that the class does not know are
  // reported as errors.
  JsonInArchive(const Json& root, BlobStore& blobs);
  ~JsonInArchive() override;

  // Checks that every key of the root object was used.
  void Finish();
  // Sees (and may change) every file link as it is read.
  void SetFileLinkHook(std::function<void(LinkKey&)> hook) { linkHook_ = std::move(hook); }
  void FileLinkRead(LinkKey& key) override {
    if (linkHook_) linkHook_(key);
  }

  bool IsReading() const override { return true; }
  bool StoresVersions() const override { return false; }
  GLIMMER_ARCHIVE_VALUES_OVERRIDE
  int32_t Version(std::string_view, int32_t current) override { return current; }
  GLIMMER_ARCHIVE_STRUCTURE_OVERRIDE

 private:
  std::function<void(LinkKey&)> linkHook_;
  struct State;
  std::unique_ptr<State> s_;
};

}  // namespace glimmer
