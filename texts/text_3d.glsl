// The text mesh's passes over its triangles (v_color0: the grey of the
// face's light; v_tex0: the point's place in the placement box, 0 to 1),
// after texts/text_fill.glsl.

// "Shadow": the front face, unlit, in the shadow colour.
vec4 Shadow() { return vec4(Color.rgb, Color.a * TextFade()); }

// "MainColorFill": the text colour in the face's light.
vec4 MainColorFill() { return vec4(Color.rgb * v_color0.rgb, Color.a * TextFade()); }

// "MainTexFill": the fill picture at its own scale in the face's light.
vec4 MainTexFill() { return vec4(TextFillPicture() * v_color0.rgb, Color.a * TextFade()); }
