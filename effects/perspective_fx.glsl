// Effect 1010: perspective. "amplitude" is the hinge line through the
// centre along the direction (xyz: k1·x + k2·y + k3 = 0 in fractions of
// the slide, (k1, k2) of unit length) and the tilt (w); "p_amplitude" the
// line through the centre across it (xyz) and the shading (w). A point at
// distance v from the hinge and u from the cross line shows the board's
// point (u, v) ÷ (1 − tilt·v): the side the tilt leans away shrinks
// towards a vanishing line and darkens, the other side grows. Beyond the
// vanishing line the board is not seen: the shaded dark shows; past the
// picture's edges it goes on mirrored and dimmed.
uniform sampler2D BackgroundSampler;
uniform sampler2D MaskSampler;
uniform vec4 Scale;
uniform vec4 amplitude;
uniform vec4 p_amplitude;

vec2 Mirrored(vec2 p) { return 1.0 - abs(mod(p, 2.0) - 1.0); }

vec3 Tilted(vec2 uv) {
  float v = dot(amplitude.xy, uv) + amplitude.z;
  float u = dot(p_amplitude.xy, uv) + p_amplitude.z;
  float k = 1.0 - amplitude.w * v;
  float seen = smoothstep(0.02, 0.08, k);
  k = max(k, 0.02);
  vec2 target = vec2(v / k - amplitude.z, u / k - p_amplitude.z);
  float det = amplitude.x * p_amplitude.y - amplitude.y * p_amplitude.x;
  vec2 src = uv;
  if (abs(det) > 1e-4) {
    src = vec2(target.x * p_amplitude.y - target.y * amplitude.y,
               target.y * amplitude.x - target.x * p_amplitude.x) / det;
  }
  float shade = 1.0 - p_amplitude.w * clamp(1.0 - k, 0.0, 1.0);
  // Past the picture's edges the board goes on mirrored, dimmed so that
  // the edge shows.
  vec2 outside = max(-src, src - 1.0);
  float board = 1.0 - 0.4 * smoothstep(0.0, 0.02, max(outside.x, outside.y));
  return texture(BackgroundSampler, Mirrored(src)).rgb * shade * seen * board;
}

// "Main": the tilted picture over the effect quad, as opaque as the mask.
vec4 Main() {
  vec2 uv = v_tex0.xy;
  return vec4(Tilted(uv), texture(MaskSampler, uv).a);
}

// "MainFX": the whole image from the scene copy, tilted inside the mask.
vec4 MainFX() {
  vec2 uv = v_tex0.xy;
  float m = texture(MaskSampler, uv).a;
  return vec4(mix(texture(BackgroundSampler, uv).rgb, Tilted(uv), m), 1.0);
}
