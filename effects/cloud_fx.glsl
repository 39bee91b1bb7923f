// Effect 1009: clouds. Inputs: "Scale" (a ÷ s, 1 ÷ s, …: square units over
// the cloud size s), "Threshold" (the clear share of the sky), "Density"
// (the clouds' opacity), "ColorK1" (the lit colour) and "ColorK2" (shadow
// minus lit), "Velocity" (the drift so far, slide heights, screen y down),
// "mask_tex_shift" (how far the mask has travelled, fractions of the
// slide), "Shape" and "Detail" (pictures whose alpha adds to the noise;
// without them the clouds are noise alone). It builds fractal noise
// drifting with Velocity, keeps what rises above the threshold, shades
// each cloud darker where it thickens away from the light above, and lays
// the clouds over the picture inside the travelling mask.
uniform sampler2D BackgroundSampler;
uniform sampler2D MaskSampler;
uniform sampler2D ShapeSampler;
uniform sampler2D DetailSampler;
uniform vec4 Scale;
uniform float Threshold;
uniform float Density;
uniform vec4 ColorK1;
uniform vec4 ColorK2;
uniform vec2 Velocity;
uniform vec2 mask_tex_shift;

// Cloud thickness 0..1 at cloud coordinates q.
float Thickness(vec2 q) {
  float n = 0.0, a = 0.5;
  vec2 p = q;
  for (int i = 0; i < 5; ++i) {
    n += a * Noise(p);
    p = p * 2.03 + vec2(1.7, 9.2);
    a *= 0.5;
  }
  n += (texture(ShapeSampler, q * 0.21).a - 0.5) * 0.15 + (texture(DetailSampler, q * 1.3).a - 0.5) * 0.08;
  return n;
}

// The cloud over slide point uv: colour (rgb) and cover (a).
vec4 Cloud(vec2 uv) {
  vec2 units = vec2(uv.x * Scale.x, uv.y * Scale.y);
  vec2 q = (units - Velocity * Scale.y) * 1.6;
  float n = Thickness(q);
  float cover = smoothstep(Threshold, Threshold + 0.25, n) * Density;
  // Thicker towards the light (up the screen) means a shadowed underside;
  // the thick middle of a cloud is greyer than its thin edges.
  float above = Thickness(q + vec2(0.0, -0.3));
  float shade = clamp((n - above) * 1.5 + (n - Threshold) * 0.8, 0.0, 1.0);
  float m = texture(MaskSampler, uv - mask_tex_shift).a;
  return vec4(ColorK1.rgb + ColorK2.rgb * shade, cover * m);
}

// "Main": the clouds over the effect quad: the picture with its clouds,
// as opaque as the mask.
vec4 Main() {
  vec2 uv = v_tex0.xy;
  vec4 c = Cloud(uv);
  float m = texture(MaskSampler, uv - mask_tex_shift).a;
  vec3 picture = texture(BackgroundSampler, uv).rgb;
  return vec4(mix(picture, c.rgb, m > 0.0 ? c.a / m : 0.0), m);
}

// "MainFX": the whole image from the scene copy, clouds drifting inside the
// mask.
vec4 MainFX() {
  vec2 uv = v_tex0.xy;
  vec4 c = Cloud(uv);
  return vec4(mix(texture(BackgroundSampler, uv).rgb, c.rgb, c.a), 1.0);
}
