# Each library publishes only its own headers as an include root: a folder in
# the build tree, include-roots/<target>/, named like the source folder. So
# "engine/X.h" resolves in the engine and in whatever links the engine, and an
# include from a library not linked fails to compile: the build enforces the
# layers.
#
#   kalvo5_include_root(<target> <folder> [HEADERS <header>...])
#
# Without HEADERS the root holds one link to the whole source folder. With
# HEADERS (paths below the folder) it holds a link to each of those only:
# for a library that shares its folder with another, so that neither sees
# the other's headers without linking it.
function(kalvo5_include_root target folder)
  cmake_parse_arguments(PARSE_ARGV 2 ARG "" "" "HEADERS")
  set(root ${PROJECT_BINARY_DIR}/include-roots/${target})
  set(link ${root}/${folder})
  if(ARG_HEADERS)
    # A root made before as one link to the folder becomes a folder of links.
    if(IS_SYMLINK ${link})
      file(REMOVE ${link})
    endif()
    foreach(header IN LISTS ARG_HEADERS)
      set(headerLink ${link}/${header})
      get_filename_component(parent ${headerLink} DIRECTORY)
      file(MAKE_DIRECTORY ${parent})
      if(NOT IS_SYMLINK ${headerLink})
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder}/${header} ${headerLink} SYMBOLIC)
      endif()
    endforeach()
  else()
    get_filename_component(parent ${link} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    if(IS_DIRECTORY ${link} AND NOT IS_SYMLINK ${link})
      file(REMOVE_RECURSE ${link})
    endif()
    if(NOT IS_SYMLINK ${link})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${link} SYMBOLIC)
    endif()
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()

# The headers of `folder` (below the source tree) matching the globs, as
# paths below it, for kalvo5_include_root's HEADERS.
function(kalvo5_headers_of folder out)
  set(headers "")
  foreach(glob IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}/${folder} ${PROJECT_SOURCE_DIR}/${folder}/${glob})
    list(APPEND headers ${found})
  endforeach()
  set(${out} ${headers} PARENT_SCOPE)
endfunction()
