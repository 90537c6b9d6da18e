# Batch file reader: any bytes, then a write and read round.
add_executable(fuzz_batch_file ${CMAKE_CURRENT_LIST_DIR}/fuzz_batch_file.cpp)
target_link_libraries(fuzz_batch_file PRIVATE velomira_batch)
target_link_options(fuzz_batch_file PRIVATE -fsanitize=fuzzer)
add_dependencies(velomira_fuzzers fuzz_batch_file)
