// Effect 1011: stretch. "amplitude" is the line stretched from (xyz:
// k1·x + k2·y + k3 = 0 in fractions of the slide, (k1, k2) of unit
// length) and 1 − 1 ÷ factor (w). A point at distance v from the line
// shows the picture's point v ÷ factor from it, so the picture grows away
// from the line on both sides while the line itself stays put.
uniform sampler2D BackgroundSampler;
uniform sampler2D MaskSampler;
uniform vec4 Scale;
uniform vec4 amplitude;

vec2 Stretched(vec2 uv) {
  float v = dot(amplitude.xy, uv) + amplitude.z;
  return uv - amplitude.xy * v * amplitude.w;
}

// "Main": the stretched picture over the effect quad, as opaque as the mask.
vec4 Main() {
  vec2 uv = v_tex0.xy;
  return vec4(texture(BackgroundSampler, Stretched(uv)).rgb, texture(MaskSampler, uv).a);
}

// "MainFX": the whole image from the scene copy, stretched inside the mask.
vec4 MainFX() {
  vec2 uv = v_tex0.xy;
  float m = texture(MaskSampler, uv).a;
  return vec4(mix(texture(BackgroundSampler, uv).rgb, texture(BackgroundSampler, Stretched(uv)).rgb, m), 1.0);
}
