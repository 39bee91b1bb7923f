// Effect 1005: expansion. "Center" is the centre (xy, fractions of the
// slide), the radius (z, slide heights) and the slide's aspect (w);
// "amplitude" (0..0.95) how much the middle swells. Each point within the
// radius is drawn from nearer the centre, most at the middle and smoothly
// less towards the rim, so the picture bulges out as through a lens.
uniform sampler2D BackgroundSampler;
uniform sampler2D MaskSampler;
uniform vec4 Scale;
uniform vec4 Center;
uniform float amplitude;

vec2 Expanded(vec2 uv) {
  vec2 d = (uv - Center.xy) * vec2(Center.w, 1.0);
  float r = length(d) / max(Center.z, 0.01);
  float fall = 1.0 - smoothstep(0.0, 1.0, r);
  return Center.xy + (uv - Center.xy) * (1.0 - amplitude * fall * fall);
}

// "Main": the swollen picture over the effect quad, as opaque as the mask.
vec4 Main() {
  vec2 uv = v_tex0.xy;
  return vec4(texture(BackgroundSampler, Expanded(uv)).rgb, texture(MaskSampler, uv).a);
}

// "MainFX": the whole image from the scene copy, swollen inside the mask.
vec4 MainFX() {
  vec2 uv = v_tex0.xy;
  float m = texture(MaskSampler, uv).a;
  return vec4(mix(texture(BackgroundSampler, uv).rgb, texture(BackgroundSampler, Expanded(uv)).rgb, m), 1.0);
}
