# The player's browser suites and the end-to-end suites, one CTest test per
# file. Each starts what it needs (Chromium, Xvfb, the built program).
find_program(NODE_EXECUTABLE node REQUIRED)
foreach(kind web e2e)
  file(GLOB suites CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${kind}/*.test.mjs)
  foreach(suite ${suites})
    get_filename_component(name ${suite} NAME_WE)
    add_test(NAME ${kind}.${name}
             COMMAND ${NODE_EXECUTABLE} --test --test-concurrency=1 ${suite}
             WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    set_tests_properties(${kind}.${name} PROPERTIES LABELS ${kind} TIMEOUT 900)
  endforeach()
endforeach()

# The player's modules type-checked from their JSDoc: all of them, and the
# state's owners and the pure core strictly.
foreach(config tsconfig tsconfig.strict)
  add_test(NAME web.types.${config}
           COMMAND ${PROJECT_SOURCE_DIR}/node_modules/.bin/tsc -p src/web/${config}.json
           WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  set_tests_properties(web.types.${config} PROPERTIES LABELS web)
endforeach()
