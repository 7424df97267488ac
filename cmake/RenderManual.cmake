# cmake -DMANDOC=... -DPAGE=NAME.1 -DOUTPUT=NAME.html -P RenderManual.cmake
# Renders a manual page to HTML; an error of mandoc fails the build. A
# reference to another page (.Xr NAME SECTION) links to NAME.html beside it.
execute_process(COMMAND ${MANDOC} -T html -O man=%N.html ${PAGE}
                OUTPUT_FILE ${OUTPUT}.part
                ERROR_VARIABLE complaints
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${OUTPUT}.part)
  message(FATAL_ERROR "mandoc could not render ${PAGE}:\n${complaints}")
endif()
file(RENAME ${OUTPUT}.part ${OUTPUT})
