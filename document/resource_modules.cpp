#include "document/resource_modules.h"

#include <fstream>
#include <map>
#include <memory>

#include "common/wide_string.h"

namespace glimmer {
namespace {

std::vector<std::filesystem::path>& Folders() {
  static std::vector<std::filesystem::path> folders;
  return folders;
}

std::map<std::string, std::unique_ptr<ResourceModule>>& Modules() {
  static std::map<std::string, std::unique_ptr<ResourceModule>> modules;
  return modules;
}

std::string LowerFileName(std::u16string_view path) {
  const size_t slash = path.find_last_of(u"\\/");
  std::string name = ToUtf8(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = char(c + 32);
  }
  return name;
}

// A file in `folder` whose name matches `lowerName` without case.
std::optional<std::filesystem::path> FindInFolder(const std::filesystem::path& folder,
                                                  const std::string& lowerName) {
  std::error_code ec;
  if (lowerName.empty() || !std::filesystem::is_directory(folder, ec)) return std::nullopt;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    std::string name = entry.path().filename().string();
    for (char& c : name) {
      if (c >= 'A' && c <= 'Z') c = char(c + 32);
    }
    if (name == lowerName && entry.is_regular_file(ec)) return entry.path();
  }
  return std::nullopt;
}

}  // namespace

std::unique_ptr<ResourceModule> ResourceModule::Load(std::vector<uint8_t> bytes) {
  std::unique_ptr<ResourceModule> module(new ResourceModule(std::move(bytes)));
  module->pe_ = PeResources::Parse(module->bytes_);
  if (!module->pe_) return nullptr;
  return module;
}

std::span<const uint8_t> ResourceModule::Find(const ResourceName& type, uint16_t id) const {
  auto found = pe_->Find(type, id);
  return found ? *found : std::span<const uint8_t>{};
}

void SetModuleSearchFolders(std::vector<std::filesystem::path> folders) {
  Folders() = std::move(folders);
}
const std::vector<std::filesystem::path>& ModuleSearchFolders() {
  return Folders();
}

const ResourceModule* GetResourceModule(std::u16string_view path) {
  const std::string name = LowerFileName(path);
  if (name.empty()) return nullptr;
  auto& modules = Modules();
  if (auto it = modules.find(name); it != modules.end()) return it->second.get();
  std::unique_ptr<ResourceModule> module;
  for (const auto& folder : Folders()) {
    auto file = FindInFolder(folder, name);
    if (!file) continue;
    auto bytes = ReadResourceFile(*file);
    if (!bytes) continue;
    module = ResourceModule::Load(std::move(*bytes));
    if (module) break;
  }
  // A module that is not found is remembered as absent too.
  return (modules[name] = std::move(module)).get();
}

void ClearResourceModules() {
  Modules().clear();
}

std::optional<std::filesystem::path> LocateFile(std::u16string_view path) {
  if (path.empty()) return std::nullopt;
  std::error_code ec;
  const std::filesystem::path direct(ToUtf8(path));
  if (path.find(u'\\') == std::u16string_view::npos &&
      std::filesystem::is_regular_file(direct, ec)) {
    return direct;
  }
  const std::string name = LowerFileName(path);
  for (const auto& folder : Folders()) {
    if (auto found = FindInFolder(folder, name)) return found;
  }
  return std::nullopt;
}

std::optional<std::vector<uint8_t>> ReadResourceFile(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
  const uintmax_t size = std::filesystem::file_size(file, ec);
  if (ec || size > kMaxResourceFileBytes) return std::nullopt;
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  std::ifstream in(file, std::ios::binary);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!in) return std::nullopt;
  return bytes;
}

}  // namespace glimmer
