# add_program(NAME): the program in the current directory.
#   NAME_core   every .cpp of the directory but main.cpp (the dialogue and
#               its data structures), linked by the program and its tests
#   NAME        the executable, from main.cpp, installed to bin/ together
#               with its manual page NAME.1 (when present) in man1/, and
#               part of the target `programs`
#   NAME_test   GoogleTest unit tests from tests/NAME/*_test.cpp
#   NAME/CASE   one transcript test per directory tests/NAME/cases/CASE
#               (and NAME/CASE/prefixes where the case holds a file "prefixes")

# The seven executables alone, without a single test binary, so that the
# first build of a fresh checkout starts a program quickly
# (`cmake --build --preset programs`).
add_custom_target(programs)

function(add_program name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
  add_library(${name}_core STATIC ${sources})
  target_include_directories(${name}_core PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name}_core PUBLIC console)

  add_executable(${name} main.cpp)
  target_link_libraries(${name} PRIVATE ${name}_core)
  install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  add_dependencies(programs ${name})
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${name}.1)
    install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/${name}.1
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()

  if(NOT BUILD_TESTING)
    return()
  endif()
  set(test_dir ${PROJECT_SOURCE_DIR}/tests/${name})
  file(GLOB unit_tests CONFIGURE_DEPENDS ${test_dir}/*_test.cpp)
  if(unit_tests)
    add_executable(${name}_test ${unit_tests})
    target_link_libraries(${name}_test PRIVATE ${name}_core GTest::gtest_main)
    target_include_directories(${name}_test PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    gtest_discover_tests(${name}_test TEST_PREFIX "${name}." DISCOVERY_TIMEOUT 60)
  endif()
  file(GLOB cases CONFIGURE_DEPENDS LIST_DIRECTORIES true ${test_dir}/cases/*)
  foreach(case_dir ${cases})
    if(IS_DIRECTORY ${case_dir})
      get_filename_component(case_name ${case_dir} NAME)
      add_test(NAME ${name}/${case_name}
               COMMAND transcript_runner $<TARGET_FILE:${name}> ${case_dir})
      # A case holding a file named "prefixes" is also run cut short at every line.
      if(EXISTS ${case_dir}/prefixes)
        add_test(NAME ${name}/${case_name}/prefixes
                 COMMAND transcript_runner --prefixes $<TARGET_FILE:${name}> ${case_dir})
      endif()
    endif()
  endforeach()
endfunction()
