#pragma once
// Documents for tests, made with the writer.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "show/show_document.h"
#include "store/stream_writer.h"

namespace glimmer::testing {

// A show using every top-level collection: two music entries, pictures with
// frame delays, an effect file, a picture by GUID and animation frames.
ShowDocument SampleShow();
std::vector<uint8_t> SampleShowBytes();

// A manager read from a document holding `stored`'s collections (indexed as
// at load), attached to `device`.
std::unique_ptr<ZT_DocResManager> ReadBackManager(const ZT_DocResManager& stored,
                                                  GpuDevice& device);

// Writes a resource manager header and its collections, all empty, at `version`.
void WriteEmptyResources(ZT_IOF_W& w, int32_t version = 4);

// A document whose root holds one slide introduced by `className`, followed by
// `tail` bytes (nothing is known of the slide's fields).
std::vector<uint8_t> DocumentWithSlide(std::u16string_view className,
                                       const std::vector<uint8_t>& tail = {});

// A document with one version-6 slide container whose first visual layer is
// introduced by `layerClass` (nothing is known of the layer's fields).
std::vector<uint8_t> DocumentWithLayer(std::u16string_view layerClass);

}  // namespace glimmer::testing
