# CPack runs this after installing into its staging directory and before it
# builds the package, to make the tree what Debian installs: manual pages
# and the changelog compressed with gzip -9n (no name or time stamp, so the
# same sources give the same package), programs without the compiler's
# .comment section, lintian's overrides, and directories of mode 0755.
# `cmake --install` leaves all of this as it is.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
set(root ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})

file(GLOB pages ${root}/share/man/man1/*.1 ${root}/share/man/man7/*.7)
foreach(file ${pages} ${root}/share/doc/${CPACK_PACKAGE_NAME}/changelog)
  execute_process(COMMAND gzip -9nf ${file} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "deb-staging: gzip -9n ${file} failed")
  endif()
  file(CHMOD ${file}.gz PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()

find_program(objcopy objcopy)
if(objcopy)
  file(GLOB programs ${root}/bin/*)
  foreach(program ${programs})
    execute_process(COMMAND ${objcopy} --remove-section=.comment ${program})
  endforeach()
endif()

set(overrides ${root}/share/lintian/overrides/${CPACK_PACKAGE_NAME})
file(MAKE_DIRECTORY ${root}/share/lintian/overrides)
file(COPY_FILE ${CMAKE_CURRENT_LIST_DIR}/lintian-overrides ${overrides})
file(CHMOD ${overrides} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

# The staging directories were made under the umask of whoever builds.
file(GLOB_RECURSE entries LIST_DIRECTORIES true ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*)
foreach(entry ${CPACK_TEMPORARY_INSTALL_DIRECTORY} ${entries})
  if(IS_DIRECTORY ${entry})
    file(CHMOD ${entry} DIRECTORY_PERMISSIONS
         OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endif()
endforeach()
