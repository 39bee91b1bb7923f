#include "tests/support/test_documents.h"

#include "store/binary_archive.h"

namespace glimmer::testing {

std::unique_ptr<ZT_DocResManager> ReadBackManager(const ZT_DocResManager& stored,
                                                  GpuDevice& device) {
  ZT_IOF_W w;
  BinaryOutArchive out(w);
  const_cast<ZT_DocResManager&>(stored).Serialize(out, 4);
  const auto bytes = w.Take();
  ResourceBuffer buffer(bytes);
  ZT_IOF_R reader(buffer);
  BinaryInArchive in(reader);
  auto manager = std::make_unique<ZT_DocResManager>();
  manager->Serialize(in, 4);
  manager->Attach(device);
  return manager;
}

ShowDocument SampleShow() {
  ShowDocument doc;
  for (int i = 0; i < 2; ++i) {
    auto m = std::make_shared<ZT_AudioFile>();
    m->Name = i == 0 ? u"Opening" : u"Rain \u00e9t\u00e9";
    m->Data.Name = i == 0 ? u"opening.mp3" : u"rain.wav";
    m->Data.Data = {uint8_t('I'), uint8_t('D'), uint8_t('3'), uint8_t(i), 0, 0, 7};
    doc.show->music.push_back(m);
  }
  ZT_DocResManager& r = *doc.resources;
  BlobEntry pictures{{u"C:\\shows\\sea.jpg", 1234567890123ull}, {}};
  pictures.Blobs.push_back({0, u"", {0xFF, 0xD8, 0xFF, 1, 2}, u"sea.jpg"});
  pictures.Blobs.push_back({0, u"", {0xFF, 0xD8, 0xFF, 3}, u"sea2.jpg"});
  r.PictureBlobs.push_back(pictures);
  r.PictureBlobs.push_back({{u"common_res.dll", 42}, {{42, u"common_res.dll", {}, u""}}});
  r.DelayEntries.push_back({pictures.Key, {0.1f, 0.25f}});
  r.FileBlobs.push_back(
      {{u"common_res.dll", 97}, {{97, u"common_res.dll", {1, 9, 0xFF, 0xFE}, u""}}});
  GuidBlobEntry g;
  g.Id = *Guid::Parse(std::string_view("{0123ABCD-4567-89EF-0123-456789ABCDEF}"));
  g.Name = u"mask";
  g.Flag = true;
  g.Blob = {u"mask.png", {0x89, 'P', 'N', 'G'}};
  r.GuidEntries.push_back(g);
  r.FrameEntries.push_back(
      {{u"birds.gif", 99}, {{{'G', 'I', 'F', '8'}, 0.04f}, {{'G', 'I', 'F', '8', 1}, 0.08f}}});
  return doc;
}

std::vector<uint8_t> SampleShowBytes() {
  ShowDocument doc = SampleShow();
  return SaveShow(doc);
}

void WriteEmptyResources(ZT_IOF_W& w, int32_t version) {
  w.WriteHeader(u"ZT_DocResManager", version);
  const int collections = version >= 4 ? 5 : version == 3 ? 4 : version == 2 ? 3 : 2;
  for (int i = 0; i < collections; ++i) w.WriteInt32(0);
}

std::vector<uint8_t> DocumentWithSlide(std::u16string_view className,
                                       const std::vector<uint8_t>& tail) {
  ZT_IOF_W w;
  w.WriteString(u"YRB v 4.0.0");
  w.WriteHeader(u"ZT_SlideShow_Light", 1);
  w.WriteInt32(1);
  w.WriteHeader(className, 6);
  w.WriteBytes(tail);
  w.WriteInt32(0);
  WriteEmptyResources(w);
  return w.Take();
}

std::vector<uint8_t> DocumentWithLayer(std::u16string_view layerClass) {
  ZT_IOF_W w;
  w.WriteString(u"YRB v 4.0.0");
  w.WriteHeader(u"ZT_SlideShow_Light", 1);
  w.WriteInt32(1);
  w.WriteHeader(u"ZT_SlideContainer", 6);
  w.WriteLong(0);
  for (float f : {1.0f, 1.0f, 10.0f}) w.WriteFloat(f);
  w.WriteLong(0);
  w.WriteString(u"Slide 0");
  w.WriteHeader(u"ZT_2D_Light", 1);
  w.WriteInt32(1);
  w.WriteHeader(layerClass, 1);
  return w.Take();
}

}  // namespace glimmer::testing
