// Effect 185: the particles' shader. Particles are quads whose vertex colour
// carries the particle's colour and opacity; the glow passes draw the
// blurred particles (their glow surface) over the picture quad.
uniform sampler2D Texture0Sampler;
uniform sampler2D BackgroundSampler;
uniform vec4 GlowColor;        // rgb: the glow's tint
uniform float GlowBrightness;  // scales the glow

// "BlendNormal": texture × vertex colour, blended by its alpha over the target.
// "BlendNormalWrap" runs the same with the texture repeating (ribbons, whose
// texture coordinate runs along their whole length).
vec4 BlendNormal() { return texture(Texture0Sampler, v_tex0.xy) * v_color0; }

// "BlendNormal_AlphaPM": the same for textures whose colour is premultiplied
// by their alpha: the vertex alpha scales the colour too, and the target is
// weighted by one minus the result's alpha.
vec4 BlendNormal_AlphaPM() {
  vec4 t = texture(Texture0Sampler, v_tex0.xy);
  return vec4(t.rgb * v_color0.rgb * v_color0.a, t.a * v_color0.a);
}

// "BlendSum": texture × vertex colour added to the target, weighted by alpha.
vec4 BlendSum() { return texture(Texture0Sampler, v_tex0.xy) * v_color0; }

// The tinted, brightened glow at this point of the picture.
vec3 Glow(vec4 g) { return g.rgb * GlowColor.rgb * GlowBrightness; }

// "DrawGlowNormal": the glow over the scene, as opaque as the blurred
// particles are.
vec4 DrawGlowNormal() {
  vec4 g = texture(Texture0Sampler, v_tex0.xy);
  return vec4(Glow(g), clamp(g.a * GlowBrightness, 0.0, 1.0));
}

// "DrawGlowScreen": the glow screened onto the copy of the scene beneath,
// 1 − (1 − scene)(1 − glow), written whole.
vec4 DrawGlowScreen() {
  vec4 g = texture(Texture0Sampler, v_tex0.xy);
  vec3 scene = texture(BackgroundSampler, v_tex0.xy).rgb;
  vec3 glow = clamp(Glow(g) * g.a, 0.0, 1.0);
  return vec4(1.0 - (1.0 - scene) * (1.0 - glow), 1.0);
}

// "BlendMultiplay": a line drawn on its own surface ("Texture0", the ribbon
// blended over transparent black) multiplied into the copy of the scene
// beneath ("Background"): where the ribbon covers it the scene is tinted by
// the ribbon's colour, elsewhere it stays; written whole.
vec4 BlendMultiplay() {
  vec4 line = texture(Texture0Sampler, v_tex0.xy);
  vec3 scene = texture(BackgroundSampler, v_tex0.xy).rgb;
  return vec4(scene * clamp(line.rgb + (1.0 - line.a), 0.0, 1.0), 1.0);
}
