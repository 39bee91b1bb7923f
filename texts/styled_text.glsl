// The styled text's passes over its quad (v_tex0 0..1 across the text
// resource's pictures, all of TextSize pixels), after texts/text_fill.glsl.

// The glyphs (alpha: coverage), their glow, and the background box.
uniform sampler2D TaxtImgSampler;
uniform sampler2D TextEffectSampler;
// xy: where the glyphs are read from, moved in picture lengths (the shadow).
uniform vec4 Shift;
// The glow's colour; alpha 0 without a glow.
uniform vec4 GlowColor;

// "Background": the box in the background colour.
vec4 Background() {
  return vec4(Color.rgb, Color.a * texture(TaxtImgSampler, v_tex0.xy).a);
}

// "Shadow": the glyphs, moved by Shift, in the shadow colour.
vec4 Shadow() {
  float a = texture(TaxtImgSampler, v_tex0.xy - Shift.xy).a;
  return vec4(Color.rgb, Color.a * a * TextFade());
}

// The glyphs in `fill` over their glow.
vec4 StyledText(vec3 fill) {
  float text = texture(TaxtImgSampler, v_tex0.xy).a * Color.a;
  float glow = texture(TextEffectSampler, v_tex0.xy).a * GlowColor.a;
  float a = text + glow * (1.0 - text);
  vec3 rgb = a > 0.0 ? (fill * text + GlowColor.rgb * glow * (1.0 - text)) / a : fill;
  return vec4(rgb, a * TextFade());
}

// "MainTexFill": the glyphs filled with the fill picture at its own scale.
vec4 MainTexFill() { return StyledText(TextFillPicture()); }

// "MainColorFill": the glyphs in the text colour.
vec4 MainColorFill() { return StyledText(Color.rgb); }
