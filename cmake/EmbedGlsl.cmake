# cmake -DSOURCE_DIR=... -DOUTPUT=... -DFILES="a|b" -P EmbedGlsl.cmake
# Writes a C++ file holding each GLSL file's text under its path from
# SOURCE_DIR, for EmbeddedGlsl().
string(REPLACE "|" ";" FILES "${FILES}")
set(body "")
foreach(file IN LISTS FILES)
  file(RELATIVE_PATH name ${SOURCE_DIR} ${file})
  file(READ ${file} text)
  string(FIND "${text}" ")glsl\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${name} contains the embedding delimiter )glsl\"")
  endif()
  string(APPEND body "    {\"${name}\", R\"glsl(${text})glsl\"},\n")
endforeach()
set(content "// Made at build time from the project's .glsl files.\n#include \"platform/gpu/embedded_glsl.h\"\n\nnamespace glimmer {\n\nstd::span<const EmbeddedGlslFile> EmbeddedGlslFiles() {\n  static const EmbeddedGlslFile files[] = {\n${body}    {nullptr, nullptr},\n  };\n  return {files, sizeof files / sizeof files[0] - 1};\n}\n\n}  // namespace glimmer\n")
file(WRITE ${OUTPUT} "${content}")
