# The parts of the two MinGW-w64 toolchain files they share: Debian's
# compilers with POSIX threads (std::thread), and finding libraries only in
# the MinGW sysroot and in the cross-built dependency prefix.
#
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-x86_64.cmake \
#         -DKALVO5_WIN_DEPS=<prefix from scripts/windows/build-deps.sh> ...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${KALVO5_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KALVO5_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KALVO5_MINGW_TRIPLET}-windres)

# Passed on to the compiler checks, which read this file again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KALVO5_WIN_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/${KALVO5_MINGW_TRIPLET} ${KALVO5_WIN_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config sees the dependency prefix only, never the build machine's
# libraries.
if(KALVO5_WIN_DEPS)
  set(ENV{PKG_CONFIG_LIBDIR} ${KALVO5_WIN_DEPS}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "")
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
endif()
