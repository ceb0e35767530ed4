# The DB2 test server for the suites: started once before the first test that needs it and
# stopped after the last, also when tests fail. Its folder and port derive from the build
# folder, so two build trees never share or fight over a server. The folder lives under
# /tmp because the server's account must be able to reach it.
string(MD5 _db2_hash "${CMAKE_BINARY_DIR}")
string(SUBSTRING "${_db2_hash}" 0 12 _db2_tag)
string(SUBSTRING "${_db2_hash}" 0 3 _db2_hex)
math(EXPR _db2_port "52000 + 0x${_db2_hex} % 2000")
set(FERROVAN_DB2_DIR "/tmp/ferrovan-db2-${_db2_tag}")
set(FERROVAN_DB2_PORT "${_db2_port}")
set(_db2_script "${CMAKE_SOURCE_DIR}/tests/db2/server.sh")

execute_process(
  COMMAND bash "${_db2_script}" vars "${FERROVAN_DB2_DIR}" "${FERROVAN_DB2_PORT}"
  OUTPUT_VARIABLE _db2_vars
  RESULT_VARIABLE _db2_rc
  OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT _db2_rc EQUAL 0)
  message(FATAL_ERROR "tests/db2/server.sh vars failed")
endif()
# One variable in the tests' environment (a list would not survive test discovery): the
# file the suites' main reads the server's coordinates from.
file(WRITE "${CMAKE_BINARY_DIR}/db2server.env" "${_db2_vars}\nFERROVAN_TEST=1\n")
set(FERROVAN_TEST_ENVIRONMENT "FERROVAN_TEST_ENV_FILE=${CMAKE_BINARY_DIR}/db2server.env")

add_test(NAME db2server_start
         COMMAND bash "${_db2_script}" start "${FERROVAN_DB2_DIR}" "${FERROVAN_DB2_PORT}")
set_tests_properties(db2server_start PROPERTIES FIXTURES_SETUP db2server TIMEOUT 180)
add_test(NAME db2server_stop COMMAND bash "${_db2_script}" stop "${FERROVAN_DB2_DIR}")
set_tests_properties(db2server_stop PROPERTIES FIXTURES_CLEANUP db2server TIMEOUT 120)
