# Windows: Win32 window actions and dialogs; the web host is the webview
# library, which only a native Windows build can fetch (it needs the WebView2 SDK).
add_library(sonabel_platform STATIC
  src/app/startup.cpp
  src/bridge/native_action_handler.cpp
  src/app/executable_folder_win32.cpp
  src/bridge/window_actions_win32.cpp
  src/import/import_dialogs_win32.cpp
)
target_compile_definitions(sonabel_platform PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
target_compile_definitions(sonabel_core PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(sonabel_platform PUBLIC sonabel_core user32 shlwapi comdlg32 shell32 ole32)
