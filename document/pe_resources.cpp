#include "document/pe_resources.h"

namespace glimmer {
namespace {

bool Read16(std::span<const uint8_t> b, uint64_t off, uint16_t& out) {
  if (off + 2 > b.size()) return false;
  out = static_cast<uint16_t>(b[off] | (b[off + 1] << 8));
  return true;
}

bool Read32(std::span<const uint8_t> b, uint64_t off, uint32_t& out) {
  if (off + 4 > b.size()) return false;
  out = uint32_t{b[off]} | (uint32_t{b[off + 1]} << 8) | (uint32_t{b[off + 2]} << 16) |
        (uint32_t{b[off + 3]} << 24);
  return true;
}

char16_t Upper(char16_t c) {
  return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
}

constexpr uint32_t kSectionHeaderBytes = 40;
constexpr uint32_t kResourceDirectoryIndex = 2;

}  // namespace

bool PeResources::LooksLikePe(std::span<const uint8_t> file) {
  return file.size() >= 2 && file[0] == 'M' && file[1] == 'Z';
}

PeResources::PeResources(std::span<const uint8_t> file, std::span<const uint8_t> sections,
                         uint32_t rva, uint32_t rsrcOffset, uint32_t rsrcSize)
    : file_(file),
      sections_(sections),
      rsrcRva_(rva),
      rsrcOffset_(rsrcOffset),
      rsrcSize_(rsrcSize) {}

std::optional<PeResources> PeResources::Parse(std::span<const uint8_t> file) {
  if (!LooksLikePe(file)) return std::nullopt;
  uint32_t peOffset = 0;
  if (!Read32(file, 0x3C, peOffset)) return std::nullopt;
  uint32_t signature = 0;
  if (!Read32(file, peOffset, signature) || signature != 0x00004550)
    return std::nullopt;  // "PE\0\0"
  const uint64_t coff = uint64_t{peOffset} + 4;
  uint16_t sectionCount = 0, optionalSize = 0, magic = 0;
  if (!Read16(file, coff + 2, sectionCount) || !Read16(file, coff + 16, optionalSize)) {
    return std::nullopt;
  }
  const uint64_t opt = coff + 20;
  if (!Read16(file, opt, magic)) return std::nullopt;
  uint64_t dirCountAt = 0;
  if (magic == 0x10B) {
    dirCountAt = opt + 92;  // PE32
  } else if (magic == 0x20B) {
    dirCountAt = opt + 108;  // PE32+
  } else {
    return std::nullopt;
  }
  uint32_t dirCount = 0;
  if (!Read32(file, dirCountAt, dirCount) || dirCount <= kResourceDirectoryIndex)
    return std::nullopt;
  const uint64_t dirAt = dirCountAt + 4 + 8 * kResourceDirectoryIndex;
  if (dirAt + 8 > opt + optionalSize) return std::nullopt;
  uint32_t rsrcRva = 0, rsrcSize = 0;
  if (!Read32(file, dirAt, rsrcRva) || !Read32(file, dirAt + 4, rsrcSize) || rsrcRva == 0) {
    return std::nullopt;
  }
  const uint64_t sectionsAt = opt + optionalSize;
  const uint64_t sectionsBytes = uint64_t{sectionCount} * kSectionHeaderBytes;
  if (sectionsAt + sectionsBytes > file.size()) return std::nullopt;
  PeResources pe(file, file.subspan(sectionsAt, sectionsBytes), rsrcRva, 0, rsrcSize);
  auto dir = pe.RvaToBytes(rsrcRva, 16);
  if (!dir) return std::nullopt;
  pe.rsrcOffset_ = static_cast<uint32_t>(dir->data() - file.data());
  // Keep the directory within its section's raw data.
  auto whole = pe.RvaToBytes(rsrcRva, rsrcSize);
  if (!whole) {
    // Some linkers round the size up past the raw data; use what the section holds.
    for (uint32_t size = rsrcSize; size > 16 && !whole; size /= 2)
      whole = pe.RvaToBytes(rsrcRva, size);
    if (!whole) return std::nullopt;
  }
  pe.rsrcSize_ = static_cast<uint32_t>(whole->size());
  return pe;
}

std::optional<std::span<const uint8_t>> PeResources::RvaToBytes(uint32_t rva, uint32_t size) const {
  for (size_t i = 0; i + kSectionHeaderBytes <= sections_.size(); i += kSectionHeaderBytes) {
    uint32_t vsize = 0, va = 0, rawSize = 0, rawOffset = 0;
    Read32(sections_, i + 8, vsize);
    Read32(sections_, i + 12, va);
    Read32(sections_, i + 16, rawSize);
    Read32(sections_, i + 20, rawOffset);
    const uint64_t extent = vsize > rawSize ? vsize : rawSize;
    if (rva < va || uint64_t{rva} >= uint64_t{va} + extent) continue;
    const uint64_t within = rva - va;
    if (within + size > rawSize) return std::nullopt;
    const uint64_t off = uint64_t{rawOffset} + within;
    if (off + size > file_.size()) return std::nullopt;
    return file_.subspan(static_cast<size_t>(off), size);
  }
  return std::nullopt;
}

// The OffsetToData of the entry named `name` in the directory at `dirOffset`
// (relative to the resource directory); null when absent.
std::optional<uint32_t> PeResources::FindEntry(uint32_t dirOffset, const ResourceName& name) const {
  const std::span<const uint8_t> rsrc = file_.subspan(rsrcOffset_, rsrcSize_);
  uint16_t named = 0, ids = 0;
  if (!Read16(rsrc, uint64_t{dirOffset} + 12, named) ||
      !Read16(rsrc, uint64_t{dirOffset} + 14, ids)) {
    return std::nullopt;
  }
  const uint32_t total = uint32_t{named} + ids;
  for (uint32_t i = 0; i < total; ++i) {
    const uint64_t entry = uint64_t{dirOffset} + 16 + uint64_t{i} * 8;
    uint32_t nameField = 0, dataField = 0;
    if (!Read32(rsrc, entry, nameField) || !Read32(rsrc, entry + 4, dataField)) return std::nullopt;
    bool match = false;
    if (nameField & 0x80000000u) {
      const auto* wanted = std::get_if<std::u16string>(&name);
      if (!wanted) continue;
      const uint64_t strAt = nameField & 0x7FFFFFFFu;
      uint16_t len = 0;
      if (!Read16(rsrc, strAt, len) || len != wanted->size()) continue;
      if (strAt + 2 + uint64_t{len} * 2 > rsrc.size()) return std::nullopt;
      match = true;
      for (uint16_t k = 0; k < len && match; ++k) {
        uint16_t c = 0;
        Read16(rsrc, strAt + 2 + uint64_t{k} * 2, c);
        match = Upper(static_cast<char16_t>(c)) == Upper((*wanted)[k]);
      }
    } else if (const auto* id = std::get_if<uint16_t>(&name)) {
      match = (nameField & 0xFFFFu) == *id && (nameField >> 16) == 0;
    }
    if (match) return dataField;
  }
  return std::nullopt;
}

std::optional<std::span<const uint8_t>> PeResources::Find(const ResourceName& type,
                                                          const ResourceName& name) const {
  // Three levels: type, name, language. Each level must be a subdirectory
  // except the last, which points at a data entry.
  auto typeDir = FindEntry(0, type);
  if (!typeDir || !(*typeDir & 0x80000000u)) return std::nullopt;
  auto nameDir = FindEntry(*typeDir & 0x7FFFFFFFu, name);
  if (!nameDir || !(*nameDir & 0x80000000u)) return std::nullopt;
  const std::span<const uint8_t> rsrc = file_.subspan(rsrcOffset_, rsrcSize_);
  const uint64_t langDir = *nameDir & 0x7FFFFFFFu;
  uint16_t named = 0, ids = 0;
  if (!Read16(rsrc, langDir + 12, named) || !Read16(rsrc, langDir + 14, ids) || named + ids == 0) {
    return std::nullopt;
  }
  uint32_t dataEntry = 0;
  if (!Read32(rsrc, langDir + 16 + 4, dataEntry) || (dataEntry & 0x80000000u)) return std::nullopt;
  uint32_t dataRva = 0, dataSize = 0;
  if (!Read32(rsrc, dataEntry, dataRva) || !Read32(rsrc, uint64_t{dataEntry} + 4, dataSize)) {
    return std::nullopt;
  }
  return RvaToBytes(dataRva, dataSize);
}

}  // namespace glimmer
