# Run by cpack on the staged files, after CPACK_STRIP_FILES has stripped the
# programs and the library: the compiler's version notes (.comment) are of no
# use to anyone running them either, and Debian's own tools drop them too.
# Each package's files are staged in a folder of their own.
file(GLOB binaries
  "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/usr/bin/*"
  "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/usr/lib/*/libqorvel.so.*.*.*")
foreach(binary IN LISTS binaries)
  execute_process(COMMAND "${CPACK_QORVEL_OBJCOPY}" --remove-section=.comment "${binary}"
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
