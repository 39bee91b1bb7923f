#pragma once
// Styled text: QVX_Text, the stored part every styled text ends with (its
// string and style), the styling that the 2D and 3D kinds store before it
// (TextStyling), and their runtime QVX_TextObj. The text resource, three
// pictures of the same size, is made at load: the text picture (the one the
// document carries under the text's own link, else the string drawn in its
// style), its glow (widened by the glow group's size) and the background
// (the text box, softly edged). A frame draws the
// background, then, unless the time line is hidden, the shadow and the
// text (filled with a colour or an animated picture), all moved, faded or
// wiped by the time line's transitions.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "document/file_links.h"
#include "params/animated_params.h"
#include "params/geometry_params.h"
#include "params/time_lines.h"
#include "render/meshes.h"
#include "scene/layer_kind.h"
#include "texts/text_picture.h"

namespace glimmer {

class Effect;
class QVX_DocResManager;

// The player's built-in styled-text effect: "Background", "Shadow",
// "MainTexFill" and "MainColorFill".
inline constexpr uint16_t kStyledTextEffectId = 1022;

// One styling group: enabled, colour, transparency and a size in pixels.
struct TextStyleGroup {
  MediaParamT<int32_t> enabled{0};
  SmartCOLORREF colour{0x000000};
  UINTSclaleTo<uint8_t> transparency{0, kTransparencyScale, 255.0f};
  MediaParamT<uint32_t> size{0};
  // (R, G, B, A) ÷ 255 with alpha the transparency's byte.
  D3DXVECTOR4 Colour() const;
};

struct TextStyling {
  TextStyling();

  ZT_HLSLEffectFile effect;
  // The background box (size: its margin round the text), the glow round
  // the glyphs (size: how far it reaches) and the shadow (size: its
  // distance).
  std::array<TextStyleGroup, 3> groups;
  MediaParamT<uint32_t> shadowSoftness{0};  // kept
  MediaDirection shadowDirection{45};
  ZT_NamedFileLink link1;  // the text picture the document carries, if any
  MediaParamT<int32_t> fillEnabled{0};
  ZT_NamedFileLink fillLink;
  UINTSclaleTo<float> fillScale{100, 0.01f, 0.0f};
  MediaSpeedParam speed{100, 0.01f, 0.0f};
  std::array<ColorAlphaPair, 2> colourPairs;  // kept
  std::array<uint32_t, 2> extra{};            // kept
  MediaParamT<int32_t> fadeInType{1}, fadeOutType{1};
  ZT_SafePtr<QVX_Timing> timeLine;

  // The shadow group.
  const TextStyleGroup& Shadow() const { return groups[2]; }
};

// The effect link, `placement` (when given) right after it, then the rest
// of the styling in stored order.
void SerializeStyling(Archive& ar, TextStyling& s, MediaQuad* placement);

class QVX_Text : public ZT_ABObj_Constructor {
  GLIMMER_STORED_CLASS(QVX_Text, 1)

 public:
  // The styling's time line is the layer's.
  QVX_Text();
  QVX_Text(const QVX_Text&) = default;
  // An int32, the text, the style record, two int32, then the layer part.
  // The styling's time line becomes the layer's.
  void Serialize(Archive& ar, int32_t version) override;

  // Where the text quad stands (slide pixels).
  virtual const MediaQuad& Placement() const = 0;

  MediaParamT<int32_t> textKind{0};
  MediaParamT<std::u16string> text;
  TextStyleRecord style;
  MediaParamT<int32_t> extraA{0}, extraB{0};  // kept
  TextStyling styling;
};

// Transition values of a time line's state.
struct TextTransition {
  float alpha = 1;
  float dx = 0, dy = 0;        // pixels
  float wipeX = 0, wipeY = 0;  // 0: all shown, 1: all wiped
};

// The values of fade type 1 to 8 at its far end (the text not yet in, or
// gone); any other type is no fade. `quad` is the placement, `target` the
// render target's size.
TextTransition FadeEnd(int32_t type, float left, float top, float width, float height,
                       float targetWidth, float targetHeight);
// The transition for a state and visibility: shown at visibility 1, the
// fade's end at 0.
TextTransition TransitionFor(TimeLineState state, float visibility, int32_t fadeInType,
                             int32_t fadeOutType, float left, float top, float width, float height,
                             float targetWidth, float targetHeight);

class QVX_TextObj : public ZT_ABObj {
 public:
  explicit QVX_TextObj(std::unique_ptr<QVX_Text> constructor);
  QVX_Text& Text() { return static_cast<QVX_Text&>(Constructor()); }
  const QVX_Text& Text() const { return static_cast<const QVX_Text&>(Constructor()); }

  void Advance(float t) override;
  void Restart() override;
  // The background box, then (unless hidden) the time line's transition
  // and DrawBody.
  void Draw(ZT_ABRender& renderer) override;

  // The text resource's pictures: glyphs, glow, background; null without.
  const std::array<TexturePtr, 3>& Pictures() const { return pictures_; }
  uint32_t PictureWidth() const { return pictureWidth_; }
  uint32_t PictureHeight() const { return pictureHeight_; }

 protected:
  // The placement quad's box in slide pixels.
  struct QuadBox {
    float left, top, width, height;
  };
  // Whether DrawBody has anything to draw.
  virtual bool HasBody() const;
  // The shadow and the text, with the transition `tr` and the effect's
  // common parameters (alpha, pictures, wipe, glow) set.
  virtual void DrawBody(ZT_ABRender& renderer, Effect& e, const TextTransition& tr,
                        const D3DXVECTOR3 corners[4]);
  // Sets "Color" to the text colour and the fill parameters; the technique
  // the text pass takes ("MainTexFill" or "MainColorFill").
  const char* SetMainPass(Effect& e, const D3DXVECTOR4& area) const;
  QuadBox PlacementBox(D3DXVECTOR3 corners[4]);
  void Load();

 private:
  void WriteQuad(const D3DXVECTOR3 corners[4], float dx, float dy);

  bool loaded_ = false;
  std::shared_ptr<Effect> effect_;
  std::array<TexturePtr, 3> pictures_;
  uint32_t pictureWidth_ = 0, pictureHeight_ = 0;
  std::unique_ptr<ZT_IndexedMesh<DX_V::PCT>> quad_;
  // The fill animation: its frames, the current one and the clock.
  std::vector<TexturePtr> fillFrames_;
  std::vector<float> fillDelays_;
  uint32_t fillWidth_ = 0, fillHeight_ = 0;
  size_t fillFrame_ = 0;
  float fillClock_ = 0, previous_ = 0;
};

template <class Ctor>
class StyledTextObj : public QVX_TextObj {
 public:
  explicit StyledTextObj(const Ctor& constructor)
      : QVX_TextObj(std::make_unique<Ctor>(constructor)) {}
};

#define GLIMMER_REGISTER_STYLED_TEXT(Ctor) \
  GLIMMER_REGISTER_LAYER_KIND(Ctor, ::glimmer::StyledTextObj<Ctor>)

}  // namespace glimmer
