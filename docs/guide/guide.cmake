# The user guide as HTML in the deliverables folder (guide/ beside
# Vantrel.exe), built again whenever a page, a picture or the converter
# changes. Debian's Python 3 with its standard library is all it needs.
find_program(VANTREL_GUIDE_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
set(VANTREL_GUIDE_DIR "${CMAKE_CURRENT_LIST_DIR}")
file(GLOB VANTREL_GUIDE_INPUTS CONFIGURE_DEPENDS
  "${VANTREL_GUIDE_DIR}/*.md"
  "${VANTREL_GUIDE_DIR}/images/*.png"
  "${VANTREL_GUIDE_DIR}/../images/*.png")
add_custom_command(
  OUTPUT "${VANTREL_OUT_DIR}/guide/index.html"
  COMMAND "${VANTREL_GUIDE_PYTHON}" "${VANTREL_GUIDE_DIR}/build-guide" "${VANTREL_OUT_DIR}/guide"
  DEPENDS ${VANTREL_GUIDE_INPUTS} "${VANTREL_GUIDE_DIR}/build-guide" "${VANTREL_GUIDE_DIR}/guide.css"
  COMMENT "Building the user guide in ${VANTREL_OUT_DIR}/guide"
  VERBATIM)
add_custom_target(guide ALL DEPENDS "${VANTREL_OUT_DIR}/guide/index.html")
