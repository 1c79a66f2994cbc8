# Linux port: our own web host over GTK 3 and WebKitGTK 4.1.
find_package(PkgConfig REQUIRED)
pkg_check_modules(GTK3 REQUIRED IMPORTED_TARGET gtk+-3.0)
pkg_check_modules(WEBKITGTK REQUIRED IMPORTED_TARGET webkit2gtk-4.1)

# The page side of the bindings, kept as JavaScript and built in as a string.
file(READ ${PROJECT_SOURCE_DIR}/src/app/web_host_bridge.js SONABEL_BRIDGE_SCRIPT)
configure_file(${PROJECT_SOURCE_DIR}/cmake/web_host_bridge_script.h.in
               ${PROJECT_BINARY_DIR}/generated/app/web_host_bridge_script.h @ONLY)

add_library(sonabel_platform STATIC
  src/app/startup.cpp
  src/app/web_host_gtk.cpp
  src/app/download_dialog_gtk.cpp
  src/bridge/native_action_handler.cpp
  src/app/executable_folder_gtk.cpp
  src/bridge/window_actions_gtk.cpp
  src/import/import_dialogs_gtk.cpp
)
target_include_directories(sonabel_platform PRIVATE ${PROJECT_BINARY_DIR}/generated)
target_link_libraries(sonabel_platform PUBLIC sonabel_core PkgConfig::GTK3 PkgConfig::WEBKITGTK)
target_compile_options(sonabel_platform PRIVATE -Wall -Wextra)

add_executable(sonabel src/app/main_gtk.cpp)
add_dependencies(sonabel sonabel_web)
target_link_libraries(sonabel PRIVATE sonabel_platform)
target_compile_options(sonabel PRIVATE -Wall -Wextra)

# Installed as one self-contained folder, the executable with web/ beside it
# where the start-page search looks first, plus a launcher link and a menu
# entry.
set(SONABEL_APP_FOLDER lib/sonabel)
install(TARGETS sonabel RUNTIME DESTINATION ${SONABEL_APP_FOLDER})
install(DIRECTORY ${SONABEL_WEB_DIR}/ DESTINATION ${SONABEL_APP_FOLDER}/web)
# The link and the menu entry name the prefix given at install time, which
# `cmake --install --prefix` may change after configuring.
install(CODE "
  set(prefix \"\${CMAKE_INSTALL_PREFIX}\")
  set(bin \"\$ENV{DESTDIR}\${prefix}/bin\")
  file(MAKE_DIRECTORY \"\${bin}\")
  file(REMOVE \"\${bin}/sonabel\")
  file(CREATE_LINK ../${SONABEL_APP_FOLDER}/sonabel \"\${bin}/sonabel\" SYMBOLIC)
  message(STATUS \"Installing: \${bin}/sonabel -> ../${SONABEL_APP_FOLDER}/sonabel\")
  set(SONABEL_LAUNCHER \"\${prefix}/bin/sonabel\")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/sonabel.desktop.in
                 \"\$ENV{DESTDIR}\${prefix}/share/applications/sonabel.desktop\" @ONLY)
  message(STATUS \"Installing: \$ENV{DESTDIR}\${prefix}/share/applications/sonabel.desktop\")
")
include(${PROJECT_SOURCE_DIR}/cmake/linux_package.cmake)
