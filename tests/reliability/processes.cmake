# The soak (the feed, two readers and a rewriter on one file), the kill
# suite and the conflicting writers, in their quick forms: 10 seconds, 10
# kills, two rounds of 3 seconds. scripts/reliability.sh runs the long forms
# (soak.sh ... 60, kills.sh ... 100, writers.sh ... 30). Native builds only:
# the checks read the file with mdbtools and mdb-reader, and skip (exit 77)
# where those are missing.
if(QM_RUN_TESTS AND NOT WIN32 AND TARGET feed AND TARGET jetload)
  add_test(NAME reliability/soak
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/soak.sh $<TARGET_FILE:feed> $<TARGET_FILE:jetload>
                   ${QM_FIXTURES_DIR} ${QM_TEST_TMP}/reliability 10)
  add_test(NAME reliability/kills
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/kills.sh $<TARGET_FILE:jetload> ${QM_FIXTURES_DIR}
                   ${QM_TEST_TMP}/reliability 10)
  add_test(NAME reliability/writers
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/writers.sh $<TARGET_FILE:jetload> ${QM_FIXTURES_DIR}
                   ${QM_TEST_TMP}/reliability 3)
  set_tests_properties(reliability/soak reliability/kills reliability/writers
                       PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600 LABELS reliability)
endif()
