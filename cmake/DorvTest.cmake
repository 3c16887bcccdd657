# dorv_test(<name> SOURCES ... LIBS ... [LABELS <label>])
# One test executable per library or area; every test case becomes a CTest test.
function(dorv_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${T_LIBS} dorv_testsupport GTest::gtest GTest::gmock)
  if(NOT T_LABELS)
    set(T_LABELS unit)
  endif()
  # The discovered tests' properties lose a list's separators (each test would
  # get the first label only, the others read as property names): one label.
  list(LENGTH T_LABELS _count)
  if(_count GREATER 1)
    message(FATAL_ERROR "dorv_test(${name}): one label, not ${T_LABELS}")
  endif()
  gtest_discover_tests(${name} PROPERTIES LABELS "${T_LABELS}" DISCOVERY_TIMEOUT 60)
endfunction()
