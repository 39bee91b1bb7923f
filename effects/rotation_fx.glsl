// Effect 1007: rotation. "offset" is the centre (xy, fractions of the
// slide) and the slide's aspect (z); "coord_transf" the 2 × 2 matrix (row
// by row) from a point's offset from the centre on the screen, in square
// units, to the picture's (the turn back, over the zoom); "mix_color" the
// tint (rgb) and how much of the turned picture shows (a). Points that
// fall off the picture read it mirrored, so the turning picture has no
// bare corners.
uniform sampler2D BackgroundSampler;
uniform sampler2D MaskSampler;
uniform vec4 Scale;
uniform vec4 coord_transf;
uniform vec4 offset;
uniform vec4 mix_color;

vec2 Mirrored(vec2 p) { return 1.0 - abs(mod(p, 2.0) - 1.0); }

vec3 Turned(vec2 uv) {
  vec2 aspect = vec2(max(offset.z, 1e-3), 1.0);
  vec2 d = (uv - offset.xy) * aspect;
  vec2 q = vec2(dot(coord_transf.xy, d), dot(coord_transf.zw, d));
  return texture(BackgroundSampler, Mirrored(offset.xy + q / aspect)).rgb * mix_color.rgb;
}

// "Main": the turned picture over the effect quad, as opaque as the mask
// times mix_color's alpha.
vec4 Main() {
  vec2 uv = v_tex0.xy;
  return vec4(Turned(uv), texture(MaskSampler, uv).a * mix_color.a);
}

// "MainFX": the whole image from the scene copy, turned inside the mask.
vec4 MainFX() {
  vec2 uv = v_tex0.xy;
  float m = texture(MaskSampler, uv).a * mix_color.a;
  return vec4(mix(texture(BackgroundSampler, uv).rgb, Turned(uv), m), 1.0);
}
