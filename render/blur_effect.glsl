// Effect 202: the separable Gaussian blur. The code prepends kBlurWeights and
// sets, per draw, the half-texel base offset u_base and the offsets of the
// three pairs of reads along the blur's direction, u_step1..3.
uniform sampler2D TextureSampler;
uniform vec2 u_base;
uniform vec2 u_step1, u_step2, u_step3;

// "GaussianBlurVFirst", "GaussianBlurV", "GaussianBlurH": the weighted sum of
// the centre read and three symmetric pairs along one axis.
vec4 GaussianBlur() {
  vec2 c = v_tex0.xy + u_base;
  return texture(TextureSampler, c) * kBlurWeights[0]
       + (texture(TextureSampler, c + u_step1) + texture(TextureSampler, c - u_step1)) * kBlurWeights[1]
       + (texture(TextureSampler, c + u_step2) + texture(TextureSampler, c - u_step2)) * kBlurWeights[2]
       + (texture(TextureSampler, c + u_step3) + texture(TextureSampler, c - u_step3)) * kBlurWeights[3];
}
