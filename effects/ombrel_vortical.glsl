// Effect 1013: spiral ripples. "r_matrix3" takes a slide point (x, y, 0, 1)
// to the ellipse's frame (about the centre, square units, turned);
// "ElipsDeform" the ellipse's axes (1, height ÷ width); "r_matrix2" (2 × 2,
// row-vector form) turns the frame's directions back to the screen's;
// "Amplitude" the strength (the push is 0.02 × it); "Shift" how far the
// ripples have wound (negative: clockwise); "Scale" (… 1 ÷ s …) spaces
// them; "Center" is where they meet. Each point is pushed round the centre
// by three spiral arms of ripples, the crests catching a little light.
uniform sampler2D BackgroundSampler;
uniform sampler2D MaskSampler;
uniform vec4 Scale;
uniform vec2 Center;
uniform vec4 r_matrix2;
uniform mat4 r_matrix3;
uniform vec2 ElipsDeform;
uniform float Amplitude;
uniform float Shift;

vec3 Swirl(vec2 uv) {
  vec2 f = (r_matrix3 * vec4(uv, 0.0, 1.0)).xy / max(ElipsDeform, vec2(0.05));
  float r = length(f);
  if (r <= 0.0) return vec3(uv, 0.0);
  float turn = Shift < 0.0 ? -1.0 : 1.0;
  float phase = (r * Scale.y * 12.0 + turn * 3.0 * atan(f.y, f.x) / 6.2831853 - abs(Shift)) * 6.2831853;
  float a = Amplitude * 0.02 * smoothstep(0.0, 0.08, r);
  vec2 round = vec2(-f.y, f.x) / r * turn * sin(phase) * a;
  vec2 screen = vec2(round.x * r_matrix2.x + round.y * r_matrix2.z, round.x * r_matrix2.y + round.y * r_matrix2.w);
  float aspect = Scale.x / max(Scale.y, 1e-4);
  return vec3(uv + screen / vec2(aspect, 1.0), cos(phase) * a * 3.0);
}

// "Main": the swirled picture over the effect quad, as opaque as the mask.
vec4 Main() {
  vec2 uv = v_tex0.xy;
  vec3 w = Swirl(uv);
  return vec4(texture(BackgroundSampler, w.xy).rgb + w.z, texture(MaskSampler, uv).a);
}

// "MainFX": the whole image from the scene copy, swirled inside the mask.
vec4 MainFX() {
  vec2 uv = v_tex0.xy;
  vec3 w = Swirl(uv);
  float m = texture(MaskSampler, uv).a;
  return vec4(mix(texture(BackgroundSampler, uv).rgb, texture(BackgroundSampler, w.xy).rgb + w.z, m), 1.0);
}
