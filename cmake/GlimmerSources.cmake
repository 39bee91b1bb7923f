# Source lists of the core library and the program.
set(GLIMMER_CORE_SOURCES
  common/atomic_file.cpp
  common/base64.cpp
  common/error_codes.cpp
  common/guid.cpp
  common/wide_string.cpp
  document/stream_reader.cpp
  document/stream_writer.cpp
  document/records.cpp
  document/binary_archive.cpp
  document/json_archive.cpp
  document/class_registry.cpp
  document/file_links.cpp
  document/audio_file.cpp
  document/mesh_loader.cpp
  document/resource_modules.cpp
  document/resource_manager.cpp
  document/doc_res_manager.cpp
  document/pe_resources.cpp
  document/document_source.cpp
  document/show_document.cpp
  document/show_composer.cpp
  document/show_schema.cpp
  params/random_source.cpp
  params/media_param.cpp
  params/colour_params.cpp
  params/geometry_params.cpp
  params/animated_params.cpp
  params/param_serialization.cpp
  params/time_lines.cpp
  params/smart_timing.cpp
  params/path_points.cpp
  params/paths.cpp
  params/path_cursor.cpp
  host/command_line.cpp
  host/adapters.cpp
  host/input_policy.cpp
  host/saver_arguments.cpp
  host/error_box.cpp
  host/screen_slot.cpp
  host/screensaver.cpp
  platform/window/displays.cpp
  platform/window/saver_window.cpp
  host/saver_settings.cpp
  host/settings_command.cpp
  host/dialog_buttons.cpp
  host/sound_dialog.cpp
  host/display_dialog.cpp
  host/settings_dialog.cpp
  host/xscreensaver_install.cpp
  platform/settings/settings_file.cpp
  platform/ui/imgui_layer.cpp
  platform/ui/open_url.cpp
  platform/image/image_codec.cpp
  platform/gpu/d3d_types.cpp
  platform/gpu/d3dx_math.cpp
  platform/gpu/gl_context.cpp
  platform/gpu/gpu_resources.cpp
  platform/gpu/ff_shaders.cpp
  platform/gpu/gpu_device.cpp
  platform/gpu/effect.cpp
  platform/gpu/builtin_effects.cpp
  platform/gpu/texture_loader.cpp
  render/frame.cpp
  render/meshes.cpp
  render/render_targets.cpp
  scene/scene_object.cpp
  scene/render_context.cpp
  scene/camera.cpp
  scene/slide.cpp
  scene/slide_container.cpp
  scene/slide_show.cpp
)
list(TRANSFORM GLIMMER_CORE_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)

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

set(GLIMMER_APP_SOURCES
  app/main.cpp
  app/commands.cpp
  app/config_command.cpp
  app/saver_command.cpp
)
list(TRANSFORM GLIMMER_APP_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)
