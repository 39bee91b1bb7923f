// Effect 63: heat haze. The slide's point uv (0..1 across the picture) is
// displaced by a rising, shimmering field: two layers of smooth noise
// scrolled up by the ripple clock ("Offset" = (t, −t)) at different rates,
// sized by "bump_scale" (b, b·H/W: a smaller b gives finer ripples) and
// modulated by the bump map; "stenght" is the displacement in uv units.
// "Mask" limits where the haze applies.
uniform sampler2D BackgroundSampler;
uniform sampler2D MaskSampler;
uniform sampler2D BumpmapSampler;
uniform vec4 Scale;
uniform float stenght;
uniform vec2 Offset;
uniform vec2 bump_scale;

// The displacement at uv, in uv units.
vec2 Shimmer(vec2 uv) {
  vec2 p = uv / max(bump_scale, vec2(0.01)) * 6.0;
  vec2 a = vec2(Noise(p + vec2(0.0, Offset.x * 40.0)), Noise(p + vec2(5.2, Offset.x * 40.0 + 1.3)));
  vec2 b = vec2(Noise(p * 1.7 + vec2(3.1, -Offset.y * 55.0)), Noise(p * 1.7 + vec2(7.7, -Offset.y * 55.0)));
  float bump = texture(BumpmapSampler, p * 0.25 + vec2(0.0, Offset.x)).a;
  return ((a + b) - 1.0) * stenght * (0.75 + 0.5 * bump);
}

// "Main": the hazed picture over the effect quad, as opaque as the mask.
vec4 Main() {
  vec2 uv = v_tex0.xy;
  float m = texture(MaskSampler, uv).a;
  return vec4(texture(BackgroundSampler, uv + Shimmer(uv)).rgb, m);
}

// "MainFX": the whole image from the scene copy, hazed inside the mask.
vec4 MainFX() {
  vec2 uv = v_tex0.xy;
  float m = texture(MaskSampler, uv).a;
  return vec4(texture(BackgroundSampler, uv + Shimmer(uv) * m).rgb, 1.0);
}

// "BumpmapDistortLow2": the whole finished slide through a lighter haze (no
// mask), for the flame slide. Inputs "Background", "Bumpmap", "stenght",
// "Offset", "bump_scale". Two wavy ridges, one rising with the clock and one
// sinking, each bent by a slower wave across it and modulated by the
// scrolled bump map, displace each point: a few sines and two texture reads
// a pixel, as light as a full-screen pass of the slide can be.
vec4 BumpmapDistortLow2() {
  vec2 uv = v_tex0.xy;
  vec2 p = uv / max(bump_scale, vec2(0.01)) * 6.0;
  float a = sin(p.y * 2.3 + Offset.x * 120.0 + 1.7 * sin(p.x * 1.3));
  float b = sin(p.x * 1.9 - Offset.y * 160.0 + 1.9 * sin(p.y * 1.1 + 2.0));
  float bump = texture(BumpmapSampler, p * 0.25 + vec2(0.0, Offset.x)).a;
  vec2 d = vec2(a, b) * stenght * (0.5 + 0.5 * bump);
  return vec4(texture(BackgroundSampler, uv + d).rgb, 1.0);
}
