// Effect 1004: a waterfall. Its settings come as textures: "State" (6 × 1
// texels of two values each: the flow's phase and the refraction ÷ 0.05;
// the flow's screen direction; whiteness and foam; columns ÷ 32 and the
// streak length in slide heights; the colour's red and green, its blue) and "Water" (the streak picture, read
// along its width; without one the streaks are noise alone). It lays
// columns of streaks, each at its own pace, along the flow, bends the
// picture behind them, tints them with the water's colour and adds foam
// where the mask ends downstream.
uniform sampler2D BackgroundSampler;
uniform sampler2D MaskSampler;
uniform sampler2D WaterSampler;
uniform sampler2D StateSampler;
uniform vec4 Scale;

float Hash(float n) { return fract(sin(n * 12.9898) * 43758.5453); }


vec2 State(int i) { return texelFetch(StateSampler, ivec2(i, 0), 0).xy; }

// The waterfall at uv: rgb the water's light, a its whiteness; bend is
// the refraction offset.
vec4 Fall(vec2 uv, out vec2 bend) {
  vec2 phaseRefraction = State(0), flow = State(1), look = State(2), grid = State(3);
  float len = max(grid.y, 0.01);
  float aspect = Scale.x / max(Scale.y, 1e-4);
  vec2 f = normalize(flow + vec2(1e-6));
  vec2 p = vec2(uv.x * aspect, uv.y);
  float along = dot(p, f), across = dot(p, vec2(-f.y, f.x));
  float cols = grid.x * 32.0;
  float c = across * cols / aspect;
  float column = floor(c);
  float pace = 0.7 + 0.6 * Hash(column);
  float s = along / len - phaseRefraction.x * pace * 2.0 + Hash(column + 7.1) * 13.0;
  // The picture's streak along its width, the noise's along the flow.
  float picture = texture(WaterSampler, vec2(fract(s), fract(c))).a;
  float noise = Noise(vec2(c * 2.0, s * 3.0)) * Noise(vec2(c * 5.3, s * 1.3 + 4.0));
  // Each column fades to its sides, so neighbours at their own pace meet
  // without a seam.
  float side = fract(c);
  float profile = smoothstep(0.0, 0.35, side) * smoothstep(1.0, 0.65, side);
  float streak = clamp(picture * 0.6 + noise * 1.3, 0.0, 1.0) * profile;
  bend = f / vec2(aspect, 1.0) * (streak - 0.4) * phaseRefraction.y * 0.05;
  // Foam where the mask ends downstream.
  float here = texture(MaskSampler, uv).a;
  float below = texture(MaskSampler, uv + f / vec2(aspect, 1.0) * 0.06).a;
  float edge = clamp((here - below) * 2.0, 0.0, 1.0);
  float bubbles = Noise(p * 60.0 + vec2(phaseRefraction.x * 9.0)) * Noise(p * 23.0 - phaseRefraction.x * 5.0);
  float white = clamp(streak * look.x + edge * look.y * (0.6 + bubbles * 1.4), 0.0, 1.0);
  return vec4(State(4), State(5).x, white);
}

// "Main": the falling water over the effect quad, as opaque as the mask.
vec4 Main() {
  vec2 uv = v_tex0.xy;
  vec2 bend;
  vec4 w = Fall(uv, bend);
  vec3 picture = texture(BackgroundSampler, uv + bend).rgb;
  return vec4(mix(picture, w.rgb, w.a), texture(MaskSampler, uv).a);
}

// "MainFX": the whole image from the scene copy, water falling inside the mask.
vec4 MainFX() {
  vec2 uv = v_tex0.xy;
  vec2 bend;
  vec4 w = Fall(uv, bend);
  float m = texture(MaskSampler, uv).a;
  vec3 picture = texture(BackgroundSampler, uv + bend * m).rgb;
  return vec4(mix(texture(BackgroundSampler, uv).rgb, mix(picture, w.rgb, w.a), m), 1.0);
}
