# Windows: Win32 window actions and dialogs; the web host is the webview
# library with the WebView2 SDK header, fetched while configuring.
add_library(sonabel_platform STATIC
  src/app/startup.cpp
  src/app/startup_win32.cpp
  src/bridge/native_action_handler.cpp
  src/app/executable_folder_win32.cpp
  src/bridge/window_actions_win32.cpp
  src/import/import_dialogs_win32.cpp
)
# WIN32_LEAN_AND_MEAN stays private: the webview library defines it itself.
target_compile_definitions(sonabel_platform PUBLIC UNICODE _UNICODE NOMINMAX PRIVATE WIN32_LEAN_AND_MEAN)
target_compile_definitions(sonabel_core PUBLIC UNICODE _UNICODE NOMINMAX PRIVATE WIN32_LEAN_AND_MEAN)
target_link_libraries(sonabel_platform PUBLIC sonabel_core user32 shlwapi comdlg32 shell32 ole32)
if(MSVC)
  target_compile_options(sonabel_core PUBLIC /utf-8)
endif()

if(SONABEL_WITH_WEBVIEW)
  include(cmake/webview.cmake)
  include(cmake/windows_program.cmake)
endif()
