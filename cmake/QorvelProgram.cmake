# A desktop program of the suite. On Linux a plain executable; on Windows a
# GUI program (no console window) linked statically against Qt and the
# runtimes, with the Windows platform plugin and style built in, Qt's
# Chinese texts as a resource, and a resource script giving its icon,
# version information and manifest.
#   qorvel_program(velmar main.cpp DESCRIPTION "..." ICON packaging/icons/qorvel-velmar.svg)
function(qorvel_program target)
  cmake_parse_arguments(ARG "" "DESCRIPTION;ICON" "" ${ARGN})
  add_executable(${target} ${ARG_UNPARSED_ARGUMENTS})
  qorvel_target(${target})
  if(NOT WIN32)
    return()
  endif()
  set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
  qt_import_plugins(${target} INCLUDE Qt6::QWindowsIntegrationPlugin Qt6::QWindowsVistaStylePlugin)
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++ -s)

  # The icon from the program's SVG, at the sizes Explorer and the task bar ask for.
  set(ico ${CMAKE_CURRENT_BINARY_DIR}/${target}.ico)
  set(pngs)
  foreach(size 16 24 32 48 64 256)
    set(png ${CMAKE_CURRENT_BINARY_DIR}/icon-${size}.png)
    add_custom_command(OUTPUT ${png}
      COMMAND rsvg-convert -w ${size} -h ${size} -o ${png} ${PROJECT_SOURCE_DIR}/${ARG_ICON}
      DEPENDS ${PROJECT_SOURCE_DIR}/${ARG_ICON} VERBATIM)
    list(APPEND pngs ${png})
  endforeach()
  add_custom_command(OUTPUT ${ico} COMMAND icotool -c -o ${ico} ${pngs} DEPENDS ${pngs} VERBATIM)

  set(QORVEL_PROGRAM ${target})
  set(QORVEL_PROGRAM_DESCRIPTION "${ARG_DESCRIPTION}")
  set(QORVEL_PROGRAM_ICON ${ico})
  set(QORVEL_MANIFEST ${PROJECT_SOURCE_DIR}/cmake/windows/program.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/program.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc
                 @ONLY ENCODING UTF-8)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${target}.rc PROPERTIES
    OBJECT_DEPENDS "${ico};${QORVEL_MANIFEST}")
endfunction()
