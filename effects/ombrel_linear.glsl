// Effect 199: straight ripples. "Direction" is the direction the ripples
// run in, its length the strength; "Shift" (0..1, one turn of the clock)
// moves the crests along it; "Scale" (a/s, 1/s, …) makes the slide's
// coordinates square so the crests stay straight and evenly spaced, their
// spacing growing with s. Each point is pushed along the direction by the
// slope of the wave there; "Mask" limits where.
uniform sampler2D BackgroundSampler;
uniform sampler2D MaskSampler;
uniform vec4 Scale;
uniform vec2 Direction;
uniform float Shift;

vec2 Ripple(vec2 uv) {
  float strength = length(Direction);
  if (strength <= 0.0) return vec2(0.0);
  vec2 d = Direction / strength;
  // Screen y grows downwards; the direction's y grows upwards.
  vec2 p = vec2(uv.x * Scale.x, -uv.y * Scale.y);
  float phase = dot(p, d) * 12.0 * 6.2831853 - Shift * 6.2831853;
  return vec2(d.x, -d.y) * sin(phase) * strength * 0.02;
}

// "Main": the rippled picture over the effect quad, as opaque as the mask.
vec4 Main() {
  vec2 uv = v_tex0.xy;
  float m = texture(MaskSampler, uv).a;
  return vec4(texture(BackgroundSampler, uv + Ripple(uv)).rgb, m);
}

// "MainFX": the whole image from the scene copy, rippled inside the mask.
vec4 MainFX() {
  vec2 uv = v_tex0.xy;
  float m = texture(MaskSampler, uv).a;
  return vec4(texture(BackgroundSampler, uv + Ripple(uv) * m).rgb, 1.0);
}
