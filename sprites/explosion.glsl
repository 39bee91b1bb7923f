// The explosion's "Main": a fireball across the quad (v_tex0 0..1 each
// way). Each second of motion time a new ball bursts out of the centre,
// swells, burns down through the gradient from white heat to dark smoke and
// tears apart along the noise; the previous one's smoke fades beneath it.

// The fire's colours by heat, from the hottest (u = 0) to cold smoke
// (u = 1); its alpha is the fire's opacity at that heat.
uniform sampler2D GradientSampler;
// Turbulence: the red channel is read as noise, tiled.
uniform sampler2D NoiseSampler;
// The hot colour of the flames (sprite colour, 0..1).
uniform vec3 color1;
// The colour of the cooling smoke (second colour, 0..1).
uniform vec3 color2;
// Offsets into the noise: xy for the previous explosion, zw for the
// current one (each drifted along the drift direction).
uniform vec4 noise_shift;
// x: how much of the ball survives the noise breakup (higher: solid
// longer); y: how far the noise frays the edge; z: the noise's scale.
uniform vec3 noise_params;
// (age of the current explosion in its second, 1 − age).
uniform vec2 time;
// (p, 1 − p), p rising from 0 to 1 while the layer fades out: the fire
// breaks up sooner.
uniform vec2 phase_3rd;
// 2 × (1 − visibility) while the layer fades in, else 0: the fire starts
// cooler.
uniform float phase_1st;
// Which pictures were given (x: gradient, y: noise); missing ones are made
// up here.
uniform vec2 textures_given;

float ExplosionHash(vec2 p) { return fract(sin(dot(p, vec2(127.1, 311.7))) * 43758.5453); }

float ExplosionValueNoise(vec2 p) {
  vec2 i = floor(p), f = fract(p);
  vec2 u = f * f * (3.0 - 2.0 * f);
  return mix(mix(ExplosionHash(i), ExplosionHash(i + vec2(1, 0)), u.x),
             mix(ExplosionHash(i + vec2(0, 1)), ExplosionHash(i + vec2(1, 1)), u.x), u.y);
}

// Turbulent noise in 0..1 at p: the noise picture when there is one.
float ExplosionNoise(vec2 p) {
  if (textures_given.y > 0.5) {
    return 0.6 * texture(NoiseSampler, p * 0.25).r + 0.4 * texture(NoiseSampler, p * 0.5 + 0.37).r;
  }
  float total = 0.0, weight = 0.5;
  for (int i = 0; i < 4; ++i) {
    total += weight * ExplosionValueNoise(p);
    p = p * 2.07 + vec2(3.1, 1.7);
    weight *= 0.5;
  }
  return total / 0.9375;
}

// The gradient at heat position u (0 hottest, 1 coldest): the picture, or
// white heat through the flame colour to smoke.
vec4 ExplosionGradient(float u) {
  u = clamp(u, 0.0, 1.0);
  if (textures_given.x > 0.5) return texture(GradientSampler, vec2(u, 0.5));
  vec3 c = mix(vec3(1.0, 1.0, 0.9), color1, smoothstep(0.0, 0.35, u));
  c = mix(c, color2, smoothstep(0.35, 0.85, u));
  float a = 1.0 - smoothstep(0.7, 1.0, u);
  return vec4(c, a);
}

// One explosion of age `age` (0 at its burst) with noise offset `shift`:
// its colour by heat and its opacity.
vec4 Ball(vec2 p, vec2 shift, float age) {
  float r = length(p);
  float scale = 2.0 + 6.0 * noise_params.z;
  float n = ExplosionNoise(p * scale + shift * 17.0);
  // The ball swells quickly, then slowly; the noise frays its edge.
  float radius = 0.2 + 0.8 * (1.0 - (1.0 - age) * (1.0 - age));
  float edge = radius * (1.0 + noise_params.y * (n - 0.5) * 2.0);
  float inside = 1.0 - smoothstep(edge * 0.8, edge, r);
  // Heat falls off outwards and with age; cooler at the start of a fade-in.
  float heat = (1.0 - r / max(edge, 1e-3)) * (1.0 - age) + 0.15 * (n - 0.5);
  float u = 1.0 - heat + 0.25 * phase_1st;
  // Breakup: late in its life the noise eats holes into the ball, sooner
  // with a larger first noise parameter and while the layer fades out.
  float breakup = age * (0.8 + noise_params.x) + phase_3rd.x;
  float holes = smoothstep(0.0, 0.25, breakup - n - 0.25);
  vec4 g = ExplosionGradient(u);
  return vec4(g.rgb, g.a * inside * (1.0 - holes));
}

vec4 Main() {
  vec2 p = (v_tex0.xy - 0.5) * 2.0;
  vec4 now = Ball(p, noise_shift.zw, time.x);
  // The previous explosion, burnt out: its smoke fades as the new one grows.
  vec4 before = Ball(p, noise_shift.xy, 1.0);
  before.a *= 0.5 * time.y;
  vec3 rgb = mix(before.rgb, now.rgb, now.a);
  float a = now.a + before.a * (1.0 - now.a);
  return vec4(rgb, a * v_color0.a);
}
