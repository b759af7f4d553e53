# Builds the browser page with emscripten's own CMake toolchain, wherever the
# emscripten that is on the PATH keeps it (Debian: /usr/share/emscripten).
# Usage: cmake --preset web, or -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake.
find_program(GBKHEX_EMXX em++ REQUIRED)
file(REAL_PATH ${GBKHEX_EMXX} emxx)
get_filename_component(emscripten_root ${emxx} DIRECTORY)
include(${emscripten_root}/cmake/Modules/Platform/Emscripten.cmake)

# emcc runs Debian's acorn through node, which does not look in Debian's
# module folder by itself.
if(EXISTS /usr/share/nodejs/acorn)
  set(launcher ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
  set(CMAKE_CXX_COMPILER_LAUNCHER ${launcher} CACHE STRING "")
  set(CMAKE_CXX_LINKER_LAUNCHER ${launcher} CACHE STRING "")
endif()
