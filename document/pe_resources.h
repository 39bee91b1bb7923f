#pragma once
// A reader of the resource directory of a Windows PE file (.exe, .scr, .dll),
// for documents stored as resource "DDS" 107 and for resource modules. Every
// offset is checked against the file; a damaged file yields nothing rather
// than a read outside it.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace glimmer {

// A resource type or name: a numeric id or a string (compared without case).
using ResourceName = std::variant<uint16_t, std::u16string>;

inline constexpr uint16_t kRtRcData = 10;
inline constexpr uint16_t kDocumentResourceId = 107;

class PeResources {
 public:
  // Null when `file` is not a PE image with a readable resource directory.
  static std::optional<PeResources> Parse(std::span<const uint8_t> file);
  // True when `file` starts like a PE image ("MZ").
  static bool LooksLikePe(std::span<const uint8_t> file);

  // The bytes of resource (type, name) in its first language, pointing into
  // the file; null when absent or damaged.
  std::optional<std::span<const uint8_t>> Find(const ResourceName& type,
                                               const ResourceName& name) const;

 private:
  PeResources(std::span<const uint8_t> file, std::span<const uint8_t> section, uint32_t rva,
              uint32_t rsrcOffset, uint32_t rsrcSize);

  std::optional<uint32_t> FindEntry(uint32_t dirOffset, const ResourceName& name) const;
  std::optional<std::span<const uint8_t>> RvaToBytes(uint32_t rva, uint32_t size) const;

  std::span<const uint8_t> file_;
  std::span<const uint8_t> sections_;  // the raw section table
  uint32_t rsrcRva_;
  uint32_t rsrcOffset_;  // file offset of the resource directory
  uint32_t rsrcSize_;
};

}  // namespace glimmer
