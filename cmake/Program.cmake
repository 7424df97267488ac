# add_program(NAME): the program in the current directory.
#   NAME_core   every .cpp of the directory but main.cpp (the dialogue and
#               its data structures), linked by the program and its tests;
#               of the files *_posix.cpp and *_windows.cpp only the system's
#   NAME        the executable, from main.cpp, built into bin/ of the build
#               directory and installed to bin/ together with its manual
#               page NAME.1 (when present) in man1/, and part of the target
#               `programs`; on Windows installed beside its manual as
#               NAME.html, and carrying version information
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

# A Windows installation has no reader for manual pages: it carries them as
# HTML, which mandoc renders. Without mandoc the configuration stops, rather
# than pack the programs without their manuals.
if(WIN32)
  find_program(MANDOC_EXECUTABLE mandoc)
  if(NOT MANDOC_EXECUTABLE)
    message(FATAL_ERROR "mandoc not found: a Windows build carries the manual pages as HTML, "
                        "which mandoc renders. Install it (Debian: sudo apt-get install mandoc) "
                        "and configure again.")
  endif()
  # The version information of each .exe is a resource (see
  # program_version_resource).
  enable_language(RC)
endif()

# render_manual(PAGE): the manual page PAGE (NAME.SECTION) as NAME.html in the
# current build directory, built with the programs and installed beside them.
# A reference to another page links to that page's .html.
function(render_manual page)
  get_filename_component(name ${page} NAME_WE)
  set(html ${CMAKE_CURRENT_BINARY_DIR}/${name}.html)
  add_custom_command(OUTPUT ${html}
                     COMMAND ${CMAKE_COMMAND} -DMANDOC=${MANDOC_EXECUTABLE} -DPAGE=${page} -DOUTPUT=${html}
                             -P ${PROJECT_SOURCE_DIR}/cmake/RenderManual.cmake
                     DEPENDS ${page} ${PROJECT_SOURCE_DIR}/cmake/RenderManual.cmake
                     COMMENT "Rendering the manual of ${name}")
  add_custom_target(${name}_manual ALL DEPENDS ${html})
  install(FILES ${html} DESTINATION .)
endfunction()

# program_version_resource(NAME PAGE): adds to the Windows executable NAME a
# VERSIONINFO resource, which Explorer shows under Properties: the product's
# name, version and licence, and as the file's description the NAME line of
# its manual page PAGE.
function(program_version_resource name page)
  file(STRINGS ${page} description REGEX "^\\.Nd ")
  string(REGEX REPLACE "^\\.Nd " "" description "${description}")
  # Explorer shows the description on its own, so it starts with a capital.
  string(SUBSTRING "${description}" 0 1 first)
  string(SUBSTRING "${description}" 1 -1 rest)
  string(TOUPPER "${first}" first)
  set(description "${first}${rest}")
  # A resource script writes a double quote within a string twice.
  string(REPLACE "\"" "\"\"" description "${description}")
  file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE copyright LIMIT_COUNT 1 REGEX "^Copyright ")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${page} ${PROJECT_SOURCE_DIR}/LICENSE)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${name}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionInfo.rc.in ${rc} @ONLY)
  target_sources(${name} PRIVATE ${rc})
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

# The build directory's bin/ holds the seven programs and nothing else; the
# unit tests and the test tools are built into tests/bin.
set(TEST_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/bin)

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
    # manuals, rendered to HTML.
    install(TARGETS ${name} RUNTIME DESTINATION .)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${name}.1)
      render_manual(${CMAKE_CURRENT_SOURCE_DIR}/${name}.1)
      program_version_resource(${name} ${CMAKE_CURRENT_SOURCE_DIR}/${name}.1)
    endif()
  elseif(EMSCRIPTEN)
    # A web build installs the site instead, which carries the programs (web/).
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
    set_target_properties(${name}_test PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TEST_RUNTIME_OUTPUT_DIRECTORY})
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
