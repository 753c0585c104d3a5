include(GoogleTest)

# tavlo_add_test(<name> SOURCES <files...> [LIBRARIES <targets...>] [FIXTURES <fixtures...>]
#                [RESOURCE_LOCK <name>])
# One GoogleTest program per area, linked against the same libraries as the program; every
# case becomes a CTest test that runs on Qt's offscreen platform. Tests of widgets name
# tavlo-guitestsupport among their libraries and get a QApplication. FIXTURES names the CTest
# fixtures every case needs (postgres: the test server of tools/test-postgres.sh). Cases that
# empty a store shared by the run name it as their RESOURCE_LOCK, so none runs beside another.
function(tavlo_add_test name)
  cmake_parse_arguments(ARG "" "RESOURCE_LOCK" "SOURCES;LIBRARIES;FIXTURES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if("tavlo-guitestsupport" IN_LIST ARG_LIBRARIES)
    target_link_libraries(${name} PRIVATE tavlo-testsupport ${ARG_LIBRARIES})
  else()
    target_link_libraries(${name} PRIVATE tavlo-testsupport tavlo-testmain ${ARG_LIBRARIES})
  endif()
  set(lock)
  if(ARG_RESOURCE_LOCK)
    set(lock RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    # One variable per property: a list would be split into property names, and the
    # properties after it lost.
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
               ENVIRONMENT_MODIFICATION "ASAN_OPTIONS=set:detect_leaks=0"
               TIMEOUT 300
               FIXTURES_REQUIRED "${ARG_FIXTURES}"
               ${lock})
endfunction()
