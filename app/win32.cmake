# gbkhex.exe, the native Windows program (MSVC or mingw-w64).

# The version record's texts come from the one place that holds them.
file(STRINGS ${PROJECT_SOURCE_DIR}/window/form_layout.h layout_lines ENCODING UTF-8
  REGEX "constexpr std::string_view k(CompanyName|ProductName|Version) = ")
foreach(line IN LISTS layout_lines)
  if(line MATCHES "k([A-Za-z]+) = \"([^\"]*)\"")
    set(GBKHEX_LAYOUT_${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
  endif()
endforeach()
foreach(name IN ITEMS CompanyName ProductName Version)
  if(NOT DEFINED GBKHEX_LAYOUT_${name})
    message(FATAL_ERROR "window/form_layout.h has no k${name}")
  endif()
endforeach()
set(GBKHEX_FILE_NAME "${GBKHEX_LAYOUT_ProductName}.exe")
configure_file(${CMAKE_CURRENT_LIST_DIR}/gbkhex_version.h.in
  ${PROJECT_BINARY_DIR}/app/gbkhex_version.h @ONLY)

add_executable(gbkhex_win32 WIN32
  ${CMAKE_CURRENT_LIST_DIR}/win32_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gbkhex.rc)
# The resource compiler reports no dependencies of its own.
set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/gbkhex.rc APPEND PROPERTY OBJECT_DEPENDS
  ${CMAKE_CURRENT_LIST_DIR}/gbkhex.ico ${CMAKE_CURRENT_LIST_DIR}/gbkhex.exe.manifest
  ${CMAKE_CURRENT_LIST_DIR}/resource.h ${PROJECT_BINARY_DIR}/app/gbkhex_version.h)
set_target_properties(gbkhex_win32 PROPERTIES OUTPUT_NAME ${GBKHEX_LAYOUT_ProductName})
target_include_directories(gbkhex_win32 PRIVATE
  ${CMAKE_CURRENT_LIST_DIR} ${PROJECT_BINARY_DIR}/app)
target_link_libraries(gbkhex_win32 PRIVATE gbkhex_win32_form comctl32 ole32 gbkhex_warnings)
# mingw's start-up code looks for wWinMain only when told to; MSVC finds it by itself.
target_link_options(gbkhex_win32 PRIVATE $<$<CXX_COMPILER_ID:GNU,Clang>:-municode>)
if(MSVC)
  # MSVC's linker merges listed manifests into the one it embeds.
  target_sources(gbkhex_win32 PRIVATE ${CMAKE_CURRENT_LIST_DIR}/gbkhex.exe.manifest)
else()
  set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/gbkhex.rc
    APPEND PROPERTY COMPILE_DEFINITIONS GBKHEX_MANIFEST_IN_RESOURCES)
endif()
