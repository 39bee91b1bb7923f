# Source lists of the core library and the program.
set(GLIMMER_CORE_SOURCES
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
  document/audio_file.cpp
  document/doc_res_manager.cpp
  document/pe_resources.cpp
  document/document_source.cpp
  document/show_document.cpp
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
  scene/slide_show.cpp
)
list(TRANSFORM GLIMMER_CORE_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)

set(GLIMMER_APP_SOURCES
  app/main.cpp
  app/commands.cpp
)
list(TRANSFORM GLIMMER_APP_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)
