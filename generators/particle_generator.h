#pragma once
// The particle generators' stored bases and their one runtime object.
// ZT_ParticleGenerator keeps emitters, a lifetime, rate and speed and its own
// particle list; ZT_TexParticleGenerator adds pictures, an effect, two
// colours and a blend mode, and draws its quads either straight onto the
// slide or through a slide-sized layer target composed over the scene with
// effect 97. ZT_ParticlesObj holds the quad buffers and forwards the frame
// to the generator it owns.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/guid.h"
#include "document/file_links.h"
#include "generators/generator_processes.h"
#include "params/animated_params.h"
#include "params/colour_params.h"
#include "render/meshes.h"
#include "scene/layer_kind.h"

namespace glimmer {

class Effect;
class RenderTargetSet;
class ZT_ABRender;
class ZT_ParticlesObj;

// The shared module's blend effect that holds the generators' passes.
inline constexpr uint16_t kGeneratorBlendEffect = 97;
// The most records (dabs, emitters, particles) one generator keeps; a
// document or a rate asking for more gets this many and one message.
inline constexpr uint32_t kMaxGeneratorRecords = 100'000;

// Reads or writes a list of records in the dab form: a count, then per record
// x, y, z and the parameters as a count of entries; `pairs`: each entry is a
// value for params[i] and one for params[5 + i], else one value for
// params[i]. `legacy`: x, y, z and params[0..4] with no entry count. A record
// with more entries than its parameters hold is left out with a message
// naming `owner`; more than kMaxGeneratorRecords records are cut there.
void SerializeDabList(Archive& ar, std::string_view name, std::vector<GeneratorParticle>& dabs,
                      bool pairs, bool legacy, std::string_view owner);

class ZT_ParticleGenerator : public ZT_ABObj_Constructor {
  GLIMMER_STORED_CLASS(ZT_ParticleGenerator, 3)

 public:
  ZT_ParticleGenerator() = default;
  ZT_ParticleGenerator(const ZT_ParticleGenerator&) = default;

  // From version 2 the emitters; from version 3 lifetime, rate, a third
  // slider, start speed and the emitting switch; then the layer part.
  void Serialize(Archive& ar, int32_t version) override;

  // Draws the quads; the runtime's draw.
  virtual void DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) = 0;
  // The clock, then every emitter's and particle's processes; finished
  // particles leave the list.
  virtual void AdvanceParticles(float t, ZT_ParticlesObj& runtime);
  // Once, when the runtime first has a device and resources.
  virtual void InitRuntime(ZT_ParticlesObj& runtime) = 0;
  virtual bool NeedsSceneCopy() const { return false; }
  // Age, fade and motion for a new particle of `emitter`.
  virtual void AttachProcesses(GeneratorParticle& particle, const GeneratorParticle& emitter);
  // A dab painted at `position` (editing).
  virtual void AddDab(const D3DXVECTOR3& position) { (void)position; }
  void Restart() override;

  // New particles spread along every emitter's movement since the last
  // emission, rate × elapsed time of them (the fraction not yet due carried
  // over; at most a fifth of a second's worth, so a long frame does not burst).
  void Emit(float t);
  // The time line's visibility (1 without a line).
  float Visibility() const;

  std::vector<GeneratorParticle> emitters;
  UINTSclaleTo<float> lifetime{20, 1.0f, 0.0f};  // seconds
  PerSecondCounter emissionRate{30, 1.0f, 0.0f};
  UINTSclaleTo<float> thirdSetting{0, 1.0f, 0.0f};
  UINTSclaleTo<float> startSpeed{0, 1.0f, 0.0f};  // pixels per second
  MediaParamT<int32_t> emitting{0};

  // Not stored.
  MediaSpeedParam clock{50, 0.02f, 0.0f};
  float lastEmission = 0;
  std::vector<GeneratorParticle> particles;

