// Writes the fuzz seed corpora: documents made by the writer at several
// stored versions, and one wrapped in a Windows program; and, when a second
// folder is given, the JSON forms of those documents for composing.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>

#include "document/pe_resources.h"
#include "show/show_document.h"
#include "tests/support/effect_writer.h"
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
  {
    // A carried effect file, alone and inside a document.
    t::EffectFileWriter fx;
    fx.AddFloat("Tint", 1, 4, {1, 0.5f, 0.25f, 1});
    fx.AddTexture("Picture");
    fx.AddSampler("PictureSampler", "Picture");
    fx.AddTechnique("Main");
    fx.AddPass("P0");
    fx.AddState(13, 0, 1);
    fx.AddPixelShader(t::AssembleShader(
        "ps_2_0\ndcl t0.xy\ndcl_2d s0\ntexld r0, t0, s0\nmul r0, r0, c0\nmov oC0, r0\n",
        {{"Tint", 0}}, {{"PictureSampler", 0}}));
    const auto bytes = fx.Build();
    Write(dir / "effect.fxo", bytes);
    glimmer::ShowDocument carrying;
    carrying.resources->FileBlobs.push_back(
        {{u"common_res.dll", 97}, {{97, u"common_res.dll", bytes, u""}}});
    Write(dir / "carried-effect.dds", glimmer::SaveShow(carrying));
  }
  {
    // A carried effect with a vertex shader placing by a matrix and a state
    // computed from a parameter.
    t::EffectFileWriter fx;
    fx.AddFloat("WorldViewProj", 4, 4, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    fx.AddFloat("Fade", 1, 1, {0.5f});
    fx.AddTechnique("Placed");
    fx.AddPass("P0");
    t::ExpressionWriter fade;
    fade.Input("Fade", 0);
    fade.Op(0x202, 1, {fade.Literal(0.25), {t::ExpressionWriter::kInput, 0}},
            {t::ExpressionWriter::kTemp, 0});
    fade.Op(0x300, 1, {{t::ExpressionWriter::kTemp, 0}, fade.Literal(2), fade.Literal(5)},
            {t::ExpressionWriter::kOutput, 0});
    fx.AddComputedState(7, 0, glimmer::kFxInt, fade.Build());
    fx.AddVertexShader(t::AssembleShader(
        "vs_2_0\ndcl_position v0\ndcl_texcoord v1\nm4x4 oPos, v0, c0\nmov oT0, v1\n",
        {{"WorldViewProj", 0, 4, 4, true}}));
    fx.AddPixelShader(t::AssembleShader("ps_2_0\ndcl t0\nmov oC0, t0\n"));
    const auto bytes = fx.Build();
    Write(dir / "vertex-effect.fxo", bytes);
    glimmer::ShowDocument carrying;
    carrying.resources->FileBlobs.push_back({{u"mine.dll", 3}, {{3, u"mine.dll", bytes, u""}}});
    Write(dir / "carried-vertex-effect.dds", glimmer::SaveShow(carrying));
  }
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
