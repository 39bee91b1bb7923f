// The text mesh's passes over its triangles (v_color0: the grey of the
// face's light; v_tex0: the point's place in the placement box, 0 to 1).

// The fill picture, tiled.
uniform sampler2D FillingSampler;
// The transition's opacity.
uniform float Fade_Alpha;
// (wipe x, wipe y, centre x, centre y): a wipe of w hides what lies further
// than (1 − w) of the half width (or height) from the middle.
uniform vec4 fade_pos;
// The pass's colour, alpha included.
uniform vec4 Color;
// The placement box's size in pixels.
uniform vec2 TextSize;
// 1 ÷ fill scale ÷ the fill picture's size, per axis.
uniform vec2 fill_tex_scale;

// The wipe's mask at the pixel: 1 shown, 0 wiped.
float MeshWipe() {
  vec2 fromMiddle = abs(v_tex0.xy * 2.0 - 1.0);
  float x = step(fromMiddle.x, 1.0 - fade_pos.x + 0.0001);
  float y = step(fromMiddle.y, 1.0 - fade_pos.y + 0.0001);
  return x * y;
}

// "Shadow": the front face, unlit, in the shadow colour.
vec4 Shadow() { return vec4(Color.rgb, Color.a * Fade_Alpha * MeshWipe()); }

// "MainColorFill": the text colour in the face's light.
vec4 MainColorFill() {
  return vec4(Color.rgb * v_color0.rgb, Color.a * Fade_Alpha * MeshWipe());
}

// "MainTexFill": the fill picture at its own scale in the face's light.
vec4 MainTexFill() {
  vec3 fill = texture(FillingSampler, v_tex0.xy * TextSize * fill_tex_scale).rgb;
  return vec4(fill * v_color0.rgb, Color.a * Fade_Alpha * MeshWipe());
}
