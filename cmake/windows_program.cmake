# Sonabel.exe against the real webview library, with the player beside it,
# and the zip that users download: Sonabel.exe and web\, nothing else.

# WIN32: a GUI program entered at WinMain, with no console.
add_executable(Sonabel WIN32
  src/app/main_win32.cpp
  src/app/web_host_webview.cpp
  src/app/library_windows_win32.cpp
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

install(TARGETS Sonabel RUNTIME DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/web/ DESTINATION web)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Sonabel)
set(SONABEL_PACKAGE_NAME Sonabel-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_FILE_NAME ${SONABEL_PACKAGE_NAME})
# Unpacked, the zip is the program's folder itself.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)

# Made by every build, so tests and users find it in the build folder.
set(SONABEL_PACKAGE ${PROJECT_BINARY_DIR}/${SONABEL_PACKAGE_NAME}.zip)
file(GLOB_RECURSE sonabel_web_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/web/*)
add_custom_command(OUTPUT ${SONABEL_PACKAGE}
  COMMAND ${CMAKE_CPACK_COMMAND} -G ZIP --config ${PROJECT_BINARY_DIR}/CPackConfig.cmake
  DEPENDS Sonabel ${sonabel_web_files}
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
  COMMENT "Packing ${SONABEL_PACKAGE_NAME}.zip"
  VERBATIM)
add_custom_target(sonabel_package ALL DEPENDS ${SONABEL_PACKAGE})
