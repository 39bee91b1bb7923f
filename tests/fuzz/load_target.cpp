// Fuzz target over the whole load path: a file's bytes (document or Windows
// program) through the document reader, then through writing and the JSON
// form, which must reproduce what was read; the effect files a document
// carries (or the input itself, when it is one) through the effect-container
// reader, MojoShader's shader translation and the evaluator of computed
// states.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <vector>

#include "common/error_codes.h"
#include "document/document_source.h"
#include "platform/gpu/carried_effect.h"
#include "platform/gpu/effect_expression.h"
#include "show/show_document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace glimmer;
  auto effect = [](std::span<const uint8_t> bytes) {
    std::string error;
    const CarriedEffect fx = LoadCarriedEffect(bytes, nullptr, &error);
    if (!fx.desc && error.empty()) std::abort();  // a refusal always says why
    // Every expression that parses runs (on parameters of zeros).
    const auto container = ReadEffectContainer(bytes);
    if (!container) return;
    auto run = [](const EffectStateDesc& s) {
      std::string why;
      if (auto e = EffectExpression::Parse(s.expressionData, why)) {
        e->Evaluate([](const std::string&, float* v, int n) { std::fill(v, v + n, 0.0f); });
      } else if (why.empty()) {
        std::abort();
      }
    };
    for (const auto& t : container->techniques)
      for (const auto& p : t.passes)
        for (const auto& s : p.states) run(s);
    for (const auto& p : container->parameters)
      for (const auto& list : p.value.samplers)
        for (const auto& s : list) run(s);
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
