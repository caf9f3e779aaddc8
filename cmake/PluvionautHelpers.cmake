# Small helpers shared by every subsystem's CMakeLists.txt.

# Adds every immediate sub-folder of the current source folder that has a
# CMakeLists.txt, in name order.
function(pluv_add_child_dirs)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# pluv_add_test(NAME <name> SOURCES <files...> LIBS <targets...> [ENV <VAR=value...>] [LABELS <labels...>])
# One GoogleTest executable (built into build/tests/), its cases registered
# with ctest one by one. Tests run with build/bin/ as working directory,
# where the game's data folders live, and on Qt's offscreen platform.
include(GoogleTest)
find_package(GTest REQUIRED)
function(pluv_add_test)
  # SERIAL: the tests run alone (a live audio stream must not share the CPU with other suites).
  cmake_parse_arguments(T "SERIAL" "NAME" "SOURCES;LIBS;ENV;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${T_NAME} PRIVATE
    PLUV_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    PLUV_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data"
    PLUV_CORPUS_DIR="${CMAKE_SOURCE_DIR}/../shared/corpus"
    PLUV_BIN_DIR="${PLUV_BIN_DIR}")
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # gtest_discover_tests cannot carry a list of environment entries through
  # its generated script, so the entries are compiled into the test program
  # and set by test_environment.cpp before any test runs.
  string(REPLACE ";" "|" envText "${T_ENV}")
  target_sources(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/cmake/test_environment.cpp)
  target_compile_definitions(${T_NAME} PRIVATE PLUV_TEST_ENV="${envText}")
  # Only properties with a value: an empty LABELS would vanish from the list
  # and take the name after it as its value.
  set(properties ENVIRONMENT "QT_QPA_PLATFORM=offscreen" RUN_SERIAL "${T_SERIAL}")
  if(T_LABELS)
    list(APPEND properties LABELS "${T_LABELS}")
  endif()
  gtest_discover_tests(${T_NAME}
    WORKING_DIRECTORY ${PLUV_BIN_DIR}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ${properties})
endfunction()
