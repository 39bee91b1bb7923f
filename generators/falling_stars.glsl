// The falling stars' effect: particles drawn apart into two targets, then
// added to the scene.
uniform sampler2D Texture1Sampler;
uniform sampler2D Texture2Sampler;
uniform sampler2D Texture3Sampler;

// "BlendMask_Max": a particle, picture ("Texture1") × vertex colour, as
// premultiplied colour; the pass keeps the larger of it and the target per
// channel, so overlapping particles never add up past the brightest.
vec4 BlendMask_Max() {
  vec4 T = texture(Texture1Sampler, v_tex0.xy) * v_color0;
  return vec4(T.rgb * T.a, T.a);
}

// "Main": the scene copy ("Texture1") with the trails ("Texture2") and the
// heads ("Texture3") added as light.
vec4 Main() {
  vec4 S = texture(Texture1Sampler, v_tex0.xy);
  vec3 trails = texture(Texture2Sampler, v_tex0.xy).rgb;
  vec3 heads = texture(Texture3Sampler, v_tex0.xy).rgb;
  return vec4(min(S.rgb + trails + heads, vec3(1.0)), S.a);
}
