#pragma once
// The readable show format described from the stored forms themselves: each
// stored class with its fields, their JSON types and defaults, and its
// stored version.

#include <cstdint>
#include <span>
#include <string>

namespace glimmer {

// The whole description: the document's top level, then every class of
// every registry, each with the classes nested in it. Lists that are empty by
// default show the shape of their elements from `exampleShow` (a document)
// when it has some.
std::string DescribeShowFormat(std::span<const uint8_t> exampleShow = {});

}  // namespace glimmer
