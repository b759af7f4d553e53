# Writes a C++ header that holds a compiled catalog (.mo) as bytes, for a
# program that carries its catalogs inside it (gbkhex-cli.exe).
# cmake -DMO=file.mo -DHEADER=out.h -DNAME=kSomething -P embed-catalog.cmake
file(READ ${MO} hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# A line break every 16 bytes, so that no line is longer than a compiler likes.
string(REPEAT "0x[0-9a-f][0-9a-f]," 16 sixteen)
string(REGEX REPLACE "(${sixteen})" "\\1\n" bytes "${bytes}")
file(WRITE ${HEADER} "// Generated from ${MO}: do not edit.
#pragma once

#include <string_view>

namespace gbkhex::cli {

inline constexpr unsigned char ${NAME}Bytes[] = {
${bytes}
};
inline const std::string_view ${NAME}(reinterpret_cast<const char*>(${NAME}Bytes),
                                      sizeof ${NAME}Bytes);

}  // namespace gbkhex::cli
")
