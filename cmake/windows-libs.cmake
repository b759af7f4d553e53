# FreeType, libpng and zlib for the Windows build: the static archives that
# tools/build-windows-libs makes from Debian's own source packages (make windows
# runs it), so that the .exe draws and encodes the same bytes as the Linux build
# and still needs no DLL. Each becomes an imported target: gbkhex_windows_zlib,
# gbkhex_windows_png and gbkhex_windows_freetype, which brings the other two.
set(GBKHEX_WINDOWS_LIBS "" CACHE PATH
  "Prefix of the Windows FreeType, libpng and zlib (tools/build-windows-libs)")
if(NOT GBKHEX_WINDOWS_LIBS)
  message(FATAL_ERROR "GBKHEX_WINDOWS_LIBS is not set: build the libraries with "
    "tools/build-windows-libs and configure with the windows preset, which names their prefix")
endif()

function(gbkhex_windows_library target name include)
  # Only this prefix: the toolchain's own folders must not lend another build.
  find_library(GBKHEX_WINDOWS_${name}_LIBRARY NAMES ${name}
    PATHS ${GBKHEX_WINDOWS_LIBS}/lib NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT GBKHEX_WINDOWS_${name}_LIBRARY OR NOT IS_DIRECTORY ${GBKHEX_WINDOWS_LIBS}/${include})
    message(FATAL_ERROR "lib${name} for Windows not found in ${GBKHEX_WINDOWS_LIBS}: run "
      "tools/build-windows-libs")
  endif()
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES
    IMPORTED_LOCATION ${GBKHEX_WINDOWS_${name}_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${GBKHEX_WINDOWS_LIBS}/${include}
    INTERFACE_LINK_LIBRARIES "${ARGN}")
endfunction()

gbkhex_windows_library(gbkhex_windows_zlib z include)
gbkhex_windows_library(gbkhex_windows_png png16 include/libpng16 gbkhex_windows_zlib)
gbkhex_windows_library(gbkhex_windows_freetype freetype include/freetype2
  gbkhex_windows_png gbkhex_windows_zlib)
