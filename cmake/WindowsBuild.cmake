# What the Windows cross build (cmake/toolchain-mingw64.cmake) provides
# itself where the Linux build finds Debian's packages: the header-only
# packages, minizip's reading half, pugixml, and a check that each program runs
# without DLLs of its own.

# nlohmann-json and CLI11 are header-only, so Debian's packages serve the
# cross build as they are. Their targets would however put /usr/include, and
# with it the Linux C library's headers, on the include path: a private root
# holds links to just their CMake package and header folders, and
# find_package searches it besides the mingw-w64 tree.
set(_qb_header_only_root ${CMAKE_BINARY_DIR}/deps/header-only)
function(_qb_link_header_only package header_folder debian_package)
    foreach(folder usr/share/cmake/${package} usr/include/${header_folder})
        if(NOT IS_DIRECTORY /${folder})
            message(FATAL_ERROR "/${folder} is missing: install the Debian package ${debian_package}")
        endif()
        get_filename_component(parent ${_qb_header_only_root}/${folder} DIRECTORY)
        file(MAKE_DIRECTORY ${parent})
        file(CREATE_LINK /${folder} ${_qb_header_only_root}/${folder} SYMBOLIC)
    endforeach()
endfunction()
_qb_link_header_only(nlohmann_json nlohmann nlohmann-json3-dev)
_qb_link_header_only(CLI11 CLI libcli11-dev)
list(APPEND CMAKE_FIND_ROOT_PATH ${_qb_header_only_root})

# zlib: Debian's static mingw-w64 build (libz-mingw-w64-dev); the toolchain
# file asks for the static archive.
find_package(ZLIB REQUIRED)

# _qb_debian_source(PACKAGE VARIABLE): sets VARIABLE to the unpacked sources
# of the Debian source package PACKAGE, which scripts/fetch-debian-source
# downloads once into the build tree.
function(_qb_debian_source package variable)
    execute_process(
        COMMAND ${PROJECT_SOURCE_DIR}/scripts/fetch-debian-source ${package} ${CMAKE_BINARY_DIR}/deps
        OUTPUT_VARIABLE source OUTPUT_STRIP_TRAILING_WHITESPACE
        RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "Could not fetch Debian's ${package} sources (see above)")
    endif()
    set(${variable} ${source} PARENT_SCOPE)
endfunction()

# minizip is not packaged for mingw-w64. The unz reading interface that
# romio/ uses (ioapi.c, unzip.c) is built from the contrib/minizip folder of
# Debian's zlib source package. romio/ links it under the name that stands
# for Debian's libminizip on Linux.
set(QB_ZLIB_SOURCE_DIR "" CACHE PATH
    "Unpacked zlib sources to build minizip from; empty fetches Debian's into the build tree")
if(QB_ZLIB_SOURCE_DIR)
    set(_qb_zlib_source ${QB_ZLIB_SOURCE_DIR})
else()
    _qb_debian_source(zlib _qb_zlib_source)
endif()
set(_qb_minizip_dir ${_qb_zlib_source}/contrib/minizip)
if(NOT EXISTS ${_qb_minizip_dir}/unzip.c)
    message(FATAL_ERROR "${_qb_minizip_dir} holds no minizip sources")
endif()
add_library(qb_minizip STATIC ${_qb_minizip_dir}/ioapi.c ${_qb_minizip_dir}/unzip.c)
# SYSTEM: its headers are not held to this project's warning flags.
target_include_directories(qb_minizip SYSTEM INTERFACE ${_qb_minizip_dir})
target_link_libraries(qb_minizip PUBLIC ZLIB::ZLIB)
# The tests also write archives (zip.c), under wide file names (iowin32.c);
# the programs never do, so only the tests link this half.
add_library(qb_minizip_writer STATIC EXCLUDE_FROM_ALL
    ${_qb_minizip_dir}/zip.c ${_qb_minizip_dir}/iowin32.c)
target_link_libraries(qb_minizip_writer PUBLIC qb_minizip)

# pugixml, which dat/ reads XML with, is not packaged for mingw-w64 either:
# built from Debian's pugixml source package, under the name dat/ gives
# Debian's libpugixml on Linux. XPath is left out; nothing here queries.
set(QB_PUGIXML_SOURCE_DIR "" CACHE PATH
    "Unpacked pugixml sources; empty fetches Debian's into the build tree")
if(QB_PUGIXML_SOURCE_DIR)
    set(_qb_pugixml_source ${QB_PUGIXML_SOURCE_DIR})
else()
    _qb_debian_source(pugixml _qb_pugixml_source)
endif()
if(NOT EXISTS ${_qb_pugixml_source}/src/pugixml.cpp)
    message(FATAL_ERROR "${_qb_pugixml_source} holds no pugixml sources")
endif()
add_library(qb_pugixml STATIC ${_qb_pugixml_source}/src/pugixml.cpp)
target_include_directories(qb_pugixml SYSTEM INTERFACE ${_qb_pugixml_source}/src)
target_compile_definitions(qb_pugixml PUBLIC PUGIXML_NO_XPATH)

# qb_check_system_imports(TARGET): a test that fails when the program imports
# a DLL Windows does not ship (the MinGW runtime, zlib1.dll...), that is,
# when it could not run from a folder of its own.
function(qb_check_system_imports target)
    add_test(NAME ${target}_imports
             COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DPROGRAM=$<TARGET_FILE:${target}>
                     -P ${PROJECT_SOURCE_DIR}/cmake/CheckSystemImports.cmake)
    set_tests_properties(${target}_imports PROPERTIES LABELS "windows")
endfunction()
