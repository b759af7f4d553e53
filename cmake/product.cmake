# The product's and its maker's names and texts, in one place. The windows'
# captions, gbkhex-cli --version, the Windows version record and the packages
# all read them from here, and the version from project(). Texts are UTF-8.

set(GBKHEX_PRODUCT_NAME "gbkhex")
set(GBKHEX_CLI_NAME "gbkhex-cli")
set(GBKHEX_COMPANY_NAME "Quenvali显示技术有限公司")
# Short, so that the whole welcome line fits its label.
set(GBKHEX_WEB_ADDRESS "www.quenvali.com")
set(GBKHEX_HOME_PAGE "http://www.quenvali.com/")
set(GBKHEX_WINDOW_CAPTION "${GBKHEX_COMPANY_NAME}(${GBKHEX_WEB_ADDRESS})")
set(GBKHEX_WELCOME "欢迎选用Quenvali液晶显示屏，更多信息请登陆:${GBKHEX_WEB_ADDRESS}")
# Reverse-DNS, as desktops and software centres name applications.
set(GBKHEX_APP_ID "com.quenvali.gbkhex")
set(GBKHEX_REPOSITORY "https://git.quenvali.com/lcd-tools/gbkhex")
# The README's picture of the window, as the release's tag holds it.
set(GBKHEX_SCREENSHOT_URL
  "${GBKHEX_REPOSITORY}/raw/tag/v${PROJECT_VERSION}/docs/screenshot-linux.png")
set(GBKHEX_MAINTAINER "Quenvali Display Technology <support@quenvali.com>")
set(GBKHEX_LICENSE "MIT")
set(GBKHEX_COPYRIGHT "2025 ${GBKHEX_COMPANY_NAME}")
set(GBKHEX_SUMMARY "Shows the GBK bytes of Chinese text as hex pairs or C constants")

# "1.00" for 1.0.0: the minor number in two digits, and a patch number only
# when there is one, so that every release reads differently.
string(LENGTH "${PROJECT_VERSION_MINOR}" minor_digits)
if(minor_digits LESS 2)
  set(GBKHEX_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.0${PROJECT_VERSION_MINOR}")
else()
  set(GBKHEX_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}")
endif()
if(PROJECT_VERSION_PATCH GREATER 0)
  string(APPEND GBKHEX_VERSION_TEXT ".${PROJECT_VERSION_PATCH}")
endif()

# The build's date, or SOURCE_DATE_EPOCH's when it is set, so that packages
# can be made again bit for bit.
string(TIMESTAMP GBKHEX_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP GBKHEX_RELEASE_TIME "%a, %d %b %Y %H:%M:%S +0000" UTC)

# The texts go into C++ and resource-script string literals as they are.
foreach(name IN ITEMS PRODUCT_NAME CLI_NAME COMPANY_NAME WEB_ADDRESS HOME_PAGE WINDOW_CAPTION
    WELCOME APP_ID VERSION_TEXT)
  if(GBKHEX_${name} MATCHES "[\"\\\\]")
    message(FATAL_ERROR "GBKHEX_${name} may hold neither quotes nor backslashes")
  endif()
endforeach()

set(GBKHEX_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/product.h.in
  ${GBKHEX_GENERATED_DIR}/gbkhex/product.h @ONLY)
# Resource scripts read #defines only.
configure_file(${CMAKE_CURRENT_LIST_DIR}/product_rc.h.in
  ${GBKHEX_GENERATED_DIR}/gbkhex/product_rc.h @ONLY)

add_library(gbkhex_product INTERFACE)
add_library(gbkhex::product ALIAS gbkhex_product)
target_include_directories(gbkhex_product INTERFACE ${GBKHEX_GENERATED_DIR})
