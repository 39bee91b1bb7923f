// The sprite text's "ScrollText": the text picture through the quad's
// window (v_tex0) moved by ScrollOffset; the sampler repeats the picture,
// so the text wraps round as it scrolls. Colour and alpha are the picture's
// times the vertex colour.

uniform sampler2D Texture1Sampler;
// The window's offset in picture widths (x) and heights (y).
uniform vec2 ScrollOffset;

vec4 ScrollText() { return texture(Texture1Sampler, v_tex0.xy + ScrollOffset) * v_color0; }
