include(GoogleTest)

# tavlo_add_test(<name> SOURCES <files...> [LIBRARIES <targets...>])
# One GoogleTest program per area, linked against the same libraries as the program; every
# case becomes a CTest test that runs on Qt's offscreen platform.
function(tavlo_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE tavlo-testsupport ${ARG_LIBRARIES})
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0"
               TIMEOUT 300)
endfunction()
