// The resource manager: pictures and frames from the document, module
// resources, files by path, the built-in pictures, effects and target sets.

#include <filesystem>
#include <fstream>

#include "document/doc_res_manager.h"
#include "document/resource_modules.h"
#include "platform/gpu/d3d_types.h"
#include "store/binary_archive.h"
#include "store/stream_writer.h"
#include "tests/platform/gpu/gpu_test_support.h"
#include "tests/support/effect_writer.h"
#include "tests/support/pe_builder.h"
#include "tests/support/test_documents.h"

namespace glimmer::testing {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Png(uint32_t w, uint32_t h, uint8_t red = 200) {
  Image img{w, h, std::vector<uint8_t>(size_t(w) * h * 4, 255)};
  for (size_t i = 0; i < img.rgba.size(); i += 4) img.rgba[i] = red;
  return EncodePng(img);
}

void WriteFile(const fs::path& p, const std::vector<uint8_t>& bytes) {
  std::ofstream out(p, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
}

class ResourceManagerTest : public GpuTest {
 protected:
  void SetUp() override {
    GpuTest::SetUp();
    folder_ = fs::temp_directory_path() /
              ("glimmer_res_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    SetModuleSearchFolders({folder_});
    ClearResourceModules();
  }
  void TearDown() override {
    SetModuleSearchFolders({});
    ClearResourceModules();
    fs::remove_all(folder_);
  }
  // A manager read from a document holding `build`'s collections.
  std::unique_ptr<ZT_DocResManager> Manager(void (*build)(ZT_DocResManager&)) {
    ZT_DocResManager stored;
    build(stored);
    return ReadBackManager(stored, *device_);
  }
  fs::path folder_;
};

TEST_F(ResourceManagerTest, FrameExtentsWithAndWithoutFilter) {
  auto m = Manager([](ZT_DocResManager& r) {
    r.FrameEntries.push_back({{u"C:\\pictures\\wide.png", 7}, {{Png(300, 200), 0.0f}}});
  });
  const ZT_ImageFileLink link(LinkKey{u"C:\\pictures\\wide.png", 7});
  const TextureSet kept = m->GetFrameTextures(link, D3DX_FILTER_NONE);
  ASSERT_EQ(kept.Textures.size(), 1u);
  EXPECT_EQ(kept.TextureWidth, 512u);
  EXPECT_EQ(kept.TextureHeight, 256u);
  EXPECT_EQ(kept.UMax, 0.5859375f);
  EXPECT_EQ(kept.VMax, 0.78125f);
  EXPECT_NEAR(kept.Aspect, 0.6667f, 1e-4);
  auto scaled = Manager([](ZT_DocResManager& r) {
    r.FrameEntries.push_back({{u"wide.png", 7}, {{Png(300, 200), 0.0f}}});
  });
  const TextureSet s =
      scaled->GetFrameTextures(ZT_ImageFileLink(LinkKey{u"wide.png", 7}), D3DX_DEFAULT);
  EXPECT_EQ(s.UMax, 1.0f);
  EXPECT_EQ(s.VMax, 1.0f);
}

TEST_F(ResourceManagerTest, KeysAreThePathAndTheStamp) {
  auto m = Manager([](ZT_DocResManager& r) {
    r.PictureBlobs.push_back({{u"a.png", 1}, {{0, u"", Png(4, 4, 10), u"a.png"}}});
    r.PictureBlobs.push_back({{u"a.png", 2}, {{0, u"", Png(4, 4, 90), u"a.png"}}});
  });
  const TextureSet one = m->GetLinkTextures(ZT_FileLink3(LinkKey{u"a.png", 1}));
  const TextureSet again = m->GetLinkTextures(ZT_FileLink3(LinkKey{u"a.png", 1}));
  const TextureSet two = m->GetLinkTextures(ZT_FileLink3(LinkKey{u"a.png", 2}));
  ASSERT_FALSE(one.empty());
  ASSERT_FALSE(two.empty());
  EXPECT_EQ(one.Textures[0], again.Textures[0]) << "the same key shares one texture";
  EXPECT_NE(one.Textures[0], two.Textures[0]);
  EXPECT_EQ(one.Textures[0]->ReadLevel(0).Pixel(0, 0)[0], 10);
  EXPECT_EQ(two.Textures[0]->ReadLevel(0).Pixel(0, 0)[0], 90);
}

// A loaded document holds each embedded file once: the lookup index shares
// the stored record's bytes, and new bytes given to one copy leave the
// others as they were.
TEST_F(ResourceManagerTest, EmbeddedFilesAreHeldOnce) {
  auto m = Manager([](ZT_DocResManager& r) {
    r.PictureBlobs.push_back({{u"a.png", 1}, {{0, u"", Png(4, 4, 10), u"a.png"}}});
    r.FileBlobs.push_back({{u"b.fx", 1}, {{0, u"", {1, 2, 3}, u"b.fx"}}});
    r.FrameEntries.push_back({{u"c.gif", 1}, {{Png(2, 2), 0.1f}}});
  });
  EXPECT_EQ(m->Blobs.at({u"a.png", 1})[0].Data.data(), m->PictureBlobs[0].Blobs[0].Data.data());
  EXPECT_EQ(m->Blobs.at({u"b.fx", 1})[0].Data.data(), m->FileBlobs[0].Blobs[0].Data.data());
  EXPECT_EQ(m->Frames.at({u"c.gif", 1})[0].Data.data(), m->FrameEntries[0].Frames[0].Data.data());
  ResourceBlob copy = m->FileBlobs[0].Blobs[0];
  copy.Data = std::vector<uint8_t>{9};
  EXPECT_EQ(m->FileBlobs[0].Blobs[0].Data, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(m->Blobs.at({u"b.fx", 1})[0].Data, (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(ResourceManagerTest, GifFramesComeOnlyFromTheDocument) {
  WriteFile(folder_ / "birds.gif", Png(8, 8));  // a file of that name on disk is never read
  auto m = Manager([](ZT_DocResManager& r) {
    r.FrameEntries.push_back({{u"carried.gif", 1}, {{Png(8, 8), 0.1f}, {Png(8, 8, 50), 0.2f}}});
  });
  const TextureSet carried = m->GetFrameTextures(ZT_ImageFileLink(LinkKey{u"carried.gif", 1}), 1);
  ASSERT_EQ(carried.Textures.size(), 2u);
  EXPECT_EQ(carried.Textures[0]->Format(), D3DFMT_DXT1);
  EXPECT_EQ(carried.Delays, (std::vector<float>{0.1f, 0.2f}));
  EXPECT_TRUE(m->GetFrameTextures(ZT_ImageFileLink(LinkKey{u"birds.gif", 1}), 1).empty());
}

TEST_F(ResourceManagerTest, FilesByPathAndTheirLimits) {
  WriteFile(folder_ / "Sunset.PNG", Png(16, 8));
  auto m = Manager([](ZT_DocResManager&) {});
  // A Windows path is looked for by its file name beside the document.
  const TextureSet found =
      m->GetFrameTextures(ZT_ImageFileLink(LinkKey{u"D:\\My Shows\\sunset.png", 5}), 1);
  ASSERT_EQ(found.Textures.size(), 1u);
  EXPECT_EQ(found.ImageWidth, 16u);
  EXPECT_TRUE(m->GetFrameTextures(ZT_ImageFileLink(LinkKey{u"C:\\none.png", 5}), 1).empty());
  // Too short, a directory, too large.
  WriteFile(folder_ / "tiny.png", {1, 2, 3});
  EXPECT_TRUE(m->GetFrameTextures(ZT_ImageFileLink(LinkKey{u"tiny.png", 1}), 1).empty());
  fs::create_directories(folder_ / "dir.png");
  EXPECT_FALSE(ReadResourceFile(folder_ / "dir.png"));
  {
    std::ofstream big(folder_ / "huge.png", std::ios::binary);
    big.seekp(std::streamoff(kMaxResourceFileBytes) + 1);
    big.put('x');  // sparse: nothing near that size is written
  }
  EXPECT_FALSE(ReadResourceFile(folder_ / "huge.png"));
  EXPECT_FALSE(ReadResourceFile("/dev/zero"));
}

TEST_F(ResourceManagerTest, ModuleResourcesArchivesAndBuiltinFallback) {
  PeBuilder module;
  module.Add(std::u16string(u"DDS"), uint16_t{42}, Png(32, 16, 77));
  // A ":QVX:" picture archive of two frames.
  ZT_IOF_W archive;
  archive.WriteString(u"IMG");
  archive.WriteInt32(2);
  for (uint8_t red : {11, 22}) {
    archive.WriteLong(1);
    archive.WriteSizedBytes(Png(4, 4, red));
    archive.WriteFloat(0.25f);
  }
  std::vector<uint8_t> qvx = {':', 'Q', 'V', 'X', ':'};
  qvx.insert(qvx.end(), archive.bytes().begin(), archive.bytes().end());
  module.Add(std::u16string(u"DDS"), uint16_t{140}, qvx);
  WriteFile(folder_ / "Common_Res.DLL", module.Build());
  auto m = Manager([](ZT_DocResManager&) {});

  const TextureSet fromModule =
      m->GetLinkTextures(ZT_FileLink3(u"C:\\Windows\\common_res.dll", 42));
  ASSERT_EQ(fromModule.Textures.size(), 1u);
  EXPECT_EQ(fromModule.ImageWidth, 32u);
  EXPECT_EQ(fromModule.Textures[0]->ReadLevel(0).Pixel(0, 0)[0], 77);
  const TextureSet frames = m->GetFrameTextures(ZT_ImageFileLink(u"common_res.dll", 140), 1);
  ASSERT_EQ(frames.Textures.size(), 2u);
  EXPECT_EQ(frames.Delays[1], 0.25f);
  EXPECT_EQ(frames.Textures[1]->ReadLevel(0).Pixel(0, 0)[0], 22);
  // An id the module lacks falls back to the player's own picture.
  const TextureSet builtin = m->GetLinkTextures(ZT_FileLink3(u"common_res.dll", 62));
  ASSERT_EQ(builtin.Textures.size(), 1u);
  EXPECT_EQ(builtin.ImageWidth, 64u);
  EXPECT_TRUE(m->GetLinkTextures(ZT_FileLink3(u"common_res.dll", 9999)).empty());
  // Without any module, the built-in pictures still serve.
  SetModuleSearchFolders({});
  ClearResourceModules();
  EXPECT_EQ(m->GetFrameTextures(ZT_ImageFileLink(u"common_res.dll", 5), 1).ImageWidth, 512u);
}

TEST_F(ResourceManagerTest, DamagedResourcesGiveEmptyResults) {
  auto m = Manager([](ZT_DocResManager& r) {
    r.PictureBlobs.push_back({{u"broken.png", 1}, {{0, u"", {1, 2, 3, 4, 5, 6, 7, 8}, u""}}});
    r.FrameEntries.push_back({{u"broken.jpg", 1}, {{{0xFF, 0xD8, 0xFF, 0, 0, 0, 0}, 0.0f}}});
    GuidBlobEntry empty;
    empty.Id = *Guid::Parse(std::string_view("{00000000-0000-0000-0000-000000000001}"));
    r.GuidEntries.push_back(empty);
  });
  EXPECT_TRUE(m->GetLinkTextures(ZT_FileLink3(LinkKey{u"broken.png", 1})).empty());
  EXPECT_TRUE(m->GetFrameTextures(ZT_ImageFileLink(LinkKey{u"broken.jpg", 1}), 1).empty());
  EXPECT_EQ(
      m->GetGuidTexture(*Guid::Parse(std::string_view("{00000000-0000-0000-0000-000000000001}")))
          .Texture,
      nullptr);
  ZT_NamedFileLinkData grid;
  grid.Images.push_back({u"sheet.png", 1});
  grid.Columns = 0;
  EXPECT_FALSE(grid.HasCells()) << "a sheet without columns has no cells to pick";
}

// Effect 97 as a document might carry it: technique "Carried" draws red
// through a vertex shader; with `untranslatable`, "Blend_Max" computes a
// state by an operation the player does not run and cannot translate.
std::vector<uint8_t> CarriedEffect97(bool untranslatable) {
  EffectFileWriter w;
  w.AddTechnique("Carried");
  w.AddPass("P0");
  w.AddVertexShader(AssembleShader("vs_2_0\ndcl_position v0\nmov oPos, v0\n"));
  w.AddPixelShader(AssembleShader("ps_2_0\ndef c0, 1, 0, 0, 1\nmov oC0, c0\n"));
  if (untranslatable) {
    w.AddTechnique("Blend_Max");
    w.AddPass("P0");
    ExpressionWriter noise;
    noise.Op(0x502, 1, {noise.Literal(1)}, {ExpressionWriter::kOutput, 0});
    w.AddComputedState(0, 0, kFxInt, noise.Build());
  }
  return w.Build();
}

TEST_F(ResourceManagerTest, CarriedEffectRunsWhenItTranslatesElseTheBuiltin) {
  auto translating = Manager([](ZT_DocResManager& r) {
    r.FileBlobs.push_back(
        {{u"common_res.dll", 97}, {{97, u"common_res.dll", CarriedEffect97(false), u""}}});
  });
  const auto carried = translating->GetEffect(ZT_HLSLEffectFile(u"common_res.dll", 97));
  ASSERT_NE(carried, nullptr);
  EXPECT_TRUE(carried->HasTechnique("Carried"));
  EXPECT_FALSE(carried->HasTechnique("Blend_Max")) << "not the built-in";

  auto failing = Manager([](ZT_DocResManager& r) {
    r.FileBlobs.push_back(
        {{u"common_res.dll", 97}, {{97, u"common_res.dll", CarriedEffect97(true), u""}}});
    r.FileBlobs.push_back({{u"mine.dll", 5}, {{5, u"mine.dll", CarriedEffect97(true), u""}}});
  });
  ::testing::internal::CaptureStderr();
  const auto builtin = failing->GetEffect(ZT_HLSLEffectFile(u"common_res.dll", 97));
  const auto partial = failing->GetEffect(ZT_HLSLEffectFile(u"mine.dll", 5));
  const std::string said = ::testing::internal::GetCapturedStderr();
  ASSERT_NE(builtin, nullptr);
  EXPECT_TRUE(builtin->HasTechnique("Blend_Max"));
  EXPECT_FALSE(builtin->HasTechnique("Carried")) << "the built-in stands in";
  EXPECT_NE(said.find("\"Blend_Max\": pass \"P0\": state 0x0 is computed by an expression that is "
                      "not run: the operation 0x502 is not supported"),
            std::string::npos)
      << said;
  EXPECT_NE(said.find("the built-in effect stands in"), std::string::npos) << said;
  // Without a built-in, the techniques that translate run.
  ASSERT_NE(partial, nullptr);
  EXPECT_TRUE(partial->HasTechnique("Carried"));
  EXPECT_NE(said.find("its translated techniques run"), std::string::npos) << said;
}

TEST_F(ResourceManagerTest, EffectsComeFromTheBuiltinReplacements) {
  auto m = Manager([](ZT_DocResManager& r) {
    // Bytes that do not read as an effect file leave the built-in in place.
    r.FileBlobs.push_back(
        {{u"common_res.dll", 202}, {{202, u"common_res.dll", {1, 9, 0xFF, 0xFE}, u""}}});
  });
  const auto blur = m->GetEffect(ZT_HLSLEffectFile(u"common_res.dll", 202));
  ASSERT_NE(blur, nullptr);
  EXPECT_TRUE(blur->HasTechnique("GaussianBlurH"));
  EXPECT_EQ(m->GetEffect(ZT_HLSLEffectFile(u"common_res.dll", 202)), blur) << "cached";
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(m->GetEffect(ZT_HLSLEffectFile(u"common_res.dll", 9999)), nullptr);
  m->GetEffect(ZT_HLSLEffectFile(u"common_res.dll", 9999));
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("common_res.dll effect 9999"), std::string::npos) << said;
  EXPECT_EQ(said.find("effect 9999", said.find("effect 9999") + 1), std::string::npos)
      << "said once";
}

TEST_F(ResourceManagerTest, TheKindsOwnEffectStandsInForALinkThatGivesNone) {
  // The kind draws with built-in effect 202 by default; its document links
  // module ids the player has no effect for, and one carried file of which
  // only some techniques translate.
  auto m = Manager([](ZT_DocResManager& r) {
    r.FileBlobs.push_back({{u"mine.dll", 5}, {{5, u"mine.dll", CarriedEffect97(true), u""}}});
  });
  ::testing::internal::CaptureStderr();
  const auto blur = m->GetEffect(ZT_HLSLEffectFile(u"common_res.dll", 202));
  const auto standing = m->GetEffect(ZT_HLSLEffectFile(u"common_res.dll", 9998), 202);
  const auto again = m->GetEffect(ZT_HLSLEffectFile(u"common_res.dll", 9998), 202);
  const auto partial = m->GetEffect(ZT_HLSLEffectFile(u"mine.dll", 5), 202);
  const auto empty = m->GetEffect(ZT_HLSLEffectFile(), 202);
  const std::string said = ::testing::internal::GetCapturedStderr();
  ASSERT_NE(blur, nullptr);
  EXPECT_EQ(standing, blur);
  EXPECT_EQ(again, blur);
  EXPECT_EQ(partial, blur) << "the kind's whole effect rather than some of the carried one";
  EXPECT_EQ(empty, blur) << "an empty link draws with the kind's own, silently";
  EXPECT_NE(said.find("no effect replaces common_res.dll effect 9998; the kind's built-in effect "
                      "202 stands in"),
            std::string::npos)
      << said;
  EXPECT_EQ(said.find("draw nothing"), std::string::npos) << said;
  EXPECT_EQ(said.find("effect 9998", said.find("effect 9998") + 1), std::string::npos)
      << "said once";
  EXPECT_NE(said.find("mine.dll 5 does not run as it is"), std::string::npos) << said;
  EXPECT_NE(said.find("the kind's built-in effect stands in"), std::string::npos) << said;
}

TEST_F(ResourceManagerTest, MeshesFromTheDocumentAndModules) {
  static const std::string kTriangle =
      "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n";
  PeBuilder module;
  module.Add(kRtRcData, uint16_t{7}, std::vector<uint8_t>(kTriangle.begin(), kTriangle.end()));
  WriteFile(folder_ / "meshes.dll", module.Build());
  auto m = Manager([](ZT_DocResManager& r) {
    r.FileBlobs.push_back(
        {{u"leaf.x", 3},
         {{0, u"", std::vector<uint8_t>(kTriangle.begin(), kTriangle.end()), u""}}});
    r.FileBlobs.push_back({{u"bad.x", 3}, {{0, u"", {1, 2, 3}, u""}}});
  });
  const MeshBuffers carried = m->GetMesh(ZT_MeshFile(LinkKey{u"leaf.x", 3}));
  EXPECT_EQ(carried.VertexCount, 3u);
  EXPECT_EQ(carried.FaceCount, 1u);
  EXPECT_EQ(carried.VertexBuffer->Size(), 3u * 32);
  const MeshBuffers fromModule = m->GetMesh(ZT_MeshFile(u"meshes.dll", 7));
  EXPECT_EQ(fromModule.FaceCount, 1u);
  EXPECT_TRUE(m->GetMesh(ZT_MeshFile(LinkKey{u"bad.x", 3})).empty());
  EXPECT_TRUE(m->GetMesh(ZT_MeshFile(u"meshes.dll", 8)).empty());
}

TEST_F(ResourceManagerTest, TargetSetsAndTheDeviceWalks) {
  const Guid id = *Guid::Parse(std::string_view("{11111111-2222-3333-4444-555555555555}"));
  auto m = Manager([](ZT_DocResManager&) {});
  RenderTargetSet& set = m->GetTargetSet(id);
  EXPECT_EQ(&m->GetTargetSet(id), &set);
  EXPECT_EQ(set.Width, 512u);
  ASSERT_TRUE(set.Create(64, 32));
  const TexturePtr before = set.Current;
  ScreenScope scope(m->ScreenFor(device_, nullptr));
  QVX_BlurSurface blur(*device_);  // registers with the current manager
  blur.SourceWidth = 40;
  blur.SourceHeight = 20;
  m->OnLostDevice();
  EXPECT_EQ(set.Current, nullptr);
  m->OnResetDevice();
  ASSERT_NE(set.Current, nullptr);
  EXPECT_NE(set.Current, before) << "fresh targets at their size";
  EXPECT_EQ(set.Width, 64u);
  EXPECT_EQ(blur.Width, 40u) << "the losable was restored";
}

TEST_F(ResourceManagerTest, BuiltinPicturesAtTheirSizesAndTypes) {
  struct Expect {
    int id;
    uint32_t w, h;
    uint8_t type;
  } table[] = {{2, 512, 512, 3},    {5, 512, 512, 3},  {7, 128, 128, 6},    {8, 128, 64, 6},
               {40, 20, 320, 3},    {54, 10, 10, 6},   {57, 128, 32, 6},    {58, 256, 256, 6},
               {59, 256, 256, 6},   {60, 32, 32, 6},   {61, 32, 32, 6},     {62, 64, 64, 6},
               {63, 128, 32, 6},    {64, 64, 64, 6},   {65, 32, 32, 6},     {66, 64, 64, 6},
               {67, 4, 8, 3},       {68, 128, 32, 6},  {69, 2, 2, 6},       {70, 8, 8, 6},
               {71, 32, 32, 6},     {72, 64, 64, 6},   {74, 32, 32, 3},     {75, 64, 64, 6},
               {76, 64, 64, 6},     {77, 32, 32, 3},   {78, 1, 1, 3},       {95, 256, 64, 6},
               {98, 256, 64, 6},    {184, 256, 64, 6}, {1100, 128, 128, 6}, {1101, 16, 64, 6},
               {1102, 256, 256, 6}, {1103, 8, 8, 6},   {1104, 128, 128, 6}, {1130, 128, 128, 6},
               {1131, 64, 64, 6}};
  EXPECT_EQ(BuiltinPictureIds().size(), std::size(table));
  for (const Expect& e : table) {
    const auto png = BuiltinPicture(e.id);
    ASSERT_GT(png.size(), 26u) << e.id;
    const auto be32 = [&](size_t at) {
      return uint32_t(png[at]) << 24 | uint32_t(png[at + 1]) << 16 | uint32_t(png[at + 2]) << 8 |
             png[at + 3];
    };
    EXPECT_EQ(be32(16), e.w) << e.id;
    EXPECT_EQ(be32(20), e.h) << e.id;
    EXPECT_EQ(png[25], e.type) << e.id;
    EXPECT_TRUE(DecodeImage(png)) << e.id;
  }
  EXPECT_TRUE(BuiltinPicture(3).empty());
  // The loading picture: black, with white letters across the middle.
  const Image loading = *DecodeImage(BuiltinPicture(5));
  EXPECT_EQ(loading.Pixel(10, 10)[0], 0);
  int white = 0;
  for (uint32_t x = 0; x < 512; ++x) {
    for (uint32_t y = 230; y < 280; ++y) white += loading.Pixel(x, y)[0] == 255;
  }
  EXPECT_GT(white, 500);
  auto m = Manager([](ZT_DocResManager&) {});
  const TexturePtr def = m->DefaultTexture();
  ASSERT_NE(def, nullptr);
  EXPECT_EQ(def->Levels(), 10u) << "picture 2 with a full mip chain";
  EXPECT_EQ(m->DefaultTexture(), def);
}

}  // namespace
}  // namespace glimmer::testing
