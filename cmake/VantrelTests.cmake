# Test registration for the three tiers.
#   native: GoogleTest executables built for Linux (plain and sanitizer builds)
#   wine:   the same kind built for Windows, run through the Wine emulator
#   e2e:    scripts that start real programs under Wine and drive them
# Each GoogleTest executable is one ctest entry, labelled with its tier.

function(vantrel_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} gtest gtest_main)
  if(WIN32)
    set(tier wine)
  else()
    set(tier native)
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  set_tests_properties(${name} PROPERTIES LABELS ${tier} TIMEOUT 300)
endfunction()

# An end-to-end script; it finds the programs in VANTREL_OUT_DIR and the test
# helpers in the build's bin folder.
function(vantrel_e2e name script)
  add_test(NAME e2e.${name} COMMAND bash "${script}")
  set_tests_properties(e2e.${name} PROPERTIES LABELS e2e TIMEOUT 300
    ENVIRONMENT "VANTREL_OUT=${VANTREL_OUT_DIR};VANTREL_BIN=${CMAKE_BINARY_DIR}/bin;VANTREL_SRC=${CMAKE_SOURCE_DIR}")
endfunction()
