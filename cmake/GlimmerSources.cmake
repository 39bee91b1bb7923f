# Sources of the core library and the program, collected per folder: a new
# file in one of these folders joins the build without editing a list.
set(GLIMMER_CORE_FOLDERS common platform store params render document scene particles sprites
                         effects sound generators texts models show host)
set(GLIMMER_CORE_SOURCES)
set(GLIMMER_GLSL_FILES)
foreach(folder IN LISTS GLIMMER_CORE_FOLDERS)
  file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  list(APPEND GLIMMER_CORE_SOURCES ${found})
  file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.glsl)
  list(APPEND GLIMMER_GLSL_FILES ${found})
endforeach()
list(SORT GLIMMER_CORE_SOURCES)
list(SORT GLIMMER_GLSL_FILES)

# Dear ImGui's SDL2 and OpenGL 3 backends come as sources with libimgui-dev.
# They are built without warnings (not our code) and load OpenGL through
# libepoxy, like the rest of the program.
set(GLIMMER_IMGUI_BACKENDS /usr/share/doc/libimgui-dev/examples/backends)
set(GLIMMER_IMGUI_BACKEND_SOURCES
  ${GLIMMER_IMGUI_BACKENDS}/imgui_impl_sdl.cpp
  ${GLIMMER_IMGUI_BACKENDS}/imgui_impl_opengl3.cpp
)
set_source_files_properties(${GLIMMER_IMGUI_BACKEND_SOURCES} PROPERTIES
  COMPILE_OPTIONS "-w;-include;epoxy/gl.h"
  COMPILE_DEFINITIONS IMGUI_IMPL_OPENGL_LOADER_CUSTOM
  INCLUDE_DIRECTORIES /usr/include/imgui/backends)
list(APPEND GLIMMER_CORE_SOURCES ${GLIMMER_IMGUI_BACKEND_SOURCES})

# The GLSL files beside the code that owns them, embedded in the program and
# looked up by their path from the source root (platform/gpu/embedded_glsl.h).
set(GLIMMER_GLSL_CPP ${CMAKE_BINARY_DIR}/generated/embedded_glsl_data.cpp)
string(REPLACE ";" "|" GLIMMER_GLSL_FILE_ARG "${GLIMMER_GLSL_FILES}")
add_custom_command(
  OUTPUT ${GLIMMER_GLSL_CPP}
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DOUTPUT=${GLIMMER_GLSL_CPP}
          "-DFILES=${GLIMMER_GLSL_FILE_ARG}" -P ${CMAKE_SOURCE_DIR}/cmake/EmbedGlsl.cmake
  DEPENDS ${GLIMMER_GLSL_FILES} ${CMAKE_SOURCE_DIR}/cmake/EmbedGlsl.cmake
  COMMENT "Embedding the GLSL files"
  VERBATIM)
list(APPEND GLIMMER_CORE_SOURCES ${GLIMMER_GLSL_CPP})

file(GLOB GLIMMER_APP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/app/*.cpp)
