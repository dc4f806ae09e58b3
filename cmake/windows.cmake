# Windows build (mingw-w64): the Win32 platform layer, the tool, its companions
# and the tests that run under Wine.
enable_language(RC)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
# Static, so the programs run in a bare Wine prefix without mingw's DLLs.
add_link_options(-static -static-libgcc -static-libstdc++)
# A Release build is the one users get (scripts/package): stripped, and the
# same bytes from any checkout and build folder, so no source paths and no
# link time stamp go into it.
add_compile_options($<$<CONFIG:Release>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>)
add_link_options($<$<CONFIG:Release>:-s> $<$<CONFIG:Release>:-Wl,--no-insert-timestamp>)
# The generated version header, for the code and the resource scripts.
include_directories(${CMAKE_BINARY_DIR}/generated)

file(GLOB QUILTOR_WIN32_SOURCES CONFIGURE_DEPENDS src/platform/win32/*.cpp)
add_library(quiltor_win32 STATIC ${QUILTOR_WIN32_SOURCES})
target_link_libraries(quiltor_win32 PUBLIC quiltor_core user32 gdi32 shell32 comctl32 comdlg32 ole32 advapi32)
quiltor_warnings(quiltor_win32)

file(GLOB_RECURSE QUILTOR_UI_SOURCES CONFIGURE_DEPENDS src/ui/*.cpp)
if(QUILTOR_UI_SOURCES)
  add_library(quiltor_ui STATIC ${QUILTOR_UI_SOURCES})
  target_link_libraries(quiltor_ui PUBLIC quiltor_win32 uxtheme)
  quiltor_warnings(quiltor_ui)
  set(QUILTOR_UI_LIB quiltor_ui)
endif()

file(GLOB_RECURSE QUILTOR_APP_SOURCES CONFIGURE_DEPENDS src/app/*.cpp src/app/*.rc src/ui/*.rc)
add_executable(Quiltor WIN32 ${QUILTOR_APP_SOURCES})
target_link_options(Quiltor PRIVATE -municode)
target_include_directories(Quiltor PRIVATE src/ui)
target_link_libraries(Quiltor PRIVATE ${QUILTOR_UI_LIB} quiltor_win32)
quiltor_warnings(Quiltor)

# The companion program Loomwork.exe, which makes and edits data files.
add_executable(Loomwork WIN32 companion/loomwork/loomwork_main.cpp companion/loomwork/findings_window.cpp
  companion/loomwork/loomwork.rc companion/loomwork/version.rc)
target_link_options(Loomwork PRIVATE -municode)
target_link_libraries(Loomwork PRIVATE loomwork_core ${QUILTOR_UI_LIB} quiltor_win32)
quiltor_warnings(Loomwork)

# GoogleTest from Debian's source package, built with the cross compiler.
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Helper programs the Win32 and end-to-end tests drive (test editors, hosts
# of single dialogs): one program per file of tests/tools.
function(quiltor_test_tool name)
  add_executable(${name} ${ARGN})
  target_include_directories(${name} PRIVATE tests samples/modules)
  target_link_libraries(${name} PRIVATE quiltor_win32)
  quiltor_warnings(${name})
endfunction()
file(GLOB QUILTOR_TEST_TOOLS CONFIGURE_DEPENDS tests/tools/*.cpp)
foreach(tool_source ${QUILTOR_TEST_TOOLS})
  get_filename_component(tool_name ${tool_source} NAME_WE)
  quiltor_test_tool(${tool_name} ${tool_source})
endforeach()
# The driver that reads the tool and its dialogs from outside: one program of
# the files of tests/tools/driver, one of them per family of subcommands.
file(GLOB QUILTOR_DRIVER_SOURCES CONFIGURE_DEPENDS tests/tools/driver/*.cpp)
quiltor_test_tool(qtdriver ${QUILTOR_DRIVER_SOURCES})
target_include_directories(qtdriver PRIVATE companion/loomwork)
# It reads the version resource of a file too.
target_link_libraries(qtdriver PRIVATE version)
# Helpers the tool itself starts (the linked-mode test editor, the recording
# program) are window programs: a console program started by one without a
# console gets a console window of its own, which would lie over the tool.
set_target_properties(qtlinkeditor qtrecord PROPERTIES WIN32_EXECUTABLE ON)
# The selection dialog's harness shows the dialog itself and needs its
# template, and the tool's manifest, so the dialog follows the DPI as in the tool.
target_sources(qtloomworkdlg PRIVATE src/ui/datafile/loomwork_dialog.rc src/ui/quiltor.rc)
target_include_directories(qtloomworkdlg PRIVATE src src/ui)
target_link_libraries(qtloomworkdlg PRIVATE ${QUILTOR_UI_LIB})

# The dialog harness shows the tool's dialogs over a plain window, so it needs
# the user-interface library and the dialogs' resource scripts.
if(TARGET qtsetupdlg)
  file(GLOB_RECURSE QUILTOR_UI_RESOURCES CONFIGURE_DEPENDS src/ui/*.rc)
  target_sources(qtsetupdlg PRIVATE ${QUILTOR_UI_RESOURCES})
  target_include_directories(qtsetupdlg PRIVATE src/ui)
  target_link_libraries(qtsetupdlg PRIVATE ${QUILTOR_UI_LIB})
endif()

# Sample edit modules shipped with the tool.
file(GLOB QUILTOR_MODULES CONFIGURE_DEPENDS samples/modules/*.cpp)
foreach(module_source ${QUILTOR_MODULES})
  get_filename_component(module_name ${module_source} NAME_WE)
  add_executable(${module_name} ${module_source})
  target_include_directories(${module_name} PRIVATE samples/modules)
  set_target_properties(${module_name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/modules)
  quiltor_warnings(${module_name})
endforeach()

# Every Wine test runs in a lane (scripts/lanes): a display, a Wine prefix and
# a Wine server of its own, so that ctest runs several side by side when it
# is given the lanes as a resource (scripts/test does).
#
# What times things or needs a quiet machine carries the label "quiet" and
# runs alone: the tests named in QUILTOR_QUIET_TESTS, and the cases named in
# QUILTOR_TIMED_<test> (a GoogleTest filter, or case names of an end-to-end
# test, run_cases in tests/e2e/e2elib.py), which run as <test>.timed while
# the test itself runs its other cases.
set(QUILTOR_LANE ${CMAKE_SOURCE_DIR}/scripts/lanes run)
set(QUILTOR_WINE_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-run)
set(QUILTOR_QUIET_TESTS e2e.test_delivery_hung)
set(QUILTOR_TIMED_delivery_notepad_test DeliveryNotepadTest.SlowFormatIsLeftOutAndNamedAndTheRestIsKept)
set(QUILTOR_TIMED_paste_race_test "PasteRaceTest.LatePasteGetsTheItemAndTheUserClipboardComesBackAfterwards:\
PasteRaceTest.EditorThatStopsAnsweringIsReportedAndNeverHangsTheTool")
set(QUILTOR_TIMED_test_linked_editors automatic_switching_follows_the_click_and_writes_there)

function(quiltor_lane_test name labels timeout)
  set_tests_properties(${name} PROPERTIES LABELS "${labels}" TIMEOUT ${timeout} RESOURCE_GROUPS lanes:1 SKIP_RETURN_CODE 77
    ENVIRONMENT "QUILTOR_BUILD_DIR=${CMAKE_BINARY_DIR};QUILTOR_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  if("quiet" IN_LIST labels)
    set_tests_properties(${name} PROPERTIES RUN_SERIAL ON)
  endif()
endfunction()

# <layer>.<name> runs the command (ARGN) in a lane, split as above.
function(quiltor_wine_test layer name timeout)
  set(test ${layer}.${name})
  set(labels ${layer})
  if(test IN_LIST QUILTOR_QUIET_TESTS)
    list(APPEND labels quiet)
  endif()
  set(timed "${QUILTOR_TIMED_${name}}")
  if(timed STREQUAL "")
    add_test(NAME ${test} COMMAND ${QUILTOR_LANE} ${ARGN})
  else()
    if(layer STREQUAL "win32")
      set(only --gtest_filter=${timed})
      set(skip --gtest_filter=-${timed})
    else()
      set(only --only ${timed})
      set(skip --skip ${timed})
    endif()
    add_test(NAME ${test} COMMAND ${QUILTOR_LANE} ${ARGN} ${skip})
    add_test(NAME ${test}.timed COMMAND ${QUILTOR_LANE} ${ARGN} ${only})
    quiltor_lane_test(${test}.timed "${layer};quiet" ${timeout})
  endif()
  quiltor_lane_test(${test} "${labels}" ${timeout})
endfunction()

file(GLOB QUILTOR_WIN_TESTS CONFIGURE_DEPENDS tests/win/*_test.cpp)
file(GLOB QUILTOR_WIN_TEST_SUPPORT CONFIGURE_DEPENDS tests/win/support/*.cpp)
foreach(test_source ${QUILTOR_WIN_TESTS})
  get_filename_component(test_name ${test_source} NAME_WE)
  add_executable(${test_name} ${test_source} ${QUILTOR_WIN_TEST_SUPPORT})
  target_include_directories(${test_name} PRIVATE tests)
  target_link_libraries(${test_name} PRIVATE ${QUILTOR_UI_LIB} quiltor_win32 gtest gtest_main)
  quiltor_warnings(${test_name})
  target_compile_definitions(${test_name} PRIVATE
    QUILTOR_BUILD_DIR="${CMAKE_BINARY_DIR}" QUILTOR_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  quiltor_wine_test(win32 ${test_name} 300 ${QUILTOR_WINE_RUN} $<TARGET_FILE:${test_name}>)
endforeach()

# The programs import no ...A function of their own (the runtimes' few are listed in the script).
add_test(NAME win32.ansi_imports COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-ansi --imports
  $<TARGET_FILE:Quiltor> $<TARGET_FILE:Loomwork>)
set_tests_properties(win32.ansi_imports PROPERTIES LABELS win32)

# The platform layer once more on a Windows set to English (code page 1252).
set_tests_properties(win32.any_language_test PROPERTIES ENVIRONMENT "QUILTOR_WINE_LOCALE=en_US.UTF-8")

# The entry point's own pieces are tested where they are not reachable from outside.
target_sources(instance_test PRIVATE src/app/instance.cpp)

# The test layer runs each benchmark briefly, in a lane: it starts, measures,
# prints its figures and ends. scripts/bench runs them in full.
function(quiltor_bench_smoke name program)
  quiltor_wine_test(bench ${name} 180 ${CMAKE_SOURCE_DIR}/scripts/bench --smoke ${program})
endfunction()
file(GLOB QUILTOR_WIN_BENCH CONFIGURE_DEPENDS bench/win/*.cpp)
foreach(bench_source ${QUILTOR_WIN_BENCH})
  get_filename_component(bench_name ${bench_source} NAME_WE)
  add_executable(${bench_name} ${bench_source})
  target_include_directories(${bench_name} PRIVATE tests bench)
  target_link_libraries(${bench_name} PRIVATE ${QUILTOR_UI_LIB} quiltor_win32)
  quiltor_warnings(${bench_name})
  target_compile_definitions(${bench_name} PRIVATE
    QUILTOR_BUILD_DIR="${CMAKE_BINARY_DIR}" QUILTOR_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  quiltor_bench_smoke(${bench_name} $<TARGET_FILE:${bench_name}>)
endforeach()
file(GLOB QUILTOR_WIN_BENCH_SCRIPTS CONFIGURE_DEPENDS bench/win/bench_*.py)
foreach(bench_script ${QUILTOR_WIN_BENCH_SCRIPTS})
  get_filename_component(bench_name ${bench_script} NAME_WE)
  quiltor_bench_smoke(${bench_name} ${bench_script})
endforeach()

# End-to-end tests: Python scripts that start Quiltor.exe under Wine + Xvfb and
# drive it with real X input. One that cannot run its scenario yet says why
# and exits with 77, which ctest counts as skipped.
file(GLOB QUILTOR_E2E_TESTS CONFIGURE_DEPENDS tests/e2e/test_*.py)
foreach(test_source ${QUILTOR_E2E_TESTS})
  get_filename_component(test_name ${test_source} NAME_WE)
  quiltor_wine_test(e2e ${test_name} 600 python3 ${test_source})
endforeach()
# The release tests pack the release first; in a fresh clone that is a
# Release build of its own (two, for the check that both give the same zip).
# They share the Release build folder, so one at a time (in lanes, several
# configures of one folder at once break each other).
set_tests_properties(e2e.test_release_package e2e.test_release_unpacked e2e.test_release_read_only
  e2e.test_release_upgrade PROPERTIES TIMEOUT 1800 RESOURCE_LOCK release_build)
set_tests_properties(bench.bench_release_size PROPERTIES RESOURCE_LOCK release_build)
