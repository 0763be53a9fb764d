# All 2^32 four-byte patterns through decode_float and format_fixed, against the
# C library's "%f". Minutes of work on every core: left out of the default run,
# run with `ctest --preset exhaustive`.
find_package(Threads REQUIRED)
add_executable(exhaustive_numbers ${CMAKE_CURRENT_SOURCE_DIR}/exhaustive_numbers.cpp)
target_link_libraries(exhaustive_numbers PRIVATE vorlund_core Threads::Threads)
add_test(NAME exhaustive_numbers COMMAND exhaustive_numbers)
set_tests_properties(exhaustive_numbers PROPERTIES LABELS exhaustive TIMEOUT 10800)
