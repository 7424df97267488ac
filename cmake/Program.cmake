# add_program(NAME): the program in the current directory.
#   NAME_core   every .cpp of the directory but main.cpp (the dialogue and
#               its data structures), linked by the program and its tests;
#               of the files *_posix.cpp and *_windows.cpp only the system's
#   NAME        the executable, from main.cpp, installed to bin/ together
#               with its manual page NAME.1 (when present) in man1/, and
#               part of the target `programs`
#   NAME_test   GoogleTest unit tests from tests/NAME/*_test.cpp (those
#               named *_posix_test.cpp or *_windows_test.cpp on that system)
#   NAME/CASE   one transcript test per directory tests/NAME/cases/CASE
#               (and NAME/CASE/prefixes where the case holds a file "prefixes");
#               on Windows also per directory tests/NAME/windows-cases/CASE,
#               behaviour only Windows has
#
# On Windows the cases listed in tests/windows/posix-only-cases are left out
# (see cmake/WindowsTests.cmake), and the transcripts expect Windows line
# breaks.

# render_manual(NAME): NAME.1 of the current directory as NAME.html, built
# with the program and installed beside it; left out, with a note, where
# mandoc is missing.
function(render_manual name)
  find_program(MANDOC_EXECUTABLE mandoc)
  if(NOT MANDOC_EXECUTABLE)
    message(STATUS "mandoc not found: the manual of ${name} is not rendered")
    return()
  endif()
  set(page ${CMAKE_CURRENT_SOURCE_DIR}/${name}.1)
  set(html ${CMAKE_CURRENT_BINARY_DIR}/${name}.html)
  add_custom_command(OUTPUT ${html}
                     COMMAND ${CMAKE_COMMAND} -DMANDOC=${MANDOC_EXECUTABLE} -DPAGE=${page} -DOUTPUT=${html}
                             -P ${PROJECT_SOURCE_DIR}/cmake/RenderManual.cmake
                     DEPENDS ${page} ${PROJECT_SOURCE_DIR}/cmake/RenderManual.cmake
                     COMMENT "Rendering the manual of ${name}")
  add_custom_target(${name}_manual ALL DEPENDS ${html})
  install(FILES ${html} DESTINATION .)
endfunction()

# add_program_test(NAME COMMAND...): add_test, and where the programs run
# under Wine the test needs the Wine session (WINE_FIXTURE).
function(add_program_test name)
  add_test(NAME ${name} COMMAND ${ARGN})
  if(WINE_FIXTURE)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED ${WINE_FIXTURE})
  endif()
endfunction()

# add_unit_tests(TARGET NAME): the GoogleTest executable TARGET as tests
# named NAME.<suite>.<test>. Under an emulator, where every start is slow,
# the whole executable is one test, NAME/unit.
function(add_unit_tests target name)
  if(CMAKE_CROSSCOMPILING)
    add_program_test(${name}/unit ${target})
  else()
    gtest_discover_tests(${target} TEST_PREFIX "${name}." DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# The seven executables alone, without a single test binary, so that the
# first build of a fresh checkout starts a program quickly
# (`cmake --build --preset programs`).
add_custom_target(programs)

function(add_program name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
  # What a program needs of the system lives in NAME_posix.cpp and
  # NAME_windows.cpp: each system builds its own.
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "_windows\\.cpp$")
  endif()
  add_library(${name}_core STATIC ${sources})
  target_include_directories(${name}_core PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name}_core PUBLIC console)

  add_executable(${name} main.cpp)
  target_link_libraries(${name} PRIVATE ${name}_core)
  add_dependencies(programs ${name})
  if(WIN32)
    # A Windows installation is one folder: the programs beside their
    # manuals, rendered to HTML, since Windows has no reader for the pages.
    install(TARGETS ${name} RUNTIME DESTINATION .)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${name}.1)
      render_manual(${name})
    endif()
  else()
    install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${name}.1)
      install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/${name}.1
              DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
  endif()

  if(NOT BUILD_TESTING)
    return()
  endif()
  set(test_dir ${PROJECT_SOURCE_DIR}/tests/${name})
  file(GLOB unit_tests CONFIGURE_DEPENDS ${test_dir}/*_test.cpp)
  # Tests of what only one system has: NAME_posix_test.cpp (pseudo-terminals,
  # fork, FIFOs, umask, resource limits, POSIX pipes) and
  # NAME_windows_test.cpp, each built on its system only.
  if(WIN32)
    list(FILTER unit_tests EXCLUDE REGEX "_posix_test\\.cpp$")
  else()
    list(FILTER unit_tests EXCLUDE REGEX "_windows_test\\.cpp$")
  endif()
  if(unit_tests)
    add_executable(${name}_test ${unit_tests})
    target_link_libraries(${name}_test PRIVATE ${name}_core GTest::gtest_main)
    target_include_directories(${name}_test PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    add_unit_tests(${name}_test ${name})
  endif()
  file(GLOB cases CONFIGURE_DEPENDS LIST_DIRECTORIES true ${test_dir}/cases/*)
  if(WIN32)
    file(GLOB windows_cases CONFIGURE_DEPENDS LIST_DIRECTORIES true ${test_dir}/windows-cases/*)
    list(APPEND cases ${windows_cases})
  endif()
  foreach(case_dir ${cases})
    get_filename_component(case_name ${case_dir} NAME)
    if(NOT IS_DIRECTORY ${case_dir} OR "${name}/${case_name}" IN_LIST POSIX_ONLY_CASES)
      continue()
    endif()
    add_program_test(${name}/${case_name} transcript_runner ${TRANSCRIPT_OPTIONS} $<TARGET_FILE:${name}>
                     ${case_dir})
    # A case holding a file named "prefixes" is also run cut short at every line.
    if(EXISTS ${case_dir}/prefixes)
      add_program_test(${name}/${case_name}/prefixes transcript_runner ${TRANSCRIPT_OPTIONS} --prefixes
                       ${TRANSCRIPT_PREFIX_OPTIONS} $<TARGET_FILE:${name}> ${case_dir})
    endif()
  endforeach()
endfunction()
