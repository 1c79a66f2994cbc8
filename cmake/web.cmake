# The player as it ships: index.html, the stylesheets and one classic script
# that esbuild bundles from the ES modules under src/web/js (a file:// page
# cannot load module scripts in Chromium, so WebView2). The program, the
# zip and the package take the build's web/ folder; the page in the source
# tree, which a build folder's program also finds, loads a copy of the same
# bundle beside it.
set(SONABEL_WEB_DIR ${PROJECT_BINARY_DIR}/web)
find_program(SONABEL_ESBUILD esbuild PATHS ${PROJECT_SOURCE_DIR}/node_modules/.bin NO_DEFAULT_PATH REQUIRED)
file(GLOB_RECURSE sonabel_web_sources CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/src/web/js/*.js ${PROJECT_SOURCE_DIR}/src/web/css/*.css ${PROJECT_SOURCE_DIR}/src/web/index.html)
add_custom_command(OUTPUT ${SONABEL_WEB_DIR}/sonabel.js
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${SONABEL_WEB_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/src/web/css ${SONABEL_WEB_DIR}/css
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/src/web/index.html ${SONABEL_WEB_DIR}/index.html
  COMMAND ${SONABEL_ESBUILD} ${PROJECT_SOURCE_DIR}/src/web/js/main.js --bundle --format=iife
          --target=chrome100,safari15 --log-level=warning --outfile=${SONABEL_WEB_DIR}/sonabel.js
  COMMAND ${CMAKE_COMMAND} -E copy ${SONABEL_WEB_DIR}/sonabel.js ${PROJECT_SOURCE_DIR}/src/web/sonabel.js
  DEPENDS ${sonabel_web_sources}
  COMMENT "Bundling the player into web/"
  VERBATIM)
add_custom_target(sonabel_web ALL DEPENDS ${SONABEL_WEB_DIR}/sonabel.js)
