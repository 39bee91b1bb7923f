// Effect 1012: round ripples. "Center" is the centre (fractions of the
// slide), "Amplitude" the strength (the push is 0.02 × it), "Shift" (0..1)
// how far the ripples have run, one spacing per unit; "Scale" (a ÷ s,
// 1 ÷ s, …) makes the slide's units square, the spacing growing with s.
// Each point is pushed along the line from the centre by the slope of the
// wave there, more along eight ribs, and its crests catch a little light.
uniform sampler2D BackgroundSampler;
uniform sampler2D MaskSampler;
uniform vec4 Scale;
uniform vec2 Center;
uniform float Amplitude;
uniform float Shift;

vec3 Ripple(vec2 uv) {
  vec2 aspect = vec2(Scale.x / max(Scale.y, 1e-4), 1.0);
  vec2 p = (uv - Center) * Scale.xy;
  float r = length(p);
  if (r <= 0.0) return vec3(uv, 0.0);
  float phase = (r * 12.0 - Shift) * 6.2831853;
  float rib = cos(atan(p.y, p.x) * 4.0);
  float ribs = 0.3 + 0.7 * rib * rib;
  float a = Amplitude * 0.02 * ribs * smoothstep(0.0, 0.1, r);
  vec2 push = (p / r) / aspect * sin(phase) * a;
  return vec3(uv + push, cos(phase) * a * 3.0);
}

// "Main": the rippled picture over the effect quad, as opaque as the mask.
vec4 Main() {
  vec2 uv = v_tex0.xy;
  vec3 w = Ripple(uv);
  return vec4(texture(BackgroundSampler, w.xy).rgb + w.z, texture(MaskSampler, uv).a);
}

// "MainFX": the whole image from the scene copy, rippled inside the mask.
vec4 MainFX() {
  vec2 uv = v_tex0.xy;
  vec3 w = Ripple(uv);
  float m = texture(MaskSampler, uv).a;
  return vec4(mix(texture(BackgroundSampler, uv).rgb, texture(BackgroundSampler, w.xy).rgb + w.z, m), 1.0);
}
