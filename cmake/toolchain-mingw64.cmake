# Cross-builds Quillbey for 64-bit Windows on Debian with mingw-w64
# (cmake --preset windows, or -DCMAKE_TOOLCHAIN_FILE=<this file>).
#
# The POSIX thread model of the compilers gives std::thread and std::mutex.
# Executables are linked statically, so they need no DLL beside them, only
# the ones Windows itself ships. ctest runs the tests under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QB_MINGW_TRIPLET x86_64-w64-mingw32)
set(QB_MINGW_ROOT /usr/${QB_MINGW_TRIPLET})
set(CMAKE_C_COMPILER ${QB_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QB_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QB_MINGW_TRIPLET}-windres)

# Libraries, headers and CMake packages come from the mingw-w64 tree only, so
# nothing built for Linux can be picked up; programs run on the build machine.
set(CMAKE_FIND_ROOT_PATH ${QB_MINGW_ROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The same for pkg-config: only the .pc files of the mingw-w64 tree.
set(ENV{PKG_CONFIG_LIBDIR} ${QB_MINGW_ROOT}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# libstdc++, libgcc and winpthread linked in, and zlib's static archive
# rather than its import library, which would want zlib1.dll.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(ZLIB_USE_STATIC_LIBS ON)

get_filename_component(_qb_source_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${_qb_source_root}/scripts/wine-run;--prefix;${CMAKE_BINARY_DIR}/wine")
