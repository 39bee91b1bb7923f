#include "tests/support/pe_builder.h"

#include <string>

namespace glimmer::testing {
namespace {

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

constexpr uint32_t kSectionRva = 0x1000;
constexpr uint32_t kRawOffset = 0x400;

// Named entries come first in a resource directory, then ids.
bool IsNamed(const ResourceName& n) {
  return n.index() == 1;
}

}  // namespace

void PeBuilder::Add(const ResourceName& type, const ResourceName& name, std::vector<uint8_t> data) {
  resources_[type][name] = std::move(data);
}

std::vector<uint8_t> PeBuilder::Build(bool pe32) const {
  // Lay out the resource section: root, type directories, language
  // directories, data entries, name strings, data.
  std::vector<uint8_t> rsrc;
  size_t cursor = 16 + 8 * resources_.size();
  std::map<const void*, size_t> typeDirAt, langDirAt, dataEntryAt, dataAt;
  std::vector<std::pair<const std::u16string*, size_t>> strings;
  for (const auto& [type, names] : resources_) {
    typeDirAt[&names] = cursor;
    cursor += 16 + 8 * names.size();
  }
  for (const auto& [type, names] : resources_) {
    for (const auto& [name, data] : names) {
      langDirAt[&data] = cursor;
      cursor += 16 + 8;
    }
  }
  for (const auto& [type, names] : resources_) {
    for (const auto& [name, data] : names) {
      dataEntryAt[&data] = cursor;
      cursor += 16;
    }
  }
  std::map<const std::u16string*, size_t> stringAt;
  auto placeString = [&](const ResourceName& n) {
    if (const auto* s = std::get_if<std::u16string>(&n)) {
      stringAt[s] = cursor;
      cursor += 2 + 2 * s->size();
    }
  };
  for (const auto& [type, names] : resources_) {
    placeString(type);
    for (const auto& [name, data] : names) placeString(name);
  }
  cursor = (cursor + 3) & ~size_t{3};
  for (const auto& [type, names] : resources_) {
    for (const auto& [name, data] : names) {
      dataAt[&data] = cursor;
      cursor += (data.size() + 3) & ~size_t{3};
    }
  }
  rsrc.assign(cursor, 0);

  auto writeDir = [&](size_t at, const auto& entries, auto targetOf) {
    size_t named = 0, ids = 0;
    for (const auto& [key, value] : entries) (IsNamed(key) ? named : ids)++;
    Put16(rsrc, at + 12, uint32_t(named));
    Put16(rsrc, at + 14, uint32_t(ids));
    size_t i = 0;
    for (int pass = 0; pass < 2; ++pass) {
      for (const auto& [key, value] : entries) {
        if (IsNamed(key) != (pass == 0)) continue;
        const size_t e = at + 16 + 8 * i++;
        if (const auto* s = std::get_if<std::u16string>(&key)) {
          Put32(rsrc, e, 0x80000000u | uint32_t(stringAt.at(s)));
        } else {
          Put32(rsrc, e, std::get<uint16_t>(key));
        }
        Put32(rsrc, e + 4, targetOf(value));
      }
    }
  };
  writeDir(0, resources_,
           [&](const auto& names) { return 0x80000000u | uint32_t(typeDirAt.at(&names)); });
  for (const auto& [type, names] : resources_) {
    writeDir(typeDirAt.at(&names), names,
             [&](const auto& data) { return 0x80000000u | uint32_t(langDirAt.at(&data)); });
    for (const auto& [name, data] : names) {
      const size_t lang = langDirAt.at(&data);
      Put16(rsrc, lang + 14, 1);
      Put32(rsrc, lang + 16, 0x409);
      Put32(rsrc, lang + 20, uint32_t(dataEntryAt.at(&data)));
      const size_t entry = dataEntryAt.at(&data);
      Put32(rsrc, entry, kSectionRva + uint32_t(dataAt.at(&data)));
      Put32(rsrc, entry + 4, uint32_t(data.size()));
      std::copy(data.begin(), data.end(), rsrc.begin() + long(dataAt.at(&data)));
    }
  }
  for (const auto& [s, at] : stringAt) {
    Put16(rsrc, at, uint32_t(s->size()));
    for (size_t k = 0; k < s->size(); ++k) Put16(rsrc, at + 2 + 2 * k, (*s)[k]);
  }

  // Headers: DOS stub, PE signature, COFF header, optional header, one section.
  std::vector<uint8_t> pe(kRawOffset, 0);
  pe[0] = 'M';
  pe[1] = 'Z';
  Put32(pe, 0x3C, 0x40);
  Put32(pe, 0x40, 0x00004550);
  const size_t coff = 0x44;
  const uint32_t optSize = pe32 ? 96 + 16 * 8 : 112 + 16 * 8;
  Put16(pe, coff, pe32 ? 0x14C : 0x8664);
  Put16(pe, coff + 2, 1);
  Put16(pe, coff + 16, optSize);
  Put16(pe, coff + 18, 0x2102);
  const size_t opt = coff + 20;
  Put16(pe, opt, pe32 ? 0x10B : 0x20B);
  const size_t dirCount = opt + (pe32 ? 92 : 108);
  Put32(pe, dirCount, 16);
  Put32(pe, dirCount + 4 + 16, kSectionRva);
  Put32(pe, dirCount + 4 + 20, uint32_t(rsrc.size()));
  const size_t section = opt + optSize;
  const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
  std::copy(name, name + 8, pe.begin() + long(section));
  Put32(pe, section + 8, uint32_t(rsrc.size()));
  Put32(pe, section + 12, kSectionRva);
  Put32(pe, section + 16, uint32_t(rsrc.size()));
  Put32(pe, section + 20, kRawOffset);
  Put32(pe, section + 36, 0x40000040);
  pe.insert(pe.end(), rsrc.begin(), rsrc.end());
  return pe;
}

}  // namespace glimmer::testing
