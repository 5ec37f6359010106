# Each library publishes only its own folder as an include root: a folder in
# the build tree that holds one link, named like the source folder, to it.
# So "engine/X.h" resolves in the engine and in whatever links the engine,
# and an include from a folder a library does not link fails to compile:
# the build enforces the layers.
function(kalvo5_include_root target folder)
  set(root ${PROJECT_BINARY_DIR}/include-roots/${target})
  set(link ${root}/${folder})
  get_filename_component(parent ${link} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  if(NOT IS_SYMLINK ${link})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${link} SYMBOLIC)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()
