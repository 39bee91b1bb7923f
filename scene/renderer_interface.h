#pragma once
// ZT_ABRender: what a layer sees of the slide that draws it. Every draw
// service sets the view, projection and world transforms (the object's
// matrix through the camera and parallax) before it draws; with an effect it
// draws once per pass of the effect's current technique.

#include <cstdint>
#include <string>

#include "render/drawables.h"
#include "render/meshes.h"
#include "render/render_targets.h"

namespace glimmer {

class Effect;

// A pre-transformed textured vertex (x, y in pixels).
using ScreenVertex = DX_V::TL;

class ZT_ABRender : public OffscreenRenderer {
 public:
  virtual ~ZT_ABRender() = default;

  using Mesh = ZT_SimpleMesh<DX_V::PCT>;
  using IndexedMesh = ZT_IndexedMesh<DX_V::PCT>;
  using SpriteArray = ZT_SpriteArrayT<DX_V::PCT>;

  // An indexed mesh through every pass of the effect.
  virtual void DrawIndexedFx(const IndexedMesh& mesh, Effect& effect) = 0;
  // The quads first .. first + count − 1 of a sprite array; without an
  // effect with alpha blending, texture modulated by the vertex colour.
  virtual void DrawSpritesFx(const SpriteArray& sprites, Effect* effect, uint32_t first,
                             uint32_t count) = 0;
  // An indexed mesh with coloured vertices through every pass of the effect.
  virtual void DrawColoredFx(const IndexedMesh& mesh, Effect& effect) = 0;
  // Selects `technique`, then draws at most `triangles` triangles of the mesh.
  virtual void DrawIndexedFxTechnique(const IndexedMesh& mesh, Effect& effect,
                                      const std::string& technique, uint32_t triangles) = 0;
  // Every frame with its own cull mode; transparent objects blended, then
  // every frame again with the opposite cull mode.
  virtual void DrawFrames(FrameDrawable& object) = 0;
  virtual void DrawBlended(BlendedDrawable& object) = 0;
  // Every frame twice with alpha blending: back faces, then front faces.
  virtual void DrawTwoSided(FrameDrawable& object) = 0;
  virtual void DrawStateObject(StateDrawable& object, int arg) = 0;
  // A pre-transformed textured quad with alpha blending and no depth test.
  virtual void DrawScreenQuad(const ScreenVertex quad[4]) = 0;

  // The scene copy protocol: `remaining` pending copies; `keep` when the
  // object draws the whole final image itself.
  virtual void CopyScene(int remaining, bool keep) = 0;
  // The texture holding the scene drawn so far (what sampling layers read).
  virtual TexturePtr* GetSceneTextureSlot() = 0;
  virtual uint32_t GetPictureWidth() const = 0;
  virtual uint32_t GetPictureHeight() const = 0;
  virtual TexturePtr GetPictureTexture() const = 0;
  virtual bool IsCameraRunning() const = 0;
};

}  // namespace glimmer
