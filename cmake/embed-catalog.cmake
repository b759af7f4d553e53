# A program that carries its catalogs inside it (gbkhex-cli.exe, the firmware
# page's module) holds a compiled catalog (.mo) as bytes in a C++ header.
#
# include(cmake/embed-catalog.cmake), then
#   gbkhex_embed_catalog(TARGET LANGUAGE HEADER NAME NAMESPACE)
# compiles po/LANGUAGE.po and makes HEADER (a path below the target's include
# folder of generated files, such as cli/embedded_catalogs.h) declare NAME in
# NAMESPACE. Run as a script, the file writes such a header:
# cmake -DMO=file.mo -DHEADER=out.h -DNAME=kSomething -DNAMESPACE=gbkhex::cli -P embed-catalog.cmake
if(CMAKE_SCRIPT_MODE_FILE)
  file(READ ${MO} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  # A line break every 16 bytes, so that no line is longer than a compiler likes.
  string(REPEAT "0x[0-9a-f][0-9a-f]," 16 sixteen)
  string(REGEX REPLACE "(${sixteen})" "\\1\n" bytes "${bytes}")
  file(WRITE ${HEADER} "// Generated from ${MO}: do not edit.
#pragma once

#include <string_view>

namespace ${NAMESPACE} {

inline constexpr unsigned char ${NAME}Bytes[] = {
${bytes}
};
inline const std::string_view ${NAME}(reinterpret_cast<const char*>(${NAME}Bytes),
                                      sizeof ${NAME}Bytes);

}  // namespace ${NAMESPACE}
")
  return()
endif()

function(gbkhex_embed_catalog target language header name namespace)
  find_program(GBKHEX_MSGFMT msgfmt REQUIRED)
  set(embedded ${CMAKE_CURRENT_BINARY_DIR}/embedded)
  set(po ${PROJECT_SOURCE_DIR}/po/${language}.po)
  add_custom_command(OUTPUT ${embedded}/${header}
    COMMAND ${GBKHEX_MSGFMT} --check -o ${embedded}/${language}.mo ${po}
    COMMAND ${CMAKE_COMMAND} -DMO=${embedded}/${language}.mo -DHEADER=${embedded}/${header}
      -DNAME=${name} -DNAMESPACE=${namespace} -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
    DEPENDS ${po} ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
    COMMENT "Embedding the catalog ${language}.po"
    VERBATIM)
  target_sources(${target} PRIVATE ${embedded}/${header})
  target_include_directories(${target} PRIVATE ${embedded})
endfunction()
