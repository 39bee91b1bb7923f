// Effect 1003: a moving picture. "Direction" holds the offset travelled
// along the direction (xy, in fractions of the slide, screen y down) and
// the smear along it (zw). The picture repeats mirrored, so it never
// shows a seam. Each point shows the picture from behind it on the way, averaged
// over the smear.
uniform sampler2D BackgroundSampler;
uniform sampler2D MaskSampler;
uniform vec4 Scale;
uniform vec4 Direction;

vec2 Mirrored(vec2 p) { return 1.0 - abs(mod(p, 2.0) - 1.0); }

vec3 Moved(vec2 uv) {
  vec3 sum = vec3(0.0);
  for (int i = 0; i < 8; ++i) {
    sum += texture(BackgroundSampler, Mirrored(uv - Direction.xy - Direction.zw * (float(i) / 7.0))).rgb;
  }
  return sum / 8.0;
}

// "Main": the moved picture over the effect quad, as opaque as the mask.
vec4 Main() {
  vec2 uv = v_tex0.xy;
  return vec4(Moved(uv), texture(MaskSampler, uv).a);
}

// "MainFX": the whole image from the scene copy, moving inside the mask.
vec4 MainFX() {
  vec2 uv = v_tex0.xy;
  float m = texture(MaskSampler, uv).a;
  return vec4(mix(texture(BackgroundSampler, uv).rgb, Moved(uv), m), 1.0);
}
