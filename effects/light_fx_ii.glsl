// Effect 1001: a coloured light. "BlendColor" is the light's colour (rgb)
// and how much of the blend shows (a: strength × pulse × visibility);
// "Mask" limits where it shines. Each blend technique returns the blended
// picture: over the effect quad with the mask as alpha, drawn over what is
// there; for the whole image, mixed with the picture by the mask, opaque.
uniform sampler2D BackgroundSampler;
uniform sampler2D MaskSampler;
uniform vec4 Scale;
uniform vec4 BlendColor;
// 1 where the technique draws the whole image from the scene copy (technique
// modes 1 and 2), which replaces the target: the mask is then applied here
// and the result is opaque. 0 over the effect quad, where the mask is the
// alpha the result is blended over the target with.
uniform float WholeImage;

vec4 Lit(vec3 blended) {
  vec2 uv = v_tex0.xy;
  vec3 base = texture(BackgroundSampler, uv).rgb;
  float m = texture(MaskSampler, uv).a;
  vec3 lit = mix(base, clamp(blended, 0.0, 1.0), clamp(BlendColor.a, 0.0, 1.0));
  return WholeImage > 0.5 ? vec4(mix(base, lit, m), 1.0) : vec4(lit, m);
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
