# Fails when a test of the build in BUILD_DIR has none of the labels of
# tests/CMakeLists.txt (ctest -N lists what a run would take).
execute_process(
  COMMAND ${CTEST} -N -LE "^(unit|process|e2e|gui|install)$"
  WORKING_DIRECTORY ${BUILD_DIR}
  OUTPUT_VARIABLE listing
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "ctest -N failed:\n${listing}")
endif()
string(REGEX MATCHALL "Test +#[0-9]+: [^\n]+" unlabelled "${listing}")
if(unlabelled)
  list(JOIN unlabelled "\n  " lines)
  message(FATAL_ERROR "tests without a label (see tests/CMakeLists.txt):\n  ${lines}")
endif()
