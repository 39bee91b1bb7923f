#include "document/resource_manager.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <tuple>

#include "common/wide_string.h"
#include "document/resource_modules.h"
#include "platform/gpu/builtin_effects.h"
#include "platform/gpu/carried_effect.h"
#include "platform/gpu/texture_loader.h"
#include "platform/image/image_codec.h"
#include "store/stream_reader.h"

namespace glimmer {
namespace {

bool EndsWithDll(const ZT_FileLink3& link) {
  return link.Extension() == u".dll";
}

// A ":QVX:" picture archive: an archive stream holding "IMG" and a frame list.
bool ReadPictureArchive(std::span<const uint8_t> data, std::vector<ImageFrame>& frames) {
  if (data.size() < 5 || std::memcmp(data.data(), ":QVX:", 5) != 0) return false;
  ResourceBuffer buffer(data.subspan(5));
  ZT_IOF_R reader(buffer);
  try {
    std::u16string tag;
    reader.ReadString(tag);
    const size_t n = reader.ReadCount(kMinImageFrameBytes, "picture frames");
    std::vector<ImageFrame> read;
    for (size_t i = 0; i < n; ++i) {
      ImageFrame f;
      int32_t marker = 0;
      reader.ReadLong(marker);
      reader.ReadSizedBytes(f.Data, "a picture frame");
      reader.ReadFloat(f.Delay);
      read.push_back(std::move(f));
    }
    frames = std::move(read);
  } catch (const LoadError&) {
    // A damaged archive gives no frames.
  }
  return true;
}

void ReportMissingEffect(const std::u16string& module, uint16_t id, uint16_t standIn) {
  static std::set<std::tuple<std::u16string, uint16_t, uint16_t>> said;
  if (said.insert({module, id, standIn}).second) {
    std::cerr << "glimmer: no effect replaces " << ToUtf8(module) << " effect " << id << "; "
              << (standIn ? "the kind's built-in effect " + std::to_string(standIn) + " stands in"
                          : std::string("the layers that use it draw nothing"))
              << "\n";
  }
}

}  // namespace

void FramesFromResource(std::span<const uint8_t> data, std::vector<ImageFrame>& frames) {
  if (ReadPictureArchive(data, frames)) return;
  frames.push_back({std::vector<uint8_t>(data.begin(), data.end()), 0.0f});
}

QVX_DocResManager::~QVX_DocResManager() {
  if (device_) OnLostDevice();
  ForgetInScreens(this);
  ForgetInScreens(static_cast<LosableRegistry*>(this));
}

QVX_DocResManager* QVX_DocResManager::Current() {
  return CurrentScreen().resources;
}

ScreenContext QVX_DocResManager::ScreenFor(GpuDevice* device, RenderContext* renderContext) {
  return {.device = device, .renderContext = renderContext, .resources = this, .losables = this};
}

void QVX_DocResManager::Attach(GpuDevice& device) {
  device_ = &device;
  // Pictures are decoded when first asked for (or prefetched), not here: a
  // show of many photos starts with the one it shows first.
  for (const auto& [id, blob] : GuidBlobs) GetGuidTexture(id);
}

const QVX_DocResManager::ModuleTexture& QVX_DocResManager::ModulePicture(std::u16string_view module,
                                                                         uint16_t id) {
  const auto key = std::make_pair(std::u16string(module), id);
  if (auto it = moduleTextures_.find(key); it != moduleTextures_.end()) return it->second;
  std::span<const uint8_t> data;
  if (const ResourceModule* m = GetResourceModule(module))
    data = m->Find(std::u16string(u"DDS"), id);
  if (data.empty()) data = BuiltinPicture(id);  // the player's own resource
  ModuleTexture made;
  if (!data.empty() && device_) {
    D3DXIMAGE_INFO info;
    made.Texture = CreateTextureFromFileInMemoryEx(
        *device_, data, kD3dxDefault, kD3dxDefault, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
        D3DX_FILTER_TRIANGLE, D3DX_FILTER_NONE, 0, &info);
    if (made.Texture) {
      made.Width = info.Width;
      made.Height = info.Height;
    }
  }
  return moduleTextures_[key] = made;
}

TextureSet QVX_DocResManager::BlobTextures(const LinkKey& key, PictureLimit limit) {
  auto it = Blobs.find(key);
  if (it == Blobs.end() || !device_) return {};
  PendingPictures& p = pending_[key];
  StartDecodes(it->second, p, limit);
  linkLimits_[key] = p.limit;
  size_t unlimited = SIZE_MAX;
  Upload(it->second, p, unlimited, true);
  TextureSet set = MakeSet(key, p);
  pending_.erase(key);
  return set;
}

void QVX_DocResManager::StartDecodes(const std::vector<ResourceBlob>& blobs, PendingPictures& p,
                                     PictureLimit limit) {
  if (p.jobs.size() == blobs.size() && p.limit.Covers(limit)) return;
  p = {};
  p.limit = limit;
  p.jobs.resize(blobs.size());
  p.textures.resize(blobs.size());
  p.infos.resize(blobs.size());
  p.sizes.resize(blobs.size());
  for (size_t i = 0; i < blobs.size(); ++i) {
    if (!blobs[i].Data.empty())
      p.jobs[i] =
          DecodeInBackground(blobs[i].Data, kD3dxDefault, kD3dxDefault, D3DX_FILTER_TRIANGLE,
                             device_->MaxTextureSize(), limit.width, limit.height);
  }
}

bool QVX_DocResManager::Upload(const std::vector<ResourceBlob>& blobs, PendingPictures& p,
                               size_t& budget, bool wait) {
  for (; p.blob < blobs.size(); ++p.blob, p.row = 0) {
    const size_t i = p.blob;
    if (!p.jobs[i]) {
      // A module's picture or the player's own, made once and shared.
      const ModuleTexture& picture =
          ModulePicture(blobs[i].Module, static_cast<uint16_t>(blobs[i].ResourceId));
      p.textures[i] = picture.Texture;
      p.infos[i] = {picture.Width, picture.Height, 1};
      if (picture.Texture) p.sizes[i] = {picture.Texture->Width(), picture.Texture->Height()};
      continue;
    }
    if (!wait && !p.jobs[i]->Ready()) return false;
    const std::optional<PreparedPicture>& prepared = p.jobs[i]->Wait();
    if (!prepared) continue;  // a picture that does not decode leaves its slot empty
    const Image& level0 = prepared->level0;
    if (!p.textures[i]) {
      p.textures[i] = PictureTexture(level0.width, level0.height);
      p.infos[i] = prepared->info;
      p.sizes[i] = {prepared->textureWidth, prepared->textureHeight};
      if (!p.textures[i]) continue;
    }
    if (budget == 0) return false;
    const size_t rowBytes = size_t(level0.width) * level0.channels;
    uint32_t rows = level0.height - p.row;
    if (budget != SIZE_MAX)
      rows = std::min<uint32_t>(rows, uint32_t(std::max<size_t>(1, budget / rowBytes)));
    if (!p.textures[i]->UploadRows(0, level0, p.row, rows)) {
      p.textures[i]->UploadImage(0, level0);
      rows = level0.height - p.row;
    }
    p.row += rows;
    if (budget != SIZE_MAX) budget -= std::min(budget, rows * rowBytes);
    if (p.row < level0.height) return false;
  }
  return true;
}

TextureSet QVX_DocResManager::MakeSet(const LinkKey& key, const PendingPictures& p) const {
  TextureSet set;
  for (size_t i = 0; i < p.textures.size(); ++i) {
    if (!p.textures[i]) continue;
    if (set.Textures.empty()) std::tie(set.TextureWidth, set.TextureHeight) = p.sizes[i];
    set.Textures.push_back(p.textures[i]);
    set.ImageWidth = p.infos[i].Width;
    set.ImageHeight = p.infos[i].Height;
  }
  if (set.Textures.empty()) return TextureSet{};
  set.UMax = set.VMax = 1.0f;
  set.Aspect = set.ImageWidth ? float(set.ImageHeight) / float(set.ImageWidth) : 0.0f;
  if (p.textures.size() > 1) {
    if (auto d = FrameDelays.find(key); d != FrameDelays.end()) set.Delays = d->second;
  }
  set.Delays.resize(set.Textures.size(), 0.0f);
  return set;
}

void QVX_DocResManager::PrefetchLinkTextures(const ZT_FileLink3& link, PictureLimit limit) {
  const LinkKey& key = link.Value();
  if (auto it = linkTextures_.find(key);
      it != linkTextures_.end() && !it->second.empty() && linkLimits_[key].Covers(limit))
    return;
  auto blobs = Blobs.find(key);
  if (blobs == Blobs.end() || !device_) return;
  StartDecodes(blobs->second, pending_[key], limit);
}

bool QVX_DocResManager::PumpUploads(size_t budget) {
  for (auto it = pending_.begin(); it != pending_.end();) {
    auto blobs = Blobs.find(it->first);
    if (blobs == Blobs.end()) {
      it = pending_.erase(it);
      continue;
    }
    if (!Upload(blobs->second, it->second, budget, false)) return false;
    linkTextures_[it->first] = MakeSet(it->first, it->second);
    linkLimits_[it->first] = it->second.limit;
    it = pending_.erase(it);
  }
  return true;
}

bool QVX_DocResManager::LinkPictureSize(const ZT_FileLink3& link, uint32_t& width,
                                        uint32_t& height) const {
  auto it = Blobs.find(link.Value());
  if (it == Blobs.end()) return false;
  for (const ResourceBlob& blob : it->second) {
    if (!blob.Data.empty()) return PictureSize(blob.Data, width, height);
  }
  return false;
}

TexturePtr QVX_DocResManager::PictureTexture(uint32_t width, uint32_t height) {
  TexturePtr made;
  for (TexturePtr& spare : spareTextures_) {
    if (spare.use_count() == 1 && spare->Width() == width && spare->Height() == height &&
        spare->Format() == D3DFMT_A8R8G8B8 && spare->Pool() == D3DPOOL_MANAGED) {
      made = std::move(spare);
      break;
    }
  }
  // The spares not taken go: a show's pictures of other sizes are made anew.
  spareTextures_.clear();
  // Every row is uploaded before the texture is drawn: it is not cleared.
  return made ? made
              : device_->CreateTextureToFill(width, height, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED);
}

void QVX_DocResManager::ReleaseLinkTextures(const ZT_FileLink3& link) {
  // At most two kept: the pictures of the slides let go at one switch.
  if (auto it = linkTextures_.find(link.Value()); it != linkTextures_.end()) {
    for (TexturePtr& texture : it->second.Textures) {
      if (texture && texture->Levels() == 1 && spareTextures_.size() < 2)
        spareTextures_.push_back(std::move(texture));
    }
  }
  linkTextures_.erase(link.Value());
  linkLimits_.erase(link.Value());
  pending_.erase(link.Value());
}

TextureSet QVX_DocResManager::GetLinkTextures(const ZT_FileLink3& link, PictureLimit limit) {
  const LinkKey& key = link.Value();
  if (auto it = linkTextures_.find(key);
      it != linkTextures_.end() && !it->second.empty() && linkLimits_[key].Covers(limit))
    return it->second;
  if (Blobs.find(key) == Blobs.end()) {
    ResourceBlob blob;
    if (link.Path().empty() || EndsWithDll(link)) {
      blob.Module = link.Path();
      blob.ResourceId = static_cast<int32_t>(link.ResourceId());
    } else if (auto file = LocateFile(link.Path())) {
      if (auto bytes = ReadResourceFile(*file)) blob.Data = std::move(*bytes);
      blob.Name = link.FileName();
    }
    Blobs[key].push_back(std::move(blob));
  }
  return linkTextures_[key] = BlobTextures(key, limit);
}

TextureSet QVX_DocResManager::FindTextures(const ZT_FileLink3& link, int32_t filter) {
  const LinkKey& key = link.Value();
  if (Blobs.find(key) == Blobs.end()) {
    if (auto it = Frames.find(key); it != Frames.end() && !it->second.empty())
      return GetFrameTextures(link, filter);
  }
  TextureSet set = GetLinkTextures(link);
  return set.empty() ? GetFrameTextures(link, filter) : set;
}

bool QVX_DocResManager::LoadRaw(const ZT_FileLink3&, std::vector<ImageFrame>&) {
  return false;
}

TextureSet QVX_DocResManager::GetFrameTextures(const ZT_FileLink3& link, int32_t filter) {
  const LinkKey& key = link.Value();
  if (auto it = frameTextures_.find(key); it != frameTextures_.end() && !it->second.empty())
    return it->second;
  std::vector<ImageFrame> loaded;
  const std::vector<ImageFrame>* frames = nullptr;
  if (auto it = Frames.find(key); it != Frames.end() && !it->second.empty()) {
    frames = &it->second;
  } else {
    LoadRaw(link, loaded);
    frames = &loaded;
  }
  TextureSet set;
  if (!device_) return set;
  const D3DFORMAT format = link.Extension() == u".gif" ? D3DFMT_DXT1 : D3DFMT_UNKNOWN;
  D3DXIMAGE_INFO info;
  for (const ImageFrame& frame : *frames) {
    D3DXIMAGE_INFO frameInfo;
    TexturePtr t = CreateTextureFromFileInMemoryEx(*device_, frame.Data, kD3dxDefault, kD3dxDefault,
                                                   1, 0, format, D3DPOOL_MANAGED, filter,
                                                   D3DX_FILTER_NONE, 0, &frameInfo);
    if (!t) continue;
    info = frameInfo;
    set.Textures.push_back(std::move(t));
    set.Delays.push_back(frame.Delay);
  }
  if (set.Textures.empty()) return TextureSet{};
  set.ImageWidth = info.Width;
  set.ImageHeight = info.Height;
  set.TextureWidth = set.Textures.front()->Width();
  set.TextureHeight = set.Textures.front()->Height();
  set.UMax = float(set.ImageWidth) / float(set.TextureWidth);
  set.VMax = float(set.ImageHeight) / float(set.TextureHeight);
  set.Aspect = float(set.ImageHeight) / float(set.ImageWidth);
  if (filter != D3DX_FILTER_NONE) set.UMax = set.VMax = 1.0f;
  return frameTextures_[key] = set;
}

GuidTexture QVX_DocResManager::GetGuidTexture(const Guid& id) {
  if (auto it = guidTextures_.find(id); it != guidTextures_.end()) return it->second;
  GuidTexture out;
  auto blob = GuidBlobs.find(id);
  if (blob != GuidBlobs.end() && !blob->second.Blob.Data.empty() && device_) {
    D3DXIMAGE_INFO info;
    out.Texture = CreateTextureFromFileInMemoryEx(
        *device_, blob->second.Blob.Data, kD3dxDefault, kD3dxDefault, 1, 0, D3DFMT_UNKNOWN,
        D3DPOOL_MANAGED, D3DX_FILTER_TRIANGLE, D3DX_FILTER_NONE, 0, &info);
    if (out.Texture) {
      out.Width = info.Width;
      out.Height = info.Height;
      out.Aspect = float(info.Height) / float(info.Width);
    }
  }
  if (device_) guidTextures_[id] = out;
  return out;
}

std::shared_ptr<Effect> QVX_DocResManager::GetEffect(const ZT_FileLink3& link, uint16_t standIn) {
  const ZT_FileLink3 builtin(u"common_res.dll", standIn);
  if (standIn && link.Path().empty()) return GetEffect(builtin);
  const LinkKey& key = link.Value();
  if (auto it = effects_.find(key); it != effects_.end()) {
    if (it->second || !standIn || link.Value() == builtin.Value()) return it->second;
    ReportMissingEffect(link.FileName(), link.ResourceId(), standIn);
    return GetEffect(builtin);
  }
  // The effect file the document carries runs when every technique of it
  // translates; otherwise the player's replacement for that module id.
  std::shared_ptr<Effect> effect;
  bool said = false;  // why the carried effect does not run, and what stands in
  if (device_) {
    const std::vector<uint8_t> bytes = FileBytes(link);
    std::string problem;
    CarriedEffect carried;
    if (LooksLikeEffectFile(bytes)) {
      carried = LoadCarriedEffect(bytes, device_, &problem);
      if (carried.desc && carried.AllTranslated() && !carried.desc->techniques.empty())
        return effects_[key] = std::make_shared<Effect>(*device_, carried.desc);
      if (carried.desc) problem = carried.Summary();
    }
    effect =
        std::shared_ptr<Effect>(CreateBuiltinEffect(*device_, link.FileName(), link.ResourceId()));
    // The techniques that translate run alone only where the kind has no
    // built-in effect of its own to stand in.
    if (!effect && !standIn && carried.desc && !carried.desc->techniques.empty())
      effect = std::make_shared<Effect>(*device_, carried.desc);
    if (!problem.empty()) {
      said = true;
      std::cerr << "glimmer: the carried effect " << ToUtf8(link.FileName()) << " "
                << link.ResourceId() << " does not run as it is (" << problem << "); "
                << (effect && effect->Desc().name != "carried effect"
                        ? "the built-in effect stands in"
                    : effect  ? "its translated techniques run"
                    : standIn ? "the kind's built-in effect stands in"
                              : "nothing stands in")
                << "\n";
    }
  }
  effects_[key] = effect;
  if (effect) return effect;
  const bool isBuiltin = link.Value() == builtin.Value();
  if (!said) ReportMissingEffect(link.FileName(), link.ResourceId(), isBuiltin ? 0 : standIn);
  return standIn && !isBuiltin ? GetEffect(builtin) : effect;
}

std::vector<uint8_t> QVX_DocResManager::FileBytes(const ZT_FileLink3& link) {
  if (auto it = Blobs.find(link.Value()); it != Blobs.end()) {
    for (const ResourceBlob& blob : it->second)
      if (!blob.Data.empty()) return blob.Data;
  }
  if (const ResourceModule* m = GetResourceModule(link.Path())) {
    std::span<const uint8_t> data = m->Find(kRtRcData, link.ResourceId());
    if (!data.empty()) return {data.begin(), data.end()};
  }
  if (auto file = LocateFile(link.Path())) {
    if (auto bytes = ReadResourceFile(*file)) return std::move(*bytes);
  }
  return {};
}

MeshBuffers QVX_DocResManager::GetMesh(const ZT_FileLink3& link) {
  const LinkKey& key = link.Value();
  if (auto it = meshes_.find(key); it != meshes_.end() && !it->second.empty()) return it->second;
  auto& blobs = Blobs[key];
  if (blobs.empty()) {
    // From the module: type "DDS" by id, else RT_RCDATA.
    ResourceBlob blob;
    blob.Module = link.Path();
    blob.ResourceId = link.ResourceId();
    if (const ResourceModule* m = GetResourceModule(link.Path())) {
      std::span<const uint8_t> data = m->Find(std::u16string(u"DDS"), link.ResourceId());
      if (data.empty()) data = m->Find(kRtRcData, link.ResourceId());
      blob.Data.assign(data.begin(), data.end());
    } else if (auto file = LocateFile(link.Path())) {
      if (auto bytes = ReadResourceFile(*file)) blob.Data = std::move(*bytes);
    }
    if (blob.Data.empty() && link.Extension() == u".dll") {
      // A module's mesh falls back to the player's own with that id.
      const std::span<const uint8_t> own = BuiltinMesh(link.ResourceId());
      blob.Data.assign(own.begin(), own.end());
    }
    blobs.push_back(std::move(blob));
  }
  MeshBuffers out;
  if (device_ && !blobs.back().Data.empty())
    out = CreateMeshBuffers(*device_, LoadXMesh(blobs.back().Data));
  return meshes_[key] = out;
}

RenderTargetSet& QVX_DocResManager::GetTargetSet(const Guid& id) {
  if (!device_) throw std::logic_error("target sets need the manager attached to a device");
  auto& slot = targetSets_[id];
  if (!slot) {
    slot = std::make_unique<RenderTargetSet>(*device_);
    slot->CreateFrom(GetGuidTexture(id).Texture, 512, 512);
  }
  return *slot;
}

TexturePtr QVX_DocResManager::LoadBuiltinTexture(int32_t id, bool mips) {
  const auto key = std::make_pair(id, mips);
  if (auto it = builtinTextures_.find(key); it != builtinTextures_.end()) return it->second;
  const std::span<const uint8_t> data = BuiltinPicture(id);
  TexturePtr t;
  if (!data.empty() && device_) {
    t = CreateTextureFromFileInMemoryEx(
        *device_, data, kD3dxDefault, kD3dxDefault, mips ? kD3dxDefault : 1, 0, D3DFMT_UNKNOWN,
        D3DPOOL_MANAGED, D3DX_FILTER_NONE, mips ? D3DX_DEFAULT : D3DX_FILTER_NONE, 0, nullptr);
  }
  return builtinTextures_[key] = t;
}

TexturePtr QVX_DocResManager::DefaultTexture() {
  return LoadBuiltinTexture(2, true);
}

void QVX_DocResManager::AddLosable(const LinkKey& key, QVX_LosableObj* object) {
  losables_[key] = object;
}

void QVX_DocResManager::RemoveLosable(const LinkKey& key) {
  losables_.erase(key);
}

void QVX_DocResManager::OnResetDevice() {
  // A copy: objects may register or leave while they are restored.
  const auto losables = losables_;
  for (const auto& [key, losable] : losables) losable->OnResetDevice();
  for (const auto& [key, effect] : effects_) {
    if (effect) effect->OnResetDevice();
  }
  for (const auto& [id, set] : targetSets_)
    set->CreateFrom(GetGuidTexture(id).Texture, set->Width, set->Height);
}

void QVX_DocResManager::OnLostDevice() {
  const auto losables = losables_;
  for (const auto& [key, losable] : losables) losable->OnLostDevice();
  for (const auto& [key, effect] : effects_) {
    if (effect) effect->OnLostDevice();
  }
  for (const auto& [id, set] : targetSets_) set->Release();
}

}  // namespace glimmer
