# Run by cpack on the staged files, after CPACK_STRIP_FILES has stripped the
# programs: the compiler's version notes (.comment) are of no use to anyone
# running them either, and Debian's own tools drop them too.
file(GLOB programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*")
foreach(program IN LISTS programs)
  execute_process(COMMAND "${CPACK_QORVEL_OBJCOPY}" --remove-section=.comment "${program}"
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
