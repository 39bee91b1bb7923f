// Effect 1008: bend. "Center" is the centre (xy, fractions of the slide)
// and the slide's aspect (z); "Angle" the twist at the centre in radians;
// "Bend" the radius where the twist ends (x, slide heights) and the
// falloff's exponent (y). Each point within the radius is drawn from a
// point turned about the centre by Angle × (1 − r ÷ radius)^exponent, so
// straight lines through the middle curve into arcs.
uniform sampler2D BackgroundSampler;
uniform sampler2D MaskSampler;
uniform vec4 Scale;
uniform vec4 Center;
uniform float Angle;
uniform vec2 Bend;

vec2 Bent(vec2 uv) {
  vec2 aspect = vec2(max(Center.z, 1e-3), 1.0);
  vec2 d = (uv - Center.xy) * aspect;
  float r = length(d) / max(Bend.x, 0.01);
  float a = Angle * pow(clamp(1.0 - r, 0.0, 1.0), max(Bend.y, 0.1));
  float c = cos(a), s = sin(a);
  return Center.xy + vec2(c * d.x - s * d.y, s * d.x + c * d.y) / aspect;
}

// "Main": the bent picture over the effect quad, as opaque as the mask.
vec4 Main() {
  vec2 uv = v_tex0.xy;
  return vec4(texture(BackgroundSampler, Bent(uv)).rgb, texture(MaskSampler, uv).a);
}

// "MainFX": the whole image from the scene copy, bent inside the mask.
vec4 MainFX() {
  vec2 uv = v_tex0.xy;
  float m = texture(MaskSampler, uv).a;
  return vec4(mix(texture(BackgroundSampler, uv).rgb, texture(BackgroundSampler, Bent(uv)).rgb, m), 1.0);
}
