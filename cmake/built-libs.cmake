# FreeType, libpng and zlib for the Windows build and the browser: the static
# archives that tools/build-libs makes from Debian's own source packages (make
# windows and make web run it), so that the .exe and the WebAssembly draw and
# encode the same bytes as the Linux build, and the .exe still needs no DLL.
# Each becomes an imported target: gbkhex_built_zlib, gbkhex_built_png and
# gbkhex_built_freetype, which brings the other two.
if(WIN32)
  set(host windows)
else()
  set(host web)
endif()
set(GBKHEX_BUILT_LIBS "" CACHE PATH
  "Prefix of the FreeType, libpng and zlib built for this host (tools/build-libs ${host})")
if(NOT GBKHEX_BUILT_LIBS)
  message(FATAL_ERROR "GBKHEX_BUILT_LIBS is not set: build the libraries with "
    "tools/build-libs ${host} and configure with the ${host} preset, which names their prefix")
endif()

function(gbkhex_built_library target name include)
  # Only this prefix: the toolchain's own folders must not lend another build.
  find_library(GBKHEX_BUILT_${name}_LIBRARY NAMES ${name}
    PATHS ${GBKHEX_BUILT_LIBS}/lib NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT GBKHEX_BUILT_${name}_LIBRARY OR NOT IS_DIRECTORY ${GBKHEX_BUILT_LIBS}/${include})
    message(FATAL_ERROR "lib${name} not found in ${GBKHEX_BUILT_LIBS}: run tools/build-libs ${host}")
  endif()
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES
    IMPORTED_LOCATION ${GBKHEX_BUILT_${name}_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${GBKHEX_BUILT_LIBS}/${include}
    INTERFACE_LINK_LIBRARIES "${ARGN}")
endfunction()

gbkhex_built_library(gbkhex_built_zlib z include)
gbkhex_built_library(gbkhex_built_png png16 include/libpng16 gbkhex_built_zlib)
gbkhex_built_library(gbkhex_built_freetype freetype include/freetype2
  gbkhex_built_png gbkhex_built_zlib)
