// Writes the fuzz seed corpora: documents made by the writer at several
// stored versions, and one wrapped in a Windows program; and, when a second
// folder is given, the JSON forms of those documents for composing.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>

#include "document/pe_resources.h"
#include "show/show_document.h"
#include "tests/support/pe_builder.h"
#include "tests/support/test_documents.h"

namespace {

void Write(const std::filesystem::path& p, const std::vector<uint8_t>& bytes) {
  std::ofstream out(p, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::cerr << "usage: glimmer_make_fuzz_seeds DIR [JSON_DIR]\n";
    return 2;
  }
  namespace t = glimmer::testing;
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  const auto sample = t::SampleShowBytes();
  Write(dir / "sample.dds", sample);
  glimmer::ShowDocument empty;
  Write(dir / "empty-show.dds", glimmer::SaveShow(empty));
  for (int32_t v = 1; v <= 4; ++v) {
    glimmer::ZT_IOF_W w;
    w.WriteString(u"YRB v 4.0.0");
    w.WriteHeader(u"ZT_SlideShow_Light", 1);
    w.WriteInt32(0);
    w.WriteInt32(0);
    t::WriteEmptyResources(w, v);
    Write(dir / ("resources-v" + std::to_string(v) + ".dds"), w.Take());
  }
  Write(dir / "slide-container.dds", t::DocumentWithSlide(u"ZT_SlideContainer"));
  Write(dir / "unbuilt-layer.dds", t::DocumentWithLayer(u"ZT_Aurora"));
  t::PeBuilder pe;
  pe.Add(std::u16string(u"DDS"), glimmer::kDocumentResourceId, sample);
  Write(dir / "show.scr", pe.Build());
  if (argc == 3) {
    const std::filesystem::path jsonDir = argv[2];
    std::filesystem::create_directories(jsonDir);
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
      if (e.path().extension() != ".dds") continue;
      std::ifstream in(e.path(), std::ios::binary);
      const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
      try {
        glimmer::FileBlobStore inline64;
        glimmer::ShowDocument doc = glimmer::LoadShow(bytes);
        const std::string text = glimmer::ShowToJson(doc, inline64).dump(1) + "\n";
        Write(jsonDir / (e.path().stem().string() + ".json"),
              std::vector<uint8_t>(text.begin(), text.end()));
      } catch (const std::exception&) {
        // A seed the player refuses has no JSON form.
      }
    }
  }
  return 0;
}
