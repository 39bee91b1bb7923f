// Effect 76: light. The picture is brightened by "multiplier" (0: as it
// is, 1: twice as bright, screen-blended so it never burns out), most in
// its lighter parts; "Mask" limits where.
uniform sampler2D BackgroundSampler;
uniform sampler2D MaskSampler;
uniform vec4 Scale;
uniform float multiplier;

vec3 Lit(vec3 c) {
  vec3 glow = c * multiplier;
  return 1.0 - (1.0 - c) * (1.0 - clamp(glow, 0.0, 1.0));
}

// "Main": the lit picture over the effect quad, as opaque as the mask.
vec4 Main() {
  vec2 uv = v_tex0.xy;
  return vec4(Lit(texture(BackgroundSampler, uv).rgb), texture(MaskSampler, uv).a);
}

// "MainFX": the whole image from the scene copy, lit inside the mask.
vec4 MainFX() {
  vec2 uv = v_tex0.xy;
  vec3 c = texture(BackgroundSampler, uv).rgb;
  return vec4(mix(c, Lit(c), texture(MaskSampler, uv).a), 1.0);
}
