# The tests of a Windows build: what is left out, how the transcripts are
# run, and, in a cross build, Wine as the emulator, with one prefix and one
# wineserver for the whole test run.

# Unit tests of what only POSIX systems have are named *_posix_test.cpp and
# left out (see add_program).

# Transcript cases whose behaviour is POSIX only, each with its reason.
file(STRINGS ${PROJECT_SOURCE_DIR}/tests/windows/posix-only-cases POSIX_ONLY_CASES REGEX "^[^#]")

# Windows writes every line break as CR LF and reads a typed CR LF as one:
# the cases are typed and expected so.
set(TRANSCRIPT_OPTIONS --crlf)

if(NOT CMAKE_CROSSCOMPILING)
  return()
endif()

find_program(WINE_EXECUTABLE wine)
find_program(WINESERVER_EXECUTABLE wineserver)
if(NOT WINE_EXECUTABLE OR NOT WINESERVER_EXECUTABLE)
  message(FATAL_ERROR "The tests of a cross build for Windows run under Wine: install wine and wine64, "
                      "or configure with -DBUILD_TESTING=OFF")
endif()
set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
set(WINE_ENVIRONMENT WINEPREFIX=${WINE_PREFIX} WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d)
set(CMAKE_CROSSCOMPILING_EMULATOR env ${WINE_ENVIRONMENT} ${WINE_EXECUTABLE})
# Every start of a Windows program costs Wine a new process: a cut at every
# byte of a case would take minutes, so a Windows run cuts at line ends.
set(TRANSCRIPT_PREFIX_OPTIONS --line-cuts)

# The wineserver starts before the first test and stops after the last one.
add_test(NAME wine/start COMMAND ${PROJECT_SOURCE_DIR}/tests/windows/wine-session.sh start)
add_test(NAME wine/stop COMMAND ${PROJECT_SOURCE_DIR}/tests/windows/wine-session.sh stop)
set_tests_properties(wine/start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300 ENVIRONMENT "${WINE_ENVIRONMENT}")
set_tests_properties(wine/stop PROPERTIES FIXTURES_CLEANUP wine ENVIRONMENT "${WINE_ENVIRONMENT}")

# Every test of the programs needs the session (see add_program_test).
set(WINE_FIXTURE wine)
