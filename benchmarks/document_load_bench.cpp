// Reading and writing show documents.

#include <benchmark/benchmark.h>

#include "show/show_document.h"

namespace {

glimmer::ShowDocument ManyResources(int entries, size_t blobBytes) {
  glimmer::ShowDocument doc;
  for (int i = 0; i < entries; ++i) {
    glimmer::BlobEntry e;
    e.Key = {u"C:\\pictures\\picture" + std::u16string(1, char16_t(u'a' + i % 26)) + u".png",
             static_cast<uint64_t>(i)};
    e.Blobs.push_back({0, u"", std::vector<uint8_t>(blobBytes, uint8_t(i)), u"picture.png"});
    doc.resources->PictureBlobs.push_back(std::move(e));
    doc.resources->DelayEntries.push_back(
        {{u"anim.gif", static_cast<uint64_t>(i)}, {0.1f, 0.2f, 0.3f}});
  }
  return doc;
}

void BM_LoadShow(benchmark::State& state) {
  glimmer::ShowDocument doc = ManyResources(static_cast<int>(state.range(0)), 4096);
  const std::vector<uint8_t> bytes = glimmer::SaveShow(doc);
  for (auto _ : state) {
    glimmer::ShowDocument loaded = glimmer::LoadShow(bytes);
    benchmark::DoNotOptimize(loaded.resources.get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_LoadShow)->Arg(16)->Arg(1024);

void BM_SaveShow(benchmark::State& state) {
  glimmer::ShowDocument doc = ManyResources(static_cast<int>(state.range(0)), 4096);
  size_t size = 0;
  for (auto _ : state) {
    auto bytes = glimmer::SaveShow(doc);
    size = bytes.size();
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}
BENCHMARK(BM_SaveShow)->Arg(1024);

}  // namespace

BENCHMARK_MAIN();
