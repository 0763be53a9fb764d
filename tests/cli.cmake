# End-to-end runs of the programs from the test suite: vorlund-obj for the
# command-line tests, make_samples for the check of the bundled samples.
if(TARGET vorlund-obj)
  target_compile_definitions(vorlund_tests PRIVATE VORLUND_OBJ_PROGRAM="$<TARGET_FILE:vorlund-obj>")
  target_link_libraries(vorlund_tests PRIVATE vorlund_vertices_first)
  add_dependencies(vorlund_tests vorlund-obj)
endif()
if(TARGET make_samples)
  target_compile_definitions(vorlund_tests PRIVATE MAKE_SAMPLES_PROGRAM="$<TARGET_FILE:make_samples>")
  add_dependencies(vorlund_tests make_samples)
endif()
if(TARGET vorlund-obj AND NOT WIN32)
  # forkpty, for the progress line on a terminal.
  target_link_libraries(vorlund_tests PRIVATE util)
endif()
