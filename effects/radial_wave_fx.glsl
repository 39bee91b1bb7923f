// Effect 1006: radial waves. "bg_scale_factor" is (1 ÷ W, 1 ÷ H), "center"
// the centre in slide pixels, "frequency" crests per slide height,
// "amplitude" the push of a crest (x, slide heights) and the damping (y),
// "time" the crests passed (negative runs them inwards). Each point is
// pushed along the line from the centre by the wave there, e^(−damping·r)
// weaker with distance r, and its crests catch a little light.
uniform sampler2D BackgroundSampler;
uniform sampler2D MaskSampler;
uniform vec4 Scale;
uniform vec2 bg_scale_factor;
uniform vec2 center;
uniform float frequency;
uniform vec2 amplitude;
uniform float time;

// The sample point (xy) and the light on the crest (z).
vec3 Waved(vec2 uv) {
  vec2 d = (uv / bg_scale_factor - center) * bg_scale_factor.y;  // slide heights
  float r = length(d);
  float phase = 6.2831853 * (r * frequency - time);
  float a = amplitude.x * exp(-amplitude.y * r) * smoothstep(0.0, 0.5 / max(frequency, 0.1), r);
  vec2 away = r > 0.0 ? d / r : vec2(0.0);
  vec2 push = away * sin(phase) * a;
  return vec3(uv + push * vec2(bg_scale_factor.x / bg_scale_factor.y, 1.0), cos(phase) * a * 6.0);
}

// "Main": the rippled picture over the effect quad, as opaque as the mask.
vec4 Main() {
  vec2 uv = v_tex0.xy;
  vec3 w = Waved(uv);
  return vec4(texture(BackgroundSampler, w.xy).rgb + w.z, texture(MaskSampler, uv).a);
}

// "MainFX": the whole image from the scene copy, rippled inside the mask.
vec4 MainFX() {
  vec2 uv = v_tex0.xy;
  vec3 w = Waved(uv);
  float m = texture(MaskSampler, uv).a;
  return vec4(mix(texture(BackgroundSampler, uv).rgb, texture(BackgroundSampler, w.xy).rgb + w.z, m), 1.0);
}
