# For a cross build (Windows programs built on Debian): the header-only libraries and GoogleTest
# come from the build machine's Debian packages, but /usr/include itself must never be searched,
# since its C library headers are Linux's. Each library's own headers are linked into a folder of
# the build tree and targets named as the packages' own point there; GoogleTest is built from
# Debian's source copy in /usr/src/googletest.
set(host_headers ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${host_headers})
foreach(entry CLI tiny_gltf.h tiny_obj_loader.h stb rapidjson)
  if(NOT EXISTS /usr/include/${entry})
    message(FATAL_ERROR "/usr/include/${entry} is missing: scripts/install-deps.sh installs it")
  endif()
  file(CREATE_LINK /usr/include/${entry} ${host_headers}/${entry} SYMBOLIC)
endforeach()

add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${host_headers})
# tinyobjloader, too, is a Linux library in Debian: its code is compiled here from its header.
file(CONFIGURE OUTPUT ${host_headers}/tinyobjloader_code.cpp CONTENT [[
#define TINYOBJLOADER_IMPLEMENTATION
#include <tiny_obj_loader.h>
]])
add_library(brushwright_tinyobjloader STATIC EXCLUDE_FROM_ALL
  ${host_headers}/tinyobjloader_code.cpp)
target_include_directories(brushwright_tinyobjloader SYSTEM PUBLIC ${host_headers})
add_library(tinyobjloader::tinyobjloader ALIAS brushwright_tinyobjloader)
# stb: Debian ships its code as a Linux library only, so the two parts tinygltf uses are compiled
# here from their headers. Its users also find tiny_gltf.h beside it, as on Linux.
file(CONFIGURE OUTPUT ${host_headers}/stb_code.cpp CONTENT [[
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
]])
add_library(brushwright_stb STATIC ${host_headers}/stb_code.cpp)
target_include_directories(brushwright_stb SYSTEM PUBLIC ${host_headers}/stb ${host_headers})
add_library(PkgConfig::Stb ALIAS brushwright_stb)
set(RAPIDJSON_INCLUDE_DIR ${host_headers} CACHE PATH "RapidJSON's headers" FORCE)

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
