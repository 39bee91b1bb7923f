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

// The generators' composites. Their layer target holds premultiplied colour
// laid over the target's clear colour C ("MaskClear"): the layer's own
// colour is L.rgb − C.rgb × (1 − L.a), its coverage L.a. K tints the layer.
uniform vec4 MaskClear;

// The layer at `uv` of `layer` as premultiplied colour and coverage, tinted.
vec4 LayerAt(sampler2D layer, vec2 uv) {
  vec4 L = texture(layer, uv);
  vec3 own = max(L.rgb - MaskClear.rgb * (1.0 - L.a), vec3(0.0));
  return vec4(own * BlendColor.rgb, L.a) * BlendColor.a;
}

// "CommonTex": the layer ("Texture1") over the target; the pass blends
// premultiplied colour (one, 1 − coverage).
vec4 CommonTex() {
  return LayerAt(Texture1Sampler, v_tex0.xy);
}

// "Blend_SumTex": the layer ("Texture1") added to the target; the pass adds
// the colour and keeps the target's alpha.
vec4 Blend_SumTex() {
  return vec4(LayerAt(Texture1Sampler, v_tex0.xy).rgb, 0.0);
}

// "Blend_ScreenTex": the scene copy ("Texture1") screened by the layer
// ("Texture2"): S + L − S·L with L premultiplied, so uncovered parts keep S.
vec4 Blend_ScreenTex() {
  vec4 S = texture(Texture1Sampler, v_tex0.xy);
  vec4 L = LayerAt(Texture2Sampler, v_tex0.xy);
  return vec4(S.rgb + L.rgb - S.rgb * L.rgb, S.a);
}

// "Blend_ColorDodgeTex": the scene copy ("Texture1") brightened by the layer
// ("Texture2"), S ÷ (1 − L) clamped to 1 for the layer's own colour L, mixed
// in by its coverage.
vec4 Blend_ColorDodgeTex() {
  vec4 S = texture(Texture1Sampler, v_tex0.xy);
  vec4 L = LayerAt(Texture2Sampler, v_tex0.xy);
  vec3 own = L.a > 0.0 ? min(L.rgb / L.a, vec3(1.0)) : vec3(0.0);
  vec3 dodge = min(S.rgb / max(1.0 - own, vec3(1.0 / 255.0)), vec3(1.0));
  return vec4(mix(S.rgb, dodge, L.a), S.a);
}

// "BlendMask": a particle into a layer target cleared to transparent black:
// picture ("Texture1") × vertex colour as premultiplied colour; the pass lays
// it over what is there (one, 1 − alpha).
vec4 BlendMask() {
  vec4 T = texture(Texture1Sampler, v_tex0.xy) * v_color0;
  return vec4(T.rgb * T.a, T.a);
}

// "JoinMask": a particle into a layer target cleared to transparent white:
// the picture's ("Texture1") shape in the vertex colour, so the particles of
// one buffer join into one evenly coloured mask; laid over like BlendMask.
vec4 JoinMask() {
  float a = texture(Texture1Sampler, v_tex0.xy).a * v_color0.a;
  return vec4(v_color0.rgb * a, a);
}
