// Effect 1001: a coloured light. "BlendColor" is the light's colour (rgb)
// and how much of the blend shows (a: strength × pulse × visibility);
// "Mask" limits where it shines. Each blend technique returns the blended
// picture with the mask as alpha, drawn over what is there, so it suits
// the effect quad and the whole slide alike.
uniform sampler2D BackgroundSampler;
uniform sampler2D MaskSampler;
uniform vec4 Scale;
uniform vec4 BlendColor;

vec4 Lit(vec3 blended) {
  vec2 uv = v_tex0.xy;
  vec3 base = texture(BackgroundSampler, uv).rgb;
  float m = texture(MaskSampler, uv).a;
  return vec4(mix(base, clamp(blended, 0.0, 1.0), clamp(BlendColor.a, 0.0, 1.0)), m);
}

vec3 Base() { return texture(BackgroundSampler, v_tex0.xy).rgb; }

// "Blend_Normal": the light's colour laid over the picture.
vec4 Blend_Normal() { return Lit(BlendColor.rgb); }

// "Blend_Screen": 1 − (1 − picture)(1 − colour): brightens, never darkens.
vec4 Blend_Screen() { return Lit(1.0 - (1.0 - Base()) * (1.0 - BlendColor.rgb)); }

// "Blend_ColorDodge": picture ÷ (1 − colour): bright parts flare.
vec4 Blend_ColorDodge() { return Lit(Base() / max(1.0 - BlendColor.rgb, vec3(0.02))); }

// "Linear_Dodge": picture + colour.
vec4 Linear_Dodge() { return Lit(Base() + BlendColor.rgb); }

// "Blend_Sum": picture + 2 (colour − ½): the colour's distance from mid grey
// brightens or darkens each channel.
vec4 Blend_Sum() { return Lit(Base() + 2.0 * (BlendColor.rgb - 0.5)); }

// "Main": the normal blend over the effect quad, as opaque as the mask.
vec4 Main() { return Blend_Normal(); }

// "MainFX": the whole image from the scene copy, lit inside the mask.
vec4 MainFX() {
  vec4 lit = Blend_Normal();
  return vec4(mix(Base(), lit.rgb, lit.a), 1.0);
}
