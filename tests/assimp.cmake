# assimp as a second real client of the collision output: every triangle of
# the corpus's and generated collision files read back from OBJ and glb.
# Skipped without the assimp command.
if(TARGET vorlund-obj AND TARGET make_collision)
  add_test(NAME assimp_imports_every_collision_triangle
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/assimp/import_collision_test.sh $<TARGET_FILE:vorlund-obj>
            $<TARGET_FILE:make_collision> ${CMAKE_BINARY_DIR}/assimp-scratch ${PROJECT_SOURCE_DIR}/../shared/corpus)
  set_tests_properties(assimp_imports_every_collision_triangle PROPERTIES LABELS assimp SKIP_RETURN_CODE 77 TIMEOUT 300)
endif()