 protected:
  // Applies every record's processes and removes the finished ones.
  static void StepRecords(std::vector<GeneratorParticle>& records, float dt);
  // One message on standard error the first time a cap is reached or a
  // draw is skipped, naming the layer.
  void ReportOnce(const std::string& problem);

 private:
  bool reported_ = false;
};

class ZT_TexParticleGenerator : public ZT_ParticleGenerator {
  GLIMMER_STORED_CLASS(ZT_TexParticleGenerator, 3)

 public:
  // The shared blend effect; colour 1 opaque white, colour 2 opaque black.
  ZT_TexParticleGenerator();
  ZT_TexParticleGenerator(const ZT_TexParticleGenerator&) = default;

  // Pictures, effect, two colours, blend mode, from version 2 the flips,
  // from version 3 the image path; then the generator part.
  void Serialize(Archive& ar, int32_t version) override;
  // Loads the pictures and the effect.
  void InitRuntime(ZT_ParticlesObj& runtime) override;
  // Buffer 0 through "BlendMask" (or straight onto the slide without an
  // effect) with the first picture.
  void DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) override;
  bool NeedsSceneCopy() const override;

  // The quad of a dab: centred on `centre`, w × size by h × size along the
  // axes turned by `angle` radians, coloured by `colour` with its alpha
  // × opacity (every channel clamped to [0, 1]). A non-finite value writes
  // an empty quad.
  static void WriteDabQuad(ZT_ParticlesObj& runtime, size_t buffer, uint32_t index,
                           const D3DXVECTOR3& centre, float w, float h, float size, float angle,
                           const ColorAlphaPair& colour, float opacity);

  // `colour` with its alpha byte × opacity, channels clamped to [0, 1];
  // transparent black for a non-finite opacity.
  static D3DCOLOR QuadColour(const ColorAlphaPair& colour, float opacity);

  std::vector<ZT_ImageFileLink> images;
  ZT_HLSLEffectFile effect;
  ColorAlphaPair colour1, colour2;
  // 0 normal, 1 screen, 2 colour dodge, 3 sum.
  MediaParamT<int32_t> blendMode{0};
  MediaParamT<int32_t> flipVertical{0}, flipHorizontal{0};
  MediaParamT<int32_t> imagePath{0};

  // Not stored: the pictures' first frames (null where one is missing),
  // the first picture's aspect and the loaded effect.
  std::vector<TexturePtr> textures;
  float imageAspect = 1;
  std::shared_ptr<Effect> loadedEffect;
  const Guid& TargetId() const { return targetId_.id; }

 protected:
  // The layer target of the slide's size, made or resized; null without
  // resources or when the device cannot make it.
  RenderTargetSet* LayerTarget(ZT_ABRender& renderer);
  // Draws `buffers` (buffer i with picture textures[i]) into the layer
  // target cleared to `clear` with `technique`, then composes it; without an
  // effect, buffer 0 straight onto the slide.
  void DrawLayer(ZT_ABRender& renderer, ZT_ParticlesObj& runtime, const char* technique,
                 uint32_t clear, const std::vector<TexturePtr>& pictures, size_t buffers);
  // Buffers 0 and 1 into the layer target set's current texture and 2 and 3
  // into its other one with "BlendMask_Max" (buffer i with pictures[i]),
  // then "Main" adds both to the scene copy. Nothing without an effect, a
  // scene copy or a target.
  void DrawTwoTargets(ZT_ABRender& renderer, ZT_ParticlesObj& runtime,
                      const std::vector<TexturePtr>& pictures);
  // The layer target over the scene by the blend mode.
  void Composite(ZT_ABRender& renderer, const TexturePtr& layer, uint32_t clear);
  // The picture `i` (null when missing).
  TexturePtr Picture(size_t i) const { return i < textures.size() ? textures[i] : nullptr; }

 private:
  // A GUID of its own for every copy: each runtime draws into its own target.
  struct FreshId {
    FreshId() = default;
    FreshId(const FreshId&) {}
    FreshId& operator=(const FreshId&) { return *this; }
    Guid id = Guid::Fresh();
  };
  FreshId targetId_;
  uint32_t targetWidth_ = 0, targetHeight_ = 0;
  bool reported_ = false;
};

