# The shapefile fuzzer and the check it makes, over the shared test support; included by
# tests/shapefile/CMakeLists.txt.
#
# The check runs in the ordinary test suite over the inputs kept in corpus/ and over the
# seeds. With MORVANE_BUILD_FUZZERS (clang, MORVANE_SANITIZE) the libFuzzer target
# shapefile_fuzzer is built too, with write_seeds to write its seed inputs.
set(MORVANE_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})

add_library(morvane_fuzz_check STATIC
  ${MORVANE_FUZZ_DIR}/conversion_check.cpp
  ${MORVANE_FUZZ_DIR}/seed_inputs.cpp)
target_include_directories(morvane_fuzz_check PUBLIC ${MORVANE_FUZZ_DIR})
target_link_libraries(morvane_fuzz_check PUBLIC morvane_test_support)
morvane_warnings(morvane_fuzz_check)

morvane_add_gtest(fuzz_regression_tests
  SOURCES ${MORVANE_FUZZ_DIR}/fuzz_regression_test.cpp
  LIBRARIES morvane_fuzz_check)
target_compile_definitions(fuzz_regression_tests PRIVATE MORVANE_FUZZ_CORPUS="${MORVANE_FUZZ_DIR}/corpus")

if(MORVANE_BUILD_FUZZERS)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "MORVANE_BUILD_FUZZERS needs clang++: configure with CC=clang CXX=clang++")
  endif()
  if(NOT MORVANE_SANITIZE)
    message(FATAL_ERROR "MORVANE_BUILD_FUZZERS needs MORVANE_SANITIZE=ON, so that the code under test is checked too")
  endif()
  # Coverage feedback from the code under test, not only from the fuzzer's own code.
  foreach(target morvane_engine morvane_shapefile morvane_test_support morvane_fuzz_check)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
  endforeach()
  add_executable(shapefile_fuzzer ${MORVANE_FUZZ_DIR}/shapefile_fuzzer.cpp)
  target_link_libraries(shapefile_fuzzer PRIVATE morvane_fuzz_check)
  target_compile_options(shapefile_fuzzer PRIVATE -fsanitize=fuzzer)
  target_link_options(shapefile_fuzzer PRIVATE -fsanitize=fuzzer)
  morvane_warnings(shapefile_fuzzer)

  add_executable(write_seeds ${MORVANE_FUZZ_DIR}/write_seeds.cpp)
  target_link_libraries(write_seeds PRIVATE morvane_fuzz_check)
  morvane_warnings(write_seeds)
endif()
