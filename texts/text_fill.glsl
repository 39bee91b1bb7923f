// What the styled text passes share: the transition and the fill picture
// (v_tex0: 0 to 1 across the text's box).

// The fill picture, tiled.
uniform sampler2D FillingSampler;
// The transition's opacity.
uniform float Fade_Alpha;
// (wipe x, wipe y, centre x, centre y): a wipe of w hides what lies further
// than (1 − w) of the half width (or height) from the middle.
uniform vec4 fade_pos;
// The pass's colour, alpha included.
uniform vec4 Color;
// The text box's size in pixels.
uniform vec2 TextSize;
// 1 ÷ fill scale ÷ the fill picture's size, per axis.
uniform vec2 fill_tex_scale;

// The transition at the pixel: the fade's opacity where the wipe shows it,
// 0 where it is wiped.
float TextFade() {
  vec2 fromMiddle = abs(v_tex0.xy * 2.0 - 1.0);
  float x = step(fromMiddle.x, 1.0 - fade_pos.x + 0.0001);
  float y = step(fromMiddle.y, 1.0 - fade_pos.y + 0.0001);
  return Fade_Alpha * x * y;
}

// The fill picture at its own scale, tiled over the box.
vec3 TextFillPicture() { return texture(FillingSampler, v_tex0.xy * TextSize * fill_tex_scale).rgb; }
