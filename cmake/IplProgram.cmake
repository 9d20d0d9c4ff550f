# ipl_program(NAME TEMPLATES files... SOURCES files... [LIBS libs...])
# A GUI program of the shell: its sources, the shell's allocation functions, and a resource
# script holding the icon, the version and the given templates as GBK data.
function(ipl_program name)
  cmake_parse_arguments(ARG "" "" "TEMPLATES;SOURCES;LIBS" ${ARGN})
  set(data ${CMAKE_CURRENT_BINARY_DIR}/${name}.templates.dat)
  add_custom_command(OUTPUT ${data}
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/encode-templates.sh ${data} ${ARG_TEMPLATES}
    DEPENDS ${ARG_TEMPLATES} ${CMAKE_SOURCE_DIR}/scripts/encode-templates.sh
    VERBATIM)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${name}.resources.rc)
  file(WRITE ${rc} "#define IPL_TEMPLATE_FILE \"${data}\"\n#include \"${CMAKE_SOURCE_DIR}/resources/iplatency.rc\"\n")
  set_source_files_properties(${rc} PROPERTIES
    OBJECT_DEPENDS "${data};${CMAKE_SOURCE_DIR}/resources/iplatency.rc;${CMAKE_SOURCE_DIR}/resources/iplatency.ico")
  add_executable(${name} WIN32 ${ARG_SOURCES} ${rc} $<TARGET_OBJECTS:ipl_new_delete>)
  ipl_code_flags(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} ipl_shell)
  # The shell's own entry point instead of the C runtime's start-up (shell/startup.cpp).
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_link_options(${name} PRIVATE -nostartfiles -Wl,-e,_ipl_process_start@0)
  else()
    target_link_options(${name} PRIVATE -nostartfiles -Wl,-e,ipl_process_start)
  endif()
endfunction()
