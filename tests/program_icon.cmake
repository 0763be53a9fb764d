# The committed icon of the window program is what tools/make_icon.cpp draws now.
if(TARGET make_icon)
  add_test(NAME committed_icon_is_generated
    COMMAND sh -c "\"$1\" \"$2\" && cmp \"$2\" \"$3\"" sh
            $<TARGET_FILE:make_icon> ${CMAKE_CURRENT_BINARY_DIR}/vorlund.ico
            ${PROJECT_SOURCE_DIR}/ui/vorlund.ico)
endif()
