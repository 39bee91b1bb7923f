// The plant's effect. The picture ("Texture") stands on its bottom edge
// (v = 1); a point at height h = 1 − v moves sideways by h² times a steady
// lean ("BMagnitude") plus a wind ("WMagnitude") that rises and falls with
// "Time" at "Frequency" and reaches the top a little later than the base.
uniform sampler2D TextureSampler;
uniform float Time;
uniform float Frequency;
uniform float WMagnitude;
uniform float BMagnitude;
uniform vec4 color;

// "Main": the bent picture × "color".
vec4 Main() {
  vec2 uv = v_tex0.xy;
  float h = clamp(1.0 - uv.y, 0.0, 1.0);
  float wind = sin(Time * Frequency - h * 1.5) * 0.5 + 0.5 * sin(Time * Frequency * 0.37 + 1.0);
  float shift = h * h * (BMagnitude + WMagnitude * wind);
  vec2 bent = vec2(uv.x - shift, uv.y);
  if (bent.x < 0.0 || bent.x > 1.0) return vec4(0.0);
  return texture(TextureSampler, bent) * color;
}
