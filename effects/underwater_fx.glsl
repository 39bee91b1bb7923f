// Effect 88: under water. Inputs: "Background" (the finished slide),
// "frequency" (waves across the picture: x × W ÷ H across, x down), "amplitude"
// (the sway in uv units), "time" (the clock), "Mask". It sways every point of
// the slide by two crossing sine waves, as seen through moving water, and lays
// faint light ripples (caustics) and a blue-green cast over the result.
uniform sampler2D BackgroundSampler;
uniform sampler2D MaskSampler;
uniform vec4 Scale;
uniform vec2 frequency;
uniform float amplitude;
uniform float time;

// The sway at uv, in uv units.
vec2 Sway(vec2 uv) {
  vec2 k = frequency * 6.2831853;
  float t = time * 6.2831853;
  float dx = sin(uv.y * k.y * 1.3 + t * 1.7) + 0.5 * sin((uv.x + uv.y) * k.x + t * 2.3);
  float dy = sin(uv.x * k.x * 1.1 - t * 1.9) + 0.5 * sin((uv.x - uv.y) * k.y + t * 1.3);
  return vec2(dx, dy) * amplitude;
}

// Light ripples: bright where two drifting, self-bent sine ridges meet,
// 0..1 (a few sines: cheap per pixel).
float Caustic(vec2 uv) {
  vec2 p = uv * frequency * 3.7699112;
  float a = sin(p.x + time * 9.0 + sin(p.y * 1.7 + time * 6.0));
  float b = sin(p.y * 1.3 - time * 8.0 + sin(p.x * 1.1 - time * 7.0));
  // The twelfth power by squaring (cheaper than pow on a CPU renderer).
  float c = 1.0 - abs(a - b) * 0.5;
  float c4 = (c * c) * (c * c);
  return c4 * c4 * c4;
}

vec3 UnderWater(vec2 uv) {
  vec3 c = texture(BackgroundSampler, uv + Sway(uv)).rgb;
  c = mix(c, c * vec3(0.75, 0.95, 1.05), 0.6);
  return c + vec3(0.10, 0.16, 0.18) * Caustic(uv);
}

// "Main": the swayed slide over the effect quad, as opaque as the mask.
vec4 Main() {
  vec2 uv = v_tex0.xy;
  return vec4(UnderWater(uv), texture(MaskSampler, uv).a);
}

// "MainFX": the whole image from the scene copy, swayed inside the mask
// (where the mask is full, the unswayed scene is not read).
vec4 MainFX() {
  vec2 uv = v_tex0.xy;
  float m = texture(MaskSampler, uv).a;
  vec3 c = UnderWater(uv);
  if (m < 1.0) c = mix(texture(BackgroundSampler, uv).rgb, c, m);
  return vec4(c, 1.0);
}
