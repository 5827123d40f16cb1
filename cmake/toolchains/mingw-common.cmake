# Shared part of the MinGW-w64 cross toolchains. Expects VXP_MINGW_TRIPLET and
# CMAKE_SYSTEM_PROCESSOR to be set by the including file.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${VXP_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VXP_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VXP_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${VXP_MINGW_TRIPLET}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${VXP_MINGW_TRIPLET}-ranlib CACHE FILEPATH "")

# Third-party libraries cross-built by scripts/build-deps.sh live outside the
# source tree; VXP_DEPS_PREFIX points at the folder for this triplet.
if(NOT DEFINED VXP_DEPS_PREFIX)
  if(DEFINED ENV{VXP_DEPS_PREFIX})
    set(VXP_DEPS_PREFIX $ENV{VXP_DEPS_PREFIX})
  else()
    set(_cache $ENV{XDG_CACHE_HOME})
    if(NOT _cache)
      set(_cache $ENV{HOME}/.cache)
    endif()
    set(VXP_DEPS_PREFIX ${_cache}/velmorantix-deps/${VXP_MINGW_TRIPLET})
  endif()
endif()
set(VXP_DEPS_PREFIX ${VXP_DEPS_PREFIX} CACHE PATH "Cross-built dependency prefix")

set(CMAKE_FIND_ROOT_PATH /usr/${VXP_MINGW_TRIPLET} ${VXP_DEPS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every .exe and .dll stands alone: no libgcc, libstdc++ or winpthread DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests run through Wine; the runner makes a start failure a test failure.
get_filename_component(_vxp_root ${CMAKE_CURRENT_LIST_DIR}/../.. ABSOLUTE)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(CMAKE_CROSSCOMPILING_EMULATOR ${_vxp_root}/scripts/wine-run.sh)
endif()
