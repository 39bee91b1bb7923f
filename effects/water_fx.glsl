// Effect 1002: water. Inputs: "BampTrans" (ripples across the slide, x and
// y, square), "P1" and "P2" (each layer's displacement and relative
// tiling), "Time" (the clock), "Direction1" and "Direction2" (each layer's
// drift on the screen), "Shadows" (trough darkening, caustic brightness),
// "Vhalf" (the horizon's height from the top, 0 for flat water), "Color"
// (the caustic light), "BumpMap" (a height picture added to the ripples;
// without one the ripples are noise alone). It computes a height field,
// refracts the picture by its slope, darkens the troughs and adds bright
// caustic lines where the two layers meet.
uniform sampler2D BackgroundSampler;
uniform sampler2D MaskSampler;
uniform sampler2D BumpMapSampler;
uniform vec4 Scale;
uniform vec2 BampTrans;
uniform vec2 P1;
uniform vec2 P2;
uniform float Time;
uniform vec2 Direction1;
uniform vec2 Direction2;
uniform vec2 Shadows;
uniform float Vhalf;
uniform vec4 Color;

float Layer(vec2 q) { return Noise(q) * 0.65 + Noise(q * 2.1 + 3.7) * 0.35; }

// The two layers' heights at ripple coordinates q, each about 0..1.
vec2 Heights(vec2 q) {
  float a = Layer(q - Direction1 * Time * 0.35);
  float b = Layer(q * P2.y - Direction2 * Time * 0.5 + 11.3);
  float bump = texture(BumpMapSampler, q * 0.5 - Direction1 * Time * 0.2).a;
  return vec2(a + (bump - 0.5) * 0.3, b);
}

// The water at slide point uv: the refracted sample point (xy), the light
// to add (z) and the shade (w); nearness is 0 above the horizon.
vec4 Water(vec2 uv, out float nearness) {
  nearness = 1.0;
  vec2 q = uv * BampTrans;
  if (Vhalf > 0.0) {
    nearness = clamp((uv.y - Vhalf) / (1.0 - Vhalf), 0.0, 1.0);
    float depth = 1.0 / max(nearness, 0.06);
    q = vec2((uv.x - 0.5) * BampTrans.x * depth, depth * BampTrans.y * 0.5);
  }
  float e = 0.03;
  vec2 h = Heights(q), hx = Heights(q + vec2(e, 0.0)), hy = Heights(q + vec2(0.0, e));
  vec2 slope = vec2(hx.x - h.x, hy.x - h.x) / e * P1.x + vec2(hx.y - h.y, hy.y - h.y) / e * P2.x;
  float caustic = pow(clamp(1.0 - abs(h.x - h.y) * 5.0, 0.0, 1.0), 6.0);
  float shade = 1.0 - Shadows.x * clamp(0.5 - h.x, 0.0, 0.5) * 2.0;
  return vec4(uv + slope * 0.05 * nearness, caustic * Shadows.y * nearness, mix(1.0, shade, nearness));
}

vec3 Lit(vec4 w) { return texture(BackgroundSampler, w.xy).rgb * w.w + Color.rgb * w.z; }

// "Main": the water over the effect quad, as opaque as the mask (and
// clear above the horizon).
vec4 Main() {
  vec2 uv = v_tex0.xy;
  float nearness;
  vec4 w = Water(uv, nearness);
  float m = texture(MaskSampler, uv).a * step(0.0001, nearness);
  return vec4(Lit(w), m);
}

// "MainFX": the whole image from the scene copy, under water inside the mask.
vec4 MainFX() {
  vec2 uv = v_tex0.xy;
  float nearness;
  vec4 w = Water(uv, nearness);
  float m = texture(MaskSampler, uv).a * step(0.0001, nearness);
  return vec4(mix(texture(BackgroundSampler, uv).rgb, Lit(w), m), 1.0);
}
