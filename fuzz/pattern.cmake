# Pattern file reader: any bytes give a pattern that keeps the track promises, or an error
# with its place.
add_executable(fuzz_pattern_file ${CMAKE_CURRENT_LIST_DIR}/fuzz_pattern_file.cpp)
target_link_libraries(fuzz_pattern_file PRIVATE velomira_pattern)
target_link_options(fuzz_pattern_file PRIVATE -fsanitize=fuzzer)
add_dependencies(velomira_fuzzers fuzz_pattern_file)
