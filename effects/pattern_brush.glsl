// Effect 78: a tiled pattern over the picture. The slide's point uv is
// turned, scaled and flipped by "coord_transf" (a 2 × 2 matrix, row by
// row: how many pattern tiles span the slide), moved by "offset", and the
// pattern ("Pattern", repeating) is read there; "mix_color" tints it and
// its alpha (the time line's fade) scales the pattern's own, within
// "Mask". The pattern is laid over the scene.
uniform sampler2D BackgroundSampler;
uniform sampler2D MaskSampler;
uniform sampler2D PatternSampler;
uniform vec4 Scale;
uniform vec4 mix_color;
uniform vec2 scale;
uniform vec2 offset;
uniform vec4 coord_transf;

vec4 PatternAt(vec2 uv) {
  vec2 p = vec2(uv.x * coord_transf.x + uv.y * coord_transf.z, uv.x * coord_transf.y + uv.y * coord_transf.w);
  return texture(PatternSampler, p + offset) * mix_color;
}

// "Main": the pattern over the scene, as opaque as it is inside the mask.
vec4 Main() {
  vec2 uv = v_tex0.xy;
  vec4 p = PatternAt(uv);
  return vec4(p.rgb, p.a * texture(MaskSampler, uv).a);
}

// "MainFX": the whole image from the scene copy with the pattern laid over.
vec4 MainFX() {
  vec2 uv = v_tex0.xy;
  vec4 p = PatternAt(uv);
  vec3 c = texture(BackgroundSampler, uv).rgb;
  return vec4(mix(c, p.rgb, p.a * texture(MaskSampler, uv).a), 1.0);
}
