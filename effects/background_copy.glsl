// Effect 75: a copy of the picture. The slide's centre shows the point
// "offset" (the copied rectangle's centre as a fraction of the slide), and
// every point uv the point that far from it; "offset" + 1 on an axis
// mirrors that axis. Within "Mask"; read outside the picture, nothing is
// drawn.
uniform sampler2D BackgroundSampler;
uniform sampler2D MaskSampler;
uniform vec4 Scale;
uniform vec2 offset;

vec4 CopyAt(vec2 uv) {
  // An offset past 1 on an axis mirrors that axis about the centre.
  vec2 flip = step(vec2(1.0), offset);
  vec2 centre = offset - flip;
  vec2 p = centre + (uv - 0.5) * (1.0 - 2.0 * flip);
  float inside = step(0.0, p.x) * step(p.x, 1.0) * step(0.0, p.y) * step(p.y, 1.0);
  return vec4(texture(BackgroundSampler, p).rgb, inside);
}

// "Main": the copy over the scene, within the mask.
vec4 Main() {
  vec2 uv = v_tex0.xy;
  vec4 c = CopyAt(uv);
  return vec4(c.rgb, c.a * texture(MaskSampler, uv).a);
}

// "MainFX": the whole image from the scene copy with the copy laid over.
vec4 MainFX() {
  vec2 uv = v_tex0.xy;
  vec4 c = CopyAt(uv);
  vec3 s = texture(BackgroundSampler, uv).rgb;
  return vec4(mix(s, c.rgb, c.a * texture(MaskSampler, uv).a), 1.0);
}
