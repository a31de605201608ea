# A resource-only DLL (no code, no entry point) built from one .rc file.
function(vantrel_resource_dll target rc_file out_dir)
  get_filename_component(rc_abs "${rc_file}" ABSOLUTE)
  set(res "${CMAKE_CURRENT_BINARY_DIR}/${target}.res")
  set(dll "${out_dir}/${target}.dll")
  cmake_parse_arguments(ARG "" "" "DEPENDS;INCLUDES" ${ARGN})
  set(includes)
  foreach(dir ${ARG_INCLUDES})
    list(APPEND includes -I "${dir}")
  endforeach()
  add_custom_command(OUTPUT "${res}"
    COMMAND ${CMAKE_RC_COMPILER} ${includes} -I "${CMAKE_CURRENT_SOURCE_DIR}" -i "${rc_abs}" -O coff -o "${res}"
    DEPENDS "${rc_abs}" ${ARG_DEPENDS}
    VERBATIM)
  add_custom_command(OUTPUT "${dll}"
    COMMAND ${CMAKE_C_COMPILER} -shared -nostdlib -Wl,-e,0 -o "${dll}" "${res}"
    DEPENDS "${res}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS "${dll}")
endfunction()
