# cmake -DMANDOC=... -DPAGE=NAME.1 -DOUTPUT=NAME.html -P RenderManual.cmake
# Renders a manual page to HTML; an error of mandoc fails the build.
execute_process(COMMAND ${MANDOC} -T html ${PAGE}
                OUTPUT_FILE ${OUTPUT}.part
                ERROR_VARIABLE complaints
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${OUTPUT}.part)
  message(FATAL_ERROR "mandoc could not render ${PAGE}:\n${complaints}")
endif()
file(RENAME ${OUTPUT}.part ${OUTPUT})
