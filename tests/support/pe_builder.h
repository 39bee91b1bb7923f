#pragma once
// Builds small Windows PE images with a resource section, so the PE reader is
// tested on files the tests make themselves.

#include <cstdint>
#include <map>
#include <vector>

#include "document/pe_resources.h"

namespace glimmer::testing {

class PeBuilder {
 public:
  void Add(const ResourceName& type, const ResourceName& name, std::vector<uint8_t> data);
  // A PE32+ image by default, PE32 with `pe32`.
  std::vector<uint8_t> Build(bool pe32 = false) const;

 private:
  std::map<ResourceName, std::map<ResourceName, std::vector<uint8_t>>> resources_;
};

}  // namespace glimmer::testing
