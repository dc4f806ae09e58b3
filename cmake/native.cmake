# Native (Linux) build: the core and its unit tests against fakes of the platform.
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)

file(GLOB QUILTOR_UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*_test.cpp)
file(GLOB QUILTOR_FAKES CONFIGURE_DEPENDS tests/fakes/*.cpp)
# Built once for every test program (a sanitizer build compiles slowly).
add_library(quiltor_fakes STATIC ${QUILTOR_FAKES})
target_include_directories(quiltor_fakes PUBLIC tests)
target_link_libraries(quiltor_fakes PUBLIC quiltor_core)
foreach(test_source ${QUILTOR_UNIT_TESTS})
  get_filename_component(test_name ${test_source} NAME_WE)
  add_executable(${test_name} ${test_source})
  target_link_libraries(${test_name} PRIVATE quiltor_fakes GTest::gtest GTest::gtest_main Threads::Threads)
  add_test(NAME unit.${test_name} COMMAND ${test_name})
  set_tests_properties(unit.${test_name} PROPERTIES LABELS unit TIMEOUT 120)
endforeach()

file(GLOB QUILTOR_NATIVE_BENCH CONFIGURE_DEPENDS bench/native/*.cpp)
foreach(bench_source ${QUILTOR_NATIVE_BENCH})
  get_filename_component(bench_name ${bench_source} NAME_WE)
  add_executable(${bench_name} ${bench_source})
  target_link_libraries(${bench_name} PRIVATE quiltor_core)
endforeach()
