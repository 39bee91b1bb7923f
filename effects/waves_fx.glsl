// Effect 77: waves. A sine of "frequency" crests per unit along
// "direction" (in slide units made square by "Scale"), running with
// "time", displaces each point by "amplitude" along "direction_n" (across
// the crests, or along them when the side is set). "Mask" limits where.
uniform sampler2D BackgroundSampler;
uniform sampler2D MaskSampler;
uniform vec4 Scale;
uniform vec2 direction;
uniform vec2 direction_n;
uniform float frequency;
uniform float amplitude;
uniform float time;

vec2 Wave(vec2 uv) {
  vec2 p = vec2(uv.x * Scale.x, uv.y * Scale.y);
  float phase = (dot(p, direction) * frequency + time) * 6.2831853;
  return direction_n * sin(phase) * amplitude;
}

// "Main": the waved picture over the effect quad, as opaque as the mask.
vec4 Main() {
  vec2 uv = v_tex0.xy;
  return vec4(texture(BackgroundSampler, uv + Wave(uv)).rgb, texture(MaskSampler, uv).a);
}

// "MainFX": the whole image from the scene copy, waved inside the mask.
vec4 MainFX() {
  vec2 uv = v_tex0.xy;
  float m = texture(MaskSampler, uv).a;
  return vec4(texture(BackgroundSampler, uv + Wave(uv) * m).rgb, 1.0);
}