// The runtime object of every generator: quad buffers, the bounding
// rectangle of every quad, and the generator copy it forwards the frame to.
class ZT_ParticlesObj : public ZT_ABObj {
 public:
  using Buffer = ZT_SpriteArrayT<DX_V::PCT>;
  struct Bounds {
    float left = 0, top = 0, right = 0, bottom = 0;
  };

  explicit ZT_ParticlesObj(std::unique_ptr<ZT_ParticleGenerator> generator);
  ZT_ParticlesObj(const ZT_ParticlesObj&) = delete;
  ZT_ParticlesObj& operator=(const ZT_ParticlesObj&) = delete;

  ZT_ParticleGenerator& Generator() { return static_cast<ZT_ParticleGenerator&>(Constructor()); }
  const ZT_ParticleGenerator& Generator() const {
    return static_cast<const ZT_ParticleGenerator&>(Constructor());
  }

  void Advance(float t) override;
  void Draw(ZT_ABRender& renderer) override;
  // Composites that read the scene take their copy without keeping it.
  void Render(ZT_ABRender& renderer, int pass) override;
  bool NeedsSceneCopy() const override { return IsActive() && Generator().NeedsSceneCopy(); }
  void Restart() override;

  // Buffer storage for n quads (grown only past its capacity, capped at
  // kMaxGeneratorRecords); the drawn count becomes n.
  void ReserveQuads(size_t buffer, uint32_t n);
  bool LockBuffer(size_t buffer);
  // Quad `index` of a locked buffer: corners in the sprite vertex order
  // (K + U, K, K + R + U, K + R) with their texture coordinates (uA, vB),
  // (uA, vA), (uB, vB), (uB, vA), one colour, and its bounding rectangle.
  void SetQuad(size_t buffer, uint32_t index, const D3DXVECTOR3 corners[4], D3DCOLOR colour,
               float uA = 0, float uB = 1, float vA = 0, float vB = 1);
  void UnlockBuffer(size_t buffer);

  size_t BufferCount() const { return buffers_.size(); }
  const Buffer& QuadBuffer(size_t buffer) const { return buffers_[buffer].quads; }
  uint32_t DrawnCount(size_t buffer) const {
    return buffer < buffers_.size() ? buffers_[buffer].drawn : 0;
  }
  const Bounds& QuadBounds(size_t buffer, uint32_t index) const {
    return buffers_[buffer].bounds[index];
  }
  // The vertices of quad `index` as last written (tests, benchmarks).
  const DX_V::PCT* QuadVertices(size_t buffer, uint32_t index) const;
  // Draws `count` quads of a buffer through the renderer.
  void DrawBuffer(ZT_ABRender& renderer, size_t buffer, Effect* effect);

 private:
  struct QuadStore {
    explicit QuadStore(GpuDevice* device) : quads(device) {}
    Buffer quads;
    std::vector<Bounds> bounds;
    uint32_t capacity = 0, drawn = 0;
    DX_V::PCT* locked = nullptr;
  };
  // InitRuntime once a device and resources are there.
  void Init();

  std::vector<QuadStore> buffers_;
  bool initialised_ = false;
  bool capReported_ = false;
};

// The runtime of generator kind Ctor around its own copy of the kind.
template <class Ctor>
class GeneratorLayer : public ZT_ParticlesObj {
 public:
  explicit GeneratorLayer(const Ctor& constructor)
      : ZT_ParticlesObj(std::make_unique<Ctor>(constructor)) {}
  Ctor& settings() { return static_cast<Ctor&>(Generator()); }
};

#define GLIMMER_REGISTER_GENERATOR_KIND(Ctor) \
  GLIMMER_REGISTER_LAYER_KIND(Ctor, ::glimmer::GeneratorLayer<Ctor>)

}  // namespace glimmer
