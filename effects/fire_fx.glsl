// Fire: flames rise over the picture inside the effect quad. A turbulent
// field of noise scrolls upwards with "Time", scaled by "Tiling" (smaller
// flames at larger values); its height falls off towards the top of the
// quad, "Density" (−1 … 1) shifts how much of it burns, "Brightness"
// scales its light; the colour runs from "ColorK1" at the roots to
// "ColorK1" + "ColorK2" at the tips. The optional flame pictures modulate
// the noise. The flames are added to the scene, inside "Mask".
uniform sampler2D BackgroundSampler;
uniform sampler2D MaskSampler;
uniform sampler2D Flames1Sampler;
uniform sampler2D Flames2Sampler;
uniform vec4 Scale;
uniform vec2 bg_scale_factor;
uniform vec4 ColorK1;
uniform vec4 ColorK2;
uniform float Brightness;
uniform float Density;
uniform float Tiling;
uniform float Time;

float Turbulence(vec2 p) {
  float total = 0.0, weight = 0.5;
  for (int i = 0; i < 4; ++i) {
    total += weight * Noise(p);
    p = p * 2.03 + vec2(1.7, -Time * 0.7);
    weight *= 0.5;
  }
  return total;
}

// "Main": the flames at this point of the quad, laid over the scene. The
// vertex colour's green is the height within the quad (0 top, 1 bottom).
vec4 Main() {
  vec2 uv = v_tex0.xy;
  vec2 p = vec2(uv.x * Scale.x, uv.y * Scale.y) * 6.0 * Tiling;
  p.y += Time * 1.5;
  float n = Turbulence(p) * (0.8 + 0.2 * texture(Flames1Sampler, p * 0.1).a) +
            0.1 * texture(Flames2Sampler, p * 0.37).a;
  float height = v_color0.g;
  // Thinner towards the quad's sides (red: 0 left, 1 right).
  float side = smoothstep(0.0, 0.2, v_color0.r) * smoothstep(1.0, 0.8, v_color0.r);
  float flame = clamp((n + Density * 0.25 - (1.0 - height * side) * 0.9) * 2.2, 0.0, 1.0);
  vec3 colour = (ColorK1.rgb + ColorK2.rgb * (1.0 - flame * flame)) * Brightness;
  float m = texture(MaskSampler, uv).a;
  return vec4(clamp(colour, 0.0, 1.0), smoothstep(0.0, 0.7, flame) * m);
}

// "MainFX": the whole image from the scene copy, with the flames inside the mask.
vec4 MainFX() {
  vec4 f = Main();
  vec3 c = texture(BackgroundSampler, v_tex0.xy).rgb;
  return vec4(clamp(c + f.rgb * f.a, 0.0, 1.0), 1.0);
}

// "AsEffect": the fire a slide draws on a quad of its own (the flame slide),
// alpha-blended over it. Inputs "Noise" (three tiling noise layers in red,
// green and blue), "Pattern" (the flame tongues' shape, alpha, opaque at the
// bottom), "c11", "c12", "c13" (each layer's upward scroll: (0, rate × time));
// "WorldViewProj" and "ViewProj" are the transforms the device's vertex stage
// applies to the quad. The three layers, scrolled at their rates and crossed,
// make a turbulence that bends the tongues and eats into them; the result
// runs from dark red at the tips through orange to a yellow-white core.
uniform sampler2D NoiseSampler;
uniform sampler2D PatternSampler;
uniform vec2 c11;
uniform vec2 c12;
uniform vec2 c13;

vec4 AsEffect() {
  vec2 uv = v_tex0.xy;
  float n1 = texture(NoiseSampler, uv * vec2(2.0, 1.2) + c11 * 0.35).r;
  float n2 = texture(NoiseSampler, uv * vec2(3.1, 2.0) + c12 * 0.35).g;
  float n3 = texture(NoiseSampler, uv * vec2(5.3, 3.4) + c13 * 0.35).b;
  float n = n1 * 0.5 + n2 * 0.3 + n3 * 0.2;
  vec2 bend = (vec2(n2, n3) - 0.5) * vec2(0.10, 0.22) * (1.0 - uv.y);
  // The pattern repeats across but not up and down (its top row is empty,
  // its bottom full).
  vec2 q = vec2(uv.x * 1.5 + bend.x, clamp(uv.y + bend.y, 0.01, 0.99));
  float shape = texture(PatternSampler, q).a;
  float flame = clamp(shape * 1.5 - (1.0 - n) * 0.9 * (1.0 - uv.y * 0.6), 0.0, 1.0);
  vec3 colour = mix(vec3(0.55, 0.05, 0.0), vec3(1.0, 0.55, 0.08), smoothstep(0.0, 0.5, flame));
  colour = mix(colour, vec3(1.0, 0.95, 0.7), smoothstep(0.55, 1.0, flame));
  return vec4(colour, smoothstep(0.0, 0.45, flame));
}
