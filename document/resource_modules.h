#pragma once
// Resource modules ("common_res.dll" and any other a link names): Windows
// PE files looked for beside the document, beside the executable and in
// folders given by an option, matched by file name without case, loaded
// once per process and read as data.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/pe_resources.h"

namespace glimmer {

class ResourceModule {
 public:
  // Null when the bytes are no PE file with resources.
  static std::unique_ptr<ResourceModule> Load(std::vector<uint8_t> bytes);
  // Resource (type, id) of the module; empty when absent.
  std::span<const uint8_t> Find(const ResourceName& type, uint16_t id) const;

 private:
  explicit ResourceModule(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  std::vector<uint8_t> bytes_;
  std::optional<PeResources> pe_;  // reads from bytes_
};

// Folders searched for modules, in order (the document's, the executable's,
// then any added).
void SetModuleSearchFolders(std::vector<std::filesystem::path> folders);
const std::vector<std::filesystem::path>& ModuleSearchFolders();

// The module named by the file-name part of `path`, or null when it is not
// found or is no PE file. Cached by lower-case file name.
const ResourceModule* GetResourceModule(std::u16string_view path);
// Forgets loaded modules (for tests).
void ClearResourceModules();

// The file a document names by path: the path itself when it exists, else
// a file of the same name (compared without case) beside the document.
// Windows paths (drive letters, backslashes) are looked for by file name.
std::optional<std::filesystem::path> LocateFile(std::u16string_view path);
// Reads a located file of at most 256 MiB; nullopt for a directory, a
// device, a larger file or a read failure.
std::optional<std::vector<uint8_t>> ReadResourceFile(const std::filesystem::path& file);

inline constexpr uintmax_t kMaxResourceFileBytes = uintmax_t{256} << 20;

}  // namespace glimmer
