# Sonabel.exe against the real webview library, with the player beside it,
# and the zip that users download: Sonabel.exe, web\, the read-me and the
# licence notices.

enable_language(RC)
set(SONABEL_WINDOWS_RESOURCES ${PROJECT_SOURCE_DIR}/packaging/windows)
configure_file(${SONABEL_WINDOWS_RESOURCES}/sonabel.rc.in ${PROJECT_BINARY_DIR}/sonabel.rc @ONLY)
configure_file(${SONABEL_WINDOWS_RESOURCES}/README.txt ${PROJECT_BINARY_DIR}/README.txt @ONLY)

# WIN32: a GUI program entered at WinMain, with no console.
add_executable(Sonabel WIN32
  src/app/main_win32.cpp
  src/app/dll_search_win32.cpp
  src/app/web_host_webview.cpp
  src/app/web_process_failure_win32.cpp
  src/app/library_windows_win32.cpp
  ${PROJECT_BINARY_DIR}/sonabel.rc
)
set_property(SOURCE ${PROJECT_BINARY_DIR}/sonabel.rc APPEND PROPERTY OBJECT_DEPENDS
  ${SONABEL_WINDOWS_RESOURCES}/sonabel.manifest ${SONABEL_WINDOWS_RESOURCES}/sonabel.ico)
target_link_libraries(Sonabel PRIVATE sonabel_platform webview::core)
if(MINGW)
  target_link_options(Sonabel PRIVATE -static -static-libgcc -static-libstdc++)
elseif(MSVC)
  # The manifest is ours, in the resources; the linker must not add its own.
  target_link_options(Sonabel PRIVATE /MANIFEST:NO)
endif()
# The player beside the program (the build's web/, see web.cmake), where
# the start-page search looks first.
add_dependencies(Sonabel sonabel_web)

install(TARGETS Sonabel RUNTIME DESTINATION .)
install(FILES ${PROJECT_BINARY_DIR}/README.txt ${SONABEL_WINDOWS_RESOURCES}/NOTICES.txt DESTINATION .)
install(DIRECTORY ${SONABEL_WEB_DIR}/ DESTINATION web)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Sonabel)
set(SONABEL_PACKAGE_NAME Sonabel-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_FILE_NAME ${SONABEL_PACKAGE_NAME})
# Unpacked, the zip is the program's folder itself.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
# The symbols are for debugging here, not for users' downloads.
set(CPACK_STRIP_FILES ON)
include(CPack)

# Made by every build, so tests and users find it in the build folder.
set(SONABEL_PACKAGE ${PROJECT_BINARY_DIR}/${SONABEL_PACKAGE_NAME}.zip)
add_custom_command(OUTPUT ${SONABEL_PACKAGE}
  COMMAND ${CMAKE_CPACK_COMMAND} -G ZIP --config ${PROJECT_BINARY_DIR}/CPackConfig.cmake
  DEPENDS Sonabel sonabel_web ${SONABEL_WEB_DIR}/sonabel.js ${PROJECT_BINARY_DIR}/README.txt ${SONABEL_WINDOWS_RESOURCES}/NOTICES.txt
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
  COMMENT "Packing ${SONABEL_PACKAGE_NAME}.zip"
  VERBATIM)
add_custom_target(sonabel_package ALL DEPENDS ${SONABEL_PACKAGE})
