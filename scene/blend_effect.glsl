// Effect 97: blends of glow and effect sprites. S is the scene under the
// sprite ("Texture1"), L the sprite's layer ("Texture2"), K the blend colour
// whose alpha scales the layer's coverage a = L.a × K.a.
uniform sampler2D Texture1Sampler;
uniform sampler2D Texture2Sampler;
uniform vec4 BlendColor;

// The coverage-weighted mix of scene and `blended`; the alpha keeps the
// scene's where the layer is clear and a² where it covers.
vec4 Compose(vec4 S, vec3 blended, float a) {
  return vec4(S.rgb * (1.0 - a) + blended * a, S.a * (1.0 - a) + a * a);
}

// "Blend_Normal": the tinted layer over the scene.
vec4 Blend_Normal() {
  vec4 S = texture(Texture1Sampler, v_tex0.xy);
  vec4 L = texture(Texture2Sampler, v_tex0.xy);
  return Compose(S, L.rgb * BlendColor.rgb, L.a * BlendColor.a);
}

// "Blend_Screen": screen blending, 1 − (1 − S)(1 − L·K), over the scene.
vec4 Blend_Screen() {
  vec4 S = texture(Texture1Sampler, v_tex0.xy);
  vec4 L = texture(Texture2Sampler, v_tex0.xy);
  vec3 screen = 1.0 - (1.0 - S.rgb) * (1.0 - L.rgb * BlendColor.rgb);
  return Compose(S, screen, L.a * BlendColor.a);
}
