# Native (Linux) build: the core and its unit tests against fakes of the platform.
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)

file(GLOB QUILTOR_UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*_test.cpp)
file(GLOB QUILTOR_FAKES CONFIGURE_DEPENDS tests/fakes/*.cpp)
# Built once for every test program (a sanitizer build compiles slowly).
add_library(quiltor_fakes STATIC ${QUILTOR_FAKES})
target_include_directories(quiltor_fakes PUBLIC tests)
target_link_libraries(quiltor_fakes PUBLIC quiltor_core)
quiltor_warnings(quiltor_fakes)
foreach(test_source ${QUILTOR_UNIT_TESTS})
  get_filename_component(test_name ${test_source} NAME_WE)
  add_executable(${test_name} ${test_source})
  target_link_libraries(${test_name} PRIVATE quiltor_fakes loomwork_core GTest::gtest GTest::gtest_main Threads::Threads)
  quiltor_warnings(${test_name})
  add_test(NAME unit.${test_name} COMMAND ${test_name})
  set_tests_properties(unit.${test_name} PROPERTIES LABELS unit TIMEOUT 120)
endforeach()

file(GLOB QUILTOR_NATIVE_BENCH CONFIGURE_DEPENDS bench/native/*.cpp)
foreach(bench_source ${QUILTOR_NATIVE_BENCH})
  get_filename_component(bench_name ${bench_source} NAME_WE)
  add_executable(${bench_name} ${bench_source})
  target_link_libraries(${bench_name} PRIVATE quiltor_core)
  target_include_directories(${bench_name} PRIVATE bench)
  quiltor_warnings(${bench_name})
  # The test layer runs each benchmark briefly: it starts, measures, prints its figures and ends.
  add_test(NAME bench.${bench_name} COMMAND ${CMAKE_SOURCE_DIR}/scripts/bench --smoke $<TARGET_FILE:${bench_name}>)
  set_tests_properties(bench.${bench_name} PROPERTIES LABELS bench TIMEOUT 120)
endforeach()

# The snapshot worker's threads once more under ThreadSanitizer, which cannot
# share a build with the address sanitizer: its sources are compiled here
# again rather than linked from the core.
if(NOT QUILTOR_SANITIZE)
  add_executable(clipboard_snapshot_tsan_test tests/unit/clipboard_snapshot_test.cpp
    src/delivery/snapshot_taker.cpp src/delivery/clipboard_formats.cpp)
  target_include_directories(clipboard_snapshot_tsan_test PRIVATE src tests)
  target_compile_options(clipboard_snapshot_tsan_test PRIVATE -fsanitize=thread)
  target_link_options(clipboard_snapshot_tsan_test PRIVATE -fsanitize=thread)
  target_link_libraries(clipboard_snapshot_tsan_test PRIVATE GTest::gtest GTest::gtest_main Threads::Threads)
  quiltor_warnings(clipboard_snapshot_tsan_test)
  add_test(NAME unit.clipboard_snapshot_tsan_test COMMAND clipboard_snapshot_tsan_test)
  set_tests_properties(unit.clipboard_snapshot_tsan_test PROPERTIES LABELS unit TIMEOUT 120
    ENVIRONMENT "TSAN_OPTIONS=halt_on_error=1")
endif()

# Product code frees no Win32 handle by hand.
add_test(NAME unit.owners COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-owners)
set_tests_properties(unit.owners PROPERTIES LABELS unit)

# Product code never converts with the machine's code page: no CP_ACP, no ...A call.
add_test(NAME unit.ansi COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-ansi)
set_tests_properties(unit.ansi PROPERTIES LABELS unit)
