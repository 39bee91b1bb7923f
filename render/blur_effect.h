#pragma once
// Effect 202 of the shared module: the separable Gaussian blur of the glow
// surfaces (QVX_BlurSurface), "GaussianBlurVFirst", "GaussianBlurV" and
// "GaussianBlurH" over "Texture" of "TexW" × "TexH" texels.

namespace glimmer {

// The blur kernel: seven bilinear reads covering thirteen texels, the
// centre weight then the weights and offsets (in texels) of each pair.
inline constexpr float kBlurWeights[4] = {0.196482554f, 0.296906978f, 0.0944703966f, 0.0103813624f};
inline constexpr float kBlurOffsets[4] = {0.0f, 24.0f / 17.0f, 56.0f / 17.0f, 88.0f / 17.0f};

}  // namespace glimmer
