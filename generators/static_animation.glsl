// Effect 116: an animated picture's frame ("Texture") tinted by "Color",
// whose alpha carries the layer's visibility.
uniform sampler2D TextureSampler;
uniform vec4 Color;

// "Blend_Normal": the frame × the tint; the pass blends it by its alpha.
vec4 Blend_Normal() {
  return texture(TextureSampler, v_tex0.xy) * Color;
}
