// Day to night: the picture's colour c loses saturation ("Disaturate": 0
// keeps it, 1 grey), is multiplied by "mul_color" (the night's darkening),
// then soft-light blended with "soft_light_color" (its tint); "Fade" (0 day,
// 1 night) mixes the day and the night; "Mask" limits where.
uniform sampler2D BackgroundSampler;
uniform sampler2D MaskSampler;
uniform vec4 Scale;
uniform vec4 mul_color;
uniform vec4 soft_light_color;
uniform float Fade;
uniform float Disaturate;

vec3 SoftLight(vec3 base, vec3 blend) {
  return mix(2.0 * base * blend + base * base * (1.0 - 2.0 * blend),
             sqrt(base) * (2.0 * blend - 1.0) + 2.0 * base * (1.0 - blend), step(0.5, blend));
}

vec3 Night(vec3 c) {
  float grey = dot(c, vec3(0.299, 0.587, 0.114));
  vec3 n = mix(c, vec3(grey), clamp(Disaturate, 0.0, 1.0)) * mul_color.rgb;
  n = SoftLight(clamp(n, 0.0, 1.0), soft_light_color.rgb);
  return mix(c, n, clamp(Fade, 0.0, 1.0));
}

// "Main": the night picture over the effect quad, as opaque as the mask.
vec4 Main() {
  vec2 uv = v_tex0.xy;
  return vec4(Night(texture(BackgroundSampler, uv).rgb), texture(MaskSampler, uv).a);
}

// "MainFX": the whole image from the scene copy, night inside the mask.
vec4 MainFX() {
  vec2 uv = v_tex0.xy;
  vec3 c = texture(BackgroundSampler, uv).rgb;
  return vec4(mix(c, Night(c), texture(MaskSampler, uv).a), 1.0);
}
