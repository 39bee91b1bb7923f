// Fuzz target over composing: any text as a hand-written JSON show. Composing
// refuses it with a message, or writes a document that loads.

#include <cstdint>
#include <cstdlib>
#include <span>

#include "common/error_codes.h"
#include "show/show_composer.h"
#include "show/show_document.h"
#include "store/json_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace glimmer;
  std::vector<uint8_t> document;
  try {
    // A folder that holds nothing: links stay uncarried, no file is read.
    document = ComposeShowText(std::span(data, size), "input", "/nonexistent/glimmer-fuzz");
  } catch (const JsonFormatError&) {
    return 0;
  } catch (const GlimmerError&) {
    return 0;
  }
  try {
    LoadShow(document);
  } catch (const GlimmerError&) {
    std::abort();  // a composed document must load
  }
  return 0;
}
