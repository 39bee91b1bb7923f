#pragma once
// Runs the compiled effect files a document carries. Their container is read
// by ReadEffectContainer; each pass's shaders are translated by
// TranslatePixelShader and TranslateVertexShader (shader_translation.h).
//
// Render, texture-stage and sampler states of a pass go to the device as
// they stand; those computed by an expression are evaluated from the
// parameters at every BeginPass and CommitChanges (EffectExpression), and
// so are the constants a shader's preshader computes.
//
// A technique does not translate when one of its passes sets states other
// than render, stage, sampler, texture and shader states, has a state whose
// expression is not supported, or has a shader MojoShader rejects or our
// rewrite cannot express (inputs of other usages, integer or boolean
// constants, preshaders we cannot run, parameters larger than a matrix; for pixel
// shaders also relative constant addressing, non-2D samplers and texture
// coordinates beyond the second).

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/gpu/effect.h"
#include "platform/gpu/effect_container.h"
#include "platform/gpu/shader_translation.h"

namespace glimmer {

struct CarriedTechnique {
  std::string name;
  size_t passes = 0;
  bool translated = false;
  std::string reason;  // why not, when not
};

struct CarriedEffect {
  // The techniques that translated, with every parameter of the file.
  std::shared_ptr<const EffectDesc> desc;
  std::vector<CarriedTechnique> techniques;
  bool AllTranslated() const;
  // "all 3 techniques translate", or which do not and why.
  std::string Summary() const;
};

// What the GL compiler says about a shader source (a pixel shader's, or with
// `vertex` a vertex shader's), empty when it compiles.
using GlslCheck = std::function<std::string(const std::string& source, bool vertex)>;

// Translates every technique of `fx`. `compileError` may be empty.
CarriedEffect TranslateEffect(const EffectContainer& fx, const GlslCheck& compileError);

// Reads and translates an effect file; a file that does not read gives no
// desc and one technique-less report whose `reason` says why (in `error`).
CarriedEffect LoadCarriedEffect(std::span<const uint8_t> bytes, GpuDevice* device,
                                std::string* error);

// Lines for `glimmer info` about one carried effect file of effect link
// (module, id): its techniques and passes, which translate and why not, and
// what runs for the link. Without a device the GLSL is not compiled.
std::string DescribeCarriedEffect(std::span<const uint8_t> bytes, std::u16string_view module,
                                  uint32_t id);

}  // namespace glimmer
