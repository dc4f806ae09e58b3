# Fuzz build (clang): one libFuzzer program per tests/fuzz/*_fuzz.cpp, named
# fuzz_<target>, linked against the core and the fakes it needs.
file(GLOB QUILTOR_FUZZ_SOURCES CONFIGURE_DEPENDS tests/fuzz/*_fuzz.cpp)
file(GLOB QUILTOR_FUZZ_FAKES CONFIGURE_DEPENDS tests/fakes/*.cpp)
add_library(quiltor_fakes STATIC ${QUILTOR_FUZZ_FAKES})
target_include_directories(quiltor_fakes PUBLIC tests)
target_link_libraries(quiltor_fakes PUBLIC quiltor_core)
foreach(fuzz_source ${QUILTOR_FUZZ_SOURCES})
  get_filename_component(fuzz_name ${fuzz_source} NAME_WE)
  string(REGEX REPLACE "_fuzz$" "" fuzz_name ${fuzz_name})
  add_executable(fuzz_${fuzz_name} ${fuzz_source})
  target_link_libraries(fuzz_${fuzz_name} PRIVATE quiltor_fakes)
  target_link_options(fuzz_${fuzz_name} PRIVATE -fsanitize=fuzzer)
endforeach()
