# The Windows package: a .zip of one folder holding the seven programs, their
# manuals as HTML with the overview page consoleprograms.html, README.txt and
# LICENSE.txt. `cpack` in a build directory, or the package step of the
# windows workflow.

render_manual(${PROJECT_SOURCE_DIR}/docs/consoleprograms.7)

# README.txt and LICENSE.txt open with a double-click in Notepad, whose older
# versions want CR LF line ends. README.txt is README.md with its
# "For Windows" section moved up to follow the introduction, since that is
# what a person who unpacked the .zip reads first, and without the comments
# that mark the samples for the tests.
file(READ ${PROJECT_SOURCE_DIR}/README.md readme)
string(FIND "${readme}" "\n## For Windows\n" windows_at)
if(windows_at EQUAL -1)
  message(FATAL_ERROR "README.md has no section \"## For Windows\" to put first in README.txt")
endif()
string(SUBSTRING "${readme}" ${windows_at} -1 windows_part)
string(SUBSTRING "${windows_part}" 1 -1 after_heading)
string(FIND "${after_heading}" "\n## " next_section)
if(NOT next_section EQUAL -1)
  math(EXPR length "${next_section} + 1")
  string(SUBSTRING "${windows_part}" 0 ${length} windows_part)
endif()
string(REPLACE "${windows_part}" "" rest "${readme}")
string(FIND "${rest}" "\n## " first_section)
string(SUBSTRING "${rest}" 0 ${first_section} introduction)
string(SUBSTRING "${rest}" ${first_section} -1 rest)
set(readme "${introduction}${windows_part}${rest}")
string(REGEX REPLACE "<!--[^>]*-->\n" "" readme "${readme}")
string(REPLACE "\n" "\r\n" readme "${readme}")
# A byte order mark tells every Notepad that the text is UTF-8 (its samples
# hold Cyrillic).
string(ASCII 239 187 191 byte_order_mark)
file(WRITE ${CMAKE_BINARY_DIR}/README.txt "${byte_order_mark}${readme}")

file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
string(REPLACE "\n" "\r\n" license "${license}")
file(WRITE ${CMAKE_BINARY_DIR}/LICENSE.txt "${license}")

# Both are made when CMake configures; a change of their sources configures
# again.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE)
install(FILES ${CMAKE_BINARY_DIR}/README.txt ${CMAKE_BINARY_DIR}/LICENSE.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME consoleprograms)
set(CPACK_SYSTEM_NAME windows-x64)
set(CPACK_STRIP_FILES ON)
include(CPack)
