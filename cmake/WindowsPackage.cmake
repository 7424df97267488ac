# The Windows package: a .zip of one folder holding the seven programs, their
# manuals as HTML, the README and the licence. `cpack` in a build directory,
# or the package step of the windows workflow.
install(FILES README.md DESTINATION .)
if(EXISTS ${PROJECT_SOURCE_DIR}/LICENSE)
  install(FILES LICENSE DESTINATION .)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME consoleprograms)
set(CPACK_SYSTEM_NAME windows-x64)
set(CPACK_STRIP_FILES ON)
include(CPack)
