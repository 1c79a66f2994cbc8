# Windows: Win32 window actions and dialogs; the web host is the webview
# library, which only a native Windows build can fetch (it needs the WebView2 SDK).
add_library(sonabel_platform STATIC
  src/app/startup.cpp
  src/app/startup_win32.cpp
  src/bridge/native_action_handler.cpp
  src/app/executable_folder_win32.cpp
  src/bridge/window_actions_win32.cpp
  src/import/import_dialogs_win32.cpp
)
target_compile_definitions(sonabel_platform PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
target_compile_definitions(sonabel_core PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(sonabel_platform PUBLIC sonabel_core user32 shlwapi comdlg32 shell32 ole32)
if(MSVC)
  target_compile_options(sonabel_core PUBLIC /utf-8)
endif()

if(SONABEL_WITH_WEBVIEW)
  include(FetchContent)
  # Only what the program needs from the library: its header-only C++ API.
  set(WEBVIEW_BUILD_TESTS OFF CACHE BOOL "" FORCE)
  set(WEBVIEW_BUILD_EXAMPLES OFF CACHE BOOL "" FORCE)
  set(WEBVIEW_BUILD_DOCS OFF CACHE BOOL "" FORCE)
  set(WEBVIEW_ENABLE_CHECKS OFF CACHE BOOL "" FORCE)
  if(MINGW)
    # MinGW's headers lack a few WebView2 SDK prerequisites the library supplies.
    set(WEBVIEW_USE_COMPAT_MINGW ON CACHE BOOL "" FORCE)
  endif()
  FetchContent_Declare(webview
    GIT_REPOSITORY https://github.com/webview/webview
    GIT_TAG 0.12.0)
  FetchContent_MakeAvailable(webview)

  # WIN32: a GUI program entered at WinMain, with no console.
  add_executable(Sonabel WIN32
    src/app/main_win32.cpp
    src/app/web_host_webview.cpp
  )
  target_link_libraries(Sonabel PRIVATE sonabel_platform webview::core)
  if(MINGW)
    target_link_options(Sonabel PRIVATE -static -static-libgcc -static-libstdc++)
  endif()
  # The player beside the program, where the start-page search looks first.
  add_custom_command(TARGET Sonabel POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E rm -rf $<TARGET_FILE_DIR:Sonabel>/web
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/src/web $<TARGET_FILE_DIR:Sonabel>/web
    VERBATIM)
endif()
