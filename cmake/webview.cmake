# The webview library, release 0.12.0, and the WebView2 SDK header it pins.
# With no network, CMake's own overrides point at unmodified copies: a
# `vendor` folder in `../shared` beside the checkout is picked up by itself,
# or give FETCHCONTENT_SOURCE_DIR_WEBVIEW and MSWebView2_ROOT on the command
# line. With neither, both are fetched from upstream.
include(FetchContent)

set(SONABEL_VENDOR_DIR "${PROJECT_SOURCE_DIR}/../shared/vendor" CACHE PATH
    "Folder holding offline copies of webview-0.12.0 and mswebview2-1.0.1150.38")
if(NOT FETCHCONTENT_SOURCE_DIR_WEBVIEW AND EXISTS "${SONABEL_VENDOR_DIR}/webview-0.12.0/CMakeLists.txt")
  set(FETCHCONTENT_SOURCE_DIR_WEBVIEW "${SONABEL_VENDOR_DIR}/webview-0.12.0" CACHE PATH "" FORCE)
endif()
if(NOT MSWebView2_ROOT AND EXISTS "${SONABEL_VENDOR_DIR}/mswebview2-1.0.1150.38/include/WebView2.h")
  set(MSWebView2_ROOT "${SONABEL_VENDOR_DIR}/mswebview2-1.0.1150.38" CACHE PATH "" FORCE)
endif()

# Only what the program needs from the library: its header-only C++ API.
set(WEBVIEW_BUILD_SHARED_LIBRARY OFF CACHE BOOL "" FORCE)
set(WEBVIEW_BUILD_STATIC_LIBRARY OFF CACHE BOOL "" FORCE)
set(WEBVIEW_BUILD_TESTS OFF CACHE BOOL "" FORCE)
set(WEBVIEW_BUILD_EXAMPLES OFF CACHE BOOL "" FORCE)
set(WEBVIEW_BUILD_DOCS OFF CACHE BOOL "" FORCE)
set(WEBVIEW_INSTALL_DOCS OFF CACHE BOOL "" FORCE)
set(WEBVIEW_INSTALL_TARGETS OFF CACHE BOOL "" FORCE)
set(WEBVIEW_ENABLE_CHECKS OFF CACHE BOOL "" FORCE)
set(WEBVIEW_ENABLE_PACKAGING OFF CACHE BOOL "" FORCE)
if(MINGW)
  # MinGW's headers lack a few WebView2 SDK prerequisites the library supplies.
  set(WEBVIEW_USE_COMPAT_MINGW ON CACHE BOOL "" FORCE)
endif()
FetchContent_Declare(webview
  GIT_REPOSITORY https://github.com/webview/webview
  GIT_TAG 0.12.0)
FetchContent_MakeAvailable(webview)
