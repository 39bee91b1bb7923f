#pragma once
// QVX_DocResManager: turns file links into textures, effects and target sets
// for one render unit, from what the document carries, then a resource
// module the link names, then the player's built-in pictures. Everything it
// makes is cached; a resource none of them supplies gives an empty result
// that owners skip.

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "common/guid.h"
#include "document/file_links.h"
#include "document/mesh_loader.h"
#include "platform/gpu/effect.h"
#include "platform/gpu/gpu_device.h"
#include "platform/gpu/picture_pool.h"
#include "render/render_targets.h"
#include "store/records.h"

namespace glimmer {

// The textures of a picture or animation.
struct TextureSet {
  uint32_t ImageWidth = 0, ImageHeight = 0;      // of the source picture
  uint32_t TextureWidth = 0, TextureHeight = 0;  // of the top level
  float UMax = 0, VMax = 0;                      // texture coordinates the picture covers
  float Aspect = 0;                              // ImageHeight / ImageWidth
  std::vector<TexturePtr> Textures;              // one per frame
  std::vector<float> Delays;                     // one per frame
  bool empty() const { return Textures.empty(); }
};

struct GuidTexture {
  TexturePtr Texture;
  uint32_t Width = 0, Height = 0;
  float Aspect = 0;
};

struct GuidBlob {
  std::u16string Name;
  bool Flag = false;
  NamedBlob Blob;
};

class QVX_DocResManager : public LosableRegistry {
 public:
  QVX_DocResManager() = default;
  QVX_DocResManager(const QVX_DocResManager&) = delete;
  QVX_DocResManager& operator=(const QVX_DocResManager&) = delete;
  virtual ~QVX_DocResManager();

  // Binds the manager to its render unit's device and makes the textures of
  // the pictures and GUID pictures the document carries.
  void Attach(GpuDevice& device);
  // The manager of the render unit being worked for (this thread).
  // The current screen's resource manager (platform/screen_context.h).
  static QVX_DocResManager* Current();
  // This manager as the resources and losable registry of a screen context
  // for `device` and `renderContext`.
  ScreenContext ScreenFor(GpuDevice* device, RenderContext* renderContext);

  // Frames of an image link (filter 1: pixels kept at the top left; -1 or 4:
  // scaled to the texture).
  TextureSet GetFrameTextures(const ZT_FileLink3& link, int32_t filter);
  // The textures of a link's blobs (module resources and files included).
  // A `limit` lets a picture's texture be made smaller than its size
  // (TextureWidth/Height still give the unreduced size); a texture made
  // under a limit is handed out again only for a limit it covers.
  TextureSet GetLinkTextures(const ZT_FileLink3& link, PictureLimit limit = {});
  // Starts decoding the pictures a link's blobs hold on worker threads, so
  // that a later GetLinkTextures with the same limit finds them decoded (or
  // uploaded).
  void PrefetchLinkTextures(const ZT_FileLink3& link, PictureLimit limit = {});
  // Uploads decoded prefetched pictures, at most about `budget` bytes a
  // call, a slice of rows at a time so that no frame stalls; true when
  // nothing prefetched is left to upload.
  bool PumpUploads(size_t budget);
  // The size of the first picture a link's blobs carry, from its header
  // (false when they carry none).
  bool LinkPictureSize(const ZT_FileLink3& link, uint32_t& width, uint32_t& height) const;
  // Whether a link's textures are made (asked for, or prefetched and up).
  bool HasLinkTextures(const ZT_FileLink3& link) const {
    auto it = linkTextures_.find(link.Value());
    return it != linkTextures_.end() && !it->second.empty();
  }
  // Whether the link's pictures were asked for and none decoded (nothing
  // is pending for it any more).
  bool LinkPicturesFailed(const ZT_FileLink3& link) const {
    auto it = linkTextures_.find(link.Value());
    return it != linkTextures_.end() && it->second.empty() && !pending_.count(link.Value());
  }
  // Whether they are made, and fine enough for `limit`: GetLinkTextures
  // then hands them out without waiting.
  bool HasLinkTextures(const ZT_FileLink3& link, PictureLimit limit) const {
    auto it = linkLimits_.find(link.Value());
    return HasLinkTextures(link) && it != linkLimits_.end() && it->second.Covers(limit);
  }
  // Forgets a link's textures and any work pending for them; asked for
  // again, they are decoded again.
  void ReleaseLinkTextures(const ZT_FileLink3& link);
  // The textures of a link whose collection the caller cannot know: the
  // pictures carried as blobs, then the picture archives (with `filter`),
  // then a module or file the link names.
  TextureSet FindTextures(const ZT_FileLink3& link, int32_t filter);
  GuidTexture GetGuidTexture(const Guid& id);
  // The effect of a link: the carried effect file when all of it runs, else
  // the built-in effect for the link's module id, else the techniques of the
  // carried file that translate. When the link gives none, the built-in
  // effect `standIn` of the shared module (the one the kind draws with by
  // default) when given; null otherwise. What stands in is said once on
  // standard error.
  std::shared_ptr<Effect> GetEffect(const ZT_FileLink3& link, uint16_t standIn = 0);
  // The raw bytes of a file a link names (a sound, say): the blobs stored
  // under its key, then the module resource it names, then a file of that
  // name. Empty when none holds any.
  virtual std::vector<uint8_t> FileBytes(const ZT_FileLink3& link);
  // The mesh of a link's .X file (a module's, then the player's own with
  // that id); empty buffers when there is none.
  MeshBuffers GetMesh(const ZT_FileLink3& link);
  // The set under `id`, made 512 × 512 (holding the GUID picture) at first.
  RenderTargetSet& GetTargetSet(const Guid& id);
  // A built-in picture of the player; null when it has none with that id.
  TexturePtr LoadBuiltinTexture(int32_t id, bool mips);
  // Built-in picture 2 with a full mip chain.
  TexturePtr DefaultTexture();

