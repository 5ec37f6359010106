# The Windows build (cross-compiled with MinGW-w64, see cmake/toolchains/):
# what differs from the Linux build, in one place. Included by the top-level
# CMakeLists.txt before the folders when WIN32 is set. scripts/windows/build.sh
# runs the whole build.
#
#   KALVO5_WIN_DEPS    the prefix scripts/windows/build-deps.sh made (cairo,
#                      pixman, FreeType, libpng, zlib, TinyXML, libsndfile,
#                      libebur128 and googletest)
#   KALVO5_HOST_BUILD  a Linux build folder of the same sources whose
#                      generators drew the editor's bitmaps and typeset the
#                      manual: the DLL embeds those files, as the .so does
if(NOT KALVO5_WIN_DEPS OR NOT EXISTS ${KALVO5_WIN_DEPS}/.complete)
  message(FATAL_ERROR "KALVO5_WIN_DEPS must name a finished prefix of scripts/windows/build-deps.sh")
endif()
if(NOT KALVO5_HOST_BUILD OR NOT EXISTS ${KALVO5_HOST_BUILD}/resources/artwork/bitmaps)
  message(FATAL_ERROR "KALVO5_HOST_BUILD must name a Linux build folder that drew the artwork")
endif()

# The generators run on the build machine: their files come from there.
set(KALVO5_GENERATED_RESOURCES ${KALVO5_HOST_BUILD})

set(KALVO5_BENCH OFF CACHE BOOL "" FORCE)
set(KALVO5_FUZZ OFF CACHE BOOL "" FORCE)

# Wide-character system calls, no min/max macros, Windows 7 and later.
add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601 WINVER=0x0601)
# 32-bit code computes with SSE2, as x86-64 does, so the readings round as
# on the other builds instead of in the x87 unit's extended precision.
# GCC 12 for i686 also warns of overlapping copies inside std::string that
# cannot happen (-Wrestrict, a known false alarm of its optimiser).
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_compile_options(-msse2 -mfpmath=sse -Wno-restrict)
endif()
# Every module is one file: the C++ runtime, libgcc and winpthread inside;
# without symbol tables (the static runtime brings debugging sections).
add_link_options(-static -static-libgcc -static-libstdc++ -s)

# The cross-built libraries, linked statically. The meter's and the tests'
# are missing only from a prefix of an older recipe (the plug-in alone).
function(kalvo5_win_library name)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "FILES;INCLUDES;DEFINES;LINK")
  set(paths "")
  foreach(file IN LISTS ARG_FILES)
    if(NOT EXISTS ${KALVO5_WIN_DEPS}/lib/${file})
      message(FATAL_ERROR "${KALVO5_WIN_DEPS}/lib/${file} is missing")
    endif()
    list(APPEND paths ${KALVO5_WIN_DEPS}/lib/${file})
  endforeach()
  list(TRANSFORM ARG_INCLUDES PREPEND ${KALVO5_WIN_DEPS}/include)
  add_library(${name} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${name} PROPERTIES
    INTERFACE_LINK_LIBRARIES "${paths};${ARG_LINK}"
    INTERFACE_INCLUDE_DIRECTORIES "${ARG_INCLUDES}"
    INTERFACE_COMPILE_DEFINITIONS "${ARG_DEFINES}")
endfunction()

# cairo checks its buffer copies (_FORTIFY_SOURCE): GCC's libssp, linked in.
kalvo5_win_library(kalvo5::cairo
  FILES libcairo.a libpixman-1.a libfreetype.a libpng16.a libz.a
  INCLUDES /cairo /freetype2 / DEFINES CAIRO_WIN32_STATIC_BUILD LINK ssp msimg32 gdi32)
# TinyXML where plugin/ looks for it, also after the prefix changed.
set(TINYXML_LIBRARY ${KALVO5_WIN_DEPS}/lib/libtinyxml.a CACHE FILEPATH "TinyXML, cross-built" FORCE)
set(TINYXML_INCLUDE_DIR ${KALVO5_WIN_DEPS}/include CACHE PATH "TinyXML's header, cross-built" FORCE)
if(EXISTS ${KALVO5_WIN_DEPS}/lib/libsndfile.a)
  kalvo5_win_library(kalvo5::sndfile FILES libsndfile.a INCLUDES /)
  kalvo5_win_library(kalvo5::ebur128 FILES libebur128.a INCLUDES /)
  kalvo5_win_library(kalvo5::gtest FILES libgtest_main.a libgtest.a INCLUDES /)
endif()
