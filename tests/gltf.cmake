# The Khronos glTF validator as the real client of the glTF output: the
# samples, the public corpus (when it is there) and the generated glTF test
# models, written as .glb and .gltf, and a generated city's map scene, with no
# error and no warning. The
# validator is installed with npm under the build folder when missing; the
# test is skipped without node and npm.
if(TARGET vorlund-obj AND TARGET make_gltf_models AND TARGET make_city AND TARGET make_characters)
  file(GLOB gltf_models CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/samples/*.dff)
  file(GLOB gltf_corpus ${PROJECT_SOURCE_DIR}/../shared/corpus/*.dff)
  list(SORT gltf_models)
  list(SORT gltf_corpus)
  add_test(NAME gltf_validator_finds_no_issue
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/gltf/validate_test.sh $<TARGET_FILE:vorlund-obj>
            $<TARGET_FILE:make_gltf_models> $<TARGET_FILE:make_city> $<TARGET_FILE:make_characters>
            ${CMAKE_BINARY_DIR}/gltf-scratch ${PROJECT_SOURCE_DIR}/build/node
            ${gltf_models} ${gltf_corpus})
  set_tests_properties(gltf_validator_finds_no_issue PROPERTIES LABELS gltf SKIP_RETURN_CODE 77 TIMEOUT 600)
endif()
