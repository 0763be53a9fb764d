# The manual page, the bash completion and the options page against --help, and what
# cmake --install puts where.
if(TARGET vorlund-obj AND NOT WIN32)
  set(packaging_tests ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
  add_test(NAME options_documented
    COMMAND bash ${packaging_tests}/options_documented_test.sh $<TARGET_FILE:vorlund-obj>
            ${PROJECT_SOURCE_DIR}/packaging/vorlund-obj.1.in
            ${PROJECT_SOURCE_DIR}/packaging/vorlund-obj.bash-completion
            ${PROJECT_SOURCE_DIR}/docs/options.md)
  if(VORLUND_INSTALL_RULES)
    add_test(NAME install_tree
      COMMAND bash ${packaging_tests}/install_tree_test.sh ${CMAKE_BINARY_DIR}
              ${CMAKE_CURRENT_BINARY_DIR}/install-tree ${PROJECT_VERSION} ${PROJECT_SOURCE_DIR})
  endif()
endif()
