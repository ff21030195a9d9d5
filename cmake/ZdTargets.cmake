# zd_test(NAME SOURCES ... LIBS ...): one GoogleTest executable whose cases
# CTest lists one by one.
function(zd_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "ZD_TEST_BIN_DIR=${PROJECT_BINARY_DIR}" ${ZD_SANITIZER_TEST_PROPERTIES})
endfunction()
