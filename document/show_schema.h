#pragma once
// The readable show format described from the stored forms themselves: each
// stored class with its fields, their JSON types and defaults, and its
// stored version.

#include <string>

namespace glimmer {

// The whole description: the document's top level, then every class of
// every registry, each with the classes nested in it.
std::string DescribeShowFormat();

}  // namespace glimmer
