include(GoogleTest)

# tavlo_add_test(<name> SOURCES <files...> [LIBRARIES <targets...>] [RESOURCE_LOCK <name>])
# One GoogleTest program per area, linked against the same libraries as the program; every
# case becomes a CTest test that runs on Qt's offscreen platform. Tests of widgets name
# tavlo-guitestsupport among their libraries and get a QApplication. Cases that empty a shared
# store (the PostgreSQL server of the run) name it as their RESOURCE_LOCK, so none runs beside another.
function(tavlo_add_test name)
  cmake_parse_arguments(ARG "" "RESOURCE_LOCK" "SOURCES;LIBRARIES" ${ARGN})
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
    # The lock first: the generated set_tests_properties takes the ENVIRONMENT list apart.
    PROPERTIES ${lock} ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0"
               TIMEOUT 300)
endfunction()
