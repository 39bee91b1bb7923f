// The styled text's passes over its quad (v_tex0 0..1 across the text
// resource's pictures, all of TextSize pixels).

// The glyphs (alpha: coverage), their glow, and the background box.
uniform sampler2D TaxtImgSampler;
uniform sampler2D TextEffectSampler;
// The fill picture, tiled.
uniform sampler2D FillingSampler;
// The transition's opacity.
uniform float Fade_Alpha;
// (wipe x, wipe y, centre x, centre y): a wipe of w hides what lies further
// than (1 − w) of the half width (or height) from the middle.
uniform vec4 fade_pos;
// xy: where the glyphs are read from, moved in picture lengths (the shadow).
uniform vec4 Shift;
// The pass's colour, alpha included.
uniform vec4 Color;
// The glow's colour; alpha 0 without a glow.
uniform vec4 GlowColor;
// 1 ÷ fill scale ÷ the fill picture's size, per axis.
uniform vec2 fill_tex_scale;
uniform vec2 TextSize;

// The wipe's mask at the pixel: 1 shown, 0 wiped.
float StyledWipe() {
  vec2 fromMiddle = abs(v_tex0.xy * 2.0 - 1.0);
  float x = step(fromMiddle.x, 1.0 - fade_pos.x + 0.0001);
  float y = step(fromMiddle.y, 1.0 - fade_pos.y + 0.0001);
  return x * y;
}

// "Background": the box in the background colour.
vec4 Background() {
  return vec4(Color.rgb, Color.a * texture(TaxtImgSampler, v_tex0.xy).a);
}

// "Shadow": the glyphs, moved by Shift, in the shadow colour.
vec4 Shadow() {
  float a = texture(TaxtImgSampler, v_tex0.xy - Shift.xy).a;
  return vec4(Color.rgb, Color.a * a * Fade_Alpha * StyledWipe());
}

// The glyphs in `fill` over their glow.
vec4 StyledText(vec3 fill) {
  float text = texture(TaxtImgSampler, v_tex0.xy).a * Color.a;
  float glow = texture(TextEffectSampler, v_tex0.xy).a * GlowColor.a;
  float a = text + glow * (1.0 - text);
  vec3 rgb = a > 0.0 ? (fill * text + GlowColor.rgb * glow * (1.0 - text)) / a : fill;
  return vec4(rgb, a * Fade_Alpha * StyledWipe());
}

// "MainTexFill": the glyphs filled with the fill picture at its own scale.
vec4 MainTexFill() {
  return StyledText(texture(FillingSampler, v_tex0.xy * TextSize * fill_tex_scale).rgb);
}

// "MainColorFill": the glyphs in the text colour.
vec4 MainColorFill() { return StyledText(Color.rgb); }
