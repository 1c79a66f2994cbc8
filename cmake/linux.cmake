# Linux port: our own web host over GTK 3 and WebKitGTK 4.1.
find_package(PkgConfig REQUIRED)
pkg_check_modules(GTK3 REQUIRED IMPORTED_TARGET gtk+-3.0)
pkg_check_modules(WEBKITGTK REQUIRED IMPORTED_TARGET webkit2gtk-4.1)

add_library(sonabel_platform STATIC
  src/app/startup.cpp
  src/bridge/native_action_handler.cpp
  src/app/executable_folder_gtk.cpp
  src/bridge/window_actions_gtk.cpp
  src/import/import_dialogs_gtk.cpp
)
target_link_libraries(sonabel_platform PUBLIC sonabel_core PkgConfig::GTK3 PkgConfig::WEBKITGTK)
