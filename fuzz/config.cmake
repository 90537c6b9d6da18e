# Preference file reader: Open, reads and key enumeration on any bytes.
add_executable(fuzz_preference_file ${CMAKE_CURRENT_LIST_DIR}/fuzz_preference_file.cpp)
target_link_libraries(fuzz_preference_file PRIVATE velomira_config)
target_link_options(fuzz_preference_file PRIVATE -fsanitize=fuzzer)
add_dependencies(velomira_fuzzers fuzz_preference_file)
