# Placeholder until the DB2 test server scripts land: defines the fixture the suites require.
set(FERROVAN_TEST_ENVIRONMENT "FERROVAN_TEST=1")
add_test(NAME db2server_start COMMAND true)
set_tests_properties(db2server_start PROPERTIES FIXTURES_SETUP db2server)
add_test(NAME db2server_stop COMMAND true)
set_tests_properties(db2server_stop PROPERTIES FIXTURES_CLEANUP db2server)
