# The Windows package: a .zip of one folder holding the seven programs, their
# manuals as HTML with the overview page consoleprograms.html, README.txt and
# LICENSE.txt. `cpack` in a build directory, or the package step of the
# windows workflow.

render_manual(${PROJECT_SOURCE_DIR}/docs/consoleprograms.7)

# README.txt and LICENSE.txt open with a double-click in Notepad, whose older
# versions want CR LF line ends. README.txt is what a person who unpacked the
# .zip needs: the README's "For Windows" section, up to the subsection on
# building the .zip, under the README's title, with its Markdown turned into
# plain text. Made from the README, it says what the README says.
file(READ ${PROJECT_SOURCE_DIR}/README.md readme)
string(REGEX MATCH "^# ([^\n]*)\n" title_line "${readme}")
set(title "${CMAKE_MATCH_1} for Windows")
string(FIND "${readme}" "\n## For Windows\n" windows_at)
string(FIND "${readme}" "\n### Building the .zip\n" building_at)
if(windows_at EQUAL -1 OR building_at LESS windows_at)
  message(FATAL_ERROR "README.md has no section \"## For Windows\" followed by its subsection "
                      "\"### Building the .zip\", the text of README.txt and where it ends")
endif()
string(LENGTH "\n## For Windows\n" heading_length)
math(EXPR text_at "${windows_at} + ${heading_length}")
math(EXPR text_length "${building_at} - ${text_at}")
string(SUBSTRING "${readme}" ${text_at} ${text_length} windows_part)
# Markdown to plain text: links keep their words, code its characters;
# the comments that mark the samples for the tests go.
string(REGEX REPLACE "<!--[^>]*-->\n" "" windows_part "${windows_part}")
string(REGEX REPLACE "\\[([^]]*)\\]\\(#[^)]*\\)" "\\1" windows_part "${windows_part}")
string(REGEX REPLACE "\\[([^]]*)\\]\\(([^)]*)\\)" "\\1 (\\2)" windows_part "${windows_part}")
string(REPLACE "`" "" windows_part "${windows_part}")
string(REGEX REPLACE "\n+$" "\n" windows_part "${windows_part}")
string(LENGTH "${title}" title_length)
string(REPEAT "=" ${title_length} underline)
set(readme "${title}\n${underline}\n${windows_part}")
string(REPLACE "\n" "\r\n" readme "${readme}")
# A byte order mark tells every Notepad that the text is UTF-8.
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
