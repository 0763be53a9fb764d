# Blender, the modelling program most users import into, as the real client:
# headless, it imports the command line's OBJ files of the samples and of the
# public corpus (when it is there) for every button that converts them clean.
# Run alone with `ctest --preset release -L blender`; skipped without Blender.
if(TARGET vorlund-obj)
  file(GLOB blender_models CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/samples/*.dff)
  file(GLOB blender_corpus ${PROJECT_SOURCE_DIR}/../shared/corpus/*.dff)
  list(SORT blender_models)
  list(SORT blender_corpus)
  add_test(NAME blender_imports_every_face
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/blender/import_models_test.sh $<TARGET_FILE:vorlund-obj>
            ${CMAKE_BINARY_DIR}/blender-scratch ${blender_models} ${blender_corpus})
  set_tests_properties(blender_imports_every_face PROPERTIES
    LABELS blender SKIP_RETURN_CODE 77 TIMEOUT 600)
endif()
# The glTF tests' generated models, through the same check: materials from
# the draw lists, sheared and mirrored frames, faces drawn from both sides;
# and the vehicles once more as the game draws them, the older games' car with
# its item definitions, generic wheels and colours, the show car painted.
if(TARGET vorlund-obj AND TARGET make_gltf_models)
  add_test(NAME blender_imports_generated_models
    COMMAND bash -c "\"$1\" \"$2/models\" >/dev/null && m=\"$2/models\" && bash \"$3\" \"$4\" \"$2/run\" \"$m\"/*.dff \
--ide=\"$m/vehicles.ide\" --wheels=\"$m/wheels.dff\" --carcols=\"$m/carcols.dat\" \"$m/mycar.dff\" \
--carcols=\"$m/carcols.dat\" \"$m/showcar.dff\""
            import-generated $<TARGET_FILE:make_gltf_models> ${CMAKE_BINARY_DIR}/blender-generated
            ${CMAKE_CURRENT_SOURCE_DIR}/blender/import_models_test.sh $<TARGET_FILE:vorlund-obj>)
  set_tests_properties(blender_imports_generated_models PROPERTIES
    LABELS blender SKIP_RETURN_CODE 77 TIMEOUT 600)
endif()
if(TARGET vorlund-obj AND TARGET make_city)
  add_test(NAME blender_imports_a_map_scene
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/blender/import_map_test.sh $<TARGET_FILE:vorlund-obj>
            $<TARGET_FILE:make_city> ${CMAKE_BINARY_DIR}/blender-map-scratch)
  set_tests_properties(blender_imports_a_map_scene PROPERTIES
    LABELS blender SKIP_RETURN_CODE 77 TIMEOUT 600)
endif()

# Generated characters of every skin layout, and the character sample, stand
# upright once imported.
if(TARGET vorlund-obj AND TARGET make_characters)
  add_test(NAME blender_characters_stand_upright
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/blender/characters_upright_test.sh $<TARGET_FILE:vorlund-obj>
            $<TARGET_FILE:make_characters> ${CMAKE_BINARY_DIR}/blender-characters
            ${PROJECT_SOURCE_DIR}/samples/character.dff)
  set_tests_properties(blender_characters_stand_upright PROPERTIES
    LABELS blender SKIP_RETURN_CODE 77 TIMEOUT 300)
endif()

# The lamp sample packed into an archive: its textures come from textures/lamp/.
if(TARGET vorlund-obj)
  add_test(NAME blender_imports_archive_model_with_textures
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/blender/import_archive_test.sh $<TARGET_FILE:vorlund-obj>
            ${CMAKE_BINARY_DIR}/blender-archive-scratch ${PROJECT_SOURCE_DIR}/samples)
  set_tests_properties(blender_imports_archive_model_with_textures PROPERTIES
    LABELS blender SKIP_RETURN_CODE 77 TIMEOUT 300)
endif()
# The lamp post's 2D effect lights as Blender's light objects, at their places.
if(TARGET vorlund-obj AND TARGET make_gltf_models)
  add_test(NAME blender_imports_effect_lights
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/blender/import_lights_test.sh $<TARGET_FILE:vorlund-obj>
            $<TARGET_FILE:make_gltf_models> ${CMAKE_BINARY_DIR}/blender-lights)
  set_tests_properties(blender_imports_effect_lights PROPERTIES LABELS blender SKIP_RETURN_CODE 77 TIMEOUT 600)
endif()
