// Particle text (effect 198): the text picture on the sprite's quad,
// read moved by Shift.xy (picture lengths; the picture repeats).

uniform sampler2D TextureSampler;
// The shadow's colour and opacity.
uniform vec4 Color;
uniform vec4 Shift;

// "Shadow": the picture's coverage in the shadow colour, faded with the
// sprite's alpha.
vec4 Shadow() {
  float a = texture(TextureSampler, v_tex0.xy - Shift.xy).a;
  return vec4(Color.rgb, Color.a * a * v_color0.a);
}

// "Main": the picture × the sprite's colour.
vec4 Main() { return texture(TextureSampler, v_tex0.xy - Shift.xy) * v_color0; }
