// Fuzz target over the whole load path: a file's bytes (document or Windows
// program) through the document reader, then through writing and the JSON
// form, which must reproduce what was read; the effect files a document
// carries (or the input itself, when it is one) through the effect-container
// reader and MojoShader's shader translation.

#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <vector>

#include "common/error_codes.h"
#include "document/document_source.h"
#include "platform/gpu/carried_effect.h"
#include "show/show_document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace glimmer;
  auto effect = [](std::span<const uint8_t> bytes) {
    std::string error;
    const CarriedEffect fx = LoadCarriedEffect(bytes, nullptr, &error);
    if (!fx.desc && error.empty()) std::abort();  // a refusal always says why
  };
  const std::span<const uint8_t> input(data, size);
  if (LooksLikeEffectFile(input)) effect(input);
  try {
    const std::vector<uint8_t> doc =
        DocumentFromFile(std::vector<uint8_t>(data, data + size), "input");
    ShowDocument show = LoadShow(doc);
    for (const BlobEntry& e : show.resources->FileBlobs) {
      for (const ResourceBlob& b : e.Blobs)
        if (LooksLikeEffectFile(b.Data)) effect(b.Data);
    }
    // What was read writes at the current versions; that reads back and
    // writes the same bytes again.
    const std::vector<uint8_t> once = SaveShow(show);
    ShowDocument again = LoadShow(once);
    if (SaveShow(again) != once) std::abort();
    // The JSON form reads back to a document with the same JSON form.
    FileBlobStore blobs;
    const Json json = ShowToJson(again, blobs);
    ShowDocument fromJson = ShowFromJson(json, blobs);
    if (ShowToJson(fromJson, blobs) != json) std::abort();
  } catch (const GlimmerError&) {
    // A refused document is the expected outcome for most inputs.
  }
  return 0;
}
