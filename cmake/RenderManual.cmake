# cmake -DMANDOC=... -DPAGE=NAME.1 -DOUTPUT=NAME.html -P RenderManual.cmake
# Renders a manual page to HTML; an error of mandoc fails the build. A
# reference to another page (.Xr NAME SECTION) links to NAME.html beside it.
#
# The HTML goes with the programs for Windows, so its WINDOWS section is
# moved up to follow the DESCRIPTION: a Windows user reads it before the
# sections about Linux terminals and locales.
execute_process(COMMAND ${MANDOC} -T html -O man=%N.html ${PAGE}
                OUTPUT_VARIABLE html
                ERROR_VARIABLE complaints
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "mandoc could not render ${PAGE}:\n${complaints}")
endif()

set(section_start "<section class=\"Sh\">\n<h1 class=\"Sh\" id=\"")
string(FIND "${html}" "${section_start}WINDOWS\"" windows_at)
string(FIND "${html}" "${section_start}DESCRIPTION\"" description_at)
if(windows_at GREATER description_at AND description_at GREATER -1)
  # A section runs up to the next one, or to the end of the page's text.
  string(SUBSTRING "${html}" ${windows_at} -1 from_windows)
  string(LENGTH "${section_start}" skip)
  string(SUBSTRING "${from_windows}" ${skip} -1 after_heading)
  string(FIND "${after_heading}" "${section_start}" next_at)
  if(next_at EQUAL -1)
    string(FIND "${after_heading}" "</main>" next_at)
  endif()
  math(EXPR windows_length "${next_at} + ${skip}")
  string(SUBSTRING "${from_windows}" 0 ${windows_length} windows_section)
  string(SUBSTRING "${html}" 0 ${windows_at} before)
  math(EXPR after_at "${windows_at} + ${windows_length}")
  string(SUBSTRING "${html}" ${after_at} -1 after)
  set(html "${before}${after}")
  string(SUBSTRING "${html}" ${description_at} -1 from_description)
  string(SUBSTRING "${from_description}" ${skip} -1 after_heading)
  string(FIND "${after_heading}" "${section_start}" next_at)
  math(EXPR insert_at "${description_at} + ${skip} + ${next_at}")
  string(SUBSTRING "${html}" 0 ${insert_at} before)
  string(SUBSTRING "${html}" ${insert_at} -1 after)
  set(html "${before}${windows_section}${after}")
endif()
file(WRITE ${OUTPUT}.part "${html}")
file(RENAME ${OUTPUT}.part ${OUTPUT})
