# gbkhex.exe, the native Windows program (MSVC or mingw-w64).

add_executable(gbkhex_win32 WIN32
  ${CMAKE_CURRENT_LIST_DIR}/win32_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gbkhex.rc)
# The resource compiler reports no dependencies of its own.
set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/gbkhex.rc APPEND PROPERTY OBJECT_DEPENDS
  ${CMAKE_CURRENT_LIST_DIR}/gbkhex.ico ${CMAKE_CURRENT_LIST_DIR}/gbkhex.exe.manifest
  ${CMAKE_CURRENT_LIST_DIR}/resource.h ${GBKHEX_GENERATED_DIR}/gbkhex/product_rc.h)
set_target_properties(gbkhex_win32 PROPERTIES OUTPUT_NAME ${GBKHEX_PRODUCT_NAME})
target_include_directories(gbkhex_win32 PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(gbkhex_win32 PRIVATE gbkhex::product gbkhex_win32_form comctl32 ole32 gbkhex_warnings)
# mingw's start-up code looks for wWinMain only when told to; MSVC finds it by itself.
target_link_options(gbkhex_win32 PRIVATE $<$<CXX_COMPILER_ID:GNU,Clang>:-municode>)
if(MSVC)
  # MSVC's linker merges listed manifests into the one it embeds.
  target_sources(gbkhex_win32 PRIVATE ${CMAKE_CURRENT_LIST_DIR}/gbkhex.exe.manifest)
else()
  set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/gbkhex.rc
    APPEND PROPERTY COMPILE_DEFINITIONS GBKHEX_MANIFEST_IN_RESOURCES)
endif()

install(TARGETS gbkhex_win32 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