  // Frames for a link the document does not carry; false in the base.
  virtual bool LoadRaw(const ZT_FileLink3& link, std::vector<ImageFrame>& frames);

  // The device walks: every losable in key order, every effect, every set.
  void OnResetDevice();
  void OnLostDevice();

  void AddLosable(const LinkKey& key, QVX_LosableObj* object) override;
  void RemoveLosable(const LinkKey& key) override;

  std::map<LinkKey, std::vector<ResourceBlob>> Blobs;
  std::map<LinkKey, std::vector<float>> FrameDelays;
  std::map<LinkKey, std::vector<ImageFrame>> Frames;
  std::map<Guid, GuidBlob> GuidBlobs;

 protected:
  GpuDevice* device_ = nullptr;

 private:
  struct ModuleTexture {
    TexturePtr Texture;
    uint32_t Width = 0, Height = 0;  // of the picture
  };
  // A link's pictures on their way: one decode per blob (none for a
  // module's picture), each texture made when its upload starts.
  struct PendingPictures {
    std::vector<std::shared_ptr<PictureJob>> jobs;
    std::vector<TexturePtr> textures;
    std::vector<D3DXIMAGE_INFO> infos;
    std::vector<std::pair<uint32_t, uint32_t>> sizes;  // unreduced texture sizes
    PictureLimit limit;
    size_t blob = 0;   // the blob being uploaded
    uint32_t row = 0;  // its next row
  };
  TextureSet BlobTextures(const LinkKey& key, PictureLimit limit);
  // Starts decoding unless the decodes under way serve `limit`.
  void StartDecodes(const std::vector<ResourceBlob>& blobs, PendingPictures& p, PictureLimit limit);
  // Uploads what is decoded within `budget` bytes (waiting for decodes
  // when `wait`); true when every blob is done.
  bool Upload(const std::vector<ResourceBlob>& blobs, PendingPictures& p, size_t& budget,
              bool wait);
  TextureSet MakeSet(const LinkKey& key, const PendingPictures& p) const;
  // A texture for a picture's upload: a let-go one of the same size that
  // nobody holds any more, else a new one.
  TexturePtr PictureTexture(uint32_t width, uint32_t height);
  // A module resource's picture (or the player's own with that id), made once.
  const ModuleTexture& ModulePicture(std::u16string_view module, uint16_t id);

  std::set<LinkKey> pictureKeys_;  // the keys whose blobs are pictures
  std::map<LinkKey, TextureSet> linkTextures_;
  std::map<LinkKey, PictureLimit> linkLimits_;  // what each of linkTextures_ was made under
  std::map<LinkKey, PendingPictures> pending_;
  // Picture textures let go, kept for the next upload of their size: making
  // a texture of megabytes costs a software device a frame's time, and the
  // pictures of a photo show are mostly of one size.
  std::vector<TexturePtr> spareTextures_;
  std::map<LinkKey, TextureSet> frameTextures_;
  std::map<Guid, GuidTexture> guidTextures_;
  std::map<LinkKey, std::shared_ptr<Effect>> effects_;
  std::map<LinkKey, MeshBuffers> meshes_;
  std::map<Guid, std::unique_ptr<RenderTargetSet>> targetSets_;
  std::map<LinkKey, QVX_LosableObj*> losables_;
  std::map<std::pair<std::u16string, uint16_t>, ModuleTexture> moduleTextures_;
  std::map<std::pair<int32_t, bool>, TexturePtr> builtinTextures_;

  friend class ZT_DocResManager;
};

// The frames a module resource or file holds: a ":QVX:" picture archive
// (a damaged one gives none), or else the bytes as one picture.
void FramesFromResource(std::span<const uint8_t> data, std::vector<ImageFrame>& frames);

// The player's own pictures by id (PNG bytes made at build time), empty
// when it has none with that id.
std::span<const uint8_t> BuiltinPicture(int32_t id);
std::vector<int32_t> BuiltinPictureIds();
// The player's own meshes by id (.X text made at build time), empty when it
// has none with that id.
std::span<const uint8_t> BuiltinMesh(int32_t id);

}  // namespace glimmer
